#pragma once
// What the dialog paints and in which colours: the background, the labels'
// and boxes' colours and the connecting text. Every colour the dialog shows is
// chosen here, so that a change of scheme has one place to change.
#include "afxwin.h"

class DialogLooks {
public:
    DialogLooks() = default;
    DialogLooks(const DialogLooks&) = delete;
    DialogLooks& operator=(const DialogLooks&) = delete;

    // The brushes, once the window exists.
    void Create();
    void EraseBackground(CWnd& dialog, CDC* dc);
    // The brush and colours for a control of the dialog (a WM_CTLCOLOR* kind).
    HBRUSH ControlColour(CDC* dc, CWnd* control, UINT kind);
    // The line over the strip while Login's attempt connects, at the dialog's scale.
    void DrawConnectingText(CWnd& dialog, UINT dpi);

private:
    CBrush m_backgroundBrush;
    CBrush m_statusBrush;
};
