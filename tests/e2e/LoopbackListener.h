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

    bool listening() const { return socket_ != INVALID_SOCKET; }
    unsigned short port() const { return port_; }

private:
    bool started_ = false;
    SOCKET socket_ = INVALID_SOCKET;
    unsigned short port_ = 0;
};

}  // namespace e2e
