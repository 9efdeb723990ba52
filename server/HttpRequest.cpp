#include "server/HttpRequest.h"

#include <algorithm>
#include <cstring>
#include <strings.h>

namespace Zumeli {

HttpRequest::State HttpRequest::fail(int status, const char* reason)
{
    m_state = Failed;
    m_errorStatus = status;
    m_errorReason = reason;
    return m_state;
}

HttpRequest::State HttpRequest::feed(const char* bytes, size_t count)
{
    if (m_state != Incomplete)
        return m_state;
    if (!m_headDone) {
        // Look for the blank line that ends the head, accepting bare "\n" line ends too.
        size_t before = m_head.size();
        m_head.append(bytes, std::min(count, MaxHeaderBytes + 4 - std::min(before, MaxHeaderBytes + 4)));
        size_t end = m_head.find("\r\n\r\n", before >= 3 ? before - 3 : 0);
        size_t separator = 4;
        size_t bare = m_head.find("\n\n", before >= 1 ? before - 1 : 0);
        if (bare != std::string::npos && (end == std::string::npos || bare < end)) {
            end = bare;
            separator = 2;
        }
        if (end == std::string::npos) {
            if (m_head.size() > MaxHeaderBytes)
                return fail(431, "Request Header Fields Too Large");
            return m_state;
        }
        if (end > MaxHeaderBytes)
            return fail(431, "Request Header Fields Too Large");
        size_t bodyStart = end + separator;
        // Bytes of this call that lie beyond the head start the body.
        size_t consumedHere = bodyStart - before;
        std::string head = m_head.substr(0, end);
        m_head = std::move(head);
        m_headDone = true;
        if (parseHead() == Failed)
            return m_state;
        bytes += std::min(consumedHere, count);
        count -= std::min(consumedHere, count);
    }
    size_t wanted = m_contentLength - m_body.size();
    m_body.append(bytes, std::min(wanted, count));
    if (m_body.size() == m_contentLength)
        m_state = Complete;
    return m_state;
}

HttpRequest::State HttpRequest::parseHead()
{
    size_t lineEnd = m_head.find('\n');
    std::string requestLine = m_head.substr(0, lineEnd);
    if (!requestLine.empty() && requestLine.back() == '\r')
        requestLine.pop_back();
    size_t firstSpace = requestLine.find(' ');
    size_t secondSpace = firstSpace == std::string::npos ? std::string::npos : requestLine.find(' ', firstSpace + 1);
    if (firstSpace == std::string::npos || secondSpace == std::string::npos || firstSpace == 0)
        return fail(400, "Bad Request");
    m_method = requestLine.substr(0, firstSpace);
    std::string target = requestLine.substr(firstSpace + 1, secondSpace - firstSpace - 1);
    std::string version = requestLine.substr(secondSpace + 1);
    if (version.compare(0, 5, "HTTP/") != 0)
        return fail(400, "Bad Request");
    if (version != "HTTP/1.0" && version != "HTTP/1.1")
        return fail(505, "HTTP Version Not Supported");
    if (target.empty() || target[0] != '/')
        return fail(400, "Bad Request");
    for (char c : target)
        if (uint8_t(c) <= 0x20 || uint8_t(c) == 0x7F)
            return fail(400, "Bad Request");
    m_path = target.substr(1, target.find('?') == std::string::npos ? std::string::npos : target.find('?') - 1);

    bool haveLength = false;
    size_t position = lineEnd == std::string::npos ? m_head.size() : lineEnd + 1;
    while (position < m_head.size()) {
        size_t next = m_head.find('\n', position);
        std::string line = m_head.substr(position, next == std::string::npos ? std::string::npos : next - position);
        position = next == std::string::npos ? m_head.size() : next + 1;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        size_t colon = line.find(':');
        if (colon == std::string::npos || colon == 0)
            return fail(400, "Bad Request");
        std::string name = line.substr(0, colon);
        std::string value = line.substr(colon + 1);
        value.erase(0, value.find_first_not_of(" \t"));
        while (!value.empty() && (value.back() == ' ' || value.back() == '\t'))
            value.pop_back();
        if (strcasecmp(name.c_str(), "Content-Length") == 0) {
            if (value.empty() || value.size() > 12 || value.find_first_not_of("0123456789") != std::string::npos)
                return fail(400, "Bad Request");
            size_t length = std::stoull(value);
            if (haveLength && length != m_contentLength)
                return fail(400, "Bad Request");
            haveLength = true;
            m_contentLength = length;
        } else if (strcasecmp(name.c_str(), "Transfer-Encoding") == 0) {
            return fail(501, "Not Implemented");
        }
    }
    if (m_method != "POST" && m_method != "GET")
        return fail(405, "Method Not Allowed");
    if (m_method == "POST" && !haveLength)
        return fail(411, "Length Required");
    if (m_contentLength > m_maxBody)
        return fail(413, "Content Too Large");
    if (m_contentLength == 0)
        m_state = Complete;
    return m_state;
}

} // namespace Zumeli
