#include "ui/epiText.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

void epiText::vformatAppend(const char* pattern, va_list args)
{
    va_list copy;
    va_copy(copy, args);
    char small[256];
    int needed = std::vsnprintf(small, sizeof small, pattern, copy);
    va_end(copy);
    if (needed < 0)
        return;
    if (static_cast<size_t>(needed) < sizeof small) {
        m_bytes.append(small, needed);
        return;
    }
    std::string big(static_cast<size_t>(needed) + 1, '\0');
    std::vsnprintf(big.data(), big.size(), pattern, args);
    big.resize(needed);
    m_bytes += big;
}

void epiText::format(const char* pattern, ...)
{
    m_bytes.clear();
    va_list args;
    va_start(args, pattern);
    vformatAppend(pattern, args);
    va_end(args);
}

void epiText::appendFormat(const char* pattern, ...)
{
    va_list args;
    va_start(args, pattern);
    vformatAppend(pattern, args);
    va_end(args);
}

int epiText::compare(const char* other) const
{
    return std::strcmp(m_bytes.c_str(), other ? other : "");
}

int32_t epiText::toInt() const
{
    // atol's rules, but saturating instead of overflowing.
    const char* p = m_bytes.c_str();
    while (*p == ' ' || (*p >= '\t' && *p <= '\r'))
        ++p;
    bool negative = false;
    if (*p == '+' || *p == '-')
        negative = *p++ == '-';
    int64_t value = 0;
    while (*p >= '0' && *p <= '9') {
        if (value < (int64_t{1} << 32))
            value = value * 10 + (*p - '0');
        ++p;
    }
    if (negative)
        value = -value;
    if (value > INT32_MAX)
        return INT32_MAX;
    if (value < INT32_MIN)
        return INT32_MIN;
    return static_cast<int32_t>(value);
}

double epiText::toDouble() const
{
    return std::atof(m_bytes.c_str());
}

int epiText::fieldCount(char separator) const
{
    if (m_bytes.empty())
        return 0;
    int count = 1;
    for (char c : m_bytes)
        count += c == separator;
    return count;
}

epiText epiText::field(int index, char separator, char quote) const
{
    size_t position = 0;
    for (int current = 0; position <= m_bytes.size(); ++current) {
        size_t end;
        size_t start = position;
        if (position < m_bytes.size() && m_bytes[position] == quote) {
            size_t close = m_bytes.find(quote, position + 1);
            if (close == std::string::npos)
                close = m_bytes.size();
            start = position + 1;
            end = close;
            size_t next = m_bytes.find(separator, close);
            position = next == std::string::npos ? m_bytes.size() + 1 : next + 1;
        } else {
            size_t next = m_bytes.find(separator, position);
            end = next == std::string::npos ? m_bytes.size() : next;
            position = next == std::string::npos ? m_bytes.size() + 1 : next + 1;
        }
        if (current == index)
            return epiText(std::string_view(m_bytes).substr(start, end - start));
    }
    return {};
}

// Finds the line that starts at `position`: its end (exclusive) and where the next line starts.
static size_t nextLine(const std::string& bytes, size_t position, size_t& lineEnd)
{
    size_t i = position;
    while (i < bytes.size() && bytes[i] != '\r' && bytes[i] != '\n')
        ++i;
    lineEnd = i;
    if (i < bytes.size() && bytes[i] == '\r')
        ++i;
    if (i < bytes.size() && bytes[i] == '\n' && (i == lineEnd || bytes[i - 1] == '\r'))
        ++i;
    return i;
}

int epiText::lineCount() const
{
    int count = 0;
    size_t lineEnd;
    for (size_t i = 0; i < m_bytes.size(); i = nextLine(m_bytes, i, lineEnd))
        ++count;
    return count;
}

epiText epiText::line(int index) const
{
    size_t lineEnd;
    int current = 0;
    for (size_t i = 0; i < m_bytes.size(); ++current) {
        size_t next = nextLine(m_bytes, i, lineEnd);
        if (current == index)
            return epiText(std::string_view(m_bytes).substr(i, lineEnd - i));
        i = next;
    }
    return {};
}

void epiText::replaceChar(char from, char to)
{
    for (char& c : m_bytes)
        if (c == from)
            c = to;
}

int epiText::find(char c) const
{
    size_t at = m_bytes.find(c);
    return at == std::string::npos ? -1 : static_cast<int>(at);
}

int epiText::findLast(char c) const
{
    size_t at = m_bytes.rfind(c);
    return at == std::string::npos ? -1 : static_cast<int>(at);
}

epiText epiText::substring(size_t position, size_t maxLength) const
{
    if (position >= m_bytes.size())
        return {};
    return epiText(std::string_view(m_bytes).substr(position, maxLength));
}

epiText epiText::extension() const
{
    int dot = findLast('.');
    return dot < 0 ? epiText() : substring(dot + 1);
}

epiText epiText::withoutExtension() const
{
    int dot = findLast('.');
    return dot < 0 ? *this : substring(0, dot);
}

void epiText::copyTo(char* buffer, size_t size) const
{
    if (!buffer)
        return;
    if (size == 0)
        size = 256;
    size_t count = std::min(m_bytes.size(), size - 1);
    std::memcpy(buffer, m_bytes.data(), count);
    buffer[count] = '\0';
}

std::u16string epiText::toUtf16(size_t maxCharacters) const
{
    std::u16string out;
    const auto* p = reinterpret_cast<const unsigned char*>(m_bytes.data());
    const auto* end = p + m_bytes.size();
    while (p < end) {
        uint32_t cp;
        int extra;
        if (*p < 0x80) {
            cp = *p;
            extra = 0;
        } else if ((*p & 0xE0) == 0xC0) {
            cp = *p & 0x1F;
            extra = 1;
        } else if ((*p & 0xF0) == 0xE0) {
            cp = *p & 0x0F;
            extra = 2;
        } else if ((*p & 0xF8) == 0xF0) {
            cp = *p & 0x07;
            extra = 3;
        } else {
            return {};
        }
        if (end - p <= extra)
            return {};
        for (int i = 1; i <= extra; ++i) {
            if ((p[i] & 0xC0) != 0x80)
                return {};
            cp = (cp << 6) | (p[i] & 0x3F);
        }
        static constexpr uint32_t kSmallest[] = {0, 0x80, 0x800, 0x10000};
        if (cp < kSmallest[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return {};
        p += extra + 1;
        size_t units = cp >= 0x10000 ? 2 : 1;
        if (out.size() + units > maxCharacters)
            break;
        if (units == 2) {
            cp -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (cp >> 10));
            out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
        } else {
            out += static_cast<char16_t>(cp);
        }
    }
    return out;
}

void epiText::fromUtf16(std::u16string_view text)
{
    m_bytes.clear();
    for (size_t i = 0; i < text.size(); ++i) {
        uint32_t cp = text[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF)
            cp = 0x10000 + ((cp - 0xD800) << 10) + (text[++i] - 0xDC00);
        else if (cp >= 0xD800 && cp <= 0xDFFF)
            cp = 0xFFFD;
        if (cp < 0x80) {
            m_bytes += static_cast<char>(cp);
        } else if (cp < 0x800) {
            m_bytes += static_cast<char>(0xC0 | (cp >> 6));
            m_bytes += static_cast<char>(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            m_bytes += static_cast<char>(0xE0 | (cp >> 12));
            m_bytes += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            m_bytes += static_cast<char>(0x80 | (cp & 0x3F));
        } else {
            m_bytes += static_cast<char>(0xF0 | (cp >> 18));
            m_bytes += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
            m_bytes += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            m_bytes += static_cast<char>(0x80 | (cp & 0x3F));
        }
    }
}
