// route.exe for a Wine desk: ADD, DELETE and PRINT with the system utility's
// syntax, answers and exit codes, on a table kept in a file. As on Windows
// since Vista, a change asked for from a token without elevation is refused. Every run is
// logged to QM_ROUTE_LOG when it is set; QM_ROUTE_DELAY_MS makes each run take
// that long, so that a test can see whether runs overlap; QM_ROUTE_STALL makes
// the runs of one command stall for a bounded time.
#include <windows.h>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "EscapeLogValue.h"
#include "RouteTable.h"

namespace {

unsigned long long Now() {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    return (static_cast<unsigned long long>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
}

std::string Environment(const char* name) { return RouteSetting(name); }

bool TokenIsElevated() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
    TOKEN_ELEVATION elevation;
    DWORD size = 0;
    BOOL known = GetTokenInformation(token, TokenElevation, &elevation, sizeof elevation, &size);
    CloseHandle(token);
    return known && elevation.TokenIsElevated != 0;
}

void LogRun(unsigned long long started, int exitCode, const std::vector<std::string>& args, bool refused) {
    std::string path = Environment("QM_ROUTE_LOG");
    if (path.empty()) return;
    STARTUPINFOA startup;
    GetStartupInfoA(&startup);
    std::string joined;
    for (const std::string& arg : args) joined += (joined.empty() ? "" : " ") + arg;
    std::string line = "start=" + std::to_string(started) + "\tend=" + std::to_string(Now()) +
                       "\tpid=" + std::to_string(GetCurrentProcessId()) + "\texit=" + std::to_string(exitCode) +
                       "\televated=" + (TokenIsElevated() ? "1" : "0") + (refused ? "\trefused=elevation" : "") +
                       "\tconsole=" + (GetConsoleWindow() ? "1" : "0") +
                       "\tstartup.dwFlags=" + std::to_string(startup.dwFlags) +
                       "\tstartup.wShowWindow=" + std::to_string(startup.wShowWindow) +
                       "\targs=" + EscapeLogValue(joined) + "\tcmd=" + EscapeLogValue(GetCommandLineA()) + "\r\n";
    HANDLE file = CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    CloseHandle(file);
}

bool Same(const std::string& a, const char* b) { return lstrcmpiA(a.c_str(), b) == 0; }

bool ParseAddress(const std::string& text, unsigned long* value) {
    unsigned parts[4];
    char tail;
    if (std::sscanf(text.c_str(), "%u.%u.%u.%u%c", &parts[0], &parts[1], &parts[2], &parts[3], &tail) != 4)
        return false;
    if (text.find_first_not_of("0123456789.") != std::string::npos) return false;
    *value = 0;
    for (unsigned part : parts) {
        if (part > 255) return false;
        *value = (*value << 8) | part;
    }
    return true;
}

int Usage() {
    std::puts("\nManipulates network routing tables.\n\n"
              "ROUTE [-f] [-p] [command [destination] [MASK netmask] [gateway] [METRIC metric]]\n\n"
              "  command      One of these:\n"
              "                 PRINT     Prints  a route\n"
              "                 ADD       Adds    a route\n"
              "                 DELETE    Deletes a route\n");
    return 1;
}

int BadAddress(const char* what, const std::string& text) {
    std::printf("Route: bad %s %s\n", what, text.c_str());
    return 1;
}

int Print(const RouteTable& table) {
    std::puts("===========================================================================\n"
              "IPv4 Route Table\n"
              "===========================================================================\n"
              "Active Routes:\n"
              "Network Destination        Netmask          Gateway  Metric");
    for (const Route& route : table.routes)
        std::printf("%17s%17s%17s%8u\n", route.destination.c_str(), route.mask.c_str(), route.gateway.c_str(),
                    route.metric);
    std::puts("===========================================================================");
    return 0;
}

// ADD destination [MASK netmask] gateway [METRIC metric] [IF interface]
int Add(RouteTable& table, const std::vector<std::string>& words) {
    if (words.empty()) return Usage();
    Route route{words[0], "255.255.255.255", "", 1};
    size_t at = 1;
    if (at + 1 < words.size() && Same(words[at], "MASK")) {
        route.mask = words[at + 1];
        at += 2;
    }
    if (at >= words.size()) return Usage();
    route.gateway = words[at++];
    for (; at + 1 < words.size(); at += 2) {
        if (Same(words[at], "METRIC"))
            route.metric = static_cast<unsigned>(std::strtoul(words[at + 1].c_str(), nullptr, 10));
        else if (!Same(words[at], "IF"))
            return Usage();
    }
    unsigned long destination, mask, gateway;
    if (!ParseAddress(route.destination, &destination)) return BadAddress("destination address", route.destination);
    if (!ParseAddress(route.mask, &mask)) return BadAddress("mask address", route.mask);
    if (!ParseAddress(route.gateway, &gateway)) return BadAddress("gateway address", route.gateway);
    if ((destination & mask) != destination) {
        std::puts("The route addition failed: The specified mask parameter is invalid. "
                  "(Destination & Mask) != Destination.\n");
        return 1;
    }
    for (const Route& existing : table.routes) {
        if (existing.destination == route.destination && existing.mask == route.mask &&
            existing.gateway == route.gateway) {
            std::puts("The route addition failed: The object already exists.\n");
            return 1;
        }
    }
    table.routes.push_back(route);
    if (!table.Save()) {
        std::puts("The route addition failed: Access is denied.\n");
        return 1;
    }
    std::puts(" OK!");
    return 0;
}

// DELETE destination [MASK netmask] [gateway]
int Delete(RouteTable& table, const std::vector<std::string>& words) {
    if (words.empty()) return Usage();
    std::string destination = words[0], mask, gateway;
    size_t at = 1;
    if (at + 1 < words.size() && Same(words[at], "MASK")) {
        mask = words[at + 1];
        at += 2;
    }
    if (at < words.size()) gateway = words[at++];
    unsigned long ignored;
    if (!ParseAddress(destination, &ignored)) return BadAddress("destination address", destination);
    if (!gateway.empty() && !ParseAddress(gateway, &ignored)) return BadAddress("gateway address", gateway);

    size_t before = table.routes.size();
    std::vector<Route> kept;
    for (const Route& route : table.routes) {
        bool matches = route.destination == destination && (mask.empty() || route.mask == mask) &&
                       (gateway.empty() || route.gateway == gateway);
        if (!matches) kept.push_back(route);
    }
    if (kept.size() == before) {
        std::puts("The route deletion failed: Element not found.\n");
        return 1;
    }
    table.routes = kept;
    if (!table.Save()) {
        std::puts("The route deletion failed: Access is denied.\n");
        return 1;
    }
    std::puts(" OK!");
    return 0;
}

// Every word but PRINT changes the table, and so does -f.
bool AsksForAChange(const std::vector<std::string>& args) {
    for (const std::string& arg : args) {
        if (Same(arg, "-f") || Same(arg, "/f")) return true;
        if (arg.empty() || (arg[0] != '-' && arg[0] != '/')) return !Same(arg, "PRINT");
    }
    return false;
}

int Run(const std::vector<std::string>& args) {
    RouteTable table(RouteTable::DefaultPath());
    table.Load();
    size_t at = 0;
    for (; at < args.size() && (args[at][0] == '-' || args[at][0] == '/'); ++at) {
        if (Same(args[at], "-f") || Same(args[at], "/f")) {
            table.routes.clear();
            table.Save();
        }
    }
    if (at >= args.size()) return Usage();
    std::vector<std::string> words(args.begin() + at + 1, args.end());
    if (Same(args[at], "PRINT")) return Print(table);
    if (Same(args[at], "ADD")) return Add(table, words);
    if (Same(args[at], "DELETE")) return Delete(table, words);
    return Usage();
}

// QM_ROUTE_STALL=COMMAND:MS: a run whose command word (after the flags) is
// COMMAND sleeps MS milliseconds first, a route command that hangs as far as
// its caller can tell but still ends, so that no run outlives its test. When
// QM_ROUTE_STALL_RELEASE names an event, signalling it ends the stall early:
// a test then decides when the stalled run ends, not the machine's speed.
void Stall(DWORD ms) {
    std::string release = Environment("QM_ROUTE_STALL_RELEASE");
    HANDLE event = release.empty() ? nullptr : OpenEventA(SYNCHRONIZE, FALSE, release.c_str());
    if (!event) {
        Sleep(ms);
        return;
    }
    WaitForSingleObject(event, ms);
    CloseHandle(event);
}

void StallWhenAsked(const std::vector<std::string>& args) {
    std::string stall = Environment("QM_ROUTE_STALL");
    size_t colon = stall.find(':');
    if (colon == std::string::npos) return;
    size_t at = 0;
    while (at < args.size() && !args[at].empty() && (args[at][0] == '-' || args[at][0] == '/')) ++at;
    if (at < args.size() && Same(args[at], stall.substr(0, colon).c_str()))
        Stall(static_cast<DWORD>(std::strtoul(stall.c_str() + colon + 1, nullptr, 10)));
}

} // namespace

int main(int argc, char** argv) {
    unsigned long long started = Now();
    std::string delay = Environment("QM_ROUTE_DELAY_MS");
    if (!delay.empty()) Sleep(static_cast<DWORD>(std::strtoul(delay.c_str(), nullptr, 10)));
    std::vector<std::string> args(argv + 1, argv + argc);
    StallWhenAsked(args);
    bool refused = AsksForAChange(args) && !TokenIsElevated();
    int exitCode = 1;
    if (refused)
        std::puts("The requested operation requires elevation.");
    else
        exitCode = Run(args);
    std::fflush(stdout);
    LogRun(started, exitCode, args, refused);
    return exitCode;
}
