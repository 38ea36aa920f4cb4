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

std::string RouteTable::DefaultPath() {
    char path[MAX_PATH];
    DWORD length = GetEnvironmentVariableA("QM_ROUTE_TABLE", path, sizeof path);
    if (length > 0 && length < sizeof path) return path;
    char windows[MAX_PATH] = "C:\\windows";
    GetWindowsDirectoryA(windows, sizeof windows);
    return std::string(windows) + "\\Temp\\qm-route-table.txt";
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
