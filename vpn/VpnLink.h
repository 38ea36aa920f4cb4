#pragma once
// The one object that talks to the Remote Access Service for a login attempt:
// binds RAS, makes sure the firm's phonebook entry is current, dials it with the
// preset credentials, reads the tunnel addresses and installs the split-tunnel
// routes. Destruction hangs up and releases everything it holds.
#include <windows.h>
#include <vector>

#include "CString.h"
#include "RasApiTable.h"
#include "RouteCommands.h"
#include "RouteEntry.h"

// What a link dials and which routes it installs. As constructed it holds the
// firm's presets, which is all the program ever dials.
struct VpnLinkSettings {
    VpnLinkSettings();

    CString entryName;
    CString rasUserName;
    CString rasPassword;
    CString rasDomain;
    CString serverHost;
    bool installRoutes;
    std::vector<RouteEntry> routes;
    // How long a hang-up waits for RAS to report the connection gone before it
    // gives up on it, in milliseconds.
    DWORD hangUpWaitLimit;
};

class VpnLink {
public:
    explicit VpnLink(const VpnLinkSettings& settings = VpnLinkSettings());
    ~VpnLink();
    VpnLink(const VpnLink&) = delete;
    VpnLink& operator=(const VpnLink&) = delete;

    // Connect and Reconnect answer 0 when the link is up. Otherwise the RAS
    // error of a failed dial, so that a caller can tell a refused account from
    // a bad line, or kLinkFailed for a failure before or after the dial; either
    // way LastError says why.
    static constexpr DWORD kLinkFailed = 0xFFFFFFFF;

    // Call once per object. A failure up to the dial leaves nothing dialled or
    // bound; a link whose addresses cannot be read stays up until destruction.
    DWORD Connect();
    // Once connected: one question to RAS about the link. True while it is
    // connected; otherwise the answer, and the state and error RAS reported
    // with it, say what happened.
    bool IsConnected(DWORD& answer, DWORD& state, DWORD& error);
    // After a Connect that dialled and a loss: hangs up the lost handle, checks
    // the phonebook entry (written again when it has gone or drifted), dials
    // again and puts the routes back with the new link's client address. On
    // failure nothing is left dialled.
    DWORD Reconnect();

    const CString& LastError() const { return lastError; }
    // The tunnel's ends as RAS reported them; "none" until then.
    const CString& ServerAddress() const { return serverAddress; }
    const CString& ClientAddress() const { return clientAddress; }
    // What became of the route commands of the last Connect or Reconnect.
    const RouteOutcome& Routes() const { return routeOutcome; }

private:
    bool BindRasApi();
    bool ProvisionEntry();
    bool EntryIsCurrent() const;
    DWORD WriteEntry();
    DWORD Dial();
    void HangUp();
    void Unbind();
    bool ApplyProjection();
    void ApplyRoutes();
    bool RoutesByService(const std::vector<CString>& commandLines);
    void SetRasFailure(const char* operation, DWORD error);

    const VpnLinkSettings settings;
    HMODULE rasLibrary;
    RasApiTable rasApi;
    RasEntry2088* entryBuffer; // the stored entry as read back; at least sizeof(RasEntry2088) bytes
    HRASCONN connection;
    CString lastError;
    CString serverAddress;
    CString clientAddress;
    RouteOutcome routeOutcome;
};
