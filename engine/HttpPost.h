#pragma once

#include "data/Text.h"

namespace Zumeli {

class HttpPostReplyDelegate;

// What every web request holds: where it reports and the complete request text.
//
// The request is an HTTP/1.0 form POST with exactly these lines and nothing else (no Host,
// Connection or User-Agent header):
//   "POST /<prefix><path> HTTP/1.0\r\n"
//   "Content-Length: <body length>\r\n"
//   "Content-Type: application/x-www-form-urlencoded\r\n"
//   "\r\n" and the body.
class HttpPost {
public:
    const Text& requestText() const { return m_request; }

    static Text buildRequest(const Text& pathPrefix, const char* path, const Text& body);
    // A path that would break the request line (blanks, control bytes) is refused.
    static bool isSafePath(const Text& path);

protected:
    HttpPostReplyDelegate* m_delegate = nullptr;
    Text m_request;
};

} // namespace Zumeli
