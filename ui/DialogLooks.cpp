#include "DialogLooks.h"

#include "DpiScale.h"
#include "resource.h"

namespace {
const COLORREF kBackgroundColour = RGB(107, 132, 115);
const COLORREF kStatusColour = RGB(160, 198, 172);
const COLORREF kEditColour = RGB(255, 255, 255);

const char kConnectingText[] = "CONNECTING TO NETWORK ...";
const int kConnectingX = 66;
const int kConnectingY = 127;
} // namespace

void DialogLooks::Create() {
    m_backgroundBrush.CreateSolidBrush(kBackgroundColour);
    m_statusBrush.CreateSolidBrush(kStatusColour);
}

void DialogLooks::EraseBackground(CWnd& dialog, CDC* dc) {
    RECT client;
    dialog.GetClientRect(&client);
    dc->FillRect(&client, &m_backgroundBrush);
}

HBRUSH DialogLooks::ControlColour(CDC* dc, CWnd* control, UINT kind) {
    const bool isStatus = control->GetDlgCtrlID() == IDC_STATUS;
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
    dc->SetBkColor(kBackgroundColour);
    dc->SetBkMode(TRANSPARENT);
    dc->TextOut(ScaleToDpi(kConnectingX, dpi), ScaleToDpi(kConnectingY, dpi), kConnectingText);
    dialog.ReleaseDC(dc);
}
