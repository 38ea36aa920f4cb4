#include "SystemLibrary.h"

namespace {

// Not in the headers of the oldest systems this program supports.
const DWORD kSearchSystem32 = 0x00000800; // LOAD_LIBRARY_SEARCH_SYSTEM32

typedef BOOL(WINAPI* SetDefaultDllDirectoriesProc)(DWORD);
typedef BOOL(WINAPI* SetDllDirectoryProc)(LPCSTR);

FARPROC Kernel32Entry(const char* name) {
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    return kernel ? GetProcAddress(kernel, name) : nullptr;
}

} // namespace

void RestrictDllSearchToSystemFolder() {
    // Looked up at run time: Windows 8 and later have it, and Windows 7 and
    // Vista with the security update that added it.
    SetDefaultDllDirectoriesProc setDefault = reinterpret_cast<SetDefaultDllDirectoriesProc>(
        reinterpret_cast<void*>(Kernel32Entry("SetDefaultDllDirectories")));
    if (setDefault && setDefault(kSearchSystem32)) return;
    // Older systems can only take the current folder out of the search.
    SetDllDirectoryProc setDirectory =
        reinterpret_cast<SetDllDirectoryProc>(reinterpret_cast<void*>(Kernel32Entry("SetDllDirectoryA")));
    if (setDirectory) setDirectory("");
}

bool SystemFilePath(const char* fileName, char* path, DWORD size) {
    if (size == 0) return false;
    path[0] = '\0';
    UINT length = GetSystemDirectoryA(path, size);
    DWORD nameLength = static_cast<DWORD>(lstrlenA(fileName));
    if (length == 0 || length >= size || length + 1 + nameLength >= size) {
        path[0] = '\0';
        return false;
    }
    if (path[length - 1] != '\\') path[length++] = '\\';
    lstrcpyA(path + length, fileName);
    return true;
}

HMODULE LoadSystemLibrary(const char* fileName) {
    char path[MAX_PATH];
    if (!SystemFilePath(fileName, path, sizeof path)) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return nullptr;
    }
    return LoadLibraryA(path);
}
