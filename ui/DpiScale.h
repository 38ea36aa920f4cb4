#pragma once
// The dialog's pixel figures and pictures at the display scale of its window.
// Everything the dialog places or draws by the pixel is given at 96 dpi (100 %)
// and scaled from there, so that at 96 dpi every figure stays as it was.
#include <windows.h>

// 100 % of the display scale.
const UINT kBaseDpi = 96;

// The window's dots per inch: GetDpiForWindow where the system has it (its
// monitor's scale for a per-monitor aware program), else the screen's LOGPIXELSY.
UINT WindowDpi(HWND window);

// A figure given at 96 dpi, at `dpi`, rounded to the nearest pixel.
int ScaleToDpi(int pixelsAt96, UINT dpi);

// The pictures drawn for one display scale: the banner and the first of the
// seven animation frames, which are numbered consecutively as at 100 %.
struct ArtScale {
    UINT percent;
    UINT banner;
    UINT firstFrame;
};

// The art drawn for the nearest scale at or above `dpi` (the largest above
// 200 %): shrinking a larger picture keeps it sharp where enlarging would blur.
const ArtScale& ArtForDpi(UINT dpi);

// Bitmap `id` of `module` at exactly `size`: the resource itself when it has that
// size, else a copy shrunk (or, past the largest art, enlarged) with halftoning.
// Null on failure; the caller deletes it.
HBITMAP LoadArtAtSize(HINSTANCE module, UINT id, SIZE size);

// Icon `id` of `module` at the size of the system's big or small icon for `dpi`;
// the caller destroys it.
HICON LoadIconForDpi(HINSTANCE module, UINT id, bool small, UINT dpi);

// The window rectangle around a client area of `client`, with the frame and
// caption of `dpi` where the system can size them for another scale.
RECT WindowRectForClient(HWND window, SIZE client, UINT dpi);

// Asks the system to leave a move to another display scale to the dialog's own
// handler rather than rescale the dialog and its fonts itself as well.
void LeaveDpiChangesToTheDialog(HWND dialog);
