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
    explicit Attempt(const AttemptOptions& options) : m_options(options), m_standins(options.folder) {}
    ~Attempt() { m_session.close(); }

    AttemptSample run() {
        if (prepare() && startProduct() && enterCredentials() && connect() && endClient()) readLogs();
        return m_sample;
    }

private:
    bool fail(const std::string& why) {
        m_sample.failure = why;
        return false;
    }

    bool prepare() {
        std::string polls = m_options.hangUpPolls < 0 ? "never" : std::to_string(m_options.hangUpPolls);
        m_standins.writeScenario("dial.delay_ms=" + std::to_string(m_options.dialDelayMs) + "\nhangup.polls=" + polls +
                                 "\n");
        // No stored login name: the User ID box starts empty.
        RegDeleteKeyA(HKEY_CURRENT_USER, SettingsStore::kProductKey);
        return true;
    }

    bool startProduct() {
        driver::ProductSession::Options start;
        start.environment = m_standins.environment();
        start.asStandardUser = m_options.throughService;
        if (!m_session.start(start)) return fail("CreateProcess error " + std::to_string(m_session.lastError()));
        m_window = m_session.waitForWindow();
        return m_window ? true : fail("the login window did not appear");
    }

    bool enterCredentials() {
        if (!driver::Keyboard::postText(m_window.child(IDC_USER_ID), "jsmith") ||
            !driver::Keyboard::postText(m_window.child(IDC_PASSWORD), "pa55"))
            return fail("could not type the credentials");
        return driver::WaitUntil([&] { return m_window.child(IDOK).enabled(); }, driver::kReactionLimitMs)
                   ? true
                   : fail("Login was not enabled");
    }

    // From the click until the client has been supervised for a moment, with
    // the dialog's answers timed all along.
    bool connect() {
        m_probe = std::make_unique<ResponsivenessProbe>(m_window.handle());
        if (!m_probe->start()) return fail("the probe thread did not start");
        m_clicked = SystemTime();
        if (!m_window.child(IDOK).click()) return fail("Login could not be clicked");
        if (!driver::WaitUntil([&] { return !m_standins.clientLogValue("started").empty(); }, kClientStartLimitMs, 5))
            return fail("the client did not start");
        if (!driver::WaitUntil([&] { return !m_window.visible(); }, kHideLimitMs, 5))
            return fail("the dialog did not hide");
        m_hidden = SystemTime();
        Sleep(kSupervisingMs);
        m_sample.attemptCommitted = driver::CommittedPrivateBytes(m_session.process());
        return true;
    }

    bool endClient() {
        DWORD clientId = std::strtoul(m_standins.clientLogValue("pid").c_str(), nullptr, 10);
        HANDLE client = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, clientId);
        if (!client) return fail("OpenProcess on the client error " + std::to_string(GetLastError()));
        m_standins.releaseClient();
        bool clientEnded = WaitForSingleObject(client, kEndLimitMs) == WAIT_OBJECT_0;
        bool productEnded = clientEnded && m_session.waitForExit(kEndLimitMs);
        std::vector<ResponsivenessProbe::Sample> answers = m_probe->stop();
        FILETIME created, exited, kernel, user;
        ULONGLONG clientExit = GetProcessTimes(client, &created, &exited, &kernel, &user) ? AsNumber(exited) : 0;
        CloseHandle(client);
        if (!clientEnded) return fail("the client did not end");
        if (!productEnded) return fail("the program did not end after the client");
        if (!GetProcessTimes(m_session.process(), &created, &exited, &kernel, &user) || !clientExit)
            return fail("GetProcessTimes error " + std::to_string(GetLastError()));
        m_sample.teardownMs = Ms(clientExit, AsNumber(exited));
        m_answers = std::move(answers);
        return true;
    }

    void readLogs() {
        const std::vector<LogLine> ras = m_standins.rasCalls();
        ULONGLONG firstCall = FirstRasCall(ras, "RasGetEntryPropertiesA");
        ULONGLONG dial = FirstRasCall(ras, "RasDialA");
        ULONGLONG projection = FirstRasCall(ras, "RasGetProjectionInfoA");
        ULONGLONG clientCreated = std::strtoull(m_standins.clientLogValue("created").c_str(), nullptr, 10);
        const std::vector<LogLine> routes = m_standins.routeRuns();
        if (!firstCall || !dial || !projection || !clientCreated || routes.size() != kRouteCommands) {
            fail("the stand-ins' logs miss a step (" + std::to_string(routes.size()) + " route commands)");
            return;
        }
        ULONGLONG firstRouteStart = routes.front().Time("start"), lastRouteEnd = 0;
        for (const LogLine& run : routes) {
            ULONGLONG start = run.Time("start"), end = run.Time("end");
            m_sample.routesInsideMs += Ms(start, end);
            firstRouteStart = std::min(firstRouteStart, start);
            lastRouteEnd = std::max(lastRouteEnd, end);
            // The service's commands run elevated; a refused one means the
            // attempt did not take the path it measures.
            if (run.Get("exit") != "0" && run.Get("args").rfind("ADD ", 0) == 0) {
                fail("route " + run.Get("args") + " exited " + run.Get("exit"));
                return;
            }
        }
        const double delay = m_options.dialDelayMs;
        m_sample.toDialMs = Ms(m_clicked, dial);
        m_sample.dialMs = Ms(dial, projection) - delay;
        m_sample.routesMs = Ms(projection, lastRouteEnd);
        m_sample.toFirstRouteMs = Ms(projection, firstRouteStart);
        m_sample.clientStartMs = Ms(lastRouteEnd, clientCreated);
        m_sample.hideAfterClientMs = Ms(clientCreated, m_hidden);
        m_sample.overheadMs = Ms(m_clicked, clientCreated) - delay;

        m_sample.answers = static_cast<int>(m_answers.size());
        for (const ResponsivenessProbe::Sample& answer : m_answers) {
            m_sample.longestAnswerMs = std::max(m_sample.longestAnswerMs, answer.latencyMs);
            // An answer asked for before the worker's first RAS call may have
            // waited for the starter, which holds the dialog until the worker's
            // queue exists.
            if (answer.sentAt >= firstCall)
                m_sample.longestAnswerAfterStartMs = std::max(m_sample.longestAnswerAfterStartMs, answer.latencyMs);
        }
        m_sample.ok = true;
    }

    const AttemptOptions& m_options;
    driver::StandinWorld m_standins;
    AttemptSample m_sample;
    driver::ProductSession m_session;
    driver::Window m_window;
    std::unique_ptr<ResponsivenessProbe> m_probe;
    ULONGLONG m_clicked = 0;
    ULONGLONG m_hidden = 0;
    std::vector<ResponsivenessProbe::Sample> m_answers;
};

} // namespace

AttemptSample MeasureAttempt(const AttemptOptions& options) { return Attempt(options).run(); }

} // namespace bench
