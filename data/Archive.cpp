#include "data/Archive.h"

namespace Zumeli {

const Archive::Pair* Archive::find(const char* key) const
{
    if (!key)
        return nullptr;
    for (const Pair& pair : m_pairs)
        if (pair.name.equals(key))
            return &pair;
    return nullptr;
}

bool Archive::contains(const char* key) const { return find(key) != nullptr; }

Text Archive::get(const char* key) const
{
    const Pair* pair = find(key);
    return pair ? pair->data : Text();
}

float Archive::getFloat(const char* key) const { return float(get(key).toFloat()); }

void Archive::set(const char* key, const Text& value)
{
    if (!key)
        return;
    for (Pair& pair : m_pairs) {
        if (pair.name.equals(key)) {
            pair.data = value;
            return;
        }
    }
    m_pairs.push_back({ Text(key), value });
}

void Archive::setFloat(const char* key, float value)
{
    Text printed;
    printed.setFormatted("%1.4f", double(value));
    set(key, printed);
}

bool Archive::remove(const char* key)
{
    for (auto it = m_pairs.begin(); it != m_pairs.end(); ++it) {
        if (it->name.equals(key)) {
            m_pairs.erase(it);
            return true;
        }
    }
    return false;
}

Text Archive::toXml() const
{
    Text xml("<archive>");
    for (const Pair& pair : m_pairs) {
        xml.append("<item>");
        xml.appendElement("name", pair.name, true);
        xml.appendElement("data", pair.data, true);
        xml.append("</item>");
    }
    xml.append("</archive>");
    return xml;
}

void Archive::fromXml(const XmlChunk& chunk)
{
    clear();
    XmlChunkEnumerator items(chunk.child("archive"), "item");
    XmlChunk item;
    while (items.next(item))
        m_pairs.push_back({ item.child("name").rawText(), item.child("data").rawText() });
}

} // namespace Zumeli
