#pragma once
// The gateway's script for a test or a demonstration: key=value lines in the
// file that QM_RAS_SCENARIO names, read afresh at every call so that a test may
// change it between calls. Keys are listed in README.md.
#include <windows.h>
#include <map>
#include <string>

class Scenario {
public:
    static Scenario Load();

    bool Has(const char* key) const;
    DWORD Number(const char* key, DWORD fallback) const;
    std::string Text(const char* key, const char* fallback) const;

private:
    std::map<std::string, std::string> m_values;
};
