#include "Keyboard.h"

#include "WaitUntil.h"

#include <vector>

namespace driver {
namespace {

// The lParam a keyboard driver would give: repeat count 1, the scan code, and for
// a release the previous-state and transition bits.
LPARAM KeyParam(WORD virtualKey, bool release) {
    LPARAM param = 1 | (static_cast<LPARAM>(MapVirtualKeyA(virtualKey, MAPVK_VK_TO_VSC)) << 16);
    if (release) param |= 0xC0000000;
    return param;
}

INPUT KeyInput(WORD virtualKey, WORD scan, DWORD flags) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = virtualKey;
    input.ki.wScan = scan;
    input.ki.dwFlags = flags;
    return input;
}

bool Send(std::vector<INPUT>& inputs) {
    return SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT)) == inputs.size();
}

} // namespace

Window Keyboard::focus(const Window& window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(window.threadId(), &info)) return Window();
    return Window(info.hwndFocus);
}

bool Keyboard::postKey(const Window& target, WORD virtualKey) {
    if (!target.post(WM_KEYDOWN, virtualKey, KeyParam(virtualKey, false))) return false;
    // The press may end the window before its release goes out (Enter on a
    // dialog), the sooner the busier this test's own thread: a window that has
    // gone takes no release, and the press still counts.
    return target.post(WM_KEYUP, virtualKey, KeyParam(virtualKey, true)) || !target.exists();
}

bool Keyboard::postText(const Window& target, const std::string& text) {
    for (unsigned char ch : text) {
        if (!target.post(WM_CHAR, ch, 1)) return false;
    }
    return true;
}

bool Keyboard::bringForward(const Window& topLevel, DWORD timeoutMs) {
    HWND hwnd = topLevel.handle();
    return WaitUntil(
        [hwnd] {
            if (GetForegroundWindow() == hwnd) return true;
            SetForegroundWindow(hwnd);
            return GetForegroundWindow() == hwnd;
        },
        timeoutMs, 50);
}

bool Keyboard::sendKey(const Window& topLevel, WORD virtualKey) {
    if (!bringForward(topLevel)) return false;
    WORD scan = static_cast<WORD>(MapVirtualKeyA(virtualKey, MAPVK_VK_TO_VSC));
    std::vector<INPUT> inputs{KeyInput(virtualKey, scan, 0), KeyInput(virtualKey, scan, KEYEVENTF_KEYUP)};
    return Send(inputs);
}

bool Keyboard::sendText(const Window& topLevel, const std::string& text) {
    if (!bringForward(topLevel)) return false;
    std::vector<INPUT> inputs;
    for (unsigned char ch : text) {
        inputs.push_back(KeyInput(0, ch, KEYEVENTF_UNICODE));
        inputs.push_back(KeyInput(0, ch, KEYEVENTF_UNICODE | KEYEVENTF_KEYUP));
    }
    return Send(inputs);
}

} // namespace driver
