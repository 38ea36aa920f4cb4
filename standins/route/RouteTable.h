#pragma once
// The routing table as a text file, one route a line: destination, mask,
// gateway and metric. A missing file is a desk that has just dialled the firm:
// the LAN's default route and the tunnel's own default route.
#include <windows.h>
#include <string>
#include <vector>

// A setting of the route stand-in: the process's environment variable, or,
// for a run whose environment does not say (one started by a service, which
// has the service control manager's environment), the desk's own setting: a
// NAME=VALUE line of qm-route-desk.txt in the Windows temporary folder. The
// routing table is the machine's, whoever changes it.
std::string RouteSetting(const char* name);
// That file's path.
std::string RouteDeskFile();

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
