#pragma once
// A test against the stand-ins loaded into the test program itself: a stand-in
// world entered into this process, and an empty default phonebook. Tests of one
// program share a Wine prefix, so each one starts from here.
#include <gtest/gtest.h>
#include <windows.h>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "RasFaults.h"
#include "StandinWorld.h"

class StandinFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // The gateway's script; a dial takes no time unless the text says so.
    void Scenario(const std::string& text) { m_world->writeScenario("dial.delay_ms=0\n" + text + "\n"); }
    std::vector<LogLine> RasCalls() const { return ReadLog(m_rasLog); }
    std::vector<LogLine> RouteRuns() const { return ReadLog(m_routeLog); }
    void ClearLogs() { m_world->clearLogs(); }
    // Sets the stand-in up to fail as the fault says, with its entry stored first.
    void ScriptFault(const RasFault& fault);
    // Every handle a dial gave back was hung up until RAS reported it gone.
    void ExpectEveryDialHungUp() const;

    static std::string PhonebookPath();
    // Writes one phonebook entry as the stand-in stores it: a section of
    // field=value lines.
    static void SeedEntry(const std::string& name, const std::vector<std::pair<std::string, std::string>>& settings);
    // The entry's settings as stored; empty when there is none.
    static std::map<std::string, std::string> StoredEntry(const std::string& name);

    // Runs a command line with its output captured; returns the exit code, or
    // -1 when it cannot start or does not end within the limit.
    // asStandardUser: with the filtered token of a user without elevation.
    static int RunCaptured(const std::string& commandLine, std::string* output, DWORD limitMs = 30000,
                           bool asStandardUser = false);

    // None in a child run by one of the tests, which works in its parent's files.
    std::unique_ptr<driver::StandinWorld> m_world;
    std::string m_rasLog;
    std::string m_routeLog;
    std::string m_routeTable;
};
