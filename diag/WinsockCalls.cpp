#include "WinsockCalls.h"

WinsockCalls g_winsock = {
    ::WSAStartup,
    ::WSACleanup,
    ::socket,
    ::closesocket,
};
