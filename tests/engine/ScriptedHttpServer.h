#pragma once

#include "tests/support/LoopbackListener.h"
#include "tests/support/ReadHttpRequest.h"
#include <arpa/inet.h>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <future>
#include <netinet/in.h>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

// A web server inside a test that scripts its peer's exact bytes: it listens on 127.0.0.1 with an
// ephemeral port, takes one connection, reads the whole request (headers and Content-Length
// bytes), then sends each step's bytes after the step's pause and closes, or holds the
// connection open without a word until the test ends. Every wait is bounded.
class ScriptedHttpServer {
public:
    struct Step {
        std::string bytes;
        int pauseMs = 0;
    };
    enum class Ending { Close, HoldOpen };

    explicit ScriptedHttpServer(std::vector<Step> steps, Ending ending = Ending::Close)
        : m_steps(std::move(steps))
        , m_ending(ending)
    {
        m_listener = listenOnLoopback(m_port);
        m_request = m_requestPromise.get_future();
        m_thread = std::thread([this] { serve(); });
    }

    ~ScriptedHttpServer()
    {
        m_stop = true;
        m_thread.join();
        ::close(m_listener);
    }

    int port() const { return m_port; }

    // The request as received; empty when none came within two seconds.
    std::string request()
    {
        if (m_request.wait_for(std::chrono::seconds(2)) != std::future_status::ready)
            return {};
        return m_request.get();
    }

private:
    bool waitReadable(int handle, int milliseconds)
    {
        pollfd ready { handle, POLLIN, 0 };
        return ::poll(&ready, 1, milliseconds) == 1;
    }

    std::string readRequest(int peer) { return readHttpRequest(peer); }

    void serve()
    {
        int peer = -1;
        for (int waited = 0; waited < 5000 && !m_stop && peer < 0; waited += 50)
            if (waitReadable(m_listener, 50))
                peer = ::accept(m_listener, nullptr, nullptr);
        if (peer < 0) {
            m_requestPromise.set_value({});
            return;
        }
        m_requestPromise.set_value(readRequest(peer));
        for (const Step& step : m_steps) {
            if (step.pauseMs > 0)
                std::this_thread::sleep_for(std::chrono::milliseconds(step.pauseMs));
            size_t sent = 0;
            while (sent < step.bytes.size() && !m_stop) {
                ssize_t n = ::send(peer, step.bytes.data() + sent, step.bytes.size() - sent, MSG_NOSIGNAL);
                if (n <= 0)
                    break;
                sent += size_t(n);
            }
            if (sent < step.bytes.size())
                break; // the client went away
        }
        if (m_ending == Ending::HoldOpen)
            for (int waited = 0; waited < 10000 && !m_stop; waited += 10)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
        ::close(peer);
    }

    std::vector<Step> m_steps;
    Ending m_ending;
    int m_listener = -1;
    int m_port = 0;
    std::atomic<bool> m_stop { false };
    std::promise<std::string> m_requestPromise;
    std::future<std::string> m_request;
    std::thread m_thread;
};
