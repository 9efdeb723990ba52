#pragma once

#include <string>
#include <string_view>

namespace Zumeli {

// "&", "<", ">", the double quote and the apostrophe as XML entities.
std::string xmlEscape(std::string_view text);

// A reply body of XML elements, one per line ("\r\n" after each), at the top level: the client
// finds the elements it needs by name, so there is no enclosing root element.
class XmlReply {
public:
    XmlReply& text(const char* name, std::string_view value);   // cleaned (see TextRules.h) and escaped
    XmlReply& number(const char* name, long long value);
    XmlReply& raw(const char* name, std::string_view markup);   // already XML
    XmlReply& line(std::string_view markup);                    // a whole line of markup
    const std::string& str() const { return m_body; }

    static XmlReply ok() { return XmlReply().text("status", "OK"); }
    static XmlReply fail(const char* error) { return XmlReply().text("status", "FAIL").text("errorString", error); }

private:
    std::string m_body;
};

// A complete HTTP/1.0 response; the connection is closed after it.
std::string httpResponse(int status, std::string_view contentType, std::string_view body);
const char* httpReason(int status);

} // namespace Zumeli
