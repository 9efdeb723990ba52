#include "engine/HttpPost.h"

#include <cstdint>

namespace Zumeli {

Text HttpPost::buildRequest(const Text& pathPrefix, const char* path, const Text& body)
{
    Text request("POST /");
    request.append(pathPrefix).append(path);
    request.append(" HTTP/1.0\r\n");
    request.appendFormatted("Content-Length: %d\r\n", body.length());
    request.append("Content-Type: application/x-www-form-urlencoded\r\n");
    request.append("\r\n");
    request.append(body);
    return request;
}

bool HttpPost::isSafePath(const Text& path)
{
    for (char c : path.str())
        if (uint8_t(c) <= 0x20 || uint8_t(c) == 0x7F)
            return false;
    return true;
}

} // namespace Zumeli
