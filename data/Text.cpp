#include "data/Text.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <algorithm>
#include <cstring>
#include <ostream>

namespace Zumeli {

std::ostream& operator<<(std::ostream& stream, const Text& text) { return stream << text.str(); }

Text replaceEntities(const Text& text, std::initializer_list<std::pair<std::string_view, char>> entities)
{
    if (!text.contains('&'))
        return text;
    const std::string& in = text.str();
    std::string out;
    out.reserve(in.size());
    for (size_t i = 0; i < in.size();) {
        bool replaced = false;
        for (const auto& [entity, replacement] : entities) {
            if (in.compare(i, entity.size(), entity) == 0) {
                out += replacement;
                i += entity.size();
                replaced = true;
                break;
            }
        }
        if (!replaced)
            out += in[i++];
    }
    return Text(std::move(out));
}

std::string formatToString(const char* format, va_list arguments)
{
    char small[256];
    va_list copy;
    va_copy(copy, arguments);
    int needed = std::vsnprintf(small, sizeof small, format, copy);
    va_end(copy);
    if (needed < 0)
        return {};
    if (size_t(needed) < sizeof small)
        return std::string(small, size_t(needed));
    std::string large(size_t(needed) + 1, '\0');
    std::vsnprintf(large.data(), large.size(), format, arguments);
    large.resize(size_t(needed));
    return large;
}

namespace {

std::string format(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string format(const char* format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    std::string result = formatToString(format, arguments);
    va_end(arguments);
    return result;
}

// Formats with a format chosen at run time and one argument of the given type.
template<typename T>
std::string formatOne(const char* fmt, T value)
{
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
#pragma GCC diagnostic ignored "-Wformat-security"
    return format(fmt, value);
#pragma GCC diagnostic pop
}

char upperAscii(char c) { return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c; }

// One line of a text: its bytes [start, contentEnd) and where the next line starts.
struct LineSpan {
    size_t start;
    size_t contentEnd;
    size_t next;
};

// The line that starts at `start`; its break is a CR, a LF, or CR LF.
LineSpan lineAt(const std::string& bytes, size_t start)
{
    size_t end = start;
    while (end < bytes.size() && bytes[end] != '\r' && bytes[end] != '\n')
        ++end;
    size_t next = end;
    if (next < bytes.size()) {
        if (bytes[next] == '\r' && next + 1 < bytes.size() && bytes[next + 1] == '\n')
            next += 2;
        else
            next += 1;
    }
    return { start, end, next };
}

} // namespace

Text& Text::set(std::string text)
{
    m_bytes = std::move(text);
    return *this;
}

Text& Text::set(const Text* text)
{
    if (text && text != this)
        m_bytes = text->m_bytes;
    return *this;
}

Text& Text::set(const Text& text)
{
    if (&text != this)
        m_bytes = text.m_bytes;
    return *this;
}

Text& Text::setFloat(float value) { return set(format("%f", double(value))); }
Text& Text::setLong(long value) { return set(format("%ld", value)); }
Text& Text::setShort(int value) { return set(format("%d", int(int16_t(value)))); }

Text& Text::set(const char* text)
{
    if (!text)
        m_bytes.clear();
    else
        m_bytes = text;
    return *this;
}

Text& Text::append(const char* text)
{
    if (text)
        m_bytes += text;
    return *this;
}

Text& Text::append(const Text& text)
{
    m_bytes += text.m_bytes;
    return *this;
}

Text& Text::appendShort(int value) { return append(format("%d", int(int16_t(value))).c_str()); }
Text& Text::appendLong(long value) { return append(format("%ld", value).c_str()); }

Text& Text::appendFloat(float value, const char* fmt)
{
    m_bytes += formatOne(fmt, double(value));
    return *this;
}

Text& Text::appendFormattedString(const char* fmt, const char* argument)
{
    if (argument)
        m_bytes += formatOne(fmt, argument);
    return *this;
}

Text& Text::appendFormattedText(const char* fmt, const Text& argument)
{
    m_bytes += formatOne(fmt, argument.c_str());
    return *this;
}

Text& Text::appendFormattedShort(const char* fmt, int value)
{
    m_bytes += formatOne(fmt, int(int16_t(value)));
    return *this;
}

Text& Text::appendFormattedLong(const char* fmt, long value)
{
    m_bytes += formatOne(fmt, value);
    return *this;
}

Text& Text::appendFormattedFloat(const char* fmt, float value)
{
    m_bytes += formatOne(fmt, double(value));
    return *this;
}

Text& Text::setFourCC(uint32_t code)
{
    m_bytes.clear();
    return appendFourCC(code);
}

Text& Text::appendFourCC(uint32_t code)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        m_bytes += char((code >> shift) & 0xFF);
    return *this;
}

uint32_t Text::fourCC(int) const
{
    uint32_t code = 0;
    for (size_t i = 0; i < 4; ++i) {
        code <<= 8;
        if (i < m_bytes.size())
            code |= uint8_t(m_bytes[i]);
    }
    return code;
}

Text& Text::setBytes(int length, const void* data)
{
    if (data && length >= 0)
        m_bytes.assign(static_cast<const char*>(data), size_t(length));
    return *this;
}

Text& Text::appendBytes(int length, const void* data)
{
    if (data && length > 0)
        m_bytes.append(static_cast<const char*>(data), size_t(length));
    return *this;
}

Text& Text::setChar(char c)
{
    m_bytes.assign(1, c);
    return *this;
}

Text& Text::appendChar(char c)
{
    m_bytes += c;
    return *this;
}

Text& Text::setRepeated(char c, int count)
{
    m_bytes.assign(size_t(count > 0 ? count : 0), c);
    return *this;
}

Text& Text::removeChar(char c)
{
    std::erase(m_bytes, c);
    return *this;
}

Text& Text::truncate(int length)
{
    if (length >= 0 && size_t(length) < m_bytes.size())
        m_bytes.resize(size_t(length));
    return *this;
}

Text& Text::appendNewline() { return append("\r\n"); }

Text& Text::setHex(const void* data, int length)
{
    static const char digits[] = "0123456789ABCDEF";
    m_bytes.clear();
    if (!data || length <= 0)
        return *this;
    auto* bytes = static_cast<const uint8_t*>(data);
    m_bytes.reserve(size_t(length) * 2);
    for (int i = 0; i < length; ++i) {
        m_bytes += digits[bytes[i] >> 4];
        m_bytes += digits[bytes[i] & 0x0F];
    }
    return *this;
}

Text Text::left(int count) const
{
    if (count <= 0)
        return {};
    return Text(m_bytes.substr(0, size_t(count)));
}

Text Text::right(int count) const
{
    if (count <= 0)
        return {};
    if (size_t(count) >= m_bytes.size())
        return *this;
    return Text(m_bytes.substr(m_bytes.size() - size_t(count)));
}

Text Text::mid(int position, int count) const
{
    if (position < 0 || size_t(position) >= m_bytes.size() || count <= 0)
        return {};
    return Text(m_bytes.substr(size_t(position), size_t(count)));
}

char Text::lastChar() const { return m_bytes.empty() ? 0 : m_bytes.back(); }

Text& Text::removeLastChar()
{
    if (!m_bytes.empty())
        m_bytes.pop_back();
    return *this;
}

void Text::lines(int skip, int count, Text& out) const
{
    out.clear();
    if (skip < 0 || count <= 0 || m_bytes.empty())
        return;
    size_t start = 0;
    for (int i = 0; i < skip; ++i) {
        start = lineAt(m_bytes, start).next;
        if (start >= m_bytes.size())
            return;
    }
    LineSpan span = lineAt(m_bytes, start);
    for (int i = 1; i < count && span.next < m_bytes.size(); ++i)
        span = lineAt(m_bytes, span.next);
    out.m_bytes.assign(m_bytes, start, span.contentEnd - start);
}

Text Text::lines(int skip, int count) const
{
    Text out;
    lines(skip, count, out);
    return out;
}

void Text::line(int index, Text& out) const { lines(index, 1, out); }

Text Text::line(int index) const { return lines(index, 1); }

bool Text::equals(const char* text) const { return text && m_bytes == text; }

bool Text::equals(const Text& text) const { return m_bytes == text.m_bytes; }

bool Text::isInList(const Text& list, int& position) const
{
    position = list.fieldCount(',');
    while (position > 0) {
        --position;
        if (equalsIgnoreCase(list.field(position, ',')))
            return true;
    }
    position = 0;
    return false;
}

bool Text::isInList(const char* list, int& position) const { return isInList(Text(list), position); }

Text& Text::replaceChar(char from, char to)
{
    for (char& c : m_bytes)
        if (c == from)
            c = to;
    return *this;
}

bool LineReader::next(Text& line)
{
    if (m_position >= m_bytes.size())
        return false;
    LineSpan span = lineAt(m_bytes, m_position);
    line.set(m_bytes.substr(m_position, span.contentEnd - m_position));
    m_position = span.next;
    return true;
}

int Text::lineCount() const
{
    if (m_bytes.empty())
        return 0;
    int count = 1;
    for (LineSpan span = lineAt(m_bytes, 0); span.next < m_bytes.size(); span = lineAt(m_bytes, span.next))
        ++count;
    return count;
}

int Text::fieldCount(char separator) const
{
    if (m_bytes.empty())
        return 0;
    return 1 + int(std::count(m_bytes.begin(), m_bytes.end(), separator));
}

void Text::fields(int skip, int count, char separator, Text& out) const
{
    out.clear();
    if (skip < 0 || count <= 0)
        return;
    size_t position = 0;
    for (int i = 0; i < skip; ++i) {
        size_t found = m_bytes.find(separator, position);
        if (found == std::string::npos)
            return;
        position = found + 1;
    }
    size_t start = position;
    size_t end = m_bytes.size();
    for (int taken = 1;; ++taken) {
        size_t found = m_bytes.find(separator, position);
        if (found == std::string::npos)
            break;
        if (taken == count) {
            end = found;
            break;
        }
        // Between taken fields a run of separators is one boundary.
        position = found + 1;
        while (position < m_bytes.size() && m_bytes[position] == separator)
            ++position;
    }
    out.m_bytes.assign(m_bytes, start, end - start);
}

Text Text::fields(int skip, int count, char separator) const
{
    Text out;
    fields(skip, count, separator, out);
    return out;
}

Text Text::field(int index, char separator) const { return fields(index, 1, separator); }

long Text::toLong() const { return std::strtol(m_bytes.c_str(), nullptr, 10); }

int Text::toInt() const
{
    long value = toLong();
    if (value > INT_MAX)
        return INT_MAX;
    if (value < INT_MIN)
        return INT_MIN;
    return int(value);
}

double Text::toFloat() const { return std::strtod(m_bytes.c_str(), nullptr); }

int Text::copyTo(char* buffer, int max) const
{
    if (!buffer)
        return 0;
    if (max <= 0)
        max = 256;
    size_t count = std::min(m_bytes.size(), size_t(max));
    std::memcpy(buffer, m_bytes.data(), count);
    buffer[count] = 0;
    return int(count);
}

Text& Text::clear()
{
    m_bytes.clear();
    return *this;
}

Text& Text::setFormatted(const char* fmt, ...)
{
    va_list arguments;
    va_start(arguments, fmt);
    m_bytes = formatToString(fmt, arguments);
    va_end(arguments);
    return *this;
}

Text& Text::appendFormatted(const char* fmt, ...)
{
    va_list arguments;
    va_start(arguments, fmt);
    m_bytes += formatToString(fmt, arguments);
    va_end(arguments);
    return *this;
}

Text& Text::appendFormattedV(const char* fmt, va_list arguments)
{
    m_bytes += formatToString(fmt, arguments);
    return *this;
}

bool Text::equalsIgnoreCase(const char* text) const
{
    if (!text)
        return true;
    size_t length = std::strlen(text);
    if (length != m_bytes.size())
        return false;
    for (size_t i = 0; i < length; ++i)
        if (upperAscii(m_bytes[i]) != upperAscii(text[i]))
            return false;
    return true;
}

namespace {

// True when a sorts after b with ASCII letters compared as upper case; a prefix sorts first.
bool sortsAfter(const char* a, size_t aLength, const char* b, size_t bLength)
{
    size_t common = std::min(aLength, bLength);
    for (size_t i = 0; i < common; ++i) {
        auto mine = uint8_t(upperAscii(a[i]));
        auto theirs = uint8_t(upperAscii(b[i]));
        if (mine != theirs)
            return mine > theirs;
    }
    return aLength > bLength;
}

} // namespace

bool Text::greaterIgnoreCase(const char* text) const
{
    if (!text)
        return false;
    return sortsAfter(m_bytes.data(), m_bytes.size(), text, std::strlen(text));
}

// Compares every byte, zero bytes included, so that two equal texts are never each greater
// than the other (a sort relying on that would never end).
bool Text::greaterIgnoreCase(const Text& text) const
{
    return sortsAfter(m_bytes.data(), m_bytes.size(), text.m_bytes.data(), text.m_bytes.size());
}

bool Text::contains(char c) const { return m_bytes.find(c) != std::string::npos; }

Text Text::lastField(char separator) const { return field(fieldCount(separator) - 1, separator); }

int Text::hexDecode(void* buffer, int max) const
{
    auto nibble = [](char c) -> uint8_t {
        if (c >= '0' && c <= '9')
            return uint8_t(c - '0');
        if (c >= 'A' && c <= 'F')
            return uint8_t(c - 'A' + 10);
        if (c >= 'a' && c <= 'f')
            return uint8_t(c - 'a' + 10);
        return 0;
    };
    if (!buffer || max <= 0)
        return 0;
    auto* out = static_cast<uint8_t*>(buffer);
    int written = 0;
    for (size_t i = 0; i + 1 < m_bytes.size() && written < max; i += 2)
        out[written++] = uint8_t(nibble(m_bytes[i]) << 4 | nibble(m_bytes[i + 1]));
    return written;
}

void Text::escapeForForm(Text& out) const
{
    static const char digits[] = "0123456789ABCDEF";
    std::string result;
    result.reserve(m_bytes.size() * 2);
    for (char c : m_bytes) {
        switch (c) {
        case '<':
            result += "%26lt;";
            break;
        case '>':
            result += "%26gt;";
            break;
        case '&':
            result += "%26amp;";
            break;
        case '"':
            result += "%26quot;";
            break;
        default:
            if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) {
                result += c;
            } else {
                result += '%';
                result += digits[uint8_t(c) >> 4];
                result += digits[uint8_t(c) & 0x0F];
            }
        }
    }
    out.m_bytes = std::move(result);
}

Text& Text::decodeEntities(const Text& source)
{
    static const struct {
        const char* name;
        char replacement;
    } entities[] = { { "lt", '<' }, { "gt", '>' }, { "amp", '&' }, { "apos", '\'' }, { "aquot", '"' }, { "quot", '"' } };

    const std::string& in = source.m_bytes;
    std::string out;
    out.reserve(in.size());
    for (size_t i = 0; i < in.size(); ++i) {
        if (in[i] == '&') {
            // The name runs to a ';' within the nine bytes that follow.
            size_t semicolon = std::string::npos;
            for (size_t k = 1; k <= 9 && i + k < in.size(); ++k) {
                if (in[i + k] == ';') {
                    semicolon = i + k;
                    break;
                }
            }
            if (semicolon != std::string::npos) {
                std::string_view name(in.data() + i + 1, semicolon - i - 1);
                bool decoded = false;
                for (const auto& entity : entities) {
                    if (name == entity.name) {
                        out += entity.replacement;
                        i = semicolon;
                        decoded = true;
                        break;
                    }
                }
                if (decoded)
                    continue;
            }
        }
        out += in[i];
    }
    m_bytes = std::move(out);
    return *this;
}

Text& Text::appendElement(const char* name, const Text& value, bool newline)
{
    return appendElementBytes(name, value.m_bytes, newline); // every byte, zero bytes included
}

Text& Text::appendElement(const char* name, const char* value, bool newline)
{
    return appendElementBytes(name, value ? std::string_view(value) : std::string_view(), newline);
}

Text& Text::appendElementBytes(const char* name, std::string_view value, bool newline)
{
    m_bytes += '<';
    append(name);
    m_bytes += '>';
    m_bytes += value;
    m_bytes += "</";
    append(name);
    m_bytes += '>';
    if (newline)
        appendNewline();
    return *this;
}

Text& Text::appendIntElement(const char* name, int value, bool newline)
{
    m_bytes += format("<%s>%d</%s>", name ? name : "", value, name ? name : "");
    if (newline)
        appendNewline();
    return *this;
}

Text& Text::appendEscapedElement(const char* name, const Text& value, bool newline)
{
    Text escaped;
    value.escapeForForm(escaped);
    return appendElement(name, escaped, newline);
}

} // namespace Zumeli
