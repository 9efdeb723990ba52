#pragma once

#include <cstdarg>
#include <cstdint>
#include <initializer_list>
#include <iosfwd>
#include <string>
#include <string_view>
#include <utility>

namespace Zumeli {

// The engine's owned byte string. It holds UTF-8 in practice, but every operation works on
// bytes, and the bytes are always followed by a terminating zero. Results such as left(),
// field() or line() are new values; a Text is cheap enough to copy freely.
//
// The operations that callers may override are virtual, in the order the engine has always
// declared them; operations that had two slots for the same behaviour appear once.
class Text {
public:
    Text() = default;
    Text(const char* text) { set(text); }
    Text(std::string text)
        : m_bytes(std::move(text))
    {
    }
    Text(const char* data, int length) { setBytes(length, data); }
    Text(const Text&) = default;
    Text(Text&&) noexcept = default;
    Text& operator=(const Text&) = default;
    Text& operator=(Text&&) noexcept = default;
    virtual ~Text() = default;

    virtual Text& set(std::string text);
    virtual Text& set(const Text* text);    // null changes nothing
    virtual Text& set(const Text& text);
    virtual Text& setFloat(float value);    // "%f"
    virtual Text& setLong(long value);      // "%ld"
    virtual Text& setShort(int value);      // "%d" of the value truncated to 16 bits
    virtual Text& set(const char* text);    // null clears
    virtual Text& append(const char* text); // null changes nothing
    virtual Text& append(const Text& text);
    virtual Text& appendShort(int value);
    virtual Text& appendLong(long value);
    virtual Text& appendFloat(float value, const char* format);
    virtual Text& appendFormattedString(const char* format, const char* argument); // null argument: nothing
    virtual Text& appendFormattedText(const char* format, const Text& argument);
    virtual Text& appendFormattedShort(const char* format, int value);
    virtual Text& appendFormattedLong(const char* format, long value);
    virtual Text& appendFormattedFloat(const char* format, float value);
    virtual Text& setFourCC(uint32_t code);
    virtual Text& appendFourCC(uint32_t code);
    virtual uint32_t fourCC(int ignored) const;
    virtual Text& setBytes(int length, const void* data);    // null data changes nothing
    virtual Text& appendBytes(int length, const void* data); // null data changes nothing
    virtual Text& setChar(char c);
    virtual Text& appendChar(char c);
    virtual Text& setRepeated(char c, int count);
    virtual Text& removeChar(char c);
    virtual Text& truncate(int length);
    virtual Text& appendNewline(); // "\r\n"
    virtual Text& setHex(const void* data, int length);
    virtual Text left(int count) const;
    virtual Text right(int count) const; // the whole text when count exceeds the length
    virtual Text mid(int position, int count) const;
    virtual char lastChar() const;
    virtual int length() const { return int(m_bytes.size()); }
    virtual Text& removeLastChar();
    virtual void lines(int skip, int count, Text& out) const;
    virtual Text lines(int skip, int count) const;
    virtual void line(int index, Text& out) const;
    virtual Text line(int index) const;
    virtual bool equals(const char* text) const;
    virtual bool equals(const Text& text) const;
    virtual bool isInList(const Text& list, int& position) const;
    virtual bool isInList(const char* list, int& position) const;
    virtual Text& replaceChar(char from, char to);
    virtual int lineCount() const;
    virtual int fieldCount(char separator) const;
    virtual void fields(int skip, int count, char separator, Text& out) const;
    virtual Text fields(int skip, int count, char separator) const;
    virtual Text field(int index, char separator) const;
    virtual long toLong() const;
    virtual int toInt() const;
    virtual double toFloat() const;
    virtual int copyTo(char* buffer, int max) const;
    virtual void noOperation(int) { }
    virtual int wordCount() const { return fieldCount(' '); }
    virtual Text words(int skip, int count) const { return fields(skip, count, ' '); }
    virtual Text word(int index) const { return words(index, 1); }
    virtual Text& clear();
    virtual Text& appendComma() { return append(","); }
    virtual bool isEmpty() const { return m_bytes.empty(); }
    virtual uint32_t fourCC() const { return fourCC(0); }

    const char* c_str() const { return m_bytes.c_str(); }
    const char* data() const { return m_bytes.data(); }
    const std::string& str() const { return m_bytes; }
    char operator[](int index) const { return m_bytes[size_t(index)]; }

    // printf-style formatting; the result is never cut short.
    Text& setFormatted(const char* format, ...) __attribute__((format(printf, 2, 3)));
    Text& appendFormatted(const char* format, ...) __attribute__((format(printf, 2, 3)));
    Text& appendFormattedV(const char* format, va_list arguments);

    bool equalsIgnoreCase(const char* text) const; // null counts as equal
    bool equalsIgnoreCase(const Text& text) const { return equalsIgnoreCase(text.c_str()); }
    bool greaterIgnoreCase(const char* text) const; // null gives false
    bool greaterIgnoreCase(const Text& text) const;
    bool contains(char c) const;
    Text lastField(char separator) const;
    int hexDecode(void* buffer, int max) const;
    void escapeForForm(Text& out) const;
    Text& decodeEntities(const Text& source);

    // XML element writers: "<name>value</name>", then "\r\n" when newline is set.
    Text& appendElement(const char* name, const Text& value, bool newline);
    Text& appendElement(const char* name, const char* value, bool newline);
    Text& appendIntElement(const char* name, int value, bool newline);
    Text& appendEscapedElement(const char* name, const Text& value, bool newline); // value through escapeForForm

    // Whole-file operations on the file named by the path given.
    // saveToFile replaces the file atomically (a temporary file in the same folder, then a
    // rename), so an interrupted or failed save leaves the previous file as it was. A new file
    // gets the usual permissions, or owner-only ones when asked; a replaced file keeps its own.
    // Any failure prints " error saving file" and returns false.
    bool saveToFile(const Text& path, bool ownerOnly = false) const;
    bool loadFromFile(const Text& path);
    static bool fileExists(const Text& path);
    static bool removeFile(const Text& path);
    bool createDirectory() const; // the folder named by this text, one level

    // Appends the path separator ('/' on this system).
    Text& appendBackslash();
    // Replace the text with the user's application-data or documents folder, created when
    // missing and ending with the separator; empty when the system cannot tell the folder.
    Text& setAppDataFolder();
    Text& setDocumentsFolder();

    bool operator==(const Text& other) const { return m_bytes == other.m_bytes; }
    bool operator==(const char* other) const { return equals(other); }

private:
    Text& appendElementBytes(const char* name, std::string_view value, bool newline);

    std::string m_bytes;
};

// Reads the lines of a text front to back in one pass, with the same line breaks (CR, LF or
// CR LF) and the same lines as line() and lineCount(). Reading every line of a long file with
// line(i) walks the text again for each line; this walks it once. The text must outlive the
// reader and stay unchanged while it is read.
class LineReader {
public:
    explicit LineReader(const Text& text)
        : m_bytes(text.str())
    {
    }
    // The next line without its break; false after the last one.
    bool next(Text& line);

private:
    const std::string& m_bytes;
    size_t m_position = 0;
};

// Writes the bytes as they are (for logs and test messages).
std::ostream& operator<<(std::ostream& stream, const Text& text);

// Replaces just the given entities (such as {"&lt;", '<'}) and leaves every other byte alone, in
// one pass from the left.
Text replaceEntities(const Text& text, std::initializer_list<std::pair<std::string_view, char>> entities);

// Formats into a string that grows to fit.
std::string formatToString(const char* format, va_list arguments);

} // namespace Zumeli
