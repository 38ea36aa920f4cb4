// Stand-in for the firm's trading client. It shows the user name it was started
// with until its window is closed, and can be scripted through the environment:
//   QM_CLIENT_LOG            file that receives the raw command line, the current
//                            directory, the process id, the words of the command
//                            line and the process's creation time, one
//                            "key=value" per line
//   QM_CLIENT_EXIT_AFTER_MS  end after this many milliseconds
//   QM_CLIENT_EXIT_CODE      exit code for every way of ending (default 0)
//   QM_CLIENT_QUIT_EVENT     name of an event; the client ends when it is signalled
//   QM_CLIENT_HIDDEN         "1": the window is created but never shown, so that a
//                            test cannot take the focus from another one
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

const char kWindowClass[] = "QuillMarshClient";

std::string Environment(const char* name) {
    char value[1024];
    DWORD length = GetEnvironmentVariableA(name, value, sizeof(value));
    if (length == 0 || length >= sizeof(value)) return std::string();
    return std::string(value, length);
}

void WriteLog(const std::string& path) {
    std::string text = "commandLine=";
    text += GetCommandLineA();
    text += "\r\n";

    char directory[MAX_PATH] = {0};
    GetCurrentDirectoryA(MAX_PATH, directory);
    text += "currentDirectory=";
    text += directory;
    text += "\r\n";

    text += "pid=" + std::to_string(GetCurrentProcessId()) + "\r\n";
    text += "argc=" + std::to_string(__argc) + "\r\n";
    for (int i = 0; i < __argc; ++i) text += "arg" + std::to_string(i) + "=" + __argv[i] + "\r\n";

    FILETIME created, exited, kernel, user;
    if (GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user)) {
        ULARGE_INTEGER time;
        time.LowPart = created.dwLowDateTime;
        time.HighPart = created.dwHighDateTime;
        text += "created=" + std::to_string(time.QuadPart) + "\r\n";
    }
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER started;
    started.LowPart = now.dwLowDateTime;
    started.HighPart = now.dwHighDateTime;
    text += "started=" + std::to_string(started.QuadPart) + "\r\n";

    // Written under another name first, so that a reader never sees half a log.
    std::string partial = path + ".partial";
    HANDLE file =
        CreateFileA(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
    MoveFileExA(partial.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING);
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND CreateClientWindow(HINSTANCE instance, const char* userName) {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = kWindowClass;
    if (!RegisterClassA(&windowClass)) return nullptr;

    HWND window = CreateWindowA(kWindowClass, "QuillMarsh Professional", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                CW_USEDEFAULT, 320, 120, nullptr, nullptr, instance, nullptr);
    if (!window) return nullptr;
    std::string greeting = std::string("Logged in as ") + userName;
    CreateWindowA("STATIC", greeting.c_str(), WS_CHILD | WS_VISIBLE, 12, 16, 280, 20, window, nullptr, instance,
                  nullptr);
    return window;
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
    std::string log = Environment("QM_CLIENT_LOG");
    if (!log.empty()) WriteLog(log);

    UINT exitCode = static_cast<UINT>(std::strtoul(Environment("QM_CLIENT_EXIT_CODE").c_str(), nullptr, 0));
    std::string exitAfter = Environment("QM_CLIENT_EXIT_AFTER_MS");
    DWORD deadline = 0;
    bool timed = !exitAfter.empty();
    if (timed) deadline = GetTickCount() + static_cast<DWORD>(std::strtoul(exitAfter.c_str(), nullptr, 10));

    std::string quitName = Environment("QM_CLIENT_QUIT_EVENT");
    HANDLE quit = quitName.empty() ? nullptr : CreateEventA(nullptr, TRUE, FALSE, quitName.c_str());

    HWND window = CreateClientWindow(instance, __argc > 1 ? __argv[1] : "");
    if (window && Environment("QM_CLIENT_HIDDEN") != "1") {
        ShowWindow(window, showCommand);
        UpdateWindow(window);
    }

    for (;;) {
        DWORD timeout = INFINITE;
        if (timed) {
            LONG left = static_cast<LONG>(deadline - GetTickCount());
            if (left <= 0) break;
            timeout = static_cast<DWORD>(left);
        }
        DWORD woken = MsgWaitForMultipleObjects(quit ? 1 : 0, &quit, FALSE, timeout, QS_ALLINPUT);
        if (woken == WAIT_TIMEOUT) break;
        if (quit && woken == WAIT_OBJECT_0) break;
        if (woken == WAIT_FAILED) break;
        MSG message;
        bool closed = false;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                closed = true;
                break;
            }
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        if (closed) break;
    }

    if (window && IsWindow(window)) DestroyWindow(window);
    if (quit) CloseHandle(quit);
    return static_cast<int>(exitCode);
}
