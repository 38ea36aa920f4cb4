#pragma once
// Reading the stand-ins' logs: one line per call or run, tab-separated
// key=value pairs with \\, \t, \r, \n and \xNN escapes.
#include <map>
#include <string>
#include <vector>

struct LogLine {
    std::map<std::string, std::string> fields;

    // Empty when the key is absent.
    std::string Get(const std::string& key) const;
    bool Has(const std::string& key) const;
};

std::vector<LogLine> ReadLog(const std::string& path);
std::vector<LogLine> CallsOf(const std::vector<LogLine>& lines, const std::string& call);
std::vector<std::string> CallNames(const std::vector<LogLine>& lines);
