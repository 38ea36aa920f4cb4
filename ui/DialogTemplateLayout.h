#pragma once
// A dialog's layout as its template gives it, in dialog units, and its
// placement in pixels for a font: what the dialog manager does when it builds
// the dialog, done again when the window moves to a display of another scale.
#include <windows.h>

#include <vector>

struct DialogTemplateLayout {
    SIZE clientUnits;           // the dialog's client area
    WORD pointSize;             // of the template's font
    std::vector<RECT> controls; // left, top, width, height of each control, in template order
};

// Reads extended dialog template `id` of `module`; false when it is missing or
// not an extended template with a font.
bool ReadDialogTemplateLayout(HINSTANCE module, UINT id, DialogTemplateLayout& layout);

// The horizontal and vertical base units of `font`, measured as the dialog
// manager measures them: the average width of the 52 Latin letters and the
// font's height.
SIZE DialogBaseUnits(HFONT font);

// Left, top, width and height in dialog units to a rectangle in pixels, each
// mapped on its own as the dialog manager maps them.
RECT MapDialogUnitsToPixels(const RECT& units, SIZE baseUnits);

// A copy of the dialog's font `current` with the height of `pointSize` at `dpi`;
// null on failure, else the caller deletes it.
HFONT CreateDialogFontForDpi(HFONT current, WORD pointSize, UINT dpi);
