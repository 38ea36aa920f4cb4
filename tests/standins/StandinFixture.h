#pragma once
// A test against the stand-ins: its own folder for the logs, the scenario and
// the route table, the environment that points the stand-ins at them, and an
// empty default phonebook. Tests of one program share a Wine prefix, so each
// one starts from here.
#include <gtest/gtest.h>
#include <windows.h>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "StandinLog.h"

class StandinFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // The gateway's script; a dial takes no time unless the text says so.
    void Scenario(const std::string& text);
    std::vector<LogLine> RasCalls() const;
    std::vector<LogLine> RouteRuns() const;
    void ClearLogs();

    static std::string PhonebookPath();
    // Writes one phonebook entry as the stand-in stores it: a section of
    // field=value lines.
    static void SeedEntry(const std::string& name, const std::vector<std::pair<std::string, std::string>>& settings);
    // The entry's settings as stored; empty when there is none.
    static std::map<std::string, std::string> StoredEntry(const std::string& name);

    // Runs a command line with its output captured; returns the exit code, or
    // -1 when it cannot start or does not end within the limit.
    static int RunCaptured(const std::string& commandLine, std::string* output, DWORD limitMs = 30000);

    bool m_child = false;
    std::string m_folder;
    std::string m_rasLog;
    std::string m_scenario;
    std::string m_routeLog;
    std::string m_routeTable;
};
