#pragma once
// The six RAS entry points, bound by name from the library at run time so that
// the program starts on a machine whose RAS is missing or broken and says so.
#include "RasStructures.h"

typedef DWORD(WINAPI* RasGetEntryPropertiesAProc)(LPCSTR phonebook, LPCSTR entryName, RasEntry2088* entry,
                                                  LPDWORD entrySize, LPBYTE deviceInfo, LPDWORD deviceInfoSize);
typedef DWORD(WINAPI* RasSetEntryPropertiesAProc)(LPCSTR phonebook, LPCSTR entryName, RasEntry2088* entry,
                                                  DWORD entrySize, LPBYTE deviceInfo, DWORD deviceInfoSize);
typedef DWORD(WINAPI* RasDialAProc)(LPRASDIALEXTENSIONS extensions, LPCSTR phonebook, RasDialParams1060* params,
                                    DWORD notifierType, LPVOID notifier, HRASCONN* connection);
typedef DWORD(WINAPI* RasHangUpAProc)(HRASCONN connection);
typedef DWORD(WINAPI* RasGetConnectStatusAProc)(HRASCONN connection, RasConnStatus288* status);
typedef DWORD(WINAPI* RasGetProjectionInfoAProc)(HRASCONN connection, RASPROJECTION projection, LPVOID info,
                                                 LPDWORD infoSize);

// Members carry the export names they are bound from; all null until bound.
struct RasApiTable {
    RasGetEntryPropertiesAProc RasGetEntryPropertiesA = nullptr;
    RasSetEntryPropertiesAProc RasSetEntryPropertiesA = nullptr;
    RasDialAProc RasDialA = nullptr;
    RasHangUpAProc RasHangUpA = nullptr;
    RasGetConnectStatusAProc RasGetConnectStatusA = nullptr;
    RasGetProjectionInfoAProc RasGetProjectionInfoA = nullptr;
};
