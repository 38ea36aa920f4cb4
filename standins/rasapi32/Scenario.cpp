#include "Scenario.h"

#include <cstdlib>
#include <fstream>

namespace {

std::string Trim(const std::string& text) {
    const char* blanks = " \t\r\n";
    size_t first = text.find_first_not_of(blanks);
    if (first == std::string::npos) return std::string();
    size_t last = text.find_last_not_of(blanks);
    return text.substr(first, last - first + 1);
}

} // namespace

Scenario Scenario::Load() {
    Scenario scenario;
    char path[MAX_PATH];
    DWORD length = GetEnvironmentVariableA("QM_RAS_SCENARIO", path, sizeof path);
    if (length == 0 || length >= sizeof path) return scenario;
    std::ifstream file(path);
    std::string line;
    while (std::getline(file, line)) {
        line = Trim(line);
        if (line.empty() || line[0] == '#') continue;
        size_t equals = line.find('=');
        if (equals == std::string::npos) continue;
        scenario.m_values[Trim(line.substr(0, equals))] = Trim(line.substr(equals + 1));
    }
    return scenario;
}

bool Scenario::Has(const char* key) const { return m_values.count(key) != 0; }

DWORD Scenario::Number(const char* key, DWORD fallback) const {
    auto found = m_values.find(key);
    if (found == m_values.end() || found->second.empty()) return fallback;
    return static_cast<DWORD>(std::strtoul(found->second.c_str(), nullptr, 0));
}

std::string Scenario::Text(const char* key, const char* fallback) const {
    auto found = m_values.find(key);
    return found == m_values.end() ? std::string(fallback) : found->second;
}
