#pragma once
// The RAS records exactly as this program hands them to the service. RAS tells
// a record's version by its dwSize, and the SDK headers grow these records with
// WINVER, so the versions we speak are written out here and pinned by size.
// Each one is a prefix of the headers' latest record, field for field.
#include <windows.h>
#include <ras.h>
#include <lmcons.h>
#include <cstddef>

#include <pshpack4.h>

// The phonebook entry of Windows 2000, the one that ends with dwVpnStrategy.
struct RasEntry2088 {
    DWORD dwSize;
    DWORD dwfOptions;
    DWORD dwCountryID;
    DWORD dwCountryCode;
    CHAR szAreaCode[RAS_MaxAreaCode + 1];
    CHAR szLocalPhoneNumber[RAS_MaxPhoneNumber + 1];
    DWORD dwAlternateOffset;
    RASIPADDR ipaddr;
    RASIPADDR ipaddrDns;
    RASIPADDR ipaddrDnsAlt;
    RASIPADDR ipaddrWins;
    RASIPADDR ipaddrWinsAlt;
    DWORD dwFrameSize;
    DWORD dwfNetProtocols;
    DWORD dwFramingProtocol;
    CHAR szScript[MAX_PATH];
    CHAR szAutodialDll[MAX_PATH];
    CHAR szAutodialFunc[MAX_PATH];
    CHAR szDeviceType[RAS_MaxDeviceType + 1];
    CHAR szDeviceName[RAS_MaxDeviceName + 1];
    CHAR szX25PadType[RAS_MaxPadType + 1];
    CHAR szX25Address[RAS_MaxX25Address + 1];
    CHAR szX25Facilities[RAS_MaxFacilities + 1];
    CHAR szX25UserData[RAS_MaxUserData + 1];
    DWORD dwChannels;
    DWORD dwReserved1;
    DWORD dwReserved2;
    DWORD dwSubEntries;
    DWORD dwDialMode;
    DWORD dwDialExtraPercent;
    DWORD dwDialExtraSampleSeconds;
    DWORD dwHangUpExtraPercent;
    DWORD dwHangUpExtraSampleSeconds;
    DWORD dwIdleDisconnectSeconds;
    DWORD dwType;
    DWORD dwEncryptionType;
    DWORD dwCustomAuthKey;
    GUID guidId;
    CHAR szCustomDialDll[MAX_PATH];
    DWORD dwVpnStrategy;
};

// The dial parameters that end with dwCallbackId (no interface index).
struct RasDialParams1060 {
    DWORD dwSize;
    CHAR szEntryName[RAS_MaxEntryName + 1];
    CHAR szPhoneNumber[RAS_MaxPhoneNumber + 1];
    CHAR szCallbackNumber[RAS_MaxCallbackNumber + 1];
    CHAR szUserName[UNLEN + 1];
    CHAR szPassword[PWLEN + 1];
    CHAR szDomain[DNLEN + 1];
    DWORD dwSubEntry;
    ULONG_PTR dwCallbackId;
};

// The connection status that ends with szPhoneNumber (no tunnel end points).
struct RasConnStatus288 {
    DWORD dwSize;
    RASCONNSTATE rasconnstate;
    DWORD dwError;
    CHAR szDeviceType[RAS_MaxDeviceType + 1];
    CHAR szDeviceName[RAS_MaxDeviceName + 1];
    CHAR szPhoneNumber[RAS_MaxPhoneNumber + 1];
};

// The PPP IP projection that ends with dwServerOptions.
struct RasPppIp48 {
    DWORD dwSize;
    DWORD dwError;
    CHAR szIpAddress[RAS_MaxIpAddress + 1];
    CHAR szServerIpAddress[RAS_MaxIpAddress + 1];
    DWORD dwOptions;
    DWORD dwServerOptions;
};

// The connection record of the first RasEnumConnectionsA, which every later
// RAS still accepts.
struct RasConn412 {
    DWORD dwSize;
    HRASCONN hrasconn;
    CHAR szEntryName[RAS_MaxEntryName + 1];
    CHAR szDeviceType[RAS_MaxDeviceType + 1];
    CHAR szDeviceName[RAS_MaxDeviceName + 1];
};

#include <poppack.h>

static_assert(sizeof(RasEntry2088) == 2088, "RASENTRYA version of Windows 2000");
static_assert(sizeof(RasDialParams1060) == 1060, "RASDIALPARAMSA ending with dwCallbackId");
static_assert(sizeof(RasConnStatus288) == 288, "RASCONNSTATUSA ending with szPhoneNumber");
static_assert(sizeof(RasPppIp48) == 48, "RASPPPIPA ending with dwServerOptions");
static_assert(sizeof(RasConn412) == 412, "RASCONNA ending with szDeviceName");

// Same layout as the headers' records wherever the fields exist in both.
static_assert(offsetof(RasEntry2088, szLocalPhoneNumber) == offsetof(RASENTRYA, szLocalPhoneNumber), "");
static_assert(offsetof(RasEntry2088, dwfNetProtocols) == offsetof(RASENTRYA, dwfNetProtocols), "");
static_assert(offsetof(RasEntry2088, szDeviceName) == offsetof(RASENTRYA, szDeviceName), "");
static_assert(offsetof(RasEntry2088, dwType) == offsetof(RASENTRYA, dwType), "");
static_assert(offsetof(RasEntry2088, guidId) == offsetof(RASENTRYA, guidId), "");
static_assert(offsetof(RasEntry2088, dwVpnStrategy) == offsetof(RASENTRYA, dwVpnStrategy), "");
static_assert(offsetof(RasDialParams1060, szDomain) == offsetof(RASDIALPARAMSA, szDomain), "");
static_assert(offsetof(RasDialParams1060, dwCallbackId) == offsetof(RASDIALPARAMSA, dwCallbackId), "");
static_assert(offsetof(RasConnStatus288, szPhoneNumber) == offsetof(RASCONNSTATUSA, szPhoneNumber), "");
static_assert(offsetof(RasPppIp48, dwServerOptions) == offsetof(RASPPPIPA, dwServerOptions), "");
