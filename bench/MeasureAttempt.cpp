#include "MeasureAttempt.h"

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <utility>
#include <vector>

#include "CommittedPrivateBytes.h"
#include "Keyboard.h"
#include "ProductSession.h"
#include "ResponsivenessProbe.h"
#include "SettingsStore.h"
#include "StandinWorld.h"
#include "WaitUntil.h"
#include "resource.h"

namespace bench {
namespace {

constexpr DWORD kClientStartLimitMs = 30000;
constexpr DWORD kHideLimitMs = 30000;
// Long enough after the hide for the program to settle into supervising.
constexpr DWORD kSupervisingMs = 300;
constexpr DWORD kEndLimitMs = 20000;
constexpr int kRouteCommands = 5;

ULONGLONG SystemTime() {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    return (static_cast<ULONGLONG>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
}

ULONGLONG AsNumber(const FILETIME& time) {
    return (static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

double Ms(ULONGLONG from, ULONGLONG to) { return (static_cast<double>(to) - static_cast<double>(from)) / 1e4; }

// When the RAS stand-in was first entered through this entry point; 0 if never.
ULONGLONG FirstRasCall(const std::vector<LogLine>& calls, const char* call) {
    const std::vector<LogLine> found = CallsOf(calls, call);
    return found.empty() ? 0 : found.front().Time("time");
}

class Attempt {
public:
    explicit Attempt(const AttemptOptions& options) : options_(options), standins_(options.folder) {}
    ~Attempt() { session_.close(); }

    AttemptSample run() {
        if (prepare() && startProduct() && enterCredentials() && connect() && endClient()) readLogs();
        return sample_;
    }

private:
    bool fail(const std::string& why) {
        sample_.failure = why;
        return false;
    }

    bool prepare() {
        std::string polls = options_.hangUpPolls < 0 ? "never" : std::to_string(options_.hangUpPolls);
        standins_.writeScenario("dial.delay_ms=" + std::to_string(options_.dialDelayMs) + "\nhangup.polls=" + polls +
                                "\n");
        // No stored login name: the User ID box starts empty.
        RegDeleteKeyA(HKEY_CURRENT_USER, SettingsStore::kProductKey);
        return true;
    }

    bool startProduct() {
        driver::ProductSession::Options start;
        start.environment = standins_.environment();
        if (!session_.start(start)) return fail("CreateProcess error " + std::to_string(session_.lastError()));
        window_ = session_.waitForWindow();
        return window_ ? true : fail("the login window did not appear");
    }

    bool enterCredentials() {
        if (!driver::Keyboard::postText(window_.child(IDC_USER_ID), "jsmith") ||
            !driver::Keyboard::postText(window_.child(IDC_PASSWORD), "pa55"))
            return fail("could not type the credentials");
        return driver::WaitUntil([&] { return window_.child(IDOK).enabled(); }, driver::kReactionLimitMs)
                   ? true
                   : fail("Login was not enabled");
    }

    // From the click until the client has been supervised for a moment, with
    // the dialog's answers timed all along.
    bool connect() {
        probe_ = std::make_unique<ResponsivenessProbe>(window_.handle());
        if (!probe_->start()) return fail("the probe thread did not start");
        clicked_ = SystemTime();
        if (!window_.child(IDOK).click()) return fail("Login could not be clicked");
        if (!driver::WaitUntil([&] { return !standins_.clientLogValue("started").empty(); },
                               kClientStartLimitMs, 5))
            return fail("the client did not start");
        if (!driver::WaitUntil([&] { return !window_.visible(); }, kHideLimitMs, 5))
            return fail("the dialog did not hide");
        hidden_ = SystemTime();
        Sleep(kSupervisingMs);
        sample_.attemptCommitted = driver::CommittedPrivateBytes(session_.process());
        return true;
    }

    bool endClient() {
        DWORD clientId = std::strtoul(standins_.clientLogValue("pid").c_str(), nullptr, 10);
        HANDLE client = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, clientId);
        if (!client) return fail("OpenProcess on the client error " + std::to_string(GetLastError()));
        standins_.releaseClient();
        bool clientEnded = WaitForSingleObject(client, kEndLimitMs) == WAIT_OBJECT_0;
        bool productEnded = clientEnded && session_.waitForExit(kEndLimitMs);
        std::vector<ResponsivenessProbe::Sample> answers = probe_->stop();
        FILETIME created, exited, kernel, user;
        ULONGLONG clientExit = GetProcessTimes(client, &created, &exited, &kernel, &user) ? AsNumber(exited) : 0;
        CloseHandle(client);
        if (!clientEnded) return fail("the client did not end");
        if (!productEnded) return fail("the program did not end after the client");
        if (!GetProcessTimes(session_.process(), &created, &exited, &kernel, &user) || !clientExit)
            return fail("GetProcessTimes error " + std::to_string(GetLastError()));
        sample_.teardownMs = Ms(clientExit, AsNumber(exited));
        answers_ = std::move(answers);
        return true;
    }

    void readLogs() {
        const std::vector<LogLine> ras = standins_.rasCalls();
        ULONGLONG firstCall = FirstRasCall(ras, "RasGetEntryPropertiesA");
        ULONGLONG dial = FirstRasCall(ras, "RasDialA");
        ULONGLONG projection = FirstRasCall(ras, "RasGetProjectionInfoA");
        ULONGLONG clientCreated = std::strtoull(standins_.clientLogValue("created").c_str(), nullptr, 10);
        const std::vector<LogLine> routes = standins_.routeRuns();
        if (!firstCall || !dial || !projection || !clientCreated || routes.size() != kRouteCommands) {
            fail("the stand-ins' logs miss a step (" + std::to_string(routes.size()) + " route commands)");
            return;
        }
        ULONGLONG lastRouteEnd = 0;
        for (const LogLine& run : routes) {
            ULONGLONG start = run.Time("start"), end = run.Time("end");
            sample_.routesInsideMs += Ms(start, end);
            lastRouteEnd = std::max(lastRouteEnd, end);
        }
        const double delay = options_.dialDelayMs;
        sample_.toDialMs = Ms(clicked_, dial);
        sample_.dialMs = Ms(dial, projection) - delay;
        sample_.routesMs = Ms(projection, lastRouteEnd);
        sample_.clientStartMs = Ms(lastRouteEnd, clientCreated);
        sample_.hideAfterClientMs = Ms(clientCreated, hidden_);
        sample_.overheadMs = Ms(clicked_, clientCreated) - delay;

        sample_.answers = static_cast<int>(answers_.size());
        for (const ResponsivenessProbe::Sample& answer : answers_) {
            sample_.longestAnswerMs = std::max(sample_.longestAnswerMs, answer.latencyMs);
            // An answer asked for before the worker's first RAS call may have
            // waited for the starter, which holds the dialog until the worker's
            // queue exists.
            if (answer.sentAt >= firstCall)
                sample_.longestAnswerAfterStartMs = std::max(sample_.longestAnswerAfterStartMs, answer.latencyMs);
        }
        sample_.ok = true;
    }

    const AttemptOptions& options_;
    driver::StandinWorld standins_;
    AttemptSample sample_;
    driver::ProductSession session_;
    driver::Window window_;
    std::unique_ptr<ResponsivenessProbe> probe_;
    ULONGLONG clicked_ = 0;
    ULONGLONG hidden_ = 0;
    std::vector<ResponsivenessProbe::Sample> answers_;
};

}  // namespace

AttemptSample MeasureAttempt(const AttemptOptions& options) { return Attempt(options).run(); }

}  // namespace bench
