#pragma once
// The routing table as a text file, one route a line: destination, mask,
// gateway and metric. A missing file is a desk that has just dialled the firm:
// the LAN's default route and the tunnel's own default route.
#include <windows.h>
#include <string>
#include <vector>

struct Route {
    std::string destination;
    std::string mask;
    std::string gateway;
    unsigned metric;
};

class RouteTable {
public:
    // QM_ROUTE_TABLE, or a file in the Windows temporary folder.
    static std::string DefaultPath();

    explicit RouteTable(std::string path);

    std::vector<Route> routes;
    bool Load();
    bool Save() const;

private:
    std::string m_path;
};
