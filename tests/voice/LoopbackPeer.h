#pragma once

#include <arpa/inet.h>
#include <cstdint>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

// The far end of a voice connection inside a test: a listening socket on 127.0.0.1 with an
// ephemeral port, then the one accepted connection, used to write exact bytes and read what
// the client sent. Every read waits a bounded time.
class LoopbackPeer {
public:
    LoopbackPeer()
    {
        m_listener = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address {};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(m_listener, reinterpret_cast<sockaddr*>(&address), sizeof address);
        ::listen(m_listener, 4);
        socklen_t size = sizeof address;
        ::getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &size);
        m_port = ntohs(address.sin_port);
    }
    ~LoopbackPeer()
    {
        closePeer();
        if (m_listener >= 0)
            ::close(m_listener);
    }

    int port() const { return m_port; }

    // Takes the connection the client made (it waits in the backlog once connect() returned).
    bool accept()
    {
        pollfd ready { m_listener, POLLIN, 0 };
        if (::poll(&ready, 1, 2000) != 1)
            return false;
        m_peer = ::accept(m_listener, nullptr, nullptr);
        return m_peer >= 0;
    }

    bool write(const void* bytes, size_t count) { return ::send(m_peer, bytes, count, MSG_NOSIGNAL) == ssize_t(count); }

    // Reads exactly count bytes, waiting at most two seconds in all.
    std::vector<uint8_t> read(size_t count)
    {
        std::vector<uint8_t> bytes;
        while (bytes.size() < count) {
            pollfd ready { m_peer, POLLIN, 0 };
            if (::poll(&ready, 1, 2000) != 1)
                break;
            uint8_t buffer[512];
            ssize_t got = ::recv(m_peer, buffer, std::min(sizeof buffer, count - bytes.size()), 0);
            if (got <= 0)
                break;
            bytes.insert(bytes.end(), buffer, buffer + got);
        }
        return bytes;
    }

    // Reads count bytes when they arrive within a short wait; fewer (possibly none) otherwise.
    std::vector<uint8_t> readAvailable(size_t count)
    {
        std::vector<uint8_t> bytes;
        while (bytes.size() < count) {
            pollfd ready { m_peer, POLLIN, 0 };
            if (::poll(&ready, 1, 50) != 1)
                break;
            uint8_t buffer[512];
            ssize_t got = ::recv(m_peer, buffer, std::min(sizeof buffer, count - bytes.size()), 0);
            if (got <= 0)
                break;
            bytes.insert(bytes.end(), buffer, buffer + got);
        }
        return bytes;
    }

    void closePeer()
    {
        if (m_peer >= 0)
            ::close(m_peer);
        m_peer = -1;
    }

    // Closes the listener so that the port refuses connections.
    void stopListening()
    {
        ::close(m_listener);
        m_listener = -1;
    }

private:
    int m_listener = -1;
    int m_peer = -1;
    int m_port = 0;
};
