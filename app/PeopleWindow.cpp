#include "app/PeopleWindow.h"

#include "app/ClientApplication.h"
#include "data/ChannelElement.h"
#include "data/PeopleEntry.h"
#include "engine/Client.h"
#include "ui/epiUiSystemScroll.h"
#include "ui/epiWindowManager.h"

#include <algorithm>

namespace ZumeliApplication {

namespace {

epiCode fourCC(const char* text) { return epiCodeFromText(text); }

} // namespace

void PeopleWindow::opened()
{
    m_shownGroup = ChannelList;
    setFilter("gnam", "");
    if (epiUbo* name = findChild(fourCC("gnam")))
        name->setAttribute(fourCC("maxC"), 40);
    refresh();
}

bool PeopleWindow::receiveCommand(epiCode code, intptr_t value, intptr_t extra)
{
    // The panel: the channel's people changed, or another channel.
    if (code == epiFourCC("refr")) {
        refresh();
        return true;
    }
    return AccountWindow::receiveCommand(code, value, extra);
}

void PeopleWindow::refresh()
{
    fillGroups();
    fillPeople();
}

std::string PeopleWindow::groupName(int id) const
{
    if (id == Everybody)
        return tr("]Everybody I know[");
    if (id == ChannelList)
        return tr("]In this channel[");
    Zumeli::Text name;
    if (Zumeli::Client* client = engine(); client && client->getGroupName(id, name))
        return name.c_str();
    return "";
}

std::string PeopleWindow::personName(int id) const
{
    Zumeli::Client* client = engine();
    Zumeli::PeopleEntry entry;
    std::string name;
    if (client && client->getUserRecord(id, entry)) {
        Zumeli::Text shown;
        client->getUserName(id, shown);
        name = shown.c_str();
        if (entry.stf)
            name += tr(" ]-staff-[");
        if (entry.dnd)
            name += " (" + tr("]Do not disturb[") + ")";
    }
    return name.empty() ? "[" + std::to_string(id) + "]" : name;
}

void PeopleWindow::fillGroups()
{
    Zumeli::Client* client = engine();
    m_groups.clear();
    m_targets.clear();
    if (client)
        for (int i = 0, count = client->getGroupCount(); i < count; ++i)
            if (int id = client->getGroupId(i); id >= 0) {
                m_groups.push_back(id);
                if (id >= FirstGroup)
                    m_targets.push_back(id);
            }
    if (std::find(m_groups.begin(), m_groups.end(), m_shownGroup) == m_groups.end())
        m_shownGroup = ChannelList;

    std::string shown, targets;
    int selected = 0;
    for (size_t i = 0; i < m_groups.size(); ++i) {
        shown += (i ? "|" : "") + epiUiSystemPopup::itemText(groupName(m_groups[i]));
        if (m_groups[i] == m_shownGroup)
            selected = int(i);
    }
    for (size_t i = 0; i < m_targets.size(); ++i)
        targets += (i ? "|" : "") + epiUiSystemPopup::itemText(groupName(m_targets[i]));
    if (epiUbo* popup = findChild(fourCC("grup"))) {
        popup->setText(epiText(shown.c_str()));
        popup->setValue(selected);
    }
    if (epiUbo* popup = findChild(fourCC("dest"))) {
        int target = popup->value();
        popup->setText(epiText(targets.c_str()));
        popup->setValue(target >= 0 && size_t(target) < m_targets.size() ? target : 0);
    }
    // The standing groups keep their place and their name; the engine's lists are not edited.
    setEnabled("delg", m_shownGroup >= FirstOwnGroup);
    setEnabled("rena", m_shownGroup >= FirstGroup);
    setEnabled("remv", m_shownGroup >= FirstGroup);
}

void PeopleWindow::fillPeople()
{
    Zumeli::Client* client = engine();
    std::vector<int> ids;
    if (client)
        for (int i = 0, count = client->getGroupSize(m_shownGroup); i < count; ++i)
            if (int id = client->getGroupMember(m_shownGroup, i); id > 0)
                ids.push_back(id);

    int before = chosenPerson();
    m_people.clear();
    std::string items;
    if (m_shownGroup >= FirstGroup) {
        m_people.push_back(0);
        items = tr("]Everyone in the group[");
    }
    std::string list;
    int selected = 0;
    for (int id : ids) {
        std::string name = personName(id);
        if (id == before)
            selected = int(m_people.size());
        m_people.push_back(id);
        items += (items.empty() ? "" : "|") + epiUiSystemPopup::itemText(name);
        list += name + "\n";
    }
    if (epiUbo* popup = findChild(fourCC("pers"))) {
        popup->setText(epiText(items.c_str()));
        popup->setValue(m_people.empty() ? -1 : selected);
    }
    if (ids.empty())
        list = m_shownGroup == ChannelList ? tr("]Nobody is tuned to this channel.[")
               : m_shownGroup == Everybody ? "" : tr("]Nobody is in this group yet.[");
    setFieldText("list", list);
    char count[32];
    std::snprintf(count, sizeof count, "%zu", ids.size());
    setFieldText("coun", tr("]People:[") + " " + count);
}

int PeopleWindow::chosenPerson() const
{
    epiUbo* popup = findChild(fourCC("pers"));
    int index = popup ? popup->value() : -1;
    return index >= 0 && size_t(index) < m_people.size() ? m_people[size_t(index)] : 0;
}

int PeopleWindow::targetGroup() const
{
    epiUbo* popup = findChild(fourCC("dest"));
    int index = popup ? popup->value() : -1;
    return index >= 0 && size_t(index) < m_targets.size() ? m_targets[size_t(index)] : 0;
}

void PeopleWindow::tellPanel(epiCode command, int id)
{
    if (epiWindow* main = windowManager() ? windowManager()->findWindow(fourCC("main")) : nullptr)
        main->receiveCommand(command, id, 0);
}

void PeopleWindow::status(const std::string& text) { setFieldText("stts", text); }

void PeopleWindow::commit(const char* doneMessage)
{
    Zumeli::Client* client = engine();
    bool saved = false;
    {
        WaitCursor wait(application());
        saved = client && client->saveGroups();
    }
    status(saved ? tr(doneMessage) : tr("]Saved here; the service did not take the change.["));
    refresh();
}

void PeopleWindow::addTo(bool move)
{
    Zumeli::Client* client = engine();
    int person = chosenPerson();
    int target = targetGroup();
    if (!client || person == 0 || target == 0) {
        status(tr("]Choose a person and a group first.["));
        return;
    }
    if (target == m_shownGroup)
        return;
    // A person is never both a friend and blocked.
    if (target == 2 || target == 3)
        client->removeGroupMember(target == 2 ? 3 : 2, person);
    client->addGroupMember(target, person);
    if (move && m_shownGroup >= FirstGroup)
        client->removeGroupMember(m_shownGroup, person);
    commit(move ? "]Moved.[" : "]Added.[");
}

void PeopleWindow::removeChosen()
{
    Zumeli::Client* client = engine();
    int person = chosenPerson();
    if (!client || person == 0 || m_shownGroup < FirstGroup) {
        status(tr("]Choose a person of a group first.["));
        return;
    }
    client->removeGroupMember(m_shownGroup, person);
    commit("]Removed.[");
}

void PeopleWindow::newGroup()
{
    Zumeli::Client* client = engine();
    std::string name = fieldText("gnam");
    if (!client || name.find_first_not_of(' ') == std::string::npos) {
        status(tr("]Type the name of the group first.["));
        return;
    }
    m_shownGroup = client->addGroup(Zumeli::Text(name.c_str()));
    setFieldText("gnam", "");
    commit("]The group was made.[");
}

void PeopleWindow::renameGroup()
{
    Zumeli::Client* client = engine();
    std::string name = fieldText("gnam");
    if (!client || m_shownGroup < FirstGroup || name.find_first_not_of(' ') == std::string::npos) {
        status(tr("]Type the new name of the group first.["));
        return;
    }
    client->renameGroup(m_shownGroup, Zumeli::Text(name.c_str()));
    setFieldText("gnam", "");
    commit("]Renamed.[");
}

void PeopleWindow::deleteGroup()
{
    Zumeli::Client* client = engine();
    if (!client || m_shownGroup < FirstOwnGroup)
        return;
    client->removeGroup(m_shownGroup);
    m_shownGroup = ChannelList;
    commit("]The group was deleted.[");
}

bool PeopleWindow::handleCommand(epiCode command)
{
    switch (command) {
    case epiFourCC("grup"): {
        epiUbo* popup = findChild(command);
        int index = popup ? popup->value() : 0;
        m_shownGroup = index >= 0 && size_t(index) < m_groups.size() ? m_groups[size_t(index)] : ChannelList;
        status("");
        refresh();
        return true;
    }
    case epiFourCC("mesg"):
    case epiFourCC("bell"): {
        int person = chosenPerson();
        if (person != 0)
            tellPanel(command, person);
        else if (m_shownGroup >= FirstGroup)
            tellPanel(command == epiFourCC("mesg") ? epiFourCC("Gmes") : epiFourCC("Gbel"), m_shownGroup);
        else
            status(tr("]Choose a person first.["));
        return true;
    }
    case epiFourCC("uabu"):
        // Only a person can be reported, never a whole group.
        if (int person = chosenPerson())
            tellPanel(command, person);
        else
            status(tr("]Choose a person first.["));
        return true;
    case epiFourCC("addt"): addTo(false); return true;
    case epiFourCC("move"): addTo(true); return true;
    case epiFourCC("remv"): removeChosen(); return true;
    case epiFourCC("newg"): newGroup(); return true;
    case epiFourCC("rena"): renameGroup(); return true;
    case epiFourCC("delg"): deleteGroup(); return true;
    case epiFourCC("Done"): close(); return true;
    default: return AccountWindow::handleCommand(command);
    }
}

} // namespace ZumeliApplication
