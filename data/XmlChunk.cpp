#include "data/XmlChunk.h"

#include <algorithm>
#include <cstring>

namespace Zumeli {

namespace {

// One tag found by the scanner.
struct Tag {
    const char* open;     // its '<'
    const char* name;     // first byte of the name
    const char* nameEnd;  // one past the name
    const char* close;    // its '>'
    int kind;
};

// Finds the next tag at or after cursor, before end.
bool nextTag(const char* cursor, const char* end, Tag& tag)
{
    while (cursor < end) {
        auto* open = static_cast<const char*>(std::memchr(cursor, '<', size_t(end - cursor)));
        if (!open || open + 1 >= end)
            return false;
        char first = open[1];
        if (first == '!' || first == '?') {
            cursor = open + 1;
            continue;
        }
        bool closing = first == '/';
        const char* name = closing ? open + 2 : open + 1;
        if (name >= end)
            return false;
        auto* close = static_cast<const char*>(std::memchr(name, '>', size_t(end - name)));
        if (!close)
            return false;
        auto* space = static_cast<const char*>(std::memchr(name, ' ', size_t(close - name)));
        bool selfClosing = close - 1 >= name && close[-1] == '/';
        const char* nameEnd = space ? space : (selfClosing ? close - 1 : close);
        tag = { open, name, nameEnd, close, closing ? XmlChunk::Closing : (selfClosing ? XmlChunk::SelfClosing : XmlChunk::Opening) };
        return true;
    }
    return false;
}

bool sameName(const Tag& tag, const char* name, size_t length)
{
    return size_t(tag.nameEnd - tag.name) == length && std::memcmp(tag.name, name, length) == 0;
}

// The closing tag that matches an opening tag called name, searched from `from`: same-name
// opening tags nest deeper, and the closing tag met at depth 0 is the match.
bool findClosing(const char* from, const char* end, const char* name, size_t length, Tag& match)
{
    int depth = 0;
    Tag tag {};
    for (const char* cursor = from; nextTag(cursor, end, tag); cursor = tag.nameEnd) {
        if (!sameName(tag, name, length))
            continue;
        if (tag.kind == XmlChunk::Opening) {
            ++depth;
        } else if (tag.kind == XmlChunk::Closing) {
            if (depth == 0) {
                match = tag;
                return true;
            }
            --depth;
        }
    }
    return false;
}

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

} // namespace

void XmlChunk::setRange(const char* rangeStart, const char* rangeEnd)
{
    start = rangeStart;
    end = rangeEnd;
}

void XmlChunk::setFromCString(const char* text)
{
    start = text;
    end = text ? text + std::strlen(text) : nullptr;
}

void XmlChunk::setFromText(const Text& text)
{
    start = text.data();
    end = text.data() + text.length();
}

bool XmlChunk::findChild(const char* from, const char* name, size_t nameLength, XmlChunk& content, XmlChunk* tagText,
                         const char** resumeAt) const
{
    if (isEmpty() || !from || from < start || from >= end)
        return false;
    Tag tag {};
    for (const char* cursor = from; nextTag(cursor, end, tag);) {
        cursor = tag.nameEnd;
        if (tag.kind == Closing)
            continue;
        bool wanted = sameName(tag, name, nameLength);
        if (tag.kind == SelfClosing) {
            if (wanted) {
                content.setRange(tag.nameEnd, tag.nameEnd);
                if (tagText)
                    tagText->setRange(tag.name, tag.close);
                *resumeAt = tag.nameEnd;
                return true;
            }
            continue;
        }
        Tag closing {};
        if (!findClosing(tag.nameEnd, end, tag.name, size_t(tag.nameEnd - tag.name), closing))
            return false;
        if (wanted) {
            // A '>' inside an attribute can put the content's start past its end; the view is
            // then simply empty.
            content.setRange(tag.close + 1, closing.open);
            if (tagText)
                tagText->setRange(tag.name, tag.close);
            *resumeAt = std::max(tag.close + 1, closing.open);
            return true;
        }
        cursor = closing.nameEnd;
    }
    return false;
}

XmlChunk XmlChunk::child(const char* name) const
{
    XmlChunk content;
    const char* resumeAt = nullptr;
    if (name && findChild(start, name, std::strlen(name), content, nullptr, &resumeAt))
        return content;
    return XmlChunk(start, start);
}

Text XmlChunk::rawText() const
{
    if (isEmpty())
        return {};
    return Text(start, int(end - start));
}

Text XmlChunk::trimmedText() const
{
    if (isEmpty())
        return {};
    std::string out;
    out.reserve(size_t(end - start));
    const char* p = start;
    while (p < end && isBlank(*p))
        ++p;
    while (p < end) {
        if (*p == '\r') {
            out += ' ';
            ++p;
            while (p < end && isBlank(*p))
                ++p;
            continue;
        }
        out += *p++;
    }
    while (!out.empty() && out.back() == ' ')
        out.pop_back();
    return Text(std::move(out));
}

long XmlChunk::childLong(const char* name) const { return child(name).trimmedText().toLong(); }

bool XmlChunk::readLong(const char* name, long& out) const
{
    XmlChunk value = child(name);
    if (value.isEmpty())
        return false;
    out = value.trimmedText().toLong();
    return true;
}

bool XmlChunk::readInt(const char* name, int& out) const
{
    long value = 0;
    if (!readLong(name, value))
        return false;
    out = int(value);
    return true;
}

bool XmlChunk::readBool(const char* name, bool& out) const
{
    XmlChunk value = child(name);
    if (value.isEmpty())
        return false;
    out = int16_t(value.trimmedText().toInt()) != 0;
    return true;
}

bool XmlChunk::readText(const char* name, Text& out) const
{
    XmlChunk value = child(name);
    if (value.isEmpty())
        return false;
    out.decodeEntities(value.trimmedText());
    return true;
}

void XmlChunkEnumerator::setName(const char* name)
{
    pattern.setFromCString(name);
    pattern.index = 0;
    resume = nullptr;
}

bool XmlChunkEnumerator::next(XmlChunk& content, XmlChunk* tag)
{
    if (pattern.isEmpty())
        return false;
    const char* from = resume ? resume : start;
    const char* resumeAt = nullptr;
    if (!findChild(from, pattern.start, size_t(pattern.end - pattern.start), content, tag, &resumeAt))
        return false;
    resume = resumeAt;
    pattern.index = int16_t(pattern.index + 1);
    return true;
}

} // namespace Zumeli
