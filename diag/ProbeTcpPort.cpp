#include "ProbeTcpPort.h"

#include <string.h>

const ProbeSeams kRealProbeSeams = {
    ::WSAStartup,
    ::WSACleanup,
    ::socket,
    ::closesocket,
};

ProbeSeams g_probeSeams = kRealProbeSeams;

void FormatSystemError(DWORD code, CString& text) {
    char* message = nullptr;
    DWORD length =
        FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_ALLOCATE_BUFFER,
                       nullptr, code, 0, reinterpret_cast<char*>(&message), 0, nullptr);
    if (length == 0) return;
    text = message;
    LocalFree(message);
}

namespace {

const WORD kWinsockVersion = 0x0101;

// ", failed error=" with the number and the system's text for it; the text
// is looked up into an empty string, so a code without one leaves ".  " last.
CString FailureTail(int code) {
    CString systemText;
    FormatSystemError(static_cast<DWORD>(code), systemText);
    CString number;
    number.Format("%d", code);
    return ", failed error=" + number + ".  " + systemText;
}

CString PortText(unsigned short port) {
    CString text;
    text.Format("%u", static_cast<unsigned>(port));
    return text;
}

// A host given in the system's own dotted form is not repeated.
CString AddressInsertion(const char* host, const CString& addressText) {
    if (addressText == host) return " ";
    return " (" + addressText + ") ";
}

} // namespace

bool ProbeTcpPort(const char* host, unsigned short port, CString& resultText) {
    WSADATA startupData;
    int startupError = g_probeSeams.wsaStartup(kWinsockVersion, &startupData);
    if (startupError != 0) {
        resultText = "Failed starting Windows Sockets 1.1" + FailureTail(startupError);
        return false;
    }

    SOCKET s = g_probeSeams.socket(AF_INET, SOCK_STREAM, 0);
    if (s == INVALID_SOCKET) {
        int error = WSAGetLastError();
        resultText = "Failed creating socket" + FailureTail(error);
        g_probeSeams.wsaCleanup();
        return false;
    }

    sockaddr_in address;
    memset(&address, 0, sizeof address);
    address.sin_family = AF_INET;
    address.sin_port = htons(port);

    hostent* entry = gethostbyname(host);
    if (entry == nullptr) {
        int error = WSAGetLastError();
        resultText = CString("Failed getting host by name, ") + host + FailureTail(error);
        g_probeSeams.closeSocket(s);
        g_probeSeams.wsaCleanup();
        return false;
    }
    // Only the first address is tried. The dotted text lives in a buffer that
    // the next sockets call may reuse, so it is copied before anything else.
    memcpy(&address.sin_addr, entry->h_addr_list[0], sizeof address.sin_addr);
    CString addressText = inet_ntoa(address.sin_addr);

    if (connect(s, reinterpret_cast<const sockaddr*>(&address), sizeof address) == SOCKET_ERROR) {
        int error = WSAGetLastError();
        resultText = CString("Failed connecting, ") + host + AddressInsertion(host, addressText) + PortText(port) +
                     FailureTail(error);
        g_probeSeams.closeSocket(s);
        g_probeSeams.wsaCleanup();
        return false;
    }

    // Reachability is all that is asked: nothing is sent.
    g_probeSeams.closeSocket(s);
    g_probeSeams.wsaCleanup();
    resultText = CString("Success on ") + host + AddressInsertion(host, addressText) + PortText(port);
    return true;
}
