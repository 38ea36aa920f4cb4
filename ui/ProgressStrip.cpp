#include "ProgressStrip.h"

#include "DisplaySettings.h"
#include "DpiScale.h"
#include "resource.h"

namespace {
const UINT_PTR kAnimationTimerId = 6969;
const UINT kAnimationPeriodMs = 150;
const int kFirstFrame = IDB_PROGRESS_FIRST;
const int kLastFrame = IDB_PROGRESS_LAST;
// With the client area's animations off the strip holds the frame with the
// dots half way.
const int kStillFrame = IDB_PROGRESS_4;
const int kStripX = 4;
const int kStripY = 124;
const int kStripWidth = 297;
const int kStripHeight = 22;
} // namespace

ProgressStrip::ProgressStrip(CWnd& dialog) : m_dialog(dialog), m_frame(0), m_frameStep(0) {}

void ProgressStrip::Start() {
    m_frame = kFirstFrame - 1;
    m_frameStep = +1;
    if (!ClientAreaAnimationOn()) {
        // The ticks then draw the same frame again, over any repaint.
        m_frame = kStillFrame;
        m_frameStep = 0;
    }
    m_dialog.SetTimer(kAnimationTimerId, kAnimationPeriodMs, nullptr);
}

void ProgressStrip::Stop() {
    if (m_dialog.KillTimer(kAnimationTimerId)) m_dialog.Invalidate(TRUE);
}

bool ProgressStrip::OnTimer(UINT_PTR timerId, UINT dpi) {
    if (timerId != kAnimationTimerId) return false;
    DrawNextFrame(dpi);
    return true;
}

void ProgressStrip::DrawNextFrame(UINT dpi) {
    CDC* dc = m_dialog.GetDC();
    m_frame += m_frameStep;
    if (m_frame > kLastFrame) {
        m_frame = kLastFrame - 1;
        m_frameStep = -1;
    }
    if (m_frame < kFirstFrame) {
        m_frame = kFirstFrame + 1;
        m_frameStep = +1;
    }
    const SIZE strip = {ScaleToDpi(kStripWidth, dpi), ScaleToDpi(kStripHeight, dpi)};
    CBitmap frame;
    frame.Attach(LoadArtAtSize(AfxGetResourceHandle(), ArtForDpi(dpi).firstFrame + (m_frame - kFirstFrame), strip));
    BITMAP size = {};
    frame.GetBitmap(&size);

    CDC memory;
    memory.CreateCompatibleDC(dc);
    CBitmap* previous = memory.SelectObject(&frame);
    dc->BitBlt(ScaleToDpi(kStripX, dpi), ScaleToDpi(kStripY, dpi), size.bmWidth, size.bmHeight, &memory, 0, 0, SRCCOPY);
    memory.SelectObject(previous);
    memory.DeleteDC();
    m_dialog.ReleaseDC(dc);
    frame.DeleteObject();
}
