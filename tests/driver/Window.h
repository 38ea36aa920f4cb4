// A window of the program under test, seen from the test process. Everything is
// read through documented calls that work across processes; every message goes
// out with SendMessageTimeout or PostMessage, so a hung target cannot hang a test.
#pragma once
#include <windows.h>
#include <string>
#include <vector>

namespace driver {

class Window {
public:
    // Limit for one sent message (WM_GETTEXT and the like): generous, since a
    // busy machine may keep the program from its queue for seconds.
    static constexpr DWORD kMessageTimeoutMs = 20000;

    Window() = default;
    explicit Window(HWND handle) : m_handle(handle) {}

    HWND handle() const { return m_handle; }
    explicit operator bool() const { return m_handle != nullptr; }
    bool operator==(const Window& other) const { return m_handle == other.m_handle; }
    bool operator!=(const Window& other) const { return m_handle != other.m_handle; }

    bool exists() const;
    DWORD processId() const;
    DWORD threadId() const;

    std::string className() const;
    // The text as the window itself reports it (WM_GETTEXT); empty when the
    // window does not answer in time. Windows gives another process no text of
    // a password edit; Wine does, so tests that read one hold only under Wine.
    std::string text() const;
    bool setText(const std::string& text) const;

    // The control identifier, as the dialog manager sees it (-1 for 0xFFFF).
    int id() const;
    LONG style() const;
    LONG exStyle() const;
    bool visible() const;
    bool enabled() const;

    // Screen coordinates of the whole window, frame and caption included.
    RECT windowRect() const;
    // The client area in its own coordinates: left and top are 0.
    RECT clientRect() const;
    // The client area in screen coordinates.
    RECT clientRectOnScreen() const;
    // A child's window rectangle in the client coordinates of its parent, the
    // form in which a dialog template places its controls.
    RECT rectInParent() const;

    Window parent() const;
    Window owner() const;
    Window child(int id) const;
    // The child windows in Z order, which for a dialog is its template order.
    std::vector<Window> children() const;
    // The control that Tab (or Shift+Tab with previous) moves to from `from`.
    Window nextTabItem(const Window& from, bool previous = false) const;

    // WM_GETICON with ICON_BIG or ICON_SMALL; null when none is set. Wine
    // answers no icon message (WM_GETICON, WM_SETICON, WM_QUERYDRAGICON) sent
    // from another process, so this is null there in any case.
    HICON icon(WPARAM which) const;

    // Presses a push button as a user would: refuses (returns false) when the
    // button is hidden or disabled, since a user cannot press it then. Posted,
    // so a click that opens a modal box does not block the test.
    bool click() const;

    bool send(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result = nullptr,
              DWORD timeoutMs = kMessageTimeoutMs) const;
    bool post(UINT message, WPARAM wParam, LPARAM lParam) const;

private:
    HWND m_handle = nullptr;
};

} // namespace driver
