#include "server/WebReply.h"

#include "server/TextRules.h"

namespace Zumeli {

std::string xmlEscape(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&apos;"; break;
        default: out += c;
        }
    }
    return out;
}

XmlReply& XmlReply::text(const char* name, std::string_view value)
{
    // Texts stored before they were cleaned on the way in still leave as well-formed XML.
    return raw(name, xmlEscape(cleanText(value)));
}

XmlReply& XmlReply::number(const char* name, long long value) { return raw(name, std::to_string(value)); }

XmlReply& XmlReply::raw(const char* name, std::string_view markup)
{
    m_body.append("<").append(name).append(">").append(markup).append("</").append(name).append(">\r\n");
    return *this;
}

XmlReply& XmlReply::line(std::string_view markup)
{
    m_body.append(markup).append("\r\n");
    return *this;
}

const char* httpReason(int status)
{
    switch (status) {
    case 200: return "OK";
    case 400: return "Bad Request";
    case 403: return "Forbidden";
    case 404: return "Not Found";
    case 405: return "Method Not Allowed";
    case 408: return "Request Timeout";
    case 411: return "Length Required";
    case 413: return "Content Too Large";
    case 431: return "Request Header Fields Too Large";
    case 500: return "Internal Server Error";
    case 501: return "Not Implemented";
    case 503: return "Service Unavailable";
    case 505: return "HTTP Version Not Supported";
    default: return "Error";
    }
}

std::string httpResponse(int status, std::string_view contentType, std::string_view body)
{
    std::string reply = "HTTP/1.0 " + std::to_string(status) + " " + httpReason(status) + "\r\n";
    reply += "Content-Length: " + std::to_string(body.size()) + "\r\n";
    reply += "Connection: close\r\n";
    // Content-Type comes last: a picture follows "Content-Type: image/jpeg\r\n\r\n" directly.
    reply += "Content-Type: ";
    reply += contentType;
    reply += "\r\n\r\n";
    reply += body;
    return reply;
}

} // namespace Zumeli
