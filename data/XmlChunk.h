#pragma once

#include "data/Text.h"

#include <cstdint>

namespace Zumeli {

// A non-owning view of a stretch of XML text that finds child elements by name without building
// a tree. Searches never copy or allocate; values are copied out only when asked for. A chunk
// is valid only while the text it points into is alive and unchanged.
//
// The reader is lenient by design: attributes are not interpreted, "<!...>" and "<?...?>" are
// passed over as far as their "<", and a missing element leaves the caller's default in place.
// An element without its closing tag makes every search that has to pass over it fail.
class XmlChunk {
public:
    enum Kind : int { Opening = 1, Closing = 2, SelfClosing = 3 };

    XmlChunk() = default;
    XmlChunk(const char* start, const char* end) { setRange(start, end); }
    explicit XmlChunk(const Text& text) { setFromText(text); }
    XmlChunk(const XmlChunk&) = default;
    XmlChunk& operator=(const XmlChunk&) = default;
    virtual ~XmlChunk() = default;

    void setRange(const char* start, const char* end);
    void setFromCString(const char* text);
    void setFromText(const Text& text);

    bool isEmpty() const { return !start || !end || start >= end; }
    int size() const { return isEmpty() ? 0 : int(end - start); }

    // The content of the first child element called `name` at the top level of this chunk;
    // when there is none, an empty chunk placed at the start of this one.
    XmlChunk child(const char* name) const;

    Text rawText() const;
    // Leading blanks dropped, each CR and the blanks after it folded into one space, trailing
    // spaces dropped.
    Text trimmedText() const;
    long childLong(const char* name) const;

    // When the child exists, store its value in out; otherwise leave out as it was.
    bool readLong(const char* name, long& out) const;
    bool readInt(const char* name, int& out) const;
    bool readBool(const char* name, bool& out) const;
    bool readText(const char* name, Text& out) const; // trimmed, entities decoded

    const char* start = nullptr;
    const char* end = nullptr;
    // While scanning: the tag's closing '>' and its kind. As a name pattern: index counts the
    // matches returned so far.
    const char* tagEnd = nullptr;
    int kind = 0;
    int16_t index = -1;

protected:
    // Finds the next element called name between from and this chunk's end; see child().
    bool findChild(const char* from, const char* name, size_t nameLength, XmlChunk& content, XmlChunk* tag,
                   const char** resumeAt) const;
};

// Walks the children of one name in document order, resuming after the last one found.
class XmlChunkEnumerator : public XmlChunk {
public:
    XmlChunkEnumerator() = default;
    explicit XmlChunkEnumerator(const XmlChunk& parent)
        : XmlChunk(parent)
    {
    }
    XmlChunkEnumerator(const XmlChunk& parent, const char* name)
        : XmlChunk(parent)
    {
        setName(name);
    }

    void setName(const char* name);

    // The next child with the pattern's name: its content, and its opening tag text (from the
    // name to the '>') when tag is given. False when there are no more.
    bool next(XmlChunk& content, XmlChunk* tag = nullptr);

    int count() const { return pattern.index < 0 ? 0 : pattern.index; }

    XmlChunk pattern;
    const char* resume = nullptr;
};

} // namespace Zumeli
