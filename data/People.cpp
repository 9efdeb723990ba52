#include "data/People.h"

#include "data/Checksum.h"
#include "data/XmlChunk.h"

#include <string>

namespace Zumeli {

namespace {

Text guestWhenEmpty(const Text& name) { return name.isEmpty() ? Text("Guest") : name; }

} // namespace

void People::elementAdded(PeopleEntry* entry) { m_byId.try_emplace(entry->id, entry); }

void People::elementRemoving(PeopleEntry* entry)
{
    auto found = m_byId.find(entry->id);
    if (found == m_byId.end() || found->second != entry)
        return;
    m_byId.erase(found);
    for (const auto& other : *this)
        if (other.get() != entry && other->id == entry->id) {
            m_byId.emplace(entry->id, other.get());
            return;
        }
}

PeopleEntry* People::find(int id, int* index) const
{
    auto found = m_byId.find(id);
    PeopleEntry* entry = found == m_byId.end() ? nullptr : found->second;
    if (index)
        *index = entry ? indexOf(entry) : -1;
    return entry;
}

PeopleEntry* People::getOrCreate(int id)
{
    if (PeopleEntry* entry = find(id)) {
        if (entry->ts == 0)
            entry->ts = 1;
        return entry;
    }
    auto entry = std::make_unique<PeopleEntry>();
    entry->id = id;
    return add(std::move(entry));
}

PeopleEntry* People::setVersion(int id, int ts)
{
    PeopleEntry* entry = getOrCreate(id);
    if (entry->ts != ts) {
        entry->ts = ts;
        entry->loaded = false;
    }
    return entry;
}

PeopleEntry* People::setName(int id, const Text& name)
{
    PeopleEntry* entry = getOrCreate(id);
    if (!name.isEmpty())
        entry->name = name;
    return entry;
}

void People::addAll(const std::vector<int>& ids)
{
    for (int id : ids)
        getOrCreate(id);
}

PeopleEntry* People::setDetails(int id, const Text& name, int ts, int its, bool stf, bool dnd)
{
    PeopleEntry* entry = getOrCreate(id);
    entry->name = name.equalsIgnoreCase("GUEST") ? Text("Guest") : guestWhenEmpty(name);
    entry->ts = ts;
    entry->its = its;
    entry->stf = stf;
    entry->dnd = dnd;
    entry->loaded = true;
    return entry;
}

bool People::displayName(int id, Text& out) const
{
    out.clear();
    const PeopleEntry* entry = find(id);
    if (!entry)
        return false;
    if (!entry->loaded)
        out.setFormatted("[%d]", id);
    else
        out = entry->name;
    return true;
}

void People::allIds(std::vector<int>& out) const
{
    out.clear();
    for (const auto& entry : *this)
        out.push_back(entry->id);
}

bool People::missingIds(std::vector<int>& out, bool all) const
{
    out.clear();
    for (const auto& entry : *this)
        if (!entry->loaded && (all || entry->ts != 0))
            out.push_back(entry->id);
    return !out.empty();
}

void People::addChannelUsers(const Text& list, std::vector<int>* present)
{
    // One pass over the words (a join reply may list thousands of users).
    const std::string& bytes = list.str();
    for (size_t start = 0; start <= bytes.size();) {
        size_t space = bytes.find(' ', start);
        size_t end = space == std::string::npos ? bytes.size() : space;
        Text word(bytes.data() + start, int(end - start));
        start = end + 1;
        if (word.isEmpty())
            continue;
        int id = word.field(0, ',').toInt();
        setVersion(id, word.field(1, ',').toInt());
        Text name = word.field(2, ',');
        if (!name.isEmpty())
            setName(id, name);
        if (present)
            present->push_back(id);
    }
    sortByName();
}

void People::sortByName()
{
    // The order of an exchange sort of neighbours (swap while the left one is greater): a stable
    // sort by the same comparison, without its cost of one step per pair out of order.
    stableSort([](const PeopleEntry& a, const PeopleEntry& b) { return b.name.greaterIgnoreCase(a.name); });
}

Text People::toFileText() const
{
    Text xml("<version>4</version><users>");
    for (const auto& e : *this) {
        xml.append("<user>");
        xml.appendIntElement("id", e->id, true);
        xml.appendIntElement("ts", e->ts, true);
        xml.appendIntElement("dnd", e->dnd ? 1 : 0, true);
        xml.appendIntElement("stf", e->stf ? 1 : 0, true);
        xml.appendIntElement("its", e->its, true);
        xml.appendElement("name", e->name, true);
        xml.append("</user>");
    }
    xml.append("</users>");
    appendChecksumTrailer(xml);
    return xml;
}

bool People::fromFileText(const Text& text)
{
    clear();
    if (!checkChecksumTrailer(text))
        return false;
    XmlChunk whole(text);
    if (whole.childLong("version") != Version)
        return false;
    XmlChunkEnumerator users(whole.child("users"), "user");
    XmlChunk user;
    while (users.next(user)) {
        auto entry = std::make_unique<PeopleEntry>();
        entry->name = guestWhenEmpty(user.child("name").trimmedText());
        entry->id = int(user.childLong("id"));
        entry->ts = int(user.childLong("ts"));
        entry->its = int(user.childLong("its"));
        entry->dnd = user.childLong("dnd") != 0;
        entry->stf = user.childLong("stf") != 0;
        entry->loaded = true;
        if (find(entry->id))
            continue; // ids stay unique even in a file edited by hand
        add(std::move(entry));
    }
    sortByName();
    return true;
}

void People::load(const Text& cacheFolder)
{
    m_path = cacheFolder;
    m_path.append(FileName);
    clear();
    Text text;
    if (text.loadFromFile(m_path))
        fromFileText(text);
}

bool People::save() const { return toFileText().saveToFile(m_path); }

} // namespace Zumeli
