#include "RouteTable.h"

#include <fstream>
#include <sstream>

namespace {

// The tunnel's default route uses the address the RAS stand-in hands out by
// default, so that a login's DELETE of it finds it.
const Route kSeed[] = {
    {"0.0.0.0", "0.0.0.0", "192.168.56.1", 25},
    {"0.0.0.0", "0.0.0.0", "10.200.40.23", 1},
};

} // namespace

namespace {

std::string TemporaryFile(const char* name) {
    char windows[MAX_PATH] = "C:\\windows";
    GetWindowsDirectoryA(windows, sizeof windows);
    return std::string(windows) + "\\Temp\\" + name;
}

} // namespace

std::string RouteDeskFile() { return TemporaryFile("qm-route-desk.txt"); }

std::string RouteSetting(const char* name) {
    char value[MAX_PATH];
    DWORD length = GetEnvironmentVariableA(name, value, sizeof value);
    if (length > 0 && length < sizeof value) return value;
    if (length > 0) return std::string();
    std::ifstream file(RouteDeskFile());
    std::string line, prefix = std::string(name) + "=";
    while (std::getline(file, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.compare(0, prefix.size(), prefix) == 0) return line.substr(prefix.size());
    }
    return std::string();
}

std::string RouteTable::DefaultPath() {
    std::string path = RouteSetting("QM_ROUTE_TABLE");
    return path.empty() ? TemporaryFile("qm-route-table.txt") : path;
}

RouteTable::RouteTable(std::string path) : m_path(std::move(path)) {}

bool RouteTable::Load() {
    routes.clear();
    std::ifstream file(m_path);
    if (!file) {
        routes.assign(std::begin(kSeed), std::end(kSeed));
        return true;
    }
    std::string line;
    while (std::getline(file, line)) {
        std::istringstream fields(line);
        Route route{};
        if (fields >> route.destination >> route.mask >> route.gateway >> route.metric) routes.push_back(route);
    }
    return true;
}

bool RouteTable::Save() const {
    std::ofstream file(m_path, std::ios::trunc);
    for (const Route& route : routes)
        file << route.destination << ' ' << route.mask << ' ' << route.gateway << ' ' << route.metric << '\n';
    return static_cast<bool>(file);
}
