#include "StandinFixture.h"

#include "StandardUser.h"

#include <shlobj.h>
#include <fstream>
#include <sstream>

namespace {

void WriteText(const std::string& path, const std::string& text) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << text;
}

} // namespace

void StandinFixture::SetUp() {
    // A test program run as a child of one of its own tests works in its
    // parent's files and leaves them alone.
    char value[MAX_PATH];
    if (GetEnvironmentVariableA("QM_STANDIN_CHILD", value, sizeof value) != 0) {
        GetEnvironmentVariableA("QM_RAS_LOG", value, sizeof value);
        m_rasLog = value;
        GetEnvironmentVariableA("QM_ROUTE_LOG", value, sizeof value);
        m_routeLog = value;
        return;
    }
    static unsigned serial = 0;
    m_world = std::make_unique<driver::StandinWorld>("qm-standin-" + std::to_string(GetCurrentProcessId()) + "-" +
                                                     std::to_string(++serial));
    m_world->enterThisProcess();
    m_rasLog = m_world->rasLog();
    m_routeLog = m_world->routeLog();
    m_routeTable = m_world->routeTable();
    Scenario("");
    DeleteFileA(PhonebookPath().c_str());
}

void StandinFixture::TearDown() {
    if (!m_world) return;
    driver::StandinWorld::leaveThisProcess();
    SetEnvironmentVariableA("QM_STANDIN_CHILD", nullptr);
    m_world->remove();
    m_world.reset();
    DeleteFileA(PhonebookPath().c_str());
}

std::string StandinFixture::PhonebookPath() {
    char appData[MAX_PATH] = "";
    SHGetFolderPathA(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, appData);
    return std::string(appData) + "\\Microsoft\\Network\\Connections\\Pbk\\rasphone.pbk";
}

void StandinFixture::SeedEntry(const std::string& name,
                               const std::vector<std::pair<std::string, std::string>>& settings) {
    std::string path = PhonebookPath();
    for (size_t at = path.find('\\', 3); at != std::string::npos; at = path.find('\\', at + 1))
        CreateDirectoryA(path.substr(0, at).c_str(), nullptr);
    std::ostringstream text;
    text << '[' << name << "]\r\n";
    for (const auto& setting : settings) text << setting.first << '=' << setting.second << "\r\n";
    WriteText(path, text.str());
}

std::map<std::string, std::string> StandinFixture::StoredEntry(const std::string& name) {
    std::map<std::string, std::string> settings;
    std::ifstream file(PhonebookPath(), std::ios::binary);
    std::string line;
    bool inside = false;
    while (std::getline(file, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty() && line.front() == '[') {
            inside = lstrcmpiA(line.c_str(), ("[" + name + "]").c_str()) == 0;
            continue;
        }
        size_t equals = line.find('=');
        if (inside && equals != std::string::npos) settings[line.substr(0, equals)] = line.substr(equals + 1);
    }
    return settings;
}

int StandinFixture::RunCaptured(const std::string& commandLine, std::string* output, DWORD limitMs,
                                bool asStandardUser) {
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE readEnd, writeEnd;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) return -1;
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd;
    startup.hStdError = writeEnd;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION child = {};
    std::string line = commandLine;
    BOOL started = asStandardUser ? driver::CreateStandardUserProcess(nullptr, &line[0], TRUE, CREATE_NO_WINDOW,
                                                                      nullptr, nullptr, &startup, &child)
                                  : CreateProcessA(nullptr, &line[0], nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                                                   nullptr, &startup, &child);
    CloseHandle(writeEnd);
    if (!started) {
        CloseHandle(readEnd);
        return -1;
    }
    CloseHandle(child.hThread);
    output->clear();
    // Read while waiting, so that a child with much to say cannot block on a
    // full pipe, and stop at the limit whatever the child does.
    DWORD deadline = GetTickCount() + limitMs;
    bool ended = false;
    for (;;) {
        DWORD available = 0;
        char buffer[4096];
        while (PeekNamedPipe(readEnd, nullptr, 0, nullptr, &available, nullptr) && available > 0) {
            DWORD got = 0;
            if (!ReadFile(readEnd, buffer, sizeof buffer, &got, nullptr) || got == 0) break;
            output->append(buffer, got);
        }
        if (ended || static_cast<LONG>(GetTickCount() - deadline) >= 0) break;
        ended = WaitForSingleObject(child.hProcess, 20) == WAIT_OBJECT_0;
    }
    CloseHandle(readEnd);
    DWORD exitCode = static_cast<DWORD>(-1);
    if (ended)
        GetExitCodeProcess(child.hProcess, &exitCode);
    else
        TerminateProcess(child.hProcess, 1);
    CloseHandle(child.hProcess);
    return static_cast<int>(exitCode);
}

void StandinFixture::ExpectEveryDialHungUp() const {
    std::vector<LogLine> calls = RasCalls();
    size_t handed = 0, gone = 0;
    for (const LogLine& dial : CallsOf(calls, "RasDialA"))
        if (dial.Get("conn") != "0" && !dial.Get("conn").empty()) ++handed;
    for (const LogLine& status : CallsOf(calls, "RasGetConnectStatusA"))
        if (status.Get("result") == "6") ++gone;
    EXPECT_EQ(CallsOf(calls, "RasHangUpA").size(), handed);
    EXPECT_EQ(gone, handed);
}

void StandinFixture::ScriptFault(const RasFault& fault) {
    if (fault.seededHost)
        SeedEntry("QuillMarsh Professional Trading",
                  {{"szLocalPhoneNumber", fault.seededHost}, {"dwfOptions", "6664"}});
    Scenario(fault.scenario);
}
