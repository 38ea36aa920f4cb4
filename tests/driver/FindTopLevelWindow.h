// Finds a top-level window of one process by class and caption.
#pragma once
#include "Window.h"

namespace driver {

// The first top-level window (in Z order) of processId whose class and caption
// equal the given texts exactly; a null className or caption matches any. Hidden
// windows count too: callers that need a visible one check visible().
Window FindTopLevelWindow(DWORD processId, const char* className, const char* caption);

} // namespace driver
