#include "MapDialogUnits.h"

#include <vector>

namespace driver {
namespace {

INT_PTR CALLBACK ProbeProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

void Append(std::vector<WORD>& out, const wchar_t* text) {
    do out.push_back(static_cast<WORD>(*text));
    while (*text++ != L'\0');
}

void AppendDword(std::vector<WORD>& out, DWORD value) {
    out.push_back(LOWORD(value));
    out.push_back(HIWORD(value));
}

// An extended template with no controls and the login dialog's font settings.
std::vector<WORD> ProbeTemplate() {
    std::vector<WORD> t;
    t.push_back(1);      // dlgVer
    t.push_back(0xFFFF); // signature: extended template
    AppendDword(t, 0);   // helpID
    AppendDword(t, 0);   // exStyle
    AppendDword(t, WS_POPUP | DS_SETFONT | DS_FIXEDSYS | DS_MODALFRAME | DS_3DLOOK);
    t.push_back(0);                                // no controls
    for (int i = 0; i < 4; ++i) t.push_back(0);    // x, y, cx, cy
    t.push_back(0);                                // no menu
    t.push_back(0);                                // the system's dialog class
    t.push_back(0);                                // no title
    t.push_back(8);                                // point size
    t.push_back(0);                                // weight
    t.push_back(MAKEWORD(FALSE, DEFAULT_CHARSET)); // italic, charset
    Append(t, L"MS Shell Dlg");
    return t;
}

bool MapWithProbeDialog(RECT& rect) {
    std::vector<WORD> probe = ProbeTemplate();
    HWND dialog = CreateDialogIndirectParamA(GetModuleHandleA(nullptr), reinterpret_cast<LPCDLGTEMPLATEA>(probe.data()),
                                             nullptr, ProbeProc, 0);
    if (dialog == nullptr) return false;
    bool mapped = MapDialogRect(dialog, &rect) != FALSE;
    DestroyWindow(dialog);
    return mapped;
}

// The probe dialog's font, as the dialog manager chose it, rebuilt for `dpi`;
// null when it cannot be, else the caller deletes it.
HFONT DialogFontAtDpi(UINT dpi) {
    std::vector<WORD> probe = ProbeTemplate();
    HWND dialog = CreateDialogIndirectParamA(GetModuleHandleA(nullptr), reinterpret_cast<LPCDLGTEMPLATEA>(probe.data()),
                                             nullptr, ProbeProc, 0);
    if (dialog == nullptr) return nullptr;
    LOGFONTA logFont = {};
    HFONT dialogFont = reinterpret_cast<HFONT>(SendMessageA(dialog, WM_GETFONT, 0, 0));
    const bool described = dialogFont && GetObjectA(dialogFont, sizeof logFont, &logFont);
    DestroyWindow(dialog);
    if (!described) return nullptr;
    logFont.lfHeight = -MulDiv(8, static_cast<int>(dpi), 72);
    logFont.lfWidth = 0;
    return CreateFontIndirectA(&logFont);
}

// Measures with the dialog's font at `dpi`: the text's extent and the metrics.
bool MeasureInDialogFont(UINT dpi, const char* text, SIZE& extent, TEXTMETRICA& metrics) {
    HFONT font = DialogFontAtDpi(dpi);
    if (!font) return false;
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ previous = SelectObject(dc, font);
    const bool measured =
        GetTextMetricsA(dc, &metrics) && GetTextExtentPoint32A(dc, text, static_cast<int>(lstrlenA(text)), &extent);
    SelectObject(dc, previous);
    DeleteDC(dc);
    DeleteObject(font);
    return measured;
}

} // namespace

bool MapDialogUnits(const Window& dialog, RECT& rect) {
    RECT units = rect;
    if (MapDialogRect(dialog.handle(), &rect)) return true;
    rect = units;
    return dialog.exists() && MapWithProbeDialog(rect);
}

} // namespace driver

namespace driver {

bool MapDialogUnits(const Window& dialog, int x, int y, int width, int height, RECT& pixels) {
    RECT units{x, y, width, height};
    if (!MapDialogUnits(dialog, units)) return false;
    pixels = RECT{units.left, units.top, units.left + units.right, units.top + units.bottom};
    return true;
}

} // namespace driver

namespace driver {

bool MapDialogUnitsAtDpi(const Window& dialog, UINT dpi, int x, int y, int width, int height, RECT& pixels) {
    HDC screen = GetDC(nullptr);
    const int ownDpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    if (static_cast<UINT>(ownDpi) == dpi) return MapDialogUnits(dialog, x, y, width, height, pixels);
    SIZE letters;
    TEXTMETRICA metrics;
    if (!dialog.exists() ||
        !MeasureInDialogFont(dpi, "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz", letters, metrics))
        return false;
    const SIZE units = {(letters.cx / 26 + 1) / 2, metrics.tmHeight};
    const int left = MulDiv(x, units.cx, 4), top = MulDiv(y, units.cy, 8);
    pixels = RECT{left, top, left + MulDiv(width, units.cx, 4), top + MulDiv(height, units.cy, 8)};
    return true;
}

} // namespace driver

namespace driver {

int TextWidthInDialogFont(UINT dpi, const char* text) {
    SIZE extent;
    TEXTMETRICA metrics;
    return MeasureInDialogFont(dpi, text, extent, metrics) ? extent.cx : -1;
}

} // namespace driver
