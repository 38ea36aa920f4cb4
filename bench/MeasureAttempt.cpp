#include "MeasureAttempt.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <utility>
#include <vector>

#include "CommittedPrivateBytes.h"
#include "Keyboard.h"
#include "ProductSession.h"
#include "ResponsivenessProbe.h"
#include "WaitUntil.h"

namespace bench {
namespace {

constexpr const char* kProductKey = "Software\\Quillmarsh Holdings\\QuillMarsh Professional";
constexpr int kUserId = 1000;
constexpr int kPassword = 1001;
constexpr DWORD kClientStartLimitMs = 30000;
constexpr DWORD kHideLimitMs = 30000;
// Long enough after the hide for the program to settle into supervising.
constexpr DWORD kSupervisingMs = 300;
constexpr DWORD kEndLimitMs = 20000;
constexpr int kRouteCommands = 5;

using Fields = std::vector<std::pair<std::string, std::string>>;

ULONGLONG SystemTime() {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    return (static_cast<ULONGLONG>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
}

ULONGLONG AsNumber(const FILETIME& time) {
    return (static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

double Ms(ULONGLONG from, ULONGLONG to) { return (static_cast<double>(to) - static_cast<double>(from)) / 1e4; }

std::vector<std::string> ReadLines(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<std::string> lines;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

// "key=value" pairs separated by tabs, as both stand-ins log them.
Fields SplitFields(const std::string& line) {
    Fields fields;
    std::istringstream in(line);
    std::string field;
    while (std::getline(in, field, '\t')) {
        size_t equals = field.find('=');
        if (equals != std::string::npos) fields.emplace_back(field.substr(0, equals), field.substr(equals + 1));
    }
    return fields;
}

ULONGLONG NumberField(const Fields& fields, const char* key) {
    for (const auto& field : fields)
        if (field.first == key) return std::strtoull(field.second.c_str(), nullptr, 10);
    return 0;
}

// When the RAS stand-in was first entered through this entry point; 0 if never.
ULONGLONG FirstRasCall(const std::string& log, const char* call) {
    const std::string wanted = std::string("call=") + call + "\t";
    for (const std::string& line : ReadLines(log))
        if (line.compare(0, wanted.size(), wanted) == 0) return NumberField(SplitFields(line), "time");
    return 0;
}

std::string ClientLogValue(const std::string& log, const char* key) {
    const std::string prefix = std::string(key) + "=";
    for (const std::string& line : ReadLines(log))
        if (line.compare(0, prefix.size(), prefix) == 0) return line.substr(prefix.size());
    return std::string();
}

void WriteFile(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

class Attempt {
public:
    explicit Attempt(const AttemptOptions& options) : options_(options) {}
    ~Attempt() {
        session_.close();
        if (quit_) CloseHandle(quit_);
    }

    AttemptSample run() {
        if (prepare() && startProduct() && enterCredentials() && connect() && endClient()) readLogs();
        return sample_;
    }

private:
    std::string file(const char* name) const { return options_.folder + "\\" + name; }

    bool fail(const std::string& why) {
        sample_.failure = why;
        return false;
    }

    bool prepare() {
        CreateDirectoryA(options_.folder.c_str(), nullptr);
        for (const char* name : {"ras.log", "route.log", "routes.txt", "client.log"}) DeleteFileA(file(name).c_str());
        std::string polls = options_.hangUpPolls < 0 ? "never" : std::to_string(options_.hangUpPolls);
        WriteFile(file("ras-scenario.txt"),
                  "dial.delay_ms=" + std::to_string(options_.dialDelayMs) + "\nhangup.polls=" + polls + "\n");
        // No stored login name: the User ID box starts empty.
        RegDeleteKeyA(HKEY_CURRENT_USER, kProductKey);
        quitName_ = "qm-bench-client-quit-" + std::to_string(GetCurrentProcessId());
        quit_ = CreateEventA(nullptr, TRUE, FALSE, quitName_.c_str());
        return quit_ ? true : fail("CreateEvent error " + std::to_string(GetLastError()));
    }

    bool startProduct() {
        driver::ProductSession::Options start;
        start.environment = {
            {"QM_RAS_SCENARIO", file("ras-scenario.txt")}, {"QM_RAS_LOG", file("ras.log")},
            {"QM_ROUTE_LOG", file("route.log")},           {"QM_ROUTE_TABLE", file("routes.txt")},
            {"QM_CLIENT_LOG", file("client.log")},         {"QM_CLIENT_QUIT_EVENT", quitName_},
            {"QM_CLIENT_HIDDEN", "1"},
        };
        if (!session_.start(start)) return fail("CreateProcess error " + std::to_string(session_.lastError()));
        window_ = session_.waitForWindow();
        return window_ ? true : fail("the login window did not appear");
    }

    bool enterCredentials() {
        if (!driver::Keyboard::postText(window_.child(kUserId), "jsmith") ||
            !driver::Keyboard::postText(window_.child(kPassword), "pa55"))
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
        if (!driver::WaitUntil([&] { return !ClientLogValue(file("client.log"), "started").empty(); },
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
        DWORD clientId = std::strtoul(ClientLogValue(file("client.log"), "pid").c_str(), nullptr, 10);
        HANDLE client = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, clientId);
        if (!client) return fail("OpenProcess on the client error " + std::to_string(GetLastError()));
        SetEvent(quit_);
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
        const std::string ras = file("ras.log");
        ULONGLONG firstCall = FirstRasCall(ras, "RasGetEntryPropertiesA");
        ULONGLONG dial = FirstRasCall(ras, "RasDialA");
        ULONGLONG projection = FirstRasCall(ras, "RasGetProjectionInfoA");
        ULONGLONG clientCreated = std::strtoull(ClientLogValue(file("client.log"), "created").c_str(), nullptr, 10);
        std::vector<std::string> routes = ReadLines(file("route.log"));
        if (!firstCall || !dial || !projection || !clientCreated || routes.size() != kRouteCommands) {
            fail("the stand-ins' logs miss a step (" + std::to_string(routes.size()) + " route commands)");
            return;
        }
        ULONGLONG lastRouteEnd = 0;
        for (const std::string& line : routes) {
            Fields fields = SplitFields(line);
            ULONGLONG start = NumberField(fields, "start"), end = NumberField(fields, "end");
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
    AttemptSample sample_;
    driver::ProductSession session_;
    driver::Window window_;
    std::string quitName_;
    HANDLE quit_ = nullptr;
    std::unique_ptr<ResponsivenessProbe> probe_;
    ULONGLONG clicked_ = 0;
    ULONGLONG hidden_ = 0;
    std::vector<ResponsivenessProbe::Sample> answers_;
};

}  // namespace

AttemptSample MeasureAttempt(const AttemptOptions& options) { return Attempt(options).run(); }

}  // namespace bench
