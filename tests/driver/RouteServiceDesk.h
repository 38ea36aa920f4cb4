#pragma once
// The route service on this prefix's desk for the length of one test or bench:
// installed from beside the test program, started, and its route runs pointed
// at a stand-in world's table and log (the service's environment is the
// service control manager's, and the machine has one routing table). Stopped,
// removed and its desk file deleted when the object ends.
#include <windows.h>

#include <string>

#include "StandinWorld.h"

namespace driver {

class RouteServiceDesk {
public:
    explicit RouteServiceDesk(const StandinWorld& standins);
    ~RouteServiceDesk();
    RouteServiceDesk(const RouteServiceDesk&) = delete;
    RouteServiceDesk& operator=(const RouteServiceDesk&) = delete;

    // Installs the service and waits until it runs; false with the reason.
    bool install(std::string& why);

    // Stops and removes the service if it is there; false when it was there
    // and did not stop.
    bool remove();

    // The file the route stand-in reads its settings from when its own
    // environment does not name them.
    static std::string DeskFile();
};

} // namespace driver
