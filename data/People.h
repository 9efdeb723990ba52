#pragma once

#include "data/PeopleEntry.h"
#include "data/SomeVector.h"

#include <unordered_map>
#include <vector>

namespace Zumeli {

// Every user id the engine has met, with names and details, sorted by name; cached in
// "UsersList.txt" (signed with a checksum trailer) so names are known at start.
//
// Beside the list an index by id finds an entry without walking the list, so that loading,
// meeting and looking up users stays linear in their number (the list is never pruned).
class People : public someVector<PeopleEntry> {
public:
    static constexpr const char* FileName = "UsersList.txt";
    static constexpr int Version = 4;

    PeopleEntry* getOrCreate(int id);
    // A new version of the user's data: the details must be loaded again.
    PeopleEntry* setVersion(int id, int ts);
    // Sets the name unless the given one is empty.
    PeopleEntry* setName(int id, const Text& name);
    void addAll(const std::vector<int>& ids);
    // The user's details as the service sent them; the entry counts as loaded afterwards.
    PeopleEntry* setDetails(int id, const Text& name, int ts, int its, bool stf, bool dnd);

    // The name, or "[id]" while the details are not loaded; false for an unknown id.
    bool displayName(int id, Text& out) const;
    PeopleEntry* find(int id, int* index = nullptr) const;
    void allIds(std::vector<int>& out) const;
    // Ids whose details are not loaded (with a known version, unless all is set); true when
    // there is any.
    bool missingIds(std::vector<int>& out, bool all) const;

    // Reads the users of a channel as the join reply lists them: words separated by spaces,
    // each "id,ts,name". Their ids are appended to present (when given); then sorted by name.
    void addChannelUsers(const Text& list, std::vector<int>* present);

    // Ascending by name, ASCII letters without case, equal names in their order.
    void sortByName();

    Text toFileText() const;
    bool fromFileText(const Text& text);
    void load(const Text& cacheFolder);
    bool save() const;
    const Text& path() const { return m_path; }
    void setPath(const Text& path) { m_path = path; }

protected:
    void elementAdded(PeopleEntry* entry) override;
    void elementRemoving(PeopleEntry* entry) override;
    void allRemoved() override { m_byId.clear(); }

private:
    Text m_path;
    // Each id's entry. An id held twice (possible only by adding entries directly) maps to one
    // of them, the first added while both are held.
    std::unordered_map<int, PeopleEntry*> m_byId;
};

} // namespace Zumeli
