#include "SystemFolders.h"

#include <windows.h>
#include <shlobj.h>

std::string ShellFolder(int csidl) {
    char folder[MAX_PATH] = "";
    if (FAILED(SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, folder))) return std::string();
    return folder;
}

std::string ProgramFilesFolder() { return ShellFolder(CSIDL_PROGRAM_FILES); }

std::string InstalledClientPath() { return ProgramFilesFolder() + "\\QuillMarsh\\QuillMarsh.exe"; }

bool RunningUnderWine() { return GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr; }
