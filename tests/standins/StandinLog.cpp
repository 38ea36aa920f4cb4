#include "StandinLog.h"

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

} // namespace

std::string LogLine::Get(const std::string& key) const {
    auto found = fields.find(key);
    return found == fields.end() ? std::string() : found->second;
}

bool LogLine::Has(const std::string& key) const {
    return fields.count(key) != 0;
}

std::vector<LogLine> ReadLog(const std::string& path) {
    std::vector<LogLine> lines;
    std::ifstream file(path, std::ios::binary);
    std::string text;
    while (std::getline(file, text)) {
        if (!text.empty() && text.back() == '\r')
            text.pop_back();
        if (text.empty())
            continue;
        LogLine line;
        std::istringstream pairs(text);
        std::string pair;
        while (std::getline(pairs, pair, '\t')) {
            size_t equals = pair.find('=');
            if (equals != std::string::npos)
                line.fields[pair.substr(0, equals)] = Unescape(pair.substr(equals + 1));
        }
        lines.push_back(line);
    }
    return lines;
}

std::vector<LogLine> CallsOf(const std::vector<LogLine>& lines, const std::string& call) {
    std::vector<LogLine> found;
    for (const LogLine& line : lines)
        if (line.Get("call") == call)
            found.push_back(line);
    return found;
}

std::vector<std::string> CallNames(const std::vector<LogLine>& lines) {
    std::vector<std::string> names;
    for (const LogLine& line : lines) {
        std::string name = line.Get("call");
        if (name == "RasGetEntryPropertiesA")
            name += "/" + line.Get("kind");
        names.push_back(name);
    }
    return names;
}
