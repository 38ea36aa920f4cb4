// A file that must never be loaded or run: copies of it lie beside the program
// and in its current folder under the names of the libraries and the tool the
// program takes from the system folder (rasapi32.dll, comctl32.dll,
// wsock32.dll, route.exe). Built once as a library and once as a program;
// either way it appends a line to QM_MARKER_LOG when it comes to life.
#include <windows.h>

namespace {

void Record(HMODULE self, const char* how) {
    char log[MAX_PATH];
    DWORD length = GetEnvironmentVariableA("QM_MARKER_LOG", log, sizeof log);
    if (length == 0 || length >= sizeof log) return;
    char path[MAX_PATH] = "";
    GetModuleFileNameA(self, path, sizeof path);
    char line[2 * MAX_PATH];
    wsprintfA(line, "%s %s\r\n", how, path);
    HANDLE file = CreateFileA(log, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(file, line, lstrlenA(line), &written, nullptr);
    CloseHandle(file);
}

} // namespace

#ifdef QM_MARKER_LIBRARY
BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) Record(self, "loaded");
    return TRUE;
}
#else
int main() {
    Record(nullptr, "ran");
    return 0;
}
#endif
