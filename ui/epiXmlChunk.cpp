#include "ui/epiXmlChunk.h"

namespace {

bool isNameEnd(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '/' || c == '>';
}

// Position just after `terminator` at or after `from`, or the end of the text.
size_t skipPast(std::string_view text, size_t from, std::string_view terminator)
{
    size_t at = text.find(terminator, from);
    return at == std::string_view::npos ? text.size() : at + terminator.size();
}

// The end of a start or end tag beginning at `from` ('<'): the position of its '>' (quoted
// attribute values may hold '>'), or npos when the tag does not end.
size_t tagEnd(std::string_view text, size_t from)
{
    char quote = 0;
    for (size_t i = from + 1; i < text.size(); ++i) {
        char c = text[i];
        if (quote) {
            if (c == quote)
                quote = 0;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == '>') {
            return i;
        }
    }
    return std::string_view::npos;
}

// At a '<' at `i`: when it opens markup that is not an element (declaration, comment, CDATA,
// doctype), the position after it; otherwise npos.
size_t skipNonElement(std::string_view text, size_t i)
{
    std::string_view rest = text.substr(i);
    if (rest.starts_with("<?"))
        return skipPast(text, i + 2, "?>");
    if (rest.starts_with("<!--"))
        return skipPast(text, i + 4, "-->");
    if (rest.starts_with("<![CDATA["))
        return skipPast(text, i + 9, "]]>");
    if (rest.starts_with("<!"))
        return skipPast(text, i + 2, ">");
    return std::string_view::npos;
}

} // namespace

bool epiXmlChunk::nextChild(size_t& position, std::string_view& name, epiXmlChunk& element) const
{
    std::string_view text = m_content;
    size_t i = position;
    while (i < text.size()) {
        i = text.find('<', i);
        if (i == std::string_view::npos)
            break;
        if (size_t after = skipNonElement(text, i); after != std::string_view::npos) {
            i = after;
            continue;
        }
        size_t close = tagEnd(text, i);
        if (close == std::string_view::npos)
            break;
        if (i + 1 < text.size() && text[i + 1] == '/') { // a stray end tag
            i = close + 1;
            continue;
        }
        size_t nameEnd = i + 1;
        while (nameEnd < close && !isNameEnd(text[nameEnd]))
            ++nameEnd;
        name = text.substr(i + 1, nameEnd - i - 1);
        if (text[close - 1] == '/') { // <name/>
            element = epiXmlChunk(text.substr(close + 1, 0));
            position = close + 1;
            return true;
        }
        // Find the end tag that closes this element, counting nested elements of every name.
        size_t contentStart = close + 1;
        size_t j = contentStart;
        int depth = 1;
        while (j < text.size()) {
            j = text.find('<', j);
            if (j == std::string_view::npos) {
                j = text.size();
                break;
            }
            if (size_t after = skipNonElement(text, j); after != std::string_view::npos) {
                j = after;
                continue;
            }
            size_t end = tagEnd(text, j);
            if (end == std::string_view::npos) {
                j = text.size();
                break;
            }
            if (j + 1 < text.size() && text[j + 1] == '/') {
                if (--depth == 0) {
                    element = epiXmlChunk(text.substr(contentStart, j - contentStart));
                    position = end + 1;
                    return true;
                }
            } else if (text[end - 1] != '/') {
                ++depth;
            }
            j = end + 1;
        }
        element = epiXmlChunk(text.substr(contentStart, text.size() - contentStart));
        position = text.size();
        return true;
    }
    position = text.size();
    return false;
}

epiXmlChunk epiXmlChunk::child(std::string_view wanted) const
{
    epiXmlChunk found;
    forEachChild([&](std::string_view name, const epiXmlChunk& element) {
        if (name != wanted)
            return true;
        found = element;
        return false;
    });
    return found;
}

epiText epiXmlChunk::text() const
{
    std::string out;
    std::string_view in = m_content;
    size_t i = 0;
    auto skipWhitespace = [&] {
        while (i < in.size() && (in[i] == ' ' || in[i] == '\t' || in[i] == '\r' || in[i] == '\n'))
            ++i;
    };
    skipWhitespace();
    while (i < in.size()) {
        char c = in[i++];
        if (c == '\r' || c == '\n') {
            out += ' ';
            skipWhitespace();
        } else {
            out += c;
        }
    }
    while (!out.empty() && out.back() == ' ')
        out.pop_back();
    return epiText(out);
}

void epiXmlChunkEnumerator::set(const epiXmlChunk& parent, std::string_view name)
{
    m_parent = parent;
    m_name = name;
    m_position = 0;
}

bool epiXmlChunkEnumerator::next(epiXmlChunk& element)
{
    std::string_view name;
    epiXmlChunk candidate;
    while (m_parent.nextChild(m_position, name, candidate)) {
        if (name == m_name) {
            element = candidate;
            return true;
        }
    }
    return false;
}
