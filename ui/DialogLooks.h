#pragma once
// What the dialog paints and in which colours: the background, the labels'
// and boxes' colours and the connecting text. Every colour the dialog shows is
// chosen here, so that a change of scheme has one place to change: the firm's
// colours, or, while the user has a high-contrast theme on, the system's, so
// that every text stands on the background the theme gives it. The banner and
// the strip keep their art.
#include "afxwin.h"

class DialogLooks {
public:
    DialogLooks() = default;
    DialogLooks(const DialogLooks&) = delete;
    DialogLooks& operator=(const DialogLooks&) = delete;

    // The brushes, once the window exists, and the colours chosen.
    void Create();
    // A theme, a colour or a setting changed: the colours are chosen again.
    // True when the dialog must be painted again in them.
    bool SettingsChanged(UINT message);
    bool highContrast() const { return m_highContrast; }

    void EraseBackground(CWnd& dialog, CDC* dc);
    // The brush and colours for a control of the dialog (a WM_CTLCOLOR* kind).
    HBRUSH ControlColour(CDC* dc, CWnd* control, UINT kind);
    // The line over the strip while Login's attempt connects, at the dialog's scale.
    void DrawConnectingText(CWnd& dialog, UINT dpi);
    static const char* connectingText();

private:
    CBrush m_backgroundBrush;
    CBrush m_statusBrush;
    bool m_highContrast = false;
};
