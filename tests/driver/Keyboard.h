// Typing into the program under test.
//
// Posted keys go straight into the target thread's queue, addressed to a window,
// and need no focus from the display: this is what the tests use by default.
// Real input (SendInput) goes through the system like a keyboard's, to whatever
// window is foreground, so it first brings the target forward.
#pragma once
#include "Window.h"

#include <string>

namespace driver {

class Keyboard {
public:
    // The control with the keyboard focus in the thread that owns `window`
    // (GetGUIThreadInfo); empty when that thread has no focus.
    static Window focus(const Window& window);

    // WM_KEYDOWN then WM_KEYUP for a virtual key, posted to `target`. The
    // target's message loop translates them as it would a real key press.
    static bool postKey(const Window& target, WORD virtualKey);
    // One WM_CHAR per character, posted to `target`, as translated typing
    // arrives. No key messages are posted, so nothing is typed twice.
    static bool postText(const Window& target, const std::string& text);

    // Makes `topLevel` the foreground window and waits (up to timeoutMs) until
    // the system reports it so; false when it did not become foreground. Wine
    // lets any process do this; Windows may refuse a background process.
    static bool bringForward(const Window& topLevel, DWORD timeoutMs = 20000);
    // Real key presses with SendInput, after bringForward. Text is sent as
    // Unicode characters, so the keyboard layout does not matter.
    static bool sendKey(const Window& topLevel, WORD virtualKey);
    static bool sendText(const Window& topLevel, const std::string& text);
};

} // namespace driver
