#pragma once

#include <chrono>
#include <cstdlib>
#include <poll.h>
#include <string>
#include <sys/socket.h>

// Reads one HTTP request (headers and Content-Length bytes of body) from a connected socket,
// waiting at most two seconds in all; what arrived by then is returned.
inline std::string readHttpRequest(int peer)
{
    std::string request;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (std::chrono::steady_clock::now() < deadline) {
        size_t headersEnd = request.find("\r\n\r\n");
        if (headersEnd != std::string::npos) {
            size_t lengthAt = request.find("Content-Length: ");
            size_t length = lengthAt < headersEnd ? std::strtoul(request.c_str() + lengthAt + 16, nullptr, 10) : 0;
            if (request.size() >= headersEnd + 4 + length)
                break;
        }
        pollfd ready { peer, POLLIN, 0 };
        if (::poll(&ready, 1, 50) != 1)
            continue;
        char buffer[4096];
        ssize_t got = ::recv(peer, buffer, sizeof buffer, 0);
        if (got <= 0)
            break;
        request.append(buffer, size_t(got));
    }
    return request;
}
