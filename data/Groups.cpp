#include "data/Groups.h"

#include "data/XmlChunk.h"

#include <algorithm>
#include <climits>
#include <ctime>

namespace Zumeli {

namespace {

struct DefaultGroup {
    int id;
    const char* name;
};

const DefaultGroup DefaultGroups[] = {
    { Groups::Friends, "]Friends[" }, { Groups::Blocked, "]Blockeds[" }, { 100, "]Group A[" },
    { 101, "]Group B[" },             { 102, "]Group C[" },              { 103, "]Group D[" },
};

} // namespace

Groups::Groups()
    : m_translate([](const Text& text) { return text; })
{
}

Group* Groups::group(int id) const
{
    int index = indexOf(id);
    return index >= 0 ? at(index) : nullptr;
}

int Groups::indexOf(int id) const
{
    for (int i = 0; i < count(); ++i)
        if (at(i)->id == id)
            return i;
    return -1;
}

int Groups::createGroup(const Text& name)
{
    int id = FirstUserGroup;
    while (hasGroup(id))
        ++id;
    auto created = std::make_unique<Group>();
    created->id = id;
    created->name = name;
    add(std::move(created));
    touch();
    return id;
}

void Groups::ensureGroup(int id, const Text& name)
{
    Text translated = m_translate(name);
    if (Group* existing = group(id)) {
        existing->name = translated;
        return;
    }
    auto created = std::make_unique<Group>();
    created->id = id;
    created->name = translated;
    add(std::move(created));
}

void Groups::ensureDefaultGroups()
{
    for (const DefaultGroup& g : DefaultGroups)
        ensureGroup(g.id, Text(g.name));
}

void Groups::groupName(int id, Text& out) const
{
    if (Group* g = group(id))
        out = g->name;
    else
        out.clear();
}

void Groups::setGroupName(int id, const Text& name)
{
    Group* g = group(id);
    if (!g || g->name == name)
        return;
    g->name = name;
    touch();
}

int Groups::memberAt(int groupId, int index) const
{
    Group* g = group(groupId);
    if (!g || index < 0 || size_t(index) >= g->members.size())
        return 0;
    return g->members[size_t(index)];
}

void Groups::addMember(int groupId, int userId)
{
    Group* g = group(groupId);
    if (!g || std::find(g->members.begin(), g->members.end(), userId) != g->members.end())
        return;
    g->members.push_back(userId);
    touch();
}

void Groups::removeMember(int groupId, int userId)
{
    Group* g = group(groupId);
    if (!g)
        return;
    auto found = std::find(g->members.begin(), g->members.end(), userId);
    if (found == g->members.end())
        return;
    g->members.erase(found);
    touch();
}

void Groups::removeGroup(int id)
{
    if (removeAt(indexOf(id)))
        touch();
}

bool Groups::isMember(int groupId, int userId) const
{
    Group* g = group(groupId);
    return g && std::find(g->members.begin(), g->members.end(), userId) != g->members.end();
}

void Groups::collectMembers(std::vector<int>& out) const
{
    for (const auto& g : *this)
        for (int member : g->members)
            if (std::find(out.begin(), out.end(), member) == out.end())
                out.push_back(member);
}

void Groups::sortById()
{
    int i = 0;
    while (i + 1 < count()) {
        if (at(i)->id > at(i + 1)->id) {
            swapAt(i, i + 1);
            if (i > 0)
                --i;
        } else {
            ++i;
        }
    }
}

void Groups::touch()
{
    // Never the same or an older signature than before, even for two changes within one second
    // or after the clock was set back: whoever compares signatures must see every change as newer.
    long next = std::max(long(std::time(nullptr)), long(m_signature) + 1);
    m_signature = int(std::min(next, long(INT_MAX)));
}

Text Groups::toXml() const
{
    Text xml("<zumeligroups>");
    xml.appendIntElement("version", Version, true);
    xml.appendIntElement("signature", m_signature, true);
    xml.append("<groups>");
    for (const auto& g : *this) {
        xml.append("<group>");
        xml.appendElement("name", g->name, true);
        xml.appendIntElement("id", g->id, true);
        xml.append("<items>");
        for (int member : g->members)
            xml.appendIntElement("id", member, true);
        xml.append("</items></group>");
    }
    xml.append("</groups></zumeligroups>");
    return xml;
}

void Groups::fromXml(const Text& text)
{
    clear();
    XmlChunk root = XmlChunk(text).child("zumeligroups");
    if (root.childLong("version") == Version) {
        m_signature = int(root.childLong("signature"));
        XmlChunkEnumerator groups(root.child("groups"), "group");
        XmlChunk g;
        while (groups.next(g)) {
            int id = int(g.childLong("id"));
            if (hasGroup(id))
                continue; // ids stay unique even in a file edited by hand
            auto loaded = std::make_unique<Group>();
            loaded->id = id;
            loaded->name = g.child("name").trimmedText();
            XmlChunkEnumerator members(g.child("items"), "id");
            XmlChunk member;
            while (members.next(member)) {
                int userId = member.trimmedText().toInt();
                if (std::find(loaded->members.begin(), loaded->members.end(), userId) == loaded->members.end())
                    loaded->members.push_back(userId);
            }
            add(std::move(loaded));
        }
    }
    ensureDefaultGroups();
    sortById();
}

void Groups::load(const Text& cacheFolder)
{
    m_path = cacheFolder;
    m_path.append(FileName);
    Text text;
    if (text.loadFromFile(m_path)) {
        fromXml(text);
        return;
    }
    ensureDefaultGroups();
    sortById();
}

bool Groups::save() const { return toXml().saveToFile(m_path); }

} // namespace Zumeli
