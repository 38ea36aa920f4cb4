#pragma once
// The calls with which the probe starts and ends its use of Windows Sockets
// and obtains and releases its socket. They are the system's own functions;
// only tests replace them, to produce failures the system will not produce on
// demand and to see that everything obtained is released.
#include <winsock.h>

struct WinsockCalls {
    int (WINAPI* WSAStartup)(WORD version, LPWSADATA data);
    int (WINAPI* WSACleanup)();
    SOCKET (WINAPI* socket)(int family, int type, int protocol);
    int (WINAPI* closesocket)(SOCKET s);
};

extern WinsockCalls g_winsock;
