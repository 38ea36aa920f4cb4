#include "StandinWorld.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace {

std::string Unescape(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        char next = text[++i];
        if (next == 't')
            out += '\t';
        else if (next == 'r')
            out += '\r';
        else if (next == 'n')
            out += '\n';
        else if (next == 'x' && i + 2 < text.size()) {
            out += static_cast<char>(std::strtoul(text.substr(i + 1, 2).c_str(), nullptr, 16));
            i += 2;
        } else
            out += next;
    }
    return out;
}

void DeleteFilesIn(const std::string& folder) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            DeleteFileA((folder + "\\" + found.cFileName).c_str());
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

const char* const kLinkVariables[] = {"QM_RAS_LOG",        "QM_RAS_SCENARIO", "QM_ROUTE_LOG",          "QM_ROUTE_TABLE",
                                      "QM_ROUTE_DELAY_MS", "QM_ROUTE_STALL",  "QM_ROUTE_STALL_RELEASE"};

} // namespace

std::string LogLine::Get(const std::string& key) const {
    auto found = fields.find(key);
    return found == fields.end() ? std::string() : found->second;
}

bool LogLine::Has(const std::string& key) const { return fields.count(key) != 0; }

ULONGLONG LogLine::Time(const std::string& key) const { return std::strtoull(Get(key).c_str(), nullptr, 10); }

std::vector<LogLine> ReadLog(const std::string& path) {
    std::vector<LogLine> lines;
    for (const std::string& text : ReadLines(path)) {
        if (text.empty()) continue;
        LogLine line;
        std::istringstream pairs(text);
        std::string pair;
        while (std::getline(pairs, pair, '\t')) {
            size_t equals = pair.find('=');
            if (equals != std::string::npos) line.fields[pair.substr(0, equals)] = Unescape(pair.substr(equals + 1));
        }
        lines.push_back(line);
    }
    return lines;
}

std::vector<LogLine> CallsOf(const std::vector<LogLine>& lines, const std::string& call) {
    std::vector<LogLine> found;
    for (const LogLine& line : lines)
        if (line.Get("call") == call) found.push_back(line);
    return found;
}

std::vector<std::string> CallNames(const std::vector<LogLine>& lines) {
    std::vector<std::string> names;
    for (const LogLine& line : lines) {
        std::string name = line.Get("call");
        if (name == "RasGetEntryPropertiesA") name += "/" + line.Get("kind");
        names.push_back(name);
    }
    return names;
}

std::string ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<std::string> ReadLines(const std::string& path) {
    std::vector<std::string> lines;
    std::istringstream in(ReadWholeFile(path));
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

namespace driver {

StandinWorld::StandinWorld(const std::string& name) {
    char temp[MAX_PATH];
    DWORD length = GetTempPathA(sizeof temp, temp);
    m_folder = std::string(temp, length > 0 && length < sizeof temp ? length : 0) + name;
    CreateDirectoryA(m_folder.c_str(), nullptr);
    DeleteFilesIn(m_folder);
    static unsigned serial = 0;
    m_clientQuitName = "qm-client-quit-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++serial);
    m_clientQuit = CreateEventA(nullptr, TRUE, FALSE, m_clientQuitName.c_str());
}

StandinWorld::~StandinWorld() {
    if (m_clientQuit) CloseHandle(m_clientQuit);
}

void StandinWorld::writeScenario(const std::string& lines) const {
    std::ofstream(rasScenario(), std::ios::binary | std::ios::trunc) << lines;
}

void StandinWorld::clearLogs() const {
    DeleteFileA(rasLog().c_str());
    DeleteFileA(routeLog().c_str());
}

std::string StandinWorld::clientLogValue(const char* key) const {
    const std::string prefix = std::string(key) + "=";
    for (const std::string& line : ReadLines(clientLog()))
        if (line.compare(0, prefix.size(), prefix) == 0) return line.substr(prefix.size());
    return std::string();
}

Environment StandinWorld::environment() const {
    return {
        {"QM_RAS_SCENARIO", rasScenario()}, {"QM_RAS_LOG", rasLog()},       {"QM_ROUTE_LOG", routeLog()},
        {"QM_ROUTE_TABLE", routeTable()},   {"QM_CLIENT_LOG", clientLog()}, {"QM_CLIENT_QUIT_EVENT", m_clientQuitName},
        {"QM_CLIENT_HIDDEN", "1"},
    };
}

void StandinWorld::enterThisProcess() const {
    SetEnvironmentVariableA("QM_RAS_LOG", rasLog().c_str());
    SetEnvironmentVariableA("QM_RAS_SCENARIO", rasScenario().c_str());
    SetEnvironmentVariableA("QM_ROUTE_LOG", routeLog().c_str());
    SetEnvironmentVariableA("QM_ROUTE_TABLE", routeTable().c_str());
}

void StandinWorld::leaveThisProcess() {
    for (const char* name : kLinkVariables) SetEnvironmentVariableA(name, nullptr);
}

void StandinWorld::releaseClient() const { SetEvent(m_clientQuit); }

void StandinWorld::remove() const {
    DeleteFilesIn(m_folder);
    RemoveDirectoryA(m_folder.c_str());
}

} // namespace driver
