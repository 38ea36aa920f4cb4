#pragma once
// The one object that talks to the Remote Access Service for a login attempt:
// binds RAS, makes sure the firm's phonebook entry is current, dials it with the
// preset credentials, reads the tunnel addresses and installs the split-tunnel
// routes. Destruction hangs up and releases everything it holds.
#include <windows.h>
#include <vector>

#include "CString.h"
#include "RasApiTable.h"
#include "RouteEntry.h"

class VpnLink {
public:
    VpnLink();
    ~VpnLink();
    VpnLink(const VpnLink&) = delete;
    VpnLink& operator=(const VpnLink&) = delete;

    // Call once per object. False: lastError says why.
    bool Connect();
    // Once connected: one question to RAS about the link. True while it is
    // connected; otherwise the answer, and the state and error RAS reported
    // with it, say what happened.
    bool IsConnected(DWORD& answer, DWORD& state, DWORD& error);
    // After a loss: hangs up the lost handle, checks the phonebook entry (written
    // again when it has gone or drifted), dials again and puts the routes back
    // with the new link's client address. 0 when the link is up again; the RAS
    // error of a failed dial, or kReconnectFailed for a failure before or after
    // it; either way nothing is left dialled and lastError says why.
    DWORD Reconnect();
    static constexpr DWORD kReconnectFailed = 0xFFFFFFFF;

    bool BindRasApi();
    bool ProvisionEntry();
    DWORD Dial();
    void HangUp();
    void Unbind();
    int ApplyProjection();

    HMODULE rasLibrary;
    RasApiTable rasApi;
    RasEntry2088* entryBuffer; // the stored entry as read back; at least sizeof(RasEntry2088) bytes
    HRASCONN connection;
    bool installRoutes;
    std::vector<RouteEntry> routes;
    CString entryName;
    CString rasUserName;
    CString rasPassword;
    CString rasDomain;
    CString serverHost;
    CString lastError;
    CString serverAddress;
    CString clientAddress;
    // How long HangUp waits for RAS to report the connection gone before it
    // gives up on it, in milliseconds.
    DWORD hangUpWaitLimit;

private:
    void SetRasFailure(const char* operation, DWORD error);
    bool EntryIsCurrent() const;
    DWORD WriteEntry();
};
