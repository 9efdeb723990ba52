#include "engine/ImageReply.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <string_view>
#include <sys/stat.h>

namespace Zumeli {

namespace {

constexpr std::string_view JpegMarker = "Content-Type: image/jpeg\r\n\r\n";
constexpr size_t ErrorPageWindow = 300;

// The position of an opening tag "<name" (any letter case) followed by '>', '/' or a blank.
size_t findTag(std::string_view text, std::string_view name, size_t from = 0)
{
    for (size_t at = text.find('<', from); at != std::string_view::npos; at = text.find('<', at + 1)) {
        if (at + 1 + name.size() >= text.size())
            return std::string_view::npos;
        bool same = true;
        for (size_t i = 0; i < name.size() && same; ++i)
            same = std::tolower(uint8_t(text[at + 1 + i])) == name[i];
        char after = text[at + 1 + name.size()];
        if (same && (after == '>' || after == '/' || after == ' ' || after == '\t' || after == '\r' || after == '\n'))
            return at;
    }
    return std::string_view::npos;
}

bool isErrorPage(std::string_view reply)
{
    // The service answers with its status line and headers; the page itself follows them.
    if (reply.substr(0, 5) == "HTTP/") {
        size_t headersEnd = reply.find("\r\n\r\n");
        if (headersEnd == std::string_view::npos)
            return false;
        reply.remove_prefix(headersEnd + 4);
    }
    if (reply.empty() || reply.front() != '<')
        return false;
    std::string_view window = reply.substr(0, ErrorPageWindow);
    size_t html = findTag(window, "html");
    if (html != std::string_view::npos && findTag(window, "title", html) != std::string_view::npos)
        return true;
    return findTag(window, "loadimage") != std::string_view::npos;
}

// Where the picture starts: after the marker, or after the headers when one of them (in any
// letter case, in any place) says the body is a JPEG picture; npos when there is no picture.
size_t pictureStart(std::string_view reply)
{
    size_t marker = reply.find(JpegMarker);
    if (marker != std::string_view::npos)
        return marker + JpegMarker.size();
    if (reply.substr(0, 5) != "HTTP/")
        return std::string_view::npos;
    size_t headersEnd = reply.find("\r\n\r\n");
    if (headersEnd == std::string_view::npos)
        return std::string_view::npos;
    std::string_view headers = reply.substr(0, headersEnd + 2);
    for (size_t line = headers.find("\r\n"); line != std::string_view::npos; line = headers.find("\r\n", line + 2)) {
        std::string_view rest = headers.substr(line + 2);
        constexpr std::string_view name = "content-type:";
        if (rest.size() < name.size())
            break;
        bool same = true;
        for (size_t i = 0; i < name.size() && same; ++i)
            same = std::tolower(uint8_t(rest[i])) == name[i];
        if (!same)
            continue;
        rest.remove_prefix(name.size());
        while (!rest.empty() && (rest.front() == ' ' || rest.front() == '\t'))
            rest.remove_prefix(1);
        constexpr std::string_view jpeg = "image/jpeg";
        bool isJpeg = rest.size() >= jpeg.size();
        for (size_t i = 0; i < jpeg.size() && isJpeg; ++i)
            isJpeg = std::tolower(uint8_t(rest[i])) == jpeg[i];
        return isJpeg ? headersEnd + 4 : std::string_view::npos;
    }
    return std::string_view::npos;
}

void removeTarget(const Text& targetPath)
{
    struct stat info {};
    if (::lstat(targetPath.c_str(), &info) == 0)
        Text::removeFile(targetPath); // writes "Remove %s error %d" when it cannot
}

} // namespace

ImageReplyResult readImageReply(const uint8_t* reply, size_t size, const Text& targetPath)
{
    if (!reply || size < 4) {
        removeTarget(targetPath);
        return ImageReplyResult::NoPicture;
    }
    std::string_view text(reinterpret_cast<const char*>(reply), size);
    if (isErrorPage(text))
        return ImageReplyResult::Failed;
    size_t start = pictureStart(text);
    if (start == std::string_view::npos) {
        removeTarget(targetPath);
        return ImageReplyResult::NoPicture;
    }
    std::string_view picture = text.substr(start);
    if (!Text(picture.data(), int(picture.size())).saveToFile(targetPath))
        return ImageReplyResult::Failed;
    return ImageReplyResult::Written;
}

ImageReplyResult readImageReply(const Text& reply, const Text& targetPath)
{
    return readImageReply(reinterpret_cast<const uint8_t*>(reply.data()), size_t(reply.length()), targetPath);
}

} // namespace Zumeli
