#pragma once
// The F8 diagnostic's progress strip: the seven frames drawn back and forth
// on the dialog while the diagnostic dial runs, on a timer of the dialog's;
// one frame held still where the user has turned animations off.
#include "afxwin.h"

class ProgressStrip {
public:
    explicit ProgressStrip(CWnd& dialog);
    ProgressStrip(const ProgressStrip&) = delete;
    ProgressStrip& operator=(const ProgressStrip&) = delete;

    void Start();
    // Stops the frames; the dialog is repainted where the strip was drawn.
    void Stop();
    // A timer of the dialog's: true when it was the strip's, whose next frame
    // is then drawn at `dpi`.
    bool OnTimer(UINT_PTR timerId, UINT dpi);

private:
    void DrawNextFrame(UINT dpi);

    CWnd& m_dialog;
    int m_frame;
    int m_frameStep;
};
