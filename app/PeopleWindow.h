#pragma once

#include "app/AccountWindows.h"

#include <string>
#include <vector>

namespace ZumeliApplication {

// 'peLi': the people of the channel and the user's groups (friends, blocked, the lettered groups
// and those the user made). A person of the shown list can get a message or an invitation (the
// panel's 'mesg' and 'bell'; a whole group: 'Gmes' and 'Gbel'), be added to another group, moved
// there or removed; groups can be made, renamed and deleted (the six standing groups stay). Every
// change is saved at once with the engine's saveGroups.
class PeopleWindow : public AccountWindow
{
public:
    // The engine's two lists before the user's groups: everybody it knows, and the people tuned
    // to the channel (shown first).
    static constexpr int Everybody = 0;
    static constexpr int ChannelList = 1;
    // The user's groups start here.
    static constexpr int FirstGroup = 2;
    // Groups below this id are the standing ones, which cannot be deleted.
    static constexpr int FirstOwnGroup = 104;

    bool handleCommand(epiCode code) override;
    bool receiveCommand(epiCode code, intptr_t value, intptr_t extra) override;

    // What the window shows (for the tests and the commands).
    int shownGroup() const { return m_shownGroup; }
    const std::vector<int>& groupIds() const { return m_groups; }
    const std::vector<int>& targetIds() const { return m_targets; }
    const std::vector<int>& people() const { return m_people; }
    // The chosen person (0: none, or the whole group).
    int chosenPerson() const;
    int targetGroup() const;

protected:
    void opened() override;

private:
    void refresh();
    void fillGroups();
    void fillPeople();
    std::string groupName(int id) const;
    std::string personName(int id) const;
    void tellPanel(epiCode command, int id);
    void commit(const char* doneMessage);
    void status(const std::string& text);
    void addTo(bool move);
    void removeChosen();
    void newGroup();
    void renameGroup();
    void deleteGroup();

    int m_shownGroup = ChannelList;
    std::vector<int> m_groups;  // the ids of the entries of 'grup'
    std::vector<int> m_targets; // the ids of the entries of 'dest': the user's groups
    std::vector<int> m_people; // the ids of the entries of 'pers' (0: the whole group)
};

} // namespace ZumeliApplication
