#pragma once

#include "ui/epiObject.h"

#include <cstdarg>
#include <string>
#include <string_view>

// The toolkit's UTF-8 byte string. Comparisons are exact byte comparisons; numbers follow the C
// atol/atof rules (leading blanks, sign, digits up to the first other character, 0 when none).
class epiText : public epiObject
{
public:
    epiText() = default;
    epiText(const char* text) : m_bytes(text ? text : "") {}
    epiText(std::string_view text) : m_bytes(text) {}
    epiText(const char* bytes, size_t length) : m_bytes(bytes, length) {}

    void assign(const char* text) { m_bytes = text ? text : ""; }
    void assign(const epiText& text) { m_bytes = text.m_bytes; }
    void assign(const char* bytes, size_t length) { m_bytes.assign(bytes, length); }
    void append(const char* text) { m_bytes += text ? text : ""; }
    void append(const epiText& text) { m_bytes += text.m_bytes; }
    void append(std::string_view text) { m_bytes += text; }
    void appendChar(char c) { m_bytes += c; }
    void appendCode(epiCode code) { m_bytes += epiCodeToText(code); }
    void prependChar(char c) { m_bytes.insert(m_bytes.begin(), c); }
    void appendLineEnd() { m_bytes += "\r\n"; }
    void clear() { m_bytes.clear(); }
    size_t length() const { return m_bytes.size(); }
    bool isEmpty() const { return m_bytes.empty(); }
    // Sizes the text to `length` bytes (new bytes are zero) for readers that fill it in place.
    void resize(size_t length) { m_bytes.resize(length); }
    char* data() { return m_bytes.data(); }

    void format(const char* pattern, ...) __attribute__((format(printf, 2, 3)));
    void appendFormat(const char* pattern, ...) __attribute__((format(printf, 2, 3)));

    bool equals(const epiText& other) const { return m_bytes == other.m_bytes; }
    bool equals(const char* other) const { return m_bytes == (other ? other : ""); }
    int compare(const char* other) const;
    bool startsWith(std::string_view prefix) const { return m_bytes.starts_with(prefix); }
    bool endsWith(std::string_view suffix) const { return m_bytes.ends_with(suffix); }
    bool operator==(const epiText& other) const { return m_bytes == other.m_bytes; }
    bool operator==(const char* other) const { return equals(other); }

    int32_t toInt() const;
    double toDouble() const;
    epiCode toCode() const { return epiCodeFromText(m_bytes); }
    void fromCode(epiCode code) { m_bytes = epiCodeToText(code); }

    // 1 + the number of separators; 0 for the empty text.
    int fieldCount(char separator) const;
    // The index-th field between separators; a field beginning with `quote` runs to the next quote
    // (the quotes are not part of it). Empty when there is no such field.
    epiText field(int index, char separator, char quote = '"') const;
    // Lines ended by CR, LF or CR LF, a last line without an end counted too.
    int lineCount() const;
    epiText line(int index) const;

    void replaceChar(char from, char to);
    // Position of the first/last occurrence, -1 when absent.
    int find(char c) const;
    int findLast(char c) const;
    epiText substring(size_t position, size_t maxLength = std::string::npos) const;
    epiText extension() const;
    epiText withoutExtension() const;
    // Copies into a buffer of `size` bytes (256 when 0), truncated and always terminated.
    void copyTo(char* buffer, size_t size) const;

    // UTF-16 of at most maxCharacters units; empty when the text is empty or not valid UTF-8.
    std::u16string toUtf16(size_t maxCharacters) const;
    void fromUtf16(std::u16string_view text);

    const char* c_str() const { return m_bytes.c_str(); }
    const std::string& str() const { return m_bytes; }
    std::string_view view() const { return m_bytes; }

private:
    void vformatAppend(const char* pattern, va_list args);

    std::string m_bytes;
};
