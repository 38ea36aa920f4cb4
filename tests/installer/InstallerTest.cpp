// Both packages as an administrator or a distribution system runs them on a
// desk: silently, over an older version, over a running copy, and out again.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <ostream>
#include <string>
#include <vector>

#include "ProductSession.h"
#include "SettingsStore.h"
#include "SystemFolders.h"
#include "WaitUntil.h"

using driver::ProductSession;
using driver::WaitUntil;

namespace {

constexpr const char* kUninstallRoot = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
constexpr DWORD kSetupTimeoutMs = 60000;
// What both packages return when they are done but a running copy keeps the
// old version until it next starts.
constexpr DWORD kDoneTakesEffectLater = ERROR_SUCCESS_REBOOT_REQUIRED; // 3010
// The uninstall entries as a 32-bit program sees them: under WOW6432Node on
// 64-bit Windows.
constexpr REGSAM kProgramsView = KEY_WOW64_32KEY;

struct Package {
    const char* name;
    const char* file;
    // The same program as the next patch version.
    const char* nextFile;
    bool windowsInstaller;
    // What it returns when told to install outside Program Files.
    DWORD folderRefused;
};

void PrintTo(const Package& package, std::ostream* out) { *out << package.file; }

const Package kPackages[] = {
    {"Nsis", "QuillmarshVPN-setup.exe", "QuillmarshVPN-next-setup.exe", false, ERROR_BAD_PATHNAME},
    {"Msi", "QuillmarshVPN.msi", "QuillmarshVPN-next.msi", true, ERROR_INSTALL_FAILURE},
};

std::string FullPath(const std::string& path) {
    char full[MAX_PATH] = "";
    DWORD length = GetFullPathNameA(path.c_str(), sizeof full, full, nullptr);
    return length > 0 && length < sizeof full ? std::string(full, length) : path;
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool SamePath(const std::string& a, const std::string& b) {
    return CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, a.c_str(), -1, b.c_str(), -1) == CSTR_EQUAL;
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

std::string RegistryString(HKEY root, const std::string& key, const char* name, REGSAM view = 0) {
    HKEY opened;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ | view, &opened) != ERROR_SUCCESS) return std::string();
    char value[MAX_PATH] = "";
    DWORD size = sizeof value;
    LONG status = RegGetValueA(opened, nullptr, name, RRF_RT_REG_SZ, nullptr, value, &size);
    RegCloseKey(opened);
    return status == ERROR_SUCCESS ? std::string(value) : std::string();
}

// The names of the keys under "Programs and Features" that are Quillmarsh VPN.
std::vector<std::string> ProgramEntries() {
    std::vector<std::string> entries;
    HKEY root;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kUninstallRoot, 0, KEY_READ | kProgramsView, &root) != ERROR_SUCCESS)
        return entries;
    char name[256];
    for (DWORD index = 0;; ++index) {
        DWORD length = sizeof name;
        if (RegEnumKeyExA(root, index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        if (RegistryString(root, name, "DisplayName") == "Quillmarsh VPN") entries.push_back(name);
    }
    RegCloseKey(root);
    return entries;
}

std::string EntryString(const std::string& entry, const char* name) {
    return RegistryString(HKEY_LOCAL_MACHINE, std::string(kUninstallRoot) + "\\" + entry, name, kProgramsView);
}

// The file that the next start of Windows moves onto `target`, from the
// replacements the system was asked to make then; empty when there is none.
std::string StagedForRestart(const std::string& target) {
    char pending[8192] = "";
    DWORD size = sizeof pending - 2;
    if (RegGetValueA(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Control\\Session Manager",
                     "PendingFileRenameOperations", RRF_RT_REG_MULTI_SZ, nullptr, pending, &size) != ERROR_SUCCESS)
        return std::string();
    // Pairs of NT paths (\??\C:\...), source then destination; a destination
    // of "!" and a path replaces an existing file.
    auto dosPath = [](std::string path) {
        if (!path.empty() && path[0] == '!') path.erase(0, 1);
        return path.compare(0, 4, "\\??\\") == 0 ? path.substr(4) : path;
    };
    // The list holds empty strings (a file to delete), so its end is its size;
    // the two spare NULs keep the last string terminated.
    std::vector<std::string> paths;
    for (const char* at = pending; at < pending + size; at += strlen(at) + 1) paths.push_back(at);
    for (size_t pair = 0; pair + 1 < paths.size(); pair += 2) {
        if (!paths[pair + 1].empty() && SamePath(dosPath(paths[pair + 1]), target)) return dosPath(paths[pair]);
    }
    return std::string();
}

// Runs a command line and waits for it; false when it cannot start or outlives
// the limit (it is then ended through our handle).
bool RunToEnd(const std::string& commandLine, DWORD* exitCode) {
    std::string line = commandLine;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) return false;
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

// The route service as the service control manager has it: whether it is
// installed, running, and set to start with Windows.
struct ServiceState {
    bool installed = false;
    bool running = false;
    bool automatic = false;
    DWORD processId = 0;
};

ServiceState RouteService() {
    ServiceState state;
    SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT);
    if (!manager) return state;
    SC_HANDLE service = OpenServiceA(manager, "QuillmarshVPNService", SERVICE_QUERY_STATUS | SERVICE_QUERY_CONFIG);
    if (service) {
        state.installed = true;
        SERVICE_STATUS_PROCESS status;
        DWORD got = 0;
        state.running = QueryServiceStatusEx(service, SC_STATUS_PROCESS_INFO, reinterpret_cast<BYTE*>(&status),
                                             sizeof status, &got) &&
                        status.dwCurrentState == SERVICE_RUNNING;
        state.processId = state.running ? status.dwProcessId : 0;
        BYTE buffer[8192];
        DWORD size = 0;
        auto* config = reinterpret_cast<QUERY_SERVICE_CONFIGA*>(buffer);
        state.automatic =
            QueryServiceConfigA(service, config, sizeof buffer, &size) && config->dwStartType == SERVICE_AUTO_START;
        CloseServiceHandle(service);
    }
    CloseServiceHandle(manager);
    return state;
}

class Installer : public ::testing::TestWithParam<Package> {
protected:
    void SetUp() override {
        CoInitialize(nullptr);
        package = FullPath(ProductSession::BesideTestProgram(std::string("..\\installer\\") + GetParam().file));
        nextPackage = FullPath(ProductSession::BesideTestProgram(std::string("..\\installer\\") + GetParam().nextFile));
        ASSERT_TRUE(Exists(package)) << package;
        ASSERT_TRUE(Exists(nextPackage)) << nextPackage;
        folder = ProgramFilesFolder() + "\\Quillmarsh VPN";
        program = folder + "\\QuillmarshVPN.exe";
        uninstaller = folder + "\\Uninstall.exe";
        // Wine's msiexec puts a per-machine package's shortcuts into the
        // installing user's Start menu; Windows Installer into all users'.
        bool userStartMenu = GetParam().windowsInstaller && RunningUnderWine();
        shortcut = ShellFolder(userStartMenu ? CSIDL_PROGRAMS : CSIDL_COMMON_PROGRAMS) + "\\Quillmarsh VPN.lnk";
        built = ReadAll(ProductSession::BesideTestProgram(ProductSession::kProgramName));
        ASSERT_FALSE(built.empty());
        // The tests of both packages share one prefix: each starts from a desk
        // without the program.
        for (const std::string& entry : ProgramEntries()) RemoveEntry(entry);
        ASSERT_TRUE(ProgramEntries().empty()) << "an earlier installation is still there";
    }
    void TearDown() override { CoUninitialize(); }

    // Into the packages' own folder unless told another; the set-up takes it
    // last and unquoted.
    std::string InstallCommand(const std::string& file, const std::string& into) const {
        if (GetParam().windowsInstaller)
            return "msiexec /i \"" + file + "\" /qn" + (into.empty() ? "" : " INSTALLDIR=\"" + into + "\"");
        return "\"" + file + "\" /S" + (into.empty() ? "" : " /D=" + into);
    }

    DWORD Install(const std::string& file, const std::string& into = std::string()) {
        DWORD exitCode = 1;
        std::string command = InstallCommand(file, into);
        EXPECT_TRUE(RunToEnd(command, &exitCode)) << command << " did not end";
        return exitCode;
    }

    // Removes one installation the way IT does: msiexec by the product code,
    // which names the MSI's entry, or the set-up's own uninstaller.
    DWORD RemoveEntry(const std::string& entry) {
        DWORD exitCode = 1;
        bool byMsiexec = !entry.empty() && entry[0] == '{';
        std::string command = byMsiexec ? "msiexec /x " + entry + " /qn" : EntryString(entry, "QuietUninstallString");
        EXPECT_TRUE(RunToEnd(command, &exitCode)) << command << " did not end";
        // The set-up's uninstaller hands over to a copy of itself in the
        // temporary folder and ends at once; that copy does the removing.
        if (!byMsiexec) {
            EXPECT_TRUE(
                WaitUntil([&] { return EntryString(entry, "DisplayName").empty() && !Exists(program); }, 30000, 100))
                << command << " left its entry or the program";
        }
        return exitCode;
    }

    void ExpectOneEntryOf(const char* version) {
        std::vector<std::string> entries = ProgramEntries();
        ASSERT_EQ(entries.size(), 1u) << "Programs and Features shows " << entries.size() << " entries";
        EXPECT_EQ(EntryString(entries[0], "DisplayVersion"), version);
        EXPECT_EQ(EntryString(entries[0], "Publisher"), "Quillmarsh Holdings");
    }

    // The installed program, started as its shortcut starts it; its login window.
    driver::Window StartInstalled(ProductSession& session) {
        ProductSession::Options options;
        options.program = program;
        if (!session.start(options)) {
            ADD_FAILURE() << "CreateProcess error " << session.lastError();
            return driver::Window();
        }
        return session.waitForWindow();
    }

    std::string package, nextPackage, folder, program, uninstaller, shortcut, built;
};

TEST_P(Installer, SilentInstallPutsTheProgramItsShortcutAndOneEntryInPlace) {
    ASSERT_EQ(Install(package), 0u);

    std::vector<std::string> expected{"QuillmarshVPN.exe", "QuillmarshVPNService.exe"};
    if (!GetParam().windowsInstaller) expected.push_back("Uninstall.exe");
    EXPECT_EQ(FolderEntries(folder), expected);
    // Installed, running and set to start with Windows.
    EXPECT_TRUE(WaitUntil([] { return RouteService().running; }, driver::kAttemptLimitMs, 100));
    EXPECT_TRUE(RouteService().automatic);
    // The very program of this build, and nothing of the test rig beside it.
    EXPECT_TRUE(ReadAll(program) == built) << "the installed program differs from the build's";

    ASSERT_TRUE(Exists(shortcut)) << shortcut;
    EXPECT_TRUE(SamePath(ShortcutTarget(shortcut), program)) << ShortcutTarget(shortcut);

    ExpectOneEntryOf(QM_VERSION);
}

TEST_P(Installer, InstalledProgramShowsTheLoginWindow) {
    ASSERT_EQ(Install(package), 0u);

    ProductSession session;
    driver::Window window = StartInstalled(session);
    ASSERT_TRUE(window) << "no login window from " << program;

    ASSERT_TRUE(window.post(WM_CLOSE, 0, 0));
    EXPECT_TRUE(session.waitForExit(driver::kAttemptLimitMs));
}

TEST_P(Installer, HigherVersionReplacesTheInstalledOneLeavingOneEntry) {
    ASSERT_EQ(Install(package), 0u);
    ASSERT_TRUE(WaitUntil([] { return RouteService().running; }, driver::kAttemptLimitMs, 100));
    HANDLE oldService = OpenProcess(SYNCHRONIZE, FALSE, RouteService().processId);
    ASSERT_NE(oldService, nullptr);
    ASSERT_EQ(Install(nextPackage), 0u);

    // The running service was replaced: its old process has ended, a new one runs.
    EXPECT_EQ(WaitForSingleObject(oldService, driver::kAttemptLimitMs), WAIT_OBJECT_0);
    CloseHandle(oldService);
    EXPECT_TRUE(WaitUntil([] { return RouteService().running; }, driver::kAttemptLimitMs, 100));
    ExpectOneEntryOf(QM_NEXT_VERSION);
    EXPECT_TRUE(ReadAll(program) == built);
    EXPECT_TRUE(Exists(shortcut));
    // And the same version again over itself, as a repair by reinstalling.
    ASSERT_EQ(Install(nextPackage), 0u);
    ExpectOneEntryOf(QM_NEXT_VERSION);
}

TEST_P(Installer, SilentRemovalTakesAllOfItsOwnAndLeavesTheUsersSettings) {
    HKEY settings;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, SettingsStore::kProductKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                              &settings, nullptr),
              ERROR_SUCCESS);
    const char name[] = "trader7";
    ASSERT_EQ(RegSetValueExA(settings, SettingsStore::kLoginNameValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(name),
                             sizeof name),
              ERROR_SUCCESS);
    RegCloseKey(settings);
    ASSERT_EQ(Install(package), 0u);
    std::vector<std::string> entries = ProgramEntries();
    ASSERT_EQ(entries.size(), 1u);

    EXPECT_EQ(RemoveEntry(entries[0]), 0u);

    // The set-up's uninstaller takes the emptied folder away a moment after its entry.
    EXPECT_TRUE(WaitUntil([&] { return !Exists(folder); }, driver::kAttemptLimitMs, 100))
        << "left behind: " << ::testing::PrintToString(FolderEntries(folder));
    EXPECT_FALSE(Exists(shortcut));
    EXPECT_TRUE(ProgramEntries().empty());
    EXPECT_FALSE(RouteService().installed);
    EXPECT_EQ(RegistryString(HKEY_CURRENT_USER, SettingsStore::kProductKey, SettingsStore::kLoginNameValue), name);
}

// Program Files is writable by administrators only; a folder elsewhere would
// let any user replace the program that everyone starts. Outside it however it
// is spelled, a package installs nothing at all; below it, anywhere is fine.
TEST_P(Installer, OnlyAFolderBelowProgramFilesIsAccepted) {
    const std::string programFiles = ProgramFilesFolder();
    const std::string outside[] = {"C:\\QM", programFiles + " Evil\\QM", programFiles + "X", folder + "\\..\\..\\QM"};
    for (const std::string& into : outside) {
        EXPECT_EQ(Install(package, into), GetParam().folderRefused) << into;
        EXPECT_FALSE(Exists(into)) << into;
        EXPECT_FALSE(Exists(folder)) << into;
        EXPECT_FALSE(Exists(shortcut)) << into;
        EXPECT_TRUE(ProgramEntries().empty()) << into;
    }

    const std::string below = programFiles + "\\Quillmarsh Holdings\\VPN";
    ASSERT_EQ(Install(package, below), 0u);
    EXPECT_TRUE(ReadAll(below + "\\QuillmarshVPN.exe") == built);
    ExpectOneEntryOf(QM_VERSION);
}

// The normal case on a trading desk: the program runs all day, hidden, holding
// the VPN, when the distribution system pushes the next version.
TEST_P(Installer, UpdateOverARunningCopyLeavesItRunningAndTheNextStartRunsTheNewFile) {
    ASSERT_EQ(Install(package), 0u);
    // Mark the installed file, so that the new one can be told from it.
    {
        std::ofstream old(program, std::ios::binary | std::ios::app);
        old << "the copy that was running";
    }
    std::string running = ReadAll(program);
    ProductSession session;
    driver::Window window = StartInstalled(session);
    ASSERT_TRUE(window) << "no login window from " << program;

    EXPECT_EQ(Install(nextPackage), kDoneTakesEffectLater);

    EXPECT_TRUE(session.running()) << "the update ended the running program";
    DWORD_PTR answer = 0;
    EXPECT_NE(SendMessageTimeoutA(window.handle(), WM_NULL, 0, 0, SMTO_ABORTIFHUNG, driver::kReactionLimitMs, &answer),
              0)
        << "the running program no longer answers";
    EXPECT_TRUE(window.visible());
    ExpectOneEntryOf(QM_NEXT_VERSION);
    std::string installed = ReadAll(program);
    std::string staged;
    if (installed == running && GetParam().windowsInstaller && RunningUnderWine()) {
        // Wine's msiexec leaves the file in use in place and has the new one
        // moved over it at the next start of Windows.
        staged = StagedForRestart(program);
        ASSERT_FALSE(staged.empty()) << "the old file is in place and nothing replaces it";
        installed = ReadAll(staged);
    }
    EXPECT_TRUE(installed == built) << (installed == running ? "the old file is still in place"
                                                             : "the installed file is neither the old nor the new one");

    ASSERT_TRUE(window.post(WM_CLOSE, 0, 0));
    ASSERT_TRUE(session.waitForExit(driver::kAttemptLimitMs));
    if (!staged.empty()) {
        ASSERT_TRUE(MoveFileExA(staged.c_str(), program.c_str(), MOVEFILE_REPLACE_EXISTING));
    }
    ProductSession next;
    EXPECT_TRUE(StartInstalled(next)) << "the new file does not start";
}

INSTANTIATE_TEST_SUITE_P(Packages, Installer, ::testing::ValuesIn(kPackages),
                         [](const ::testing::TestParamInfo<Package>& info) { return std::string(info.param.name); });

} // namespace
