#include "LoopbackListener.h"

namespace e2e {

LoopbackListener::LoopbackListener() {
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0) return;
    m_started = true;
    m_socket = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (m_socket == INVALID_SOCKET) return;
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int length = sizeof address;
    if (bind(m_socket, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(m_socket, 4) != 0 ||
        getsockname(m_socket, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        closesocket(m_socket);
        m_socket = INVALID_SOCKET;
        return;
    }
    m_port = ntohs(address.sin_port);
}

LoopbackListener::~LoopbackListener() {
    if (m_socket != INVALID_SOCKET) closesocket(m_socket);
    if (m_started) WSACleanup();
}

} // namespace e2e
