#include "DialogLayout.h"

#include <algorithm>

#include "DialogTemplateLayout.h"
#include "DpiScale.h"
#include "resource.h"

namespace {
// The status area: the dialog is this much shorter, and its buttons this much
// higher, while the status box is hidden.
const int LAYOUT_SHIFT = 67;

const int kBannerWidth = 284;
const int kBannerHeight = 54;
// The banner's place among the template's controls, which are also the
// dialog's children in Z order.
const size_t kBannerIndex = 6;
} // namespace

DialogLayout::DialogLayout(CWnd& dialog, UINT templateId)
    : m_dialog(dialog), m_templateId(templateId), m_statusShown(false), m_windowRect(), m_loginRect(), m_cancelRect(),
      m_dpi(kBaseDpi), m_bigIcon(nullptr), m_smallIcon(nullptr) {}

DialogLayout::~DialogLayout() {
    // The window, which showed them, is gone by now.
    if (m_bigIcon) DestroyIcon(m_bigIcon);
    if (m_smallIcon) DestroyIcon(m_smallIcon);
}

void DialogLayout::FitToScale() {
    m_dpi = WindowDpi(m_dialog.GetSafeHwnd());
    LeaveDpiChangesToTheDialog(m_dialog.GetSafeHwnd());
    // At 100 % the template with its bitmap and the icon the dialog has set
    // are the window's look; the art, the icons and the labels' room for
    // another scale are made only at one.
    if (m_dpi != kBaseDpi) {
        ShowArtForDpi();
        FitLabelsToText();
    }
    RECT client;
    m_dialog.GetClientRect(&client);
    const int widen = ClientWidthForBanner(client.right) - client.right;
    if (widen > 0) {
        // Still centred, as the dialog manager placed it by the template's size.
        RECT frame;
        m_dialog.GetWindowRect(&frame);
        m_dialog.SetWindowPos(nullptr, frame.left - widen / 2, frame.top, frame.right - frame.left + widen,
                              frame.bottom - frame.top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void DialogLayout::StartCompact() {
    m_dialog.GetDlgItem(IDOK)->GetWindowRect(&m_loginRect);
    m_dialog.ScreenToClient(&m_loginRect);
    m_dialog.GetDlgItem(IDCANCEL)->GetWindowRect(&m_cancelRect);
    m_dialog.ScreenToClient(&m_cancelRect);
    m_dialog.GetWindowRect(&m_windowRect);
    MoveButtonsBy(-LayoutShift());
    m_windowRect.bottom -= LayoutShift();
    m_dialog.SetWindowPos(nullptr, 0, 0, m_windowRect.right - m_windowRect.left, m_windowRect.bottom - m_windowRect.top,
                          SWP_NOMOVE | SWP_NOZORDER);
}

void DialogLayout::ShowStatusArea() {
    if (m_statusShown) return;
    m_windowRect.bottom += LayoutShift();
    // Growing is no reason to take the keyboard: an outage grows the dialog
    // while the trader types into the client.
    m_dialog.SetWindowPos(nullptr, 0, 0, m_windowRect.right - m_windowRect.left, m_windowRect.bottom - m_windowRect.top,
                          SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    MoveButtonsBy(LayoutShift());
    m_dialog.GetDlgItem(IDC_STATUS)->ShowWindow(SW_SHOW);
    m_statusShown = true;
}

void DialogLayout::MoveButtonsBy(int dy) {
    m_loginRect.top += dy;
    m_dialog.GetDlgItem(IDOK)->SetWindowPos(nullptr, m_loginRect.left, m_loginRect.top, 0, 0,
                                            SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    m_cancelRect.top += dy;
    m_dialog.GetDlgItem(IDCANCEL)->SetWindowPos(nullptr, m_cancelRect.left, m_cancelRect.top, 0, 0,
                                                SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

int DialogLayout::LayoutShift() const { return ScaleToDpi(LAYOUT_SHIFT, m_dpi); }

// The banner shows the art drawn for the dialog's scale at the banner's size
// scaled; the static control takes the bitmap's size.
void DialogLayout::ShowArtForDpi() {
    HINSTANCE module = AfxGetResourceHandle();
    HICON big = LoadIconForDpi(module, IDI_LOGIN_ICON, false, m_dpi);
    HICON small = LoadIconForDpi(module, IDI_LOGIN_ICON, true, m_dpi);
    if (big) m_dialog.SetIcon(big, TRUE);
    if (small) m_dialog.SetIcon(small, FALSE);
    if (m_bigIcon && big) DestroyIcon(m_bigIcon);
    if (m_smallIcon && small) DestroyIcon(m_smallIcon);
    if (big) m_bigIcon = big;
    if (small) m_smallIcon = small;

    // At 100 % the template's own bitmap is the art.
    if (m_dpi == kBaseDpi && !m_bannerArt.GetSafeHandle()) return;
    const SIZE banner = {ScaleToDpi(kBannerWidth, m_dpi), ScaleToDpi(kBannerHeight, m_dpi)};
    HBITMAP art = LoadArtAtSize(module, ArtForDpi(m_dpi).banner, banner);
    if (!art) return;
    HWND bannerWindow = BannerWindow();
    if (!bannerWindow) {
        DeleteObject(art);
        return;
    }
    HGDIOBJ replaced = reinterpret_cast<HGDIOBJ>(
        ::SendMessage(bannerWindow, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(art)));
    // The control owns neither bitmap: the one it loaded from the template,
    // or the art set before, is no longer shown and goes.
    if (replaced && replaced != m_bannerArt.GetSafeHandle()) DeleteObject(replaced);
    m_bannerArt.DeleteObject();
    m_bannerArt.Attach(art);
}

// Places the controls from the template in the dialog units of the font at
// `dpi`, as the dialog manager would have placed them had the dialog started at
// that scale, and keeps the layout it is in: compact, or with the status area.
bool DialogLayout::LayOutForDpi(UINT dpi, const RECT* suggested) {
    DialogTemplateLayout layout;
    if (!ReadDialogTemplateLayout(AfxGetResourceHandle(), m_templateId, layout)) return false;
    HFONT current = reinterpret_cast<HFONT>(m_dialog.SendMessage(WM_GETFONT));
    HFONT font = CreateDialogFontForDpi(current, layout.pointSize, dpi);
    const SIZE base = font ? DialogBaseUnits(font) : SIZE{0, 0};
    if (!font || base.cx == 0 || base.cy == 0) {
        if (font) DeleteObject(font);
        return false;
    }
    m_dpi = dpi;
    const int shift = m_statusShown ? 0 : LayoutShift();

    HWND child = ::GetWindow(m_dialog.GetSafeHwnd(), GW_CHILD);
    for (size_t i = 0; child && i < layout.controls.size(); ++i, child = ::GetWindow(child, GW_HWNDNEXT)) {
        RECT place = MapDialogUnitsToPixels(layout.controls[i], base);
        const int id = ::GetDlgCtrlID(child);
        if (id == IDOK || id == IDCANCEL) OffsetRect(&place, 0, -shift);
        UINT flags = SWP_NOZORDER | SWP_NOACTIVATE;
        if (i == kBannerIndex) flags |= SWP_NOSIZE;
        ::SetWindowPos(child, nullptr, place.left, place.top, place.right - place.left, place.bottom - place.top,
                       flags);
        ::SendMessage(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
        if (id == IDOK) m_loginRect = place;
        if (id == IDCANCEL) m_cancelRect = place;
    }
    m_scaledFont.DeleteObject();
    m_scaledFont.Attach(font);
    ShowArtForDpi();
    FitLabelsToText();

    RECT client = MapDialogUnitsToPixels(RECT{0, 0, layout.clientUnits.cx, layout.clientUnits.cy}, base);
    client.right = ClientWidthForBanner(client.right);
    client.bottom -= shift;
    const RECT frame = WindowRectForClient(m_dialog.GetSafeHwnd(), SIZE{client.right, client.bottom}, dpi);
    RECT now;
    m_dialog.GetWindowRect(&now);
    const POINT at = suggested ? POINT{suggested->left, suggested->top} : POINT{now.left, now.top};
    m_windowRect = RECT{at.x, at.y, at.x + frame.right - frame.left, at.y + frame.bottom - frame.top};
    m_dialog.SetWindowPos(nullptr, m_windowRect.left, m_windowRect.top, m_windowRect.right - m_windowRect.left,
                          m_windowRect.bottom - m_windowRect.top, SWP_NOZORDER | SWP_NOACTIVATE);
    // The frame may not yet be the one of the new scale; the client area is
    // what must match the template, so the window takes up any difference.
    RECT given;
    m_dialog.GetClientRect(&given);
    if (given.right != client.right || given.bottom != client.bottom) {
        m_windowRect.right += client.right - given.right;
        m_windowRect.bottom += client.bottom - given.bottom;
        m_dialog.SetWindowPos(nullptr, 0, 0, m_windowRect.right - m_windowRect.left,
                              m_windowRect.bottom - m_windowRect.top, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    // The strip and the connecting text were drawn for the old scale.
    m_dialog.Invalidate(TRUE);
    return true;
}

// The dialog units grow with the font, whose widths grow in whole pixels and
// so not quite in proportion with the scale: above 100 % a label can come out
// narrower than its text. Each is widened to hold it, short of the control to
// its right. At 100 % the template is the design and stays as it is.
void DialogLayout::FitLabelsToText() {
    if (m_dpi == kBaseDpi) return;
    const HWND dialog = m_dialog.GetSafeHwnd();
    for (HWND label = ::GetWindow(dialog, GW_CHILD); label; label = ::GetWindow(label, GW_HWNDNEXT)) {
        char className[16] = "";
        char text[64] = "";
        const LONG style = ::GetWindowLong(label, GWL_STYLE);
        if (!::GetClassNameA(label, className, sizeof className) || lstrcmpiA(className, "Static") != 0 ||
            (style & SS_TYPEMASK) != SS_LEFT || ::GetWindowTextA(label, text, sizeof text) <= 0)
            continue;
        RECT place;
        ::GetWindowRect(label, &place);
        m_dialog.ScreenToClient(&place);
        SIZE needed = {};
        HDC dc = ::GetDC(label);
        if (!dc) continue;
        HGDIOBJ previous = SelectObject(dc, reinterpret_cast<HGDIOBJ>(::SendMessage(label, WM_GETFONT, 0, 0)));
        const BOOL measured = GetTextExtentPoint32A(dc, text, lstrlenA(text), &needed);
        SelectObject(dc, previous);
        ::ReleaseDC(label, dc);
        if (!measured || needed.cx <= place.right - place.left) continue;
        int room = needed.cx;
        for (HWND other = ::GetWindow(dialog, GW_CHILD); other; other = ::GetWindow(other, GW_HWNDNEXT)) {
            RECT next;
            ::GetWindowRect(other, &next);
            m_dialog.ScreenToClient(&next);
            if (other != label && next.left >= place.right && next.top < place.bottom && next.bottom > place.top)
                room = std::min(room, static_cast<int>(next.left - 1 - place.left));
        }
        if (room > place.right - place.left)
            ::SetWindowPos(label, nullptr, 0, 0, room, place.bottom - place.top,
                           SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

// The banner keeps the margin on its right that it has on its left: where
// the template's width, which grows with the font, falls short of the banner
// art's, which grows with the scale, the client area is widened.
int DialogLayout::ClientWidthForBanner(int templateWidth) const {
    HWND banner = BannerWindow();
    if (!banner) return templateWidth;
    RECT place;
    ::GetWindowRect(banner, &place);
    m_dialog.ScreenToClient(&place);
    return std::max(templateWidth, static_cast<int>(place.right + place.left));
}

// The template's controls are the dialog's children in their order.
HWND DialogLayout::BannerWindow() const {
    HWND banner = ::GetWindow(m_dialog.GetSafeHwnd(), GW_CHILD);
    for (size_t i = 0; banner && i < kBannerIndex; ++i) banner = ::GetWindow(banner, GW_HWNDNEXT);
    return banner;
}
