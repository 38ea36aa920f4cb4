// The six RAS entry points of the stand-in service. Each call logs what it was
// given, then either returns the result its scenario forces or behaves like the
// firm's gateway on a healthy desk. Results are the service's own numbers.
#include <windows.h>
#include <ras.h>
#include <raserror.h>
#include <cstddef>
#include <cstring>
#include <string>
#include <vector>

#include "CallLog.h"
#include "Connections.h"
#include "DialFailures.h"
#include "EntryFields.h"
#include "LiveConnections.h"
#include "Phonebook.h"
#include "Scenario.h"

namespace {

const DWORD kDefaultEntrySize = sizeof(RASENTRYA);
const DWORD kDefaultDialDelay = 1000;
const DWORD kDefaultHangUpPolls = 2;
const DWORD kDefaultDropError = ERROR_REMOTE_DISCONNECTION;
const DWORD kDefaultDialFailError = ERROR_AUTOMATIC_VPN_FAILED;
const char kDefaultClientAddress[] = "10.200.40.23";
const char kDefaultServerAddress[] = "10.200.40.1";
const char kDeviceType[] = "vpn";
const char kDeviceName[] = "RAS VPN Line 0";

template <size_t N>
std::string FieldText(const char (&field)[N]) {
    return std::string(field, strnlen(field, N));
}

std::string TextOrNull(LPCSTR text) { return text ? std::string(text) : std::string("(null)"); }

void LogSize(CallLog& log, const char* key, const DWORD* size) {
    if (size)
        log.Number(key, *size);
    else
        log.Text(key, "null");
}

bool IsDialParamsVersion(DWORD size) {
    return size == offsetof(RASDIALPARAMSA, dwSubEntry)                                           // Windows NT 4.0
           || size == offsetof(RASDIALPARAMSA, dwCallbackId) + sizeof(ULONG_PTR)                  // Windows 2000 and XP
           || size == offsetof(RASDIALPARAMSA, dwCallbackId) + sizeof(ULONG_PTR) + sizeof(DWORD); // Windows 7
}

bool IsConnStatusVersion(DWORD size) {
    return size == (offsetof(RASCONNSTATUSA, szPhoneNumber) + 3) / 4 * 4 || size == sizeof(RASCONNSTATUSA);
}

bool IsPppIpVersion(DWORD size) {
    return size == offsetof(RASPPPIPA, szServerIpAddress) // Windows NT 3.5
           || size == offsetof(RASPPPIPA, dwOptions)      // Windows NT 4.0
           || size == sizeof(RASPPPIPA);                  // Windows 2000 on
}

void LogEntryFields(CallLog& log, const RASENTRYA* entry, DWORD recordSize) {
    const BYTE* record = reinterpret_cast<const BYTE*>(entry);
    for (size_t i = 0; i < kEntryFieldCount; ++i) {
        const EntryField& field = kEntryFields[i];
        if (!FieldFits(field, recordSize)) continue;
        std::string key = std::string("entry.") + field.name;
        log.Text(key.c_str(), FieldValue(record, field));
        if (FieldUnterminated(record, field)) log.Text((key + ".unterminated").c_str(), "1");
    }
}

Connections::Drop DropOf(const Scenario& scenario) {
    return Connections::Drop{scenario.Number("drop.serial", 0), scenario.Number("drop.error", kDefaultDropError)};
}

void LogDrop(CallLog& log, bool dropped) {
    if (dropped) log.Text("dropped", "1");
}

DWORD Finish(CallLog& log, DWORD result) {
    log.Number("result", result);
    log.Write();
    return result;
}

} // namespace

DWORD WINAPI RasGetEntryPropertiesA(LPCSTR phonebook, LPCSTR entryName, LPRASENTRYA entry, LPDWORD entrySize,
                                    LPBYTE deviceInfo, LPDWORD deviceInfoSize) {
    Scenario scenario = Scenario::Load();
    CallLog log("RasGetEntryPropertiesA");
    log.Text("kind", entry ? "get" : "size");
    log.Text("pbk", TextOrNull(phonebook));
    log.Text("name", TextOrNull(entryName));
    log.Pointer("info", entry);
    LogSize(log, "size", entrySize);
    log.Pointer("devinfo", deviceInfo);
    LogSize(log, "devsize", deviceInfoSize);
    if (entry) log.Number("entry.dwSize", entry->dwSize);

    DWORD needed = scenario.Number("size.bytes", kDefaultEntrySize);
    const char* forcedKey = entry ? "get.result" : "size.result";
    if (scenario.Has(forcedKey)) {
        DWORD forced = scenario.Number(forcedKey, 0);
        if (forced == ERROR_BUFFER_TOO_SMALL && entrySize) *entrySize = needed;
        LogSize(log, "out.size", entrySize);
        return Finish(log, forced);
    }

    if (!entryName || !entrySize) return Finish(log, ERROR_INVALID_PARAMETER);
    Phonebook::Settings settings;
    if (!Phonebook(Phonebook::PathFor(phonebook)).Read(entryName, &settings))
        return Finish(log, ERROR_CANNOT_FIND_PHONEBOOK_ENTRY);
    if (!entry) {
        *entrySize = needed;
        log.Number("out.size", *entrySize);
        return Finish(log, ERROR_BUFFER_TOO_SMALL);
    }
    if (!IsEntryVersion(entry->dwSize)) return Finish(log, ERROR_INVALID_SIZE);
    if (*entrySize < entry->dwSize) {
        *entrySize = entry->dwSize;
        log.Number("out.size", *entrySize);
        return Finish(log, ERROR_BUFFER_TOO_SMALL);
    }

    BYTE* record = reinterpret_cast<BYTE*>(entry);
    DWORD version = entry->dwSize;
    std::memset(record + sizeof(DWORD), 0, version - sizeof(DWORD));
    for (const auto& setting : settings) {
        for (size_t i = 0; i < kEntryFieldCount; ++i) {
            const EntryField& field = kEntryFields[i];
            if (setting.first == field.name && field.offset != 0 && FieldFits(field, version))
                SetFieldValue(record, field, setting.second);
        }
    }
    if (deviceInfoSize) *deviceInfoSize = 0;
    log.Text("out.szLocalPhoneNumber", FieldText(entry->szLocalPhoneNumber));
    log.Number("out.dwfOptions", entry->dwfOptions);
    return Finish(log, 0);
}

DWORD WINAPI RasSetEntryPropertiesA(LPCSTR phonebook, LPCSTR entryName, LPRASENTRYA entry, DWORD entrySize,
                                    LPBYTE deviceInfo, DWORD deviceInfoSize) {
    Scenario scenario = Scenario::Load();
    CallLog log("RasSetEntryPropertiesA");
    log.Text("pbk", TextOrNull(phonebook));
    log.Text("name", TextOrNull(entryName));
    log.Pointer("info", entry);
    log.Number("size", entrySize);
    log.Pointer("devinfo", deviceInfo);
    log.Number("devsize", deviceInfoSize);
    bool wellFormed = entry && IsEntryVersion(entry->dwSize) && entrySize >= entry->dwSize;
    if (wellFormed)
        LogEntryFields(log, entry, entry->dwSize);
    else if (entry)
        log.Number("entry.dwSize", entry->dwSize);

    if (scenario.Has("set.result")) return Finish(log, scenario.Number("set.result", 0));
    if (!entryName || !entry || !*entryName || std::strlen(entryName) > RAS_MaxEntryName)
        return Finish(log, ERROR_INVALID_PARAMETER);
    if (!wellFormed) return Finish(log, ERROR_INVALID_SIZE);

    const BYTE* record = reinterpret_cast<const BYTE*>(entry);
    Phonebook::Settings settings;
    for (size_t i = 0; i < kEntryFieldCount; ++i) {
        const EntryField& field = kEntryFields[i];
        if (field.offset != 0 && FieldFits(field, entry->dwSize))
            settings.emplace_back(field.name, FieldValue(record, field));
    }
    return Finish(log, Phonebook(Phonebook::PathFor(phonebook)).Write(entryName, settings));
}

DWORD WINAPI RasDialA(LPRASDIALEXTENSIONS extensions, LPCSTR phonebook, LPRASDIALPARAMSA params, DWORD notifierType,
                      LPVOID notifier, LPHRASCONN connection) {
    Scenario scenario = Scenario::Load();
    CallLog log("RasDialA");
    log.Pointer("ext", extensions);
    log.Text("pbk", TextOrNull(phonebook));
    log.Pointer("params", params);
    bool wellFormed = params && IsDialParamsVersion(params->dwSize);
    if (params) log.Number("params.dwSize", params->dwSize);
    if (wellFormed) {
        log.Text("params.szEntryName", FieldText(params->szEntryName));
        log.Text("params.szPhoneNumber", FieldText(params->szPhoneNumber));
        log.Text("params.szCallbackNumber", FieldText(params->szCallbackNumber));
        log.Text("params.szUserName", FieldText(params->szUserName));
        log.Text("params.szPassword", FieldText(params->szPassword));
        log.Text("params.szDomain", FieldText(params->szDomain));
        if (params->dwSize > offsetof(RASDIALPARAMSA, dwSubEntry)) {
            log.Number("params.dwSubEntry", params->dwSubEntry);
            log.Number("params.dwCallbackId", static_cast<DWORD>(params->dwCallbackId));
        }
    }
    log.Number("notifierType", notifierType);
    log.Pointer("notifier", notifier);
    log.Pointer("handleOut", connection);
    if (!params || !connection) return Finish(log, ERROR_INVALID_PARAMETER);
    if (!wellFormed) return Finish(log, ERROR_INVALID_SIZE);

    // Connecting to the gateway takes its time; the call is synchronous. A
    // test that names a release event decides when the time is up instead.
    const DWORD delay = scenario.Number("dial.delay_ms", kDefaultDialDelay);
    HANDLE release = nullptr;
    if (scenario.Has("dial.release_event"))
        release = OpenEventA(SYNCHRONIZE, FALSE, scenario.Text("dial.release_event", "").c_str());
    if (release) {
        WaitForSingleObject(release, delay);
        CloseHandle(release);
    } else {
        Sleep(delay);
    }

    DWORD result = 0;
    DWORD failuresLeft = 0;
    if (DialFailures::Take(scenario, &failuresLeft)) {
        result = scenario.Number("dial.fail_error", kDefaultDialFailError);
        log.Number("fail_left", failuresLeft);
    } else if (scenario.Has("dial.result")) {
        result = scenario.Number("dial.result", 0);
    } else {
        Phonebook::Settings settings;
        if (!Phonebook(Phonebook::PathFor(phonebook)).Read(FieldText(params->szEntryName), &settings)) {
            result = ERROR_CANNOT_FIND_PHONEBOOK_ENTRY;
        } else {
            std::string number = FieldText(params->szPhoneNumber);
            for (const auto& setting : settings)
                if (number.empty() && setting.first == "szLocalPhoneNumber") number = setting.second;
            log.Text("dialled", number);
        }
    }

    if (result == 0 || scenario.Text("dial.handle", "yes") != "no")
        *connection = Connections::Open(result == 0, result, scenario.Number("drop.serial", 0));
    if (result == 0)
        LiveConnections::Publish(*connection, FieldText(params->szEntryName),
                                 scenario.Text("projection.client", kDefaultClientAddress),
                                 scenario.Text("projection.server", kDefaultServerAddress));
    log.Handle("conn", *connection);
    return Finish(log, result);
}

DWORD WINAPI RasHangUpA(HRASCONN connection) {
    Scenario scenario = Scenario::Load();
    CallLog log("RasHangUpA");
    log.Handle("conn", connection);
    std::string polls = scenario.Text("hangup.polls", "");
    long pollsLeft = polls == "never" ? -1 : static_cast<long>(scenario.Number("hangup.polls", kDefaultHangUpPolls));
    // A forced failure still lets the connection go: the gateway ends it anyway.
    bool dropped = false;
    bool known = Connections::Close(connection, pollsLeft, DropOf(scenario), &dropped);
    LogDrop(log, dropped);
    if (scenario.Has("hangup.result")) return Finish(log, scenario.Number("hangup.result", 0));
    return Finish(log, known ? 0 : ERROR_INVALID_HANDLE);
}

DWORD WINAPI RasGetConnectStatusA(HRASCONN connection, LPRASCONNSTATUSA status) {
    Scenario scenario = Scenario::Load();
    CallLog log("RasGetConnectStatusA");
    log.Handle("conn", connection);
    log.Pointer("status", status);
    if (status) log.Number("status.dwSize", status->dwSize);
    if (!status) return Finish(log, ERROR_INVALID_PARAMETER);
    if (!IsConnStatusVersion(status->dwSize)) return Finish(log, ERROR_INVALID_SIZE);

    DWORD error = 0;
    bool dropped = false;
    Connections::State state = Connections::Query(connection, DropOf(scenario), &error, &dropped);
    LogDrop(log, dropped);
    if (state == Connections::State::Gone) return Finish(log, ERROR_INVALID_HANDLE);
    if (scenario.Has("status.result")) return Finish(log, scenario.Number("status.result", 0));

    status->rasconnstate = state == Connections::State::Connected ? RASCS_Connected : RASCS_Disconnected;
    status->dwError = error;
    lstrcpynA(status->szDeviceType, kDeviceType, sizeof status->szDeviceType);
    lstrcpynA(status->szDeviceName, kDeviceName, sizeof status->szDeviceName);
    if (status->dwSize == sizeof(RASCONNSTATUSA)) status->szPhoneNumber[0] = '\0';
    log.Number("state", status->rasconnstate);
    return Finish(log, 0);
}

DWORD WINAPI RasGetProjectionInfoA(HRASCONN connection, RASPROJECTION projection, LPVOID info, LPDWORD infoSize) {
    Scenario scenario = Scenario::Load();
    CallLog log("RasGetProjectionInfoA");
    log.Handle("conn", connection);
    log.Number("projection", projection);
    log.Pointer("info", info);
    LogSize(log, "size", infoSize);
    RASPPPIPA* ip = static_cast<RASPPPIPA*>(info);
    if (ip) log.Number("info.dwSize", ip->dwSize);

    if (scenario.Has("projection.result")) return Finish(log, scenario.Number("projection.result", 0));
    bool dropped = false;
    Connections::State state = Connections::StateOf(connection, DropOf(scenario), &dropped);
    LogDrop(log, dropped);
    std::string client = scenario.Text("projection.client", kDefaultClientAddress);
    std::string server = scenario.Text("projection.server", kDefaultServerAddress);
    // Another process's connection, as RasEnumConnectionsA listed it.
    if (state == Connections::State::Gone && LiveConnections::Projection(connection, &client, &server))
        state = Connections::State::Connected;
    if (state == Connections::State::Gone) return Finish(log, ERROR_INVALID_HANDLE);
    if (state != Connections::State::Connected) return Finish(log, ERROR_PROJECTION_NOT_COMPLETE);
    if (projection != RASP_PppIp) return Finish(log, ERROR_PROTOCOL_NOT_CONFIGURED);
    if (!ip || !infoSize) return Finish(log, ERROR_INVALID_PARAMETER);
    if (!IsPppIpVersion(ip->dwSize)) return Finish(log, ERROR_INVALID_SIZE);
    if (*infoSize < ip->dwSize) {
        *infoSize = ip->dwSize;
        return Finish(log, ERROR_BUFFER_TOO_SMALL);
    }

    ip->dwError = 0;
    lstrcpynA(ip->szIpAddress, client.c_str(), sizeof ip->szIpAddress);
    if (ip->dwSize >= offsetof(RASPPPIPA, dwOptions))
        lstrcpynA(ip->szServerIpAddress, server.c_str(), sizeof ip->szServerIpAddress);
    if (ip->dwSize == sizeof(RASPPPIPA)) {
        ip->dwOptions = 0;
        ip->dwServerOptions = 0;
    }
    log.Text("client", FieldText(ip->szIpAddress));
    if (ip->dwSize >= offsetof(RASPPPIPA, dwOptions)) log.Text("server", FieldText(ip->szServerIpAddress));
    return Finish(log, 0);
}

// The first record's version, or the headers' latest; every record of the
// answer has the caller's size.
DWORD WINAPI RasEnumConnectionsA(LPRASCONNA connections, LPDWORD size, LPDWORD count) {
    CallLog log("RasEnumConnectionsA");
    log.Pointer("conns", connections);
    LogSize(log, "size", size);
    if (!connections || !size || !count) return Finish(log, ERROR_INVALID_PARAMETER);
    const DWORD recordSize = connections->dwSize;
    log.Number("conns.dwSize", recordSize);
    if (recordSize != 412 && recordSize != sizeof(RASCONNA)) return Finish(log, ERROR_INVALID_SIZE);

    std::vector<LiveConnections::Listed> listed = LiveConnections::List();
    const DWORD needed = static_cast<DWORD>(listed.size()) * recordSize;
    *count = static_cast<DWORD>(listed.size());
    log.Number("count", *count);
    if (*size < needed) {
        *size = needed;
        return Finish(log, ERROR_BUFFER_TOO_SMALL);
    }
    BYTE* at = reinterpret_cast<BYTE*>(connections);
    for (const LiveConnections::Listed& connection : listed) {
        RASCONNA* record = reinterpret_cast<RASCONNA*>(at);
        ZeroMemory(record, recordSize);
        record->dwSize = recordSize;
        record->hrasconn = connection.handle;
        lstrcpynA(record->szEntryName, connection.entryName.c_str(), sizeof record->szEntryName);
        lstrcpynA(record->szDeviceType, kDeviceType, sizeof record->szDeviceType);
        lstrcpynA(record->szDeviceName, kDeviceName, sizeof record->szDeviceName);
        at += recordSize;
    }
    *size = needed;
    return Finish(log, 0);
}
