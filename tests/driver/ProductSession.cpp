#include "ProductSession.h"

#include "StandardUser.h"

#include "FindTopLevelWindow.h"
#include "WaitUntil.h"

namespace driver {
namespace {

std::string FolderOf(const std::string& path) {
    size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

bool SameName(const std::string& entry, const std::string& name) {
    return entry.size() > name.size() && entry[name.size()] == '=' &&
           CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, entry.c_str(), static_cast<int>(name.size()), name.c_str(),
                          static_cast<int>(name.size())) == CSTR_EQUAL;
}

// The test's own environment with the session's variables set on top, as the
// double-NUL-terminated block CreateProcess takes.
std::string EnvironmentBlock(const std::vector<std::pair<std::string, std::string>>& overrides) {
    std::vector<std::string> entries;
    if (char* inherited = GetEnvironmentStringsA()) {
        for (const char* p = inherited; *p != '\0'; p += entries.back().size() + 1) entries.emplace_back(p);
        FreeEnvironmentStringsA(inherited);
    }
    for (const auto& [name, value] : overrides) {
        std::string entry = name + "=" + value;
        bool replaced = false;
        for (auto& existing : entries) {
            if (SameName(existing, name)) {
                existing = entry;
                replaced = true;
            }
        }
        if (!replaced) entries.push_back(entry);
    }
    std::string block;
    for (const auto& entry : entries) block += entry + '\0';
    block += '\0';
    return block;
}

} // namespace

std::string ProductSession::BesideTestProgram(const std::string& fileName) {
    char path[MAX_PATH] = "";
    DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    return FolderOf(std::string(path, length)) + "\\" + fileName;
}

ProductSession::~ProductSession() { close(); }

bool ProductSession::start(const Options& options) {
    if (m_process != nullptr) {
        m_lastError = ERROR_ALREADY_EXISTS;
        return false;
    }
    std::string program = options.program.empty() ? BesideTestProgram(kProgramName) : options.program;
    std::string folder = options.currentDirectory.empty() ? FolderOf(program) : options.currentDirectory;
    std::string commandLine = "\"" + program + "\"";
    if (!options.arguments.empty()) commandLine += " " + options.arguments;
    std::string environment = EnvironmentBlock(options.environment);

    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    BOOL started = options.asStandardUser ? CreateStandardUserProcess(program.c_str(), &commandLine[0], FALSE, 0,
                                                                      &environment[0], folder.c_str(), &startup, &info)
                                          : CreateProcessA(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0,
                                                           &environment[0], folder.c_str(), &startup, &info);
    if (!started) {
        m_lastError = GetLastError();
        return false;
    }
    CloseHandle(info.hThread);
    m_process = info.hProcess;
    m_processId = info.dwProcessId;
    m_lastError = 0;
    return true;
}

bool ProductSession::running() const {
    return m_process != nullptr && WaitForSingleObject(m_process, 0) == WAIT_TIMEOUT;
}

Window ProductSession::waitForWindow(const char* caption, DWORD timeoutMs) {
    Window found;
    WaitUntil(
        [&] {
            found = FindTopLevelWindow(m_processId, nullptr, caption);
            return found && found.visible();
        },
        timeoutMs);
    if (found && found.visible()) {
        m_window = found;
        return found;
    }
    return Window();
}

Window ProductSession::waitForMessageBox(const char* caption, DWORD timeoutMs) const {
    Window found;
    bool shown = WaitUntil(
        [&] {
            found = FindTopLevelWindow(m_processId, "#32770", caption);
            return found && found.visible();
        },
        timeoutMs);
    return shown ? found : Window();
}

bool ProductSession::waitForGone(const Window& window, DWORD timeoutMs) {
    return WaitUntil([&] { return !window.exists() || !window.visible(); }, timeoutMs);
}

bool ProductSession::waitForExit(DWORD timeoutMs, DWORD* exitCode) const {
    if (m_process == nullptr || WaitForSingleObject(m_process, timeoutMs) != WAIT_OBJECT_0) return false;
    if (exitCode != nullptr && !GetExitCodeProcess(m_process, exitCode)) *exitCode = 0;
    return true;
}

bool ProductSession::close(DWORD timeoutMs) {
    if (m_process == nullptr) return true;
    bool endedByItself = WaitForSingleObject(m_process, 0) == WAIT_OBJECT_0;
    if (!endedByItself) {
        TerminateProcess(m_process, 1);
        WaitForSingleObject(m_process, timeoutMs);
    }
    CloseHandle(m_process);
    m_process = nullptr;
    m_window = Window();
    return endedByItself;
}

} // namespace driver
