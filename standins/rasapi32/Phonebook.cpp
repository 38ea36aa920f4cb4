#include "Phonebook.h"

#include <shlobj.h>
#include <fstream>
#include <sstream>

namespace {

bool SameName(const std::string& a, const std::string& b) { return lstrcmpiA(a.c_str(), b.c_str()) == 0; }

// An INI line cannot hold a line break.
std::string OneLine(std::string value) {
    for (char& c : value)
        if (c == '\r' || c == '\n') c = ' ';
    return value;
}

void CreateFolders(const std::string& file) {
    for (size_t at = file.find('\\', 3); at != std::string::npos; at = file.find('\\', at + 1))
        CreateDirectoryA(file.substr(0, at).c_str(), nullptr);
}

} // namespace

std::string Phonebook::PathFor(LPCSTR phonebook) {
    if (phonebook) return phonebook;
    char appData[MAX_PATH] = "";
    SHGetFolderPathA(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, appData);
    return std::string(appData) + "\\Microsoft\\Network\\Connections\\Pbk\\rasphone.pbk";
}

Phonebook::Phonebook(std::string path) : m_path(std::move(path)) {}

std::vector<Phonebook::Section> Phonebook::Load() const {
    std::vector<Section> sections;
    std::ifstream file(m_path, std::ios::binary);
    std::string line;
    while (std::getline(file, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
            sections.push_back(Section{line.substr(1, line.size() - 2), {}});
            continue;
        }
        size_t equals = line.find('=');
        if (sections.empty() || equals == std::string::npos) continue;
        sections.back().settings.emplace_back(line.substr(0, equals), line.substr(equals + 1));
    }
    return sections;
}

DWORD Phonebook::Save(const std::vector<Section>& sections) const {
    std::ostringstream text;
    for (const Section& section : sections) {
        text << '[' << section.name << "]\r\n";
        for (const auto& setting : section.settings) text << setting.first << '=' << OneLine(setting.second) << "\r\n";
        text << "\r\n";
    }
    CreateFolders(m_path);
    HANDLE file = CreateFileA(m_path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return GetLastError();
    std::string bytes = text.str();
    DWORD written = 0;
    BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    DWORD error = ok ? 0 : GetLastError();
    CloseHandle(file);
    return error;
}

bool Phonebook::Read(const std::string& entry, Settings* settings) const {
    for (const Section& section : Load()) {
        if (SameName(section.name, entry)) {
            *settings = section.settings;
            return true;
        }
    }
    return false;
}

DWORD Phonebook::Write(const std::string& entry, const Settings& settings) const {
    std::vector<Section> sections = Load();
    for (Section& section : sections) {
        if (SameName(section.name, entry)) {
            section.settings = settings;
            return Save(sections);
        }
    }
    sections.push_back(Section{entry, settings});
    return Save(sections);
}
