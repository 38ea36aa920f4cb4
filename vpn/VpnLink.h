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
