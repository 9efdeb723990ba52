#pragma once

#include "tests/support/LoopbackListener.h"

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <vector>

// A port on 127.0.0.1 where connects hang: the listener never accepts and its backlog is full,
// so the kernel drops every further SYN, as a firewall that drops instead of refusing would.
// Filler connections occupy the backlog; everything closes with the object.
class BlackHoleListener {
public:
    BlackHoleListener()
    {
        m_listener = listenOnLoopback(m_port, 0);
        for (int i = 0; i < 16 && !m_full; ++i) {
            int filler = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
            sockaddr_in address {};
            address.sin_family = AF_INET;
            address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
            address.sin_port = htons(uint16_t(m_port));
            int result = ::connect(filler, reinterpret_cast<sockaddr*>(&address), sizeof address);
            m_fillers.push_back(filler);
            if (result == 0 || errno != EINPROGRESS)
                continue;
            pollfd done { filler, POLLOUT, 0 };
            m_full = ::poll(&done, 1, 100) == 0; // this one hangs: the backlog is full
        }
    }
    ~BlackHoleListener()
    {
        for (int filler : m_fillers)
            ::close(filler);
        if (m_listener >= 0)
            ::close(m_listener);
    }
    BlackHoleListener(const BlackHoleListener&) = delete;
    BlackHoleListener& operator=(const BlackHoleListener&) = delete;

    int port() const { return m_port; }
    // False when the backlog never filled (the test cannot show a hanging connect then).
    bool isFull() const { return m_full; }

private:
    int m_listener = -1;
    int m_port = 0;
    bool m_full = false;
    std::vector<int> m_fillers;
};
