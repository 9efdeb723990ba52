#pragma once

#include <cstddef>
#include <string>

namespace Zumeli {

// One HTTP/1.0 request read incrementally from a connection: request line, headers, and a body
// of exactly Content-Length bytes. Everything is bounded; a request that breaks a bound or the
// syntax ends in an error with the HTTP status to refuse it with. A Host header is not needed.
class HttpRequest {
public:
    enum State { Incomplete, Complete, Failed };

    static constexpr size_t MaxHeaderBytes = 8 * 1024;
    static constexpr size_t DefaultMaxBodyBytes = 10 * 1024 * 1024;

    explicit HttpRequest(size_t maxBodyBytes = DefaultMaxBodyBytes)
        : m_maxBody(maxBodyBytes)
    {
    }

    // Adds received bytes; bytes past the end of the request are ignored.
    State feed(const char* bytes, size_t count);
    State state() const { return m_state; }

    // Once the head has been read: the body's declared length.
    bool headComplete() const { return m_headDone && m_state != Failed; }
    size_t contentLength() const { return m_contentLength; }

    const std::string& method() const { return m_method; }
    // The path without its leading "/" and without any query.
    const std::string& path() const { return m_path; }
    const std::string& body() const { return m_body; }
    // Status and reason for a Failed request (400, 405, 411, 413, 505).
    int errorStatus() const { return m_errorStatus; }
    const char* errorReason() const { return m_errorReason; }

private:
    State fail(int status, const char* reason);
    State parseHead();

    size_t m_maxBody;
    State m_state = Incomplete;
    std::string m_head;
    bool m_headDone = false;
    size_t m_contentLength = 0;
    std::string m_method;
    std::string m_path;
    std::string m_body;
    int m_errorStatus = 0;
    const char* m_errorReason = "";
};

} // namespace Zumeli
