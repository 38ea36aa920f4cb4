#include "Window.h"

namespace driver {

bool Window::exists() const { return m_handle != nullptr && IsWindow(m_handle); }

DWORD Window::processId() const {
    DWORD pid = 0;
    GetWindowThreadProcessId(m_handle, &pid);
    return pid;
}

DWORD Window::threadId() const { return GetWindowThreadProcessId(m_handle, nullptr); }

std::string Window::className() const {
    char name[256] = "";
    int length = GetClassNameA(m_handle, name, sizeof name);
    return std::string(name, length > 0 ? length : 0);
}

std::string Window::text() const {
    LRESULT length = 0;
    if (!send(WM_GETTEXTLENGTH, 0, 0, &length) || length <= 0) return {};
    std::string text(static_cast<size_t>(length) + 1, '\0');
    LRESULT copied = 0;
    if (!send(WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]), &copied)) return {};
    text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
    return text;
}

bool Window::setText(const std::string& text) const {
    LRESULT ok = FALSE;
    return send(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), &ok) && ok;
}

int Window::id() const { return static_cast<short>(GetDlgCtrlID(m_handle)); }

LONG Window::style() const { return GetWindowLongA(m_handle, GWL_STYLE); }

LONG Window::exStyle() const { return GetWindowLongA(m_handle, GWL_EXSTYLE); }

bool Window::visible() const { return IsWindowVisible(m_handle) != FALSE; }

bool Window::enabled() const { return IsWindowEnabled(m_handle) != FALSE; }

RECT Window::windowRect() const {
    RECT r{};
    GetWindowRect(m_handle, &r);
    return r;
}

RECT Window::clientRect() const {
    RECT r{};
    GetClientRect(m_handle, &r);
    return r;
}

RECT Window::clientRectOnScreen() const {
    RECT r = clientRect();
    MapWindowPoints(m_handle, HWND_DESKTOP, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

RECT Window::rectInParent() const {
    RECT r = windowRect();
    MapWindowPoints(HWND_DESKTOP, GetParent(m_handle), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

Window Window::parent() const { return Window(GetParent(m_handle)); }

Window Window::owner() const { return Window(GetWindow(m_handle, GW_OWNER)); }

Window Window::child(int id) const { return Window(GetDlgItem(m_handle, id)); }

std::vector<Window> Window::children() const {
    std::vector<Window> result;
    for (HWND h = GetWindow(m_handle, GW_CHILD); h != nullptr; h = GetWindow(h, GW_HWNDNEXT)) result.emplace_back(h);
    return result;
}

Window Window::nextTabItem(const Window& from, bool previous) const {
    return Window(GetNextDlgTabItem(m_handle, from.handle(), previous ? TRUE : FALSE));
}

HICON Window::icon(WPARAM which) const {
    LRESULT icon = 0;
    send(WM_GETICON, which, 0, &icon);
    return reinterpret_cast<HICON>(icon);
}

bool Window::click() const {
    if (!visible() || !enabled()) return false;
    return post(BM_CLICK, 0, 0);
}

bool Window::send(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result, DWORD timeoutMs) const {
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutA(m_handle, message, wParam, lParam, SMTO_ABORTIFHUNG | SMTO_BLOCK, timeoutMs, &answer))
        return false;
    if (result != nullptr) *result = static_cast<LRESULT>(answer);
    return true;
}

bool Window::post(UINT message, WPARAM wParam, LPARAM lParam) const {
    return PostMessageA(m_handle, message, wParam, lParam) != FALSE;
}

} // namespace driver
