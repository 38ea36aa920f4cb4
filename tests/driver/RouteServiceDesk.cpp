#include "RouteServiceDesk.h"

#include <fstream>

#include "ProductSession.h"
#include "RouteServiceProtocol.h"
#include "WaitUntil.h"

namespace driver {
namespace {

const DWORD kServiceLimitMs = 30000;

bool WaitForState(SC_HANDLE service, DWORD state) {
    return WaitUntil(
        [&] {
            SERVICE_STATUS status;
            return QueryServiceStatus(service, &status) && status.dwCurrentState == state;
        },
        kServiceLimitMs);
}

std::string ErrorText(const char* step, DWORD error) { return std::string(step) + " error " + std::to_string(error); }

} // namespace

RouteServiceDesk::RouteServiceDesk(const StandinWorld& standins) {
    std::ofstream desk(DeskFile(), std::ios::trunc);
    desk << "QM_ROUTE_LOG=" << standins.routeLog() << "\r\nQM_ROUTE_TABLE=" << standins.routeTable() << "\r\n";
}

RouteServiceDesk::~RouteServiceDesk() {
    remove();
    DeleteFileA(DeskFile().c_str());
}

std::string RouteServiceDesk::DeskFile() {
    char windows[MAX_PATH];
    GetWindowsDirectoryA(windows, sizeof windows);
    return std::string(windows) + "\\Temp\\qm-route-desk.txt";
}

bool RouteServiceDesk::install(std::string& why) {
    SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    if (!manager) {
        why = ErrorText("OpenSCManagerA", GetLastError());
        return false;
    }
    std::string path = "\"" + ProductSession::BesideTestProgram("QuillmarshVPNService.exe") + "\"";
    SC_HANDLE service = CreateServiceA(manager, kRouteServiceName, kRouteServiceDisplayName, SERVICE_ALL_ACCESS,
                                       SERVICE_WIN32_OWN_PROCESS, SERVICE_DEMAND_START, SERVICE_ERROR_NORMAL,
                                       path.c_str(), nullptr, nullptr, nullptr, nullptr, nullptr);
    bool running = false;
    if (!service)
        why = ErrorText("CreateServiceA", GetLastError());
    else if (!StartServiceA(service, 0, nullptr))
        why = ErrorText("StartServiceA", GetLastError());
    else if (!(running = WaitForState(service, SERVICE_RUNNING)))
        why = "the service did not reach SERVICE_RUNNING";
    if (service) CloseServiceHandle(service);
    CloseServiceHandle(manager);
    return running;
}

bool RouteServiceDesk::remove() {
    SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    if (!manager) return true;
    SC_HANDLE service = OpenServiceA(manager, kRouteServiceName, SERVICE_ALL_ACCESS);
    bool stopped = true;
    if (service) {
        SERVICE_STATUS status;
        ControlService(service, SERVICE_CONTROL_STOP, &status);
        stopped = WaitForState(service, SERVICE_STOPPED);
        DeleteService(service);
        CloseServiceHandle(service);
    }
    CloseServiceHandle(manager);
    return stopped;
}

} // namespace driver
