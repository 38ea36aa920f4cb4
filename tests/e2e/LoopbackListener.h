// A TCP listener on 127.0.0.1 with a port of the system's choosing: the
// configuration server that the diagnostic probe is pointed at.
#pragma once
#include <winsock2.h>

namespace e2e {

class LoopbackListener {
public:
    LoopbackListener();
    ~LoopbackListener();
    LoopbackListener(const LoopbackListener&) = delete;
    LoopbackListener& operator=(const LoopbackListener&) = delete;

    bool listening() const { return m_socket != INVALID_SOCKET; }
    unsigned short port() const { return m_port; }

private:
    bool m_started = false;
    SOCKET m_socket = INVALID_SOCKET;
    unsigned short m_port = 0;
};

} // namespace e2e
