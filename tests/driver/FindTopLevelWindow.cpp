#include "FindTopLevelWindow.h"

#include <string>

namespace driver {
namespace {

struct Search {
    DWORD processId;
    const char* className;
    const char* caption;
    HWND found;
};

BOOL CALLBACK Visit(HWND hwnd, LPARAM param) {
    Search& search = *reinterpret_cast<Search*>(param);
    Window window(hwnd);
    if (window.processId() != search.processId) return TRUE;
    if (search.className != nullptr && window.className() != search.className) return TRUE;
    if (search.caption != nullptr) {
        // GetWindowText of another process's top-level window reads the caption
        // the system keeps for it and sends no message, so a hung target is safe.
        char caption[512] = "";
        GetWindowTextA(hwnd, caption, sizeof caption);
        if (std::string(caption) != search.caption) return TRUE;
    }
    search.found = hwnd;
    return FALSE;
}

} // namespace

Window FindTopLevelWindow(DWORD processId, const char* className, const char* caption) {
    Search search{processId, className, caption, nullptr};
    EnumWindows(Visit, reinterpret_cast<LPARAM>(&search));
    return Window(search.found);
}

} // namespace driver
