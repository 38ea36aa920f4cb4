// The stand-ins' side of a test: a folder of its own for the RAS stand-in's
// scenario and log, the route stand-in's log and table and the trading-client
// stand-in's log; the environment that points the stand-ins at those files;
// and the reading of what they logged. A test that loads the stand-ins into
// itself enters the environment into its own process; one that starts the
// program hands it the environment instead.
#pragma once
#include <windows.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

// One line of the RAS or route stand-in's log: tab-separated key=value pairs
// with \\, \t, \r, \n and \xNN escapes.
struct LogLine {
    std::map<std::string, std::string> fields;

    // Empty when the key is absent.
    std::string Get(const std::string& key) const;
    bool Has(const std::string& key) const;
    // A logged system time in 100 ns units; 0 when the key is absent.
    ULONGLONG Time(const std::string& key) const;
};

std::vector<LogLine> ReadLog(const std::string& path);
std::vector<LogLine> CallsOf(const std::vector<LogLine>& lines, const std::string& call);
std::vector<std::string> CallNames(const std::vector<LogLine>& lines);

// A file's bytes, and its lines without their ends; empty when it cannot be read.
std::string ReadWholeFile(const std::string& path);
std::vector<std::string> ReadLines(const std::string& path);

namespace driver {

using Environment = std::vector<std::pair<std::string, std::string>>;

class StandinWorld {
public:
    // The folder `name` in the temporary folder, emptied of what an earlier run
    // left, and an event of its own on which the trading-client stand-in ends.
    explicit StandinWorld(const std::string& name);
    ~StandinWorld();
    StandinWorld(const StandinWorld&) = delete;
    StandinWorld& operator=(const StandinWorld&) = delete;

    const std::string& folder() const { return m_folder; }
    std::string file(const char* name) const { return m_folder + "\\" + name; }
    std::string rasScenario() const { return file("ras-scenario.txt"); }
    std::string rasLog() const { return file("ras.log"); }
    std::string routeLog() const { return file("route.log"); }
    std::string routeTable() const { return file("routes.txt"); }
    std::string clientLog() const { return file("client.log"); }

    // The gateway's script, as given; without one the stand-in dials with its
    // defaults.
    void writeScenario(const std::string& lines) const;
    std::vector<LogLine> rasCalls() const { return ReadLog(rasLog()); }
    std::vector<LogLine> routeRuns() const { return ReadLog(routeLog()); }
    void clearLogs() const;
    // A value of the client's start-up log; empty before it started. Its lines
    // are plain key=value, so paths keep their backslashes.
    std::string clientLogValue(const char* key) const;

    // Every variable a started program passes on to the stand-ins, the client
    // hidden so that its window cannot take the focus from the dialog.
    Environment environment() const;
    // The RAS and route variables in this process, for the stand-ins it loads
    // and the route commands it runs; leaving clears them again, with the
    // route stand-in's own knobs a test may have set.
    void enterThisProcess() const;
    static void leaveThisProcess();

    // Lets the trading-client stand-in end; it never outlives its test.
    void releaseClient() const;
    // Deletes the files and the folder.
    void remove() const;

private:
    std::string m_folder;
    std::string m_clientQuitName;
    HANDLE m_clientQuit = nullptr;
};

} // namespace driver
