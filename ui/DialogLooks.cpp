#include "DialogLooks.h"

#include "DisplaySettings.h"
#include "DpiScale.h"
#include "resource.h"

namespace {
const COLORREF kBackgroundColour = RGB(107, 132, 115);
const COLORREF kStatusColour = RGB(160, 198, 172);
const COLORREF kEditColour = RGB(255, 255, 255);

const char kConnectingText[] = "CONNECTING TO NETWORK ...";
const int kConnectingX = 66;
const int kConnectingY = 127;

// The system's pair for a kind of surface: the face of the dialog and its
// labels, or the window colour of the boxes the user reads and types in.
HBRUSH SystemSurface(CDC* dc, int background, int text) {
    dc->SetBkColor(SystemColour(background));
    dc->SetTextColor(SystemColour(text));
    return SystemBrush(background);
}
} // namespace

void DialogLooks::Create() {
    m_backgroundBrush.CreateSolidBrush(kBackgroundColour);
    m_statusBrush.CreateSolidBrush(kStatusColour);
    m_highContrast = HighContrastOn();
}

bool DialogLooks::SettingsChanged(UINT message) {
    const bool before = m_highContrast;
    m_highContrast = HighContrastOn();
    // A new colour or theme shows in high contrast; any other setting only
    // when it turns high contrast on or off.
    return before != m_highContrast || (m_highContrast && message != WM_SETTINGCHANGE);
}

void DialogLooks::EraseBackground(CWnd& dialog, CDC* dc) {
    RECT client;
    dialog.GetClientRect(&client);
    dc->FillRect(&client, m_highContrast ? CBrush::FromHandle(SystemBrush(COLOR_BTNFACE)) : &m_backgroundBrush);
}

HBRUSH DialogLooks::ControlColour(CDC* dc, CWnd* control, UINT kind) {
    const bool isStatus = control->GetDlgCtrlID() == IDC_STATUS;
    if (m_highContrast) {
        if (isStatus || kind == CTLCOLOR_EDIT) return SystemSurface(dc, COLOR_WINDOW, COLOR_WINDOWTEXT);
        return SystemSurface(dc, COLOR_BTNFACE, COLOR_BTNTEXT);
    }
    // The firm's look leaves the text colour to the system.
    HBRUSH brush = isStatus ? static_cast<HBRUSH>(m_statusBrush) : static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    switch (kind) {
    case CTLCOLOR_STATIC:
        dc->SetBkColor(isStatus ? kStatusColour : kBackgroundColour);
        // The labels' rectangles are filled with this brush wherever their
        // text is narrower than the control: it must be the dialog's colour.
        return isStatus ? brush : static_cast<HBRUSH>(m_backgroundBrush);
    case CTLCOLOR_EDIT:
        dc->SetBkColor(kEditColour);
        return static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    default:
        return brush;
    }
}

void DialogLooks::DrawConnectingText(CWnd& dialog, UINT dpi) {
    CDC* dc = dialog.GetDC();
    if (m_highContrast) {
        dc->SetBkColor(SystemColour(COLOR_BTNFACE));
        dc->SetTextColor(SystemColour(COLOR_BTNTEXT));
    } else {
        dc->SetBkColor(kBackgroundColour);
    }
    dc->SetBkMode(TRANSPARENT);
    dc->TextOut(ScaleToDpi(kConnectingX, dpi), ScaleToDpi(kConnectingY, dpi), kConnectingText);
    dialog.ReleaseDC(dc);
}

const char* DialogLooks::connectingText() { return kConnectingText; }
