#include "data/PictureIndex.h"

#include "data/CacheFolders.h"

#include <memory>

namespace Zumeli {

namespace {

const char* const kindPrefixes[] = { "plateIPhone_", "channel_", "user_", "plateDesktop_" };
constexpr int kindCount = int(sizeof kindPrefixes / sizeof kindPrefixes[0]);
constexpr const char* indexVersionLine = "version0";

} // namespace

bool PictureIndex::open() { return openIn(CacheFolders::cacheFolder()); }

bool PictureIndex::openIn(const Text& folder)
{
    m_folder = folder;
    loadIndex();
    return !m_folder.isEmpty();
}

Text PictureIndex::fileName(int kind, int id)
{
    if (kind < 0 || kind >= kindCount)
        return {};
    Text name;
    name.setFormatted("%s%d.jpg", kindPrefixes[kind], id);
    return name;
}

Text PictureIndex::picturePath(int kind, int id) const
{
    Text path(m_folder);
    return path.append(fileName(kind, id));
}

void PictureIndex::elementAdded(Document* document)
{
    auto [found, added] = m_byName.try_emplace(document->name.str(), document);
    // Only an entry inserted before the one indexed can become the first of its name.
    if (!added && document != last() && indexOf(document) < indexOf(found->second))
        found->second = document;
}

void PictureIndex::elementRemoving(Document* document)
{
    auto found = m_byName.find(document->name.str());
    if (found == m_byName.end() || found->second != document)
        return;
    m_byName.erase(found);
    for (const auto& other : *this)
        if (other.get() != document && other->name.equals(document->name)) {
            m_byName.emplace(document->name.str(), other.get());
            return;
        }
}

Document* PictureIndex::find(const Text& name) const
{
    auto found = m_byName.find(name.str());
    return found == m_byName.end() ? nullptr : found->second;
}

bool PictureIndex::isCached(int kind, int id, int version, Text& path) const
{
    path = picturePath(kind, id);
    Text name = fileName(kind, id);
    if (name.isEmpty())
        return false;
    const Document* document = find(name);
    return document && (version == 0 || document->version == version);
}

bool PictureIndex::setVersion(int kind, int id, int version)
{
    Text name = fileName(kind, id);
    if (name.isEmpty())
        return false;
    if (Document* document = find(name))
        document->version = version;
    else
        add(std::make_unique<Document>(Document { name, version }));
    return saveIndex();
}

void PictureIndex::loadIndexText(const Text& text)
{
    clear();
    LineReader lines(text);
    Text line;
    if (!lines.next(line) || !line.equals(indexVersionLine))
        return;
    while (lines.next(line)) {
        if (line.isEmpty())
            continue;
        add(std::make_unique<Document>(Document { line.field(0, ','), int(line.field(1, ',').toLong()) }));
    }
}

void PictureIndex::loadIndex()
{
    Text contents;
    if (m_folder.isEmpty() || !contents.loadFromFile(Text(m_folder).append(IndexFileName)))
        contents.clear();
    loadIndexText(contents);
}

Text PictureIndex::indexText() const
{
    Text text(indexVersionLine);
    text.appendNewline();
    for (const auto& document : *this) {
        text.append(document->name).appendComma().appendFormatted("%ld", long(document->version));
        text.appendNewline();
    }
    return text;
}

bool PictureIndex::saveIndex() const
{
    if (m_folder.isEmpty())
        return false;
    return indexText().saveToFile(Text(m_folder).append(IndexFileName));
}

} // namespace Zumeli
