#include "VpnLink.h"

#include <raserror.h>
#include <cstdlib>
#include <cstring>

#include "RouteServiceClient.h"
#include "SupportLog.h"
#include "SystemLibrary.h"
#include "VpnPlatformCalls.h"

namespace {

const char kRasLibrary[] = "rasapi32.dll";

// Each preset is copied into a fixed RAS field; a longer one would not fit.
constexpr char kEntryName[] = "QuillMarsh Professional Trading";
constexpr char kUserName[] = "Trader";
constexpr char kPassword[] = "Marigold!";
constexpr char kDomain[] = "ORBDOM";
constexpr char kServerHost[] = "vpn.quillmarsh-holdings.com";
static_assert(sizeof kEntryName <= sizeof RasDialParams1060::szEntryName, "entry name too long for RAS");
static_assert(sizeof kUserName <= sizeof RasDialParams1060::szUserName, "user name too long for RAS");
static_assert(sizeof kPassword <= sizeof RasDialParams1060::szPassword, "password too long for RAS");
static_assert(sizeof kDomain <= sizeof RasDialParams1060::szDomain, "domain too long for RAS");
static_assert(sizeof kServerHost <= sizeof RasEntry2088::szLocalPhoneNumber, "gateway host too long for RAS");

// The settings the firm's gateway insists on. The tunnel must not become the
// default gateway: only the firm's own networks are routed through it.
const DWORD kEntryOptions =
    RASEO_IpHeaderCompression | RASEO_SwCompression | RASEO_RequireMsEncryptedPw | RASEO_RequireDataEncryption;
static_assert(kEntryOptions == 0x1A08, "");

const DWORD kHangUpWaitLimit = 30000;
const DWORD kHangUpPollInterval = 100;

const struct {
    const char* network;
    const char* mask;
} kRoutes[] = {
    {"10.200.3.0", "255.255.255.0"},
    {"10.200.4.0", "255.255.255.0"},
    {"10.200.32.0", "255.255.252.0"},
    {"10.200.36.0", "255.255.252.0"},
};

template <typename Proc>
bool BindEntryPoint(HMODULE library, const char* name, Proc& slot, CString& lastError) {
    FARPROC proc = g_vpnSeams.getProcAddress(library, name);
    if (!proc) {
        lastError = CString("error loading ") + name;
        return false;
    }
    slot = reinterpret_cast<Proc>(reinterpret_cast<void*>(proc));
    return true;
}

// The text up to its NUL, but never past the field that holds it.
template <size_t N>
CString FieldText(const char (&field)[N]) {
    return CString(field, static_cast<int>(strnlen(field, N)));
}

} // namespace

VpnLinkSettings::VpnLinkSettings()
    : entryName(kEntryName), rasUserName(kUserName), rasPassword(kPassword), rasDomain(kDomain),
      serverHost(kServerHost), installRoutes(true), hangUpWaitLimit(kHangUpWaitLimit) {
    for (const auto& route : kRoutes) routes.push_back(RouteEntry{route.network, route.mask});
}

VpnLink::VpnLink(const VpnLinkSettings& linkSettings)
    : settings(linkSettings), rasLibrary(nullptr), entryBuffer(nullptr), connection(nullptr), serverAddress("none"),
      clientAddress("none") {}

VpnLink::~VpnLink() { Unbind(); }

DWORD VpnLink::Connect() {
    if (!BindRasApi() || !ProvisionEntry()) {
        Unbind();
        return kLinkFailed;
    }
    DWORD result = Dial();
    if (result != 0) {
        Unbind();
        return result;
    }
    // A failed projection keeps the link up; destruction hangs it up.
    return ApplyProjection() ? 0 : kLinkFailed;
}

bool VpnLink::IsConnected(DWORD& answer, DWORD& state, DWORD& error) {
    state = RASCS_Disconnected;
    error = 0;
    if (!connection || !rasApi.RasGetConnectStatusA) {
        answer = ERROR_INVALID_HANDLE;
        return false;
    }
    RasConnStatus288 status;
    ZeroMemory(&status, sizeof status);
    status.dwSize = sizeof status;
    answer = rasApi.RasGetConnectStatusA(connection, &status);
    if (answer != 0) return false;
    state = status.rasconnstate;
    error = status.dwError;
    return state == RASCS_Connected;
}

DWORD VpnLink::Reconnect() {
    HangUp();
    lastError = "";
    if (!ProvisionEntry()) return kLinkFailed;
    DWORD result = Dial();
    if (result != 0) {
        // The handle of a failed dial is given back at once, as after the first.
        CString dialError = lastError;
        HangUp();
        if (lastError.IsEmpty()) lastError = dialError;
        return result;
    }
    if (!ApplyProjection()) {
        CString projectionError = lastError;
        HangUp();
        lastError = projectionError;
        return kLinkFailed;
    }
    return 0;
}

bool VpnLink::BindRasApi() {
    char path[MAX_PATH];
    rasLibrary = SystemFilePath(kRasLibrary, path, sizeof path) ? g_vpnSeams.loadLibrary(path) : nullptr;
    if (reinterpret_cast<UINT_PTR>(rasLibrary) < 32) {
        lastError = CString("LoadLibrary ") + kRasLibrary;
        return false;
    }
    return BindEntryPoint(rasLibrary, "RasGetEntryPropertiesA", rasApi.RasGetEntryPropertiesA, lastError) &&
           BindEntryPoint(rasLibrary, "RasSetEntryPropertiesA", rasApi.RasSetEntryPropertiesA, lastError) &&
           BindEntryPoint(rasLibrary, "RasDialA", rasApi.RasDialA, lastError) &&
           BindEntryPoint(rasLibrary, "RasHangUpA", rasApi.RasHangUpA, lastError) &&
           BindEntryPoint(rasLibrary, "RasGetConnectStatusA", rasApi.RasGetConnectStatusA, lastError) &&
           BindEntryPoint(rasLibrary, "RasGetProjectionInfoA", rasApi.RasGetProjectionInfoA, lastError);
}

bool VpnLink::ProvisionEntry() {
    DWORD size = 0;
    DWORD result = rasApi.RasGetEntryPropertiesA(nullptr, settings.entryName, nullptr, &size, nullptr, nullptr);
    if (result == ERROR_CANNOT_FIND_PHONEBOOK_ENTRY) {
        SupportLog::Write("Phonebook entry \"%s\" missing: written", settings.entryName.GetString());
        return WriteEntry() == 0;
    }
    if (result != ERROR_BUFFER_TOO_SMALL) {
        SetRasFailure("RasGetEntryProperties (size) ", result);
        return false;
    }

    // Never smaller than the record the match test reads, whatever size RAS
    // asks for, so that a short answer cannot send the test past the block.
    size_t blockSize = size > sizeof(RasEntry2088) ? size : sizeof(RasEntry2088);
    free(entryBuffer);
    entryBuffer = static_cast<RasEntry2088*>(malloc(blockSize));
    if (!entryBuffer) {
        lastError = "RasGetEntryProperties (malloc) " + settings.entryName;
        return false;
    }
    ZeroMemory(entryBuffer, blockSize);
    // RAS reads the version of the record from dwSize: the one it asked for.
    entryBuffer->dwSize = size;
    result = rasApi.RasGetEntryPropertiesA(nullptr, settings.entryName, entryBuffer, &size, nullptr, nullptr);
    if (result != 0) {
        SetRasFailure("RasGetEntryProperties (get) ", result);
        return false;
    }
    if (EntryIsCurrent()) {
        SupportLog::Write("Phonebook entry \"%s\" checked: current", settings.entryName.GetString());
        return true;
    }
    SupportLog::Write("Phonebook entry \"%s\" checked: gateway or security options changed, written again",
                      settings.entryName.GetString());
    return WriteEntry() == 0;
}

bool VpnLink::EntryIsCurrent() const {
    // Users may retouch other settings by hand; only the gateway and the
    // security options decide whether the entry still works for us.
    return FieldText(entryBuffer->szLocalPhoneNumber).CompareNoCase(settings.serverHost) == 0 &&
           (entryBuffer->dwfOptions & kEntryOptions) == kEntryOptions;
}

DWORD VpnLink::WriteEntry() {
    RasEntry2088 entry;
    ZeroMemory(&entry, sizeof entry);
    entry.dwSize = sizeof entry;
    entry.dwfOptions = kEntryOptions;
    lstrcpynA(entry.szLocalPhoneNumber, settings.serverHost, sizeof entry.szLocalPhoneNumber);
    entry.dwfNetProtocols = RASNP_Ip;
    lstrcpynA(entry.szDeviceType, RASDT_Vpn, sizeof entry.szDeviceType);
    lstrcpynA(entry.szDeviceName, "RAS VPN Line 0", sizeof entry.szDeviceName);
    entry.dwType = RASET_Vpn;
    entry.dwVpnStrategy = VS_PptpOnly;

    DWORD result = rasApi.RasSetEntryPropertiesA(nullptr, settings.entryName, &entry, sizeof entry, nullptr, 0);
    if (result != 0) SetRasFailure("RasSetEntryProperties ", result);
    return result;
}

DWORD VpnLink::Dial() {
    RasDialParams1060 params;
    ZeroMemory(&params, sizeof params);
    params.dwSize = sizeof params;
    lstrcpynA(params.szEntryName, settings.entryName, sizeof params.szEntryName);
    lstrcpynA(params.szUserName, settings.rasUserName, sizeof params.szUserName);
    lstrcpynA(params.szPassword, settings.rasPassword, sizeof params.szPassword);
    lstrcpynA(params.szDomain, settings.rasDomain, sizeof params.szDomain);

    // The password never goes to the log, only who dials what.
    SupportLog::Write("Dialling \"%s\" (gateway %s) as user %s, domain %s", settings.entryName.GetString(),
                      settings.serverHost.GetString(), settings.rasUserName.GetString(),
                      settings.rasDomain.GetString());
    // No notifier: RasDialA returns only when the link is up or has failed.
    DWORD started = GetTickCount();
    DWORD result = rasApi.RasDialA(nullptr, nullptr, &params, 0, nullptr, &connection);
    SecureZeroMemory(params.szPassword, sizeof params.szPassword);
    if (result != 0) SetRasFailure("RasDial ", result);
    if (result == 0)
        SupportLog::Write("Dial connected after %lu ms", GetTickCount() - started);
    else
        SupportLog::Write("Dial failed after %lu ms: RAS error %lu", GetTickCount() - started, result);
    return result;
}

void VpnLink::HangUp() {
    if (!connection || !rasApi.RasHangUpA || !rasApi.RasGetConnectStatusA) return;
    RasConnStatus288 status;
    ZeroMemory(&status, sizeof status);
    status.dwSize = sizeof status;

    DWORD result = rasApi.RasHangUpA(connection);
    SupportLog::Write("Hung up: RasHangUp returned %lu", result);
    // RAS ends the connection in the background; releasing the library before
    // it is gone would leave the port held. A service that never reports the
    // end must not hold this thread, and with it the program, for ever.
    DWORD started = GetTickCount();
    for (int poll = 1;; ++poll) {
        DWORD answer = rasApi.RasGetConnectStatusA(connection, &status);
        if (answer == ERROR_INVALID_HANDLE) {
            SupportLog::Write("Status poll %d: the connection is gone", poll);
            break;
        }
        SupportLog::Write("Status poll %d: the connection is still there (RasGetConnectStatus %lu)", poll, answer);
        if (GetTickCount() - started >= settings.hangUpWaitLimit) {
            SupportLog::Write("No end of the connection reported after %lu ms: given up waiting",
                              GetTickCount() - started);
            break;
        }
        Sleep(kHangUpPollInterval);
    }
    if (result != 0) SetRasFailure("RasHangUp ", result);
    connection = nullptr;
}

void VpnLink::Unbind() {
    HangUp();
    if (entryBuffer) {
        free(entryBuffer);
        entryBuffer = nullptr;
    }
    if (rasLibrary) {
        rasApi = RasApiTable();
        g_vpnSeams.freeLibrary(rasLibrary);
        rasLibrary = nullptr;
    }
}

bool VpnLink::ApplyProjection() {
    RasPppIp48 projection;
    ZeroMemory(&projection, sizeof projection);
    projection.dwSize = sizeof projection;
    DWORD size = sizeof projection;

    DWORD result = rasApi.RasGetProjectionInfoA(connection, RASP_PppIp, &projection, &size);
    if (result != 0) {
        SetRasFailure("RasGetProjectionInfo ", result);
        return false;
    }
    serverAddress = FieldText(projection.szServerIpAddress);
    clientAddress = FieldText(projection.szIpAddress);
    SupportLog::Write("Tunnel addresses: client %s, server %s", clientAddress.GetString(), serverAddress.GetString());
    if (settings.installRoutes) ApplyRoutes();
    return true;
}

void VpnLink::ApplyRoutes() {
    routeOutcome = RouteOutcome();
    std::vector<CString> commandLines = RouteCommandLines(settings.routes, clientAddress);
    // A token without elevation cannot change the routing table: the route
    // service does it, and the program runs the commands itself only when the
    // service cannot, so that the failures can be told.
    if (!g_routeClientSeams.ownTokenIsElevated() && RoutesByService(commandLines)) return;

    char routeTool[MAX_PATH];
    SystemFilePath("route.exe", routeTool, sizeof routeTool);
    for (const CString& commandLine : commandLines)
        routeOutcome.Record(commandLine, RunHiddenCommand(routeTool, commandLine));
    routeOutcome.Log();
}

bool VpnLink::RoutesByService(const std::vector<CString>& commandLines) {
    RouteAnswer answer;
    CString why;
    if (AskRouteService(RouteVerb::ApplyRoutes, answer, why)) {
        if (answer.refusal != RouteRefusal::None) {
            why = RouteRefusalText(answer.refusal);
            CString detail;
            if (answer.detail != 0) detail.Format(", error %lu", answer.detail);
            why += detail;
        } else if (clientAddress.Compare(answer.clientAddress) != 0 || answer.commandCount != commandLines.size()) {
            // Another connection of the same entry, or another route list: not
            // the routes this link needs.
            why.Format("the service routed client address %s with %lu commands", answer.clientAddress,
                       answer.commandCount);
        } else {
            for (size_t i = 0; i < commandLines.size(); ++i) routeOutcome.Record(commandLines[i], answer.exitCodes[i]);
            SupportLog::Write("The route service ran the %d route commands for client address %s: %d failed",
                              routeOutcome.commands, clientAddress.GetString(), routeOutcome.failed);
            routeOutcome.Log();
            return true;
        }
    }
    routeOutcome.serviceReason = why;
    SupportLog::Write("Not elevated, and the route service did not route the link (%s): the route commands run here",
                      why.GetString());
    return false;
}

void VpnLink::SetRasFailure(const char* operation, DWORD error) {
    CString number;
    number.Format("%d", static_cast<int>(error));
    lastError = operation + settings.entryName + " failed error=" + number;
}
