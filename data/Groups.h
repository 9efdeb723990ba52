#pragma once

#include "data/Group.h"
#include "data/SomeVector.h"

#include <functional>
#include <vector>

namespace Zumeli {

// The user's groups, sorted by id: the default ones (friends, blocked, groups A to D) and those
// the user creates, which take the lowest free id from 100. Kept in "Groups.txt" and sent to the
// service whenever they change. The names of the default groups are translated again at every
// load through the translator the owner sets (the localisation table).
//
// Every change made through the operations below (a group created, renamed or removed, a member
// added or removed) touches the signature, so the saved file and the copy sent to the service
// carry the time of the last change. Loading, sorting and translating the default names are not
// changes of the user's groups and leave it alone.
class Groups : public someVector<Group> {
public:
    static constexpr const char* FileName = "Groups.txt";
    static constexpr int Version = 1;
    static constexpr int Friends = 2;
    static constexpr int Blocked = 3;
    static constexpr int FirstUserGroup = 100;

    using Translator = std::function<Text(const Text&)>;

    Groups();
    void setTranslator(Translator translator) { m_translate = std::move(translator); }

    int createGroup(const Text& name);
    // Gives the group that id and the translation of name, creating it when missing.
    void ensureGroup(int id, const Text& name);
    void ensureDefaultGroups();

    bool hasGroup(int id) const { return indexOf(id) >= 0; }
    int indexOf(int id) const;
    // Only for groups that exist (see hasGroup).
    void groupName(int id, Text& out) const;
    void setGroupName(int id, const Text& name);
    int memberAt(int groupId, int index) const;
    void addMember(int groupId, int userId);
    void removeMember(int groupId, int userId);

    void removeGroup(int id);
    bool isMember(int groupId, int userId) const;
    // Appends every member of every group that out does not hold yet.
    void collectMembers(std::vector<int>& out) const;
    void sortById();
    // The signature becomes the current time, or one more than before when that is not later.
    void touch();
    int signature() const { return m_signature; }
    void setSignature(int signature) { m_signature = signature; }

    Text toXml() const;
    // Reads a groups document; the default groups are ensured whatever it holds.
    void fromXml(const Text& text);
    void load(const Text& cacheFolder);
    bool save() const;
    const Text& path() const { return m_path; }
    void setPath(const Text& path) { m_path = path; }

private:
    Group* group(int id) const;

    Translator m_translate;
    int m_signature = 0;
    Text m_path;
};

} // namespace Zumeli
