// The set-up program as an administrator runs it on a desk: silently, then the
// program from its Start-menu place, then the silent uninstall.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "ProductSession.h"
#include "SystemFolders.h"
#include "WaitUntil.h"

using driver::ProductSession;
using driver::WaitUntil;

namespace {

constexpr const char* kUninstallKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\QuillmarshVPN";
constexpr DWORD kSetupTimeoutMs = 60000;

std::string FullPath(const std::string& path) {
    char full[MAX_PATH] = "";
    DWORD length = GetFullPathNameA(path.c_str(), sizeof full, full, nullptr);
    return length > 0 && length < sizeof full ? std::string(full, length) : path;
}

bool Exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Every name in a folder but "." and "..", sorted.
std::vector<std::string> FolderEntries(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        std::string name = found.cFileName;
        if (name != "." && name != "..") names.push_back(name);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

// The path a shortcut file points at; empty when it cannot be read.
std::string ShortcutTarget(const std::string& link) {
    std::string target;
    IShellLinkA* shellLink = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(&shellLink))))
        return target;
    IPersistFile* file = nullptr;
    if (SUCCEEDED(shellLink->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        wchar_t wide[MAX_PATH];
        MultiByteToWideChar(CP_ACP, 0, link.c_str(), -1, wide, MAX_PATH);
        char path[MAX_PATH] = "";
        if (SUCCEEDED(file->Load(wide, STGM_READ)) &&
            SUCCEEDED(shellLink->GetPath(path, sizeof path, nullptr, SLGP_RAWPATH)))
            target = path;
        file->Release();
    }
    shellLink->Release();
    return target;
}

std::string MachineString(const char* key, const char* name) {
    char value[MAX_PATH] = "";
    DWORD size = sizeof value;
    if (RegGetValueA(HKEY_LOCAL_MACHINE, key, name, RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS)
        return std::string();
    return value;
}

bool MachineKeyExists(const char* key) {
    HKEY opened;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key, 0, KEY_READ, &opened) != ERROR_SUCCESS) return false;
    RegCloseKey(opened);
    return true;
}

// Runs a command line and waits for it; false when it cannot start or outlives
// the limit (it is then ended through our handle).
bool RunToEnd(const std::string& commandLine, DWORD* exitCode) {
    std::string line = commandLine;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
        return false;
    CloseHandle(info.hThread);
    bool ended = WaitForSingleObject(info.hProcess, kSetupTimeoutMs) == WAIT_OBJECT_0;
    if (ended) {
        GetExitCodeProcess(info.hProcess, exitCode);
    } else {
        TerminateProcess(info.hProcess, 1);
        WaitForSingleObject(info.hProcess, 5000);
    }
    CloseHandle(info.hProcess);
    return ended;
}

class Installer : public ::testing::Test {
protected:
    void SetUp() override {
        CoInitialize(nullptr);
        setup = FullPath(ProductSession::BesideTestProgram("..\\installer\\QuillmarshVPN-setup.exe"));
        ASSERT_TRUE(Exists(setup)) << setup;
        folder = ProgramFilesFolder() + "\\Quillmarsh VPN";
        program = folder + "\\QuillmarshVPN.exe";
        uninstaller = folder + "\\Uninstall.exe";
        shortcut = ShellFolder(CSIDL_COMMON_PROGRAMS) + "\\Quillmarsh VPN.lnk";
    }
    void TearDown() override { CoUninitialize(); }

    void InstallSilently() {
        DWORD exitCode = 1;
        ASSERT_TRUE(RunToEnd("\"" + setup + "\" /S", &exitCode)) << "the set-up did not end";
        ASSERT_EQ(exitCode, 0u);
    }

    std::string setup, folder, program, uninstaller, shortcut;
};

TEST_F(Installer, SilentInstallPutsTheProgramItsShortcutAndUninstallerInPlace) {
    InstallSilently();

    EXPECT_EQ(FolderEntries(folder), (std::vector<std::string>{"QuillmarshVPN.exe", "Uninstall.exe"}));
    // The very program of this build, and nothing of the test rig beside it.
    std::string built = ReadAll(ProductSession::BesideTestProgram(ProductSession::kProgramName));
    ASSERT_FALSE(built.empty());
    EXPECT_TRUE(ReadAll(program) == built) << "the installed program differs from the build's";

    ASSERT_TRUE(Exists(shortcut)) << shortcut;
    EXPECT_EQ(CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, ShortcutTarget(shortcut).c_str(), -1,
                             program.c_str(), -1),
              CSTR_EQUAL)
        << ShortcutTarget(shortcut);

    EXPECT_EQ(MachineString(kUninstallKey, "DisplayName"), "Quillmarsh VPN");
    EXPECT_EQ(MachineString(kUninstallKey, "UninstallString"), "\"" + uninstaller + "\"");
}

TEST_F(Installer, InstalledProgramShowsTheLoginWindow) {
    InstallSilently();

    ProductSession session;
    ProductSession::Options options;
    options.program = program;
    ASSERT_TRUE(session.start(options)) << "CreateProcess error " << session.lastError();
    driver::Window window = session.waitForWindow();
    ASSERT_TRUE(window) << "no login window from " << program;

    ASSERT_TRUE(window.post(WM_CLOSE, 0, 0));
    EXPECT_TRUE(session.waitForExit(10000));
}

TEST_F(Installer, SilentUninstallRemovesEverythingItInstalled) {
    InstallSilently();
    ASSERT_TRUE(Exists(uninstaller));

    // The uninstaller hands over to a copy of itself in the temporary folder
    // and ends at once; that copy does the removing.
    DWORD exitCode = 1;
    ASSERT_TRUE(RunToEnd("\"" + uninstaller + "\" /S", &exitCode)) << "the uninstaller did not end";
    EXPECT_EQ(exitCode, 0u);
    EXPECT_TRUE(WaitUntil([&] { return !Exists(folder) && !Exists(shortcut); }, 30000, 100))
        << "left behind: " << (Exists(program) ? program + " " : "") << (Exists(uninstaller) ? uninstaller + " " : "")
        << (Exists(shortcut) ? shortcut : "");
    EXPECT_FALSE(MachineKeyExists(kUninstallKey));
}

}  // namespace
