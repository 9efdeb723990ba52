#pragma once

#include "tests/support/LoopbackListener.h"
#include "tests/support/ReadHttpRequest.h"
#include <arpa/inet.h>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <map>
#include <mutex>
#include <netinet/in.h>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

// A web service inside a test: it listens on 127.0.0.1, serves one request per connection, and
// answers each call path with the reply the test set for it (a 404 page when none), then closes.
// Every request is recorded with its path and body. A path may also be set to answer nothing
// (close at once) or to stay silent until the test ends.
class CannedWebService {
public:
    enum class Behaviour { Reply, CloseAtOnce, Silent };

    struct Request {
        std::string path;
        std::string body;
    };

    CannedWebService()
    {
        m_listener = listenOnLoopback(m_port, 16);
        m_thread = std::thread([this] { serve(); });
    }
    ~CannedWebService()
    {
        m_stop = true;
        m_thread.join();
        for (int held : m_held)
            ::close(held);
        ::close(m_listener);
    }

    int port() const { return m_port; }

    // The XML body answered for a path such as "7/login.php".
    void answer(const std::string& path, const std::string& xml, Behaviour behaviour = Behaviour::Reply)
    {
        std::lock_guard lock(m_lock);
        m_answers[path] = { xml, behaviour };
    }

    std::vector<Request> requests()
    {
        std::lock_guard lock(m_lock);
        return m_requests;
    }
    int count(const std::string& path)
    {
        int n = 0;
        for (const Request& r : requests())
            n += r.path == path;
        return n;
    }

private:
    struct Answer {
        std::string body;
        Behaviour behaviour = Behaviour::Reply;
    };

    void serve()
    {
        while (!m_stop) {
            pollfd ready { m_listener, POLLIN, 0 };
            if (::poll(&ready, 1, 20) != 1)
                continue;
            int peer = ::accept(m_listener, nullptr, nullptr);
            if (peer >= 0)
                handle(peer);
        }
    }

    void handle(int peer)
    {
        std::string request = readHttpRequest(peer);
        // "POST /<path> HTTP/1.0"
        std::string path;
        if (request.rfind("POST /", 0) == 0)
            path = request.substr(6, request.find(' ', 6) - 6);
        size_t bodyAt = request.find("\r\n\r\n");
        Answer answer;
        {
            std::lock_guard lock(m_lock);
            m_requests.push_back({ path, bodyAt == std::string::npos ? std::string() : request.substr(bodyAt + 4) });
            auto found = m_answers.find(path);
            if (found != m_answers.end())
                answer = found->second;
            else
                answer.body = "<html><head><title>404 Not Found</title></head></html>";
        }
        if (answer.behaviour == Behaviour::Silent) {
            m_held.push_back(peer);
            return;
        }
        if (answer.behaviour == Behaviour::Reply) {
            std::string reply = "HTTP/1.0 200 OK\r\nContent-Type: text/xml\r\n\r\n" + answer.body;
            ::send(peer, reply.data(), reply.size(), MSG_NOSIGNAL);
        }
        ::close(peer);
    }

    int m_listener = -1;
    int m_port = 0;
    std::atomic<bool> m_stop { false };
    std::thread m_thread;
    std::mutex m_lock;
    std::map<std::string, Answer> m_answers;
    std::vector<Request> m_requests;
    std::vector<int> m_held;
};
