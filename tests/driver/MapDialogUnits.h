// Converts dialog units to pixels for the font of a running dialog.
#pragma once
#include "Window.h"

namespace driver {

// Maps `rect` from dialog units of `dialog` to pixels in place; false when that
// is not possible. MapDialogRect on the live dialog answers where the system
// allows it from another process; where it does not (Wine), a hidden dialog of
// this process with the program's dialog font ("MS Shell Dlg", 8 points, the
// shell-font style) is measured instead, which gives the same units as long as
// both processes see the same fonts.
bool MapDialogUnits(const Window& dialog, RECT& rect);

// Where the dialog manager puts a control that the template places at x, y with
// width and height in dialog units: position and size are mapped one by one, so
// the far edges can differ by a pixel from mapping the rectangle's corners.
bool MapDialogUnits(const Window& dialog, int x, int y, int width, int height, RECT& pixels);

// The same for the dialog as it is laid out at `dpi`, which may not be this
// process's own scale: the dialog's font at that scale is measured as the dialog
// manager measures it (the average width of the 52 Latin letters, the height).
bool MapDialogUnitsAtDpi(const Window& dialog, UINT dpi, int x, int y, int width, int height, RECT& pixels);

// The width in pixels of one line of `text` in the dialog's font at `dpi`; -1
// when it cannot be measured.
int TextWidthInDialogFont(UINT dpi, const char* text);

} // namespace driver
