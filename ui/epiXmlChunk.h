#pragma once

#include "ui/epiText.h"

#include <string_view>

// A view into the content of one element of a document's text (or into the whole document after
// parse). It owns nothing: the text it was made from must outlive it. The reader is lenient and
// bounded: it never reads outside the text, skips declarations, comments and CDATA sections, and
// a missing closing tag ends the element at the end of its parent.
class epiXmlChunk : public epiObject
{
public:
    epiXmlChunk() = default;
    explicit epiXmlChunk(std::string_view content) : m_content(content), m_valid(true) {}

    void parse(const epiText& text) { parse(text.view()); }
    void parse(std::string_view text) { m_content = text, m_valid = true; }

    // The first child element with this name; an empty chunk when there is none.
    epiXmlChunk child(std::string_view name) const;
    bool isEmpty() const { return !m_valid; }
    std::string_view rawText() const { return m_content; }
    // The content trimmed: leading blanks, tabs and line breaks skipped; each line break becomes
    // one blank and the whitespace after it is skipped; trailing blanks removed. No entities.
    epiText text() const;

    // Calls `visit(name, element)` for each child element in order, until it returns false.
    template <typename Visit> void forEachChild(Visit visit) const
    {
        size_t position = 0;
        std::string_view name;
        epiXmlChunk element;
        while (nextChild(position, name, element))
            if (!visit(name, element))
                return;
    }

    // Finds the next child element at or after `position` (a position within the content) and
    // moves `position` past it. False when there is none.
    bool nextChild(size_t& position, std::string_view& name, epiXmlChunk& element) const;

private:
    std::string_view m_content;
    bool m_valid = false;
};

// Yields the children of one name, one after another.
class epiXmlChunkEnumerator : public epiObject
{
public:
    epiXmlChunkEnumerator() = default;
    epiXmlChunkEnumerator(const epiXmlChunk& parent, std::string_view name) { set(parent, name); }

    void set(const epiXmlChunk& parent, std::string_view name);
    // The next child of the name; false when there are no more.
    bool next(epiXmlChunk& element);

private:
    epiXmlChunk m_parent;
    std::string m_name;
    size_t m_position = 0;
};
