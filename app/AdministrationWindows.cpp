#include "app/AdministrationWindows.h"

#include "app/ClientApplication.h"
#include "app/PeopleSelector.h"
#include "data/ChannelElement.h"
#include "engine/Client.h"
#include "engine/Manager.h"
#include "engine/ServiceConfig.h"
#include "platform/Browser.h"
#include "ui/epiWindowManager.h"

#include <cstdio>
#include <initializer_list>

namespace ZumeliApplication {

namespace {

epiCode fourCC(const char* text) { return epiCodeFromText(text); }

// Puts each value in place of the next "%s" or "%d" of a translated pattern. Translations are
// never used as printf formats.
std::string fill(std::string pattern, std::initializer_list<std::string> values)
{
    size_t from = 0;
    for (const std::string& value : values) {
        size_t at = pattern.find('%', from);
        while (at != std::string::npos && at + 1 < pattern.size() && pattern[at + 1] != 's' && pattern[at + 1] != 'd')
            at = pattern.find('%', at + 1);
        if (at == std::string::npos || at + 1 >= pattern.size())
            break;
        pattern.replace(at, 2, value);
        from = at + value.size();
    }
    return pattern;
}

// The main window's panel takes the command as its own.
void tellPanel(epiApplication* app, epiCode command)
{
    epiWindowManager* windows = app ? app->windowManager() : nullptr;
    epiWindow* main = windows ? windows->findWindow(fourCC("main")) : nullptr;
    if (epiUbo* pane = main ? main->findChild(fourCC("pane")) : nullptr)
        pane->receiveCommand(command, 0, 0);
}

// The list items of the editor: names, title label and edit button of each list.
struct ListItems {
    const char* names;
    const char* label;
    const char* edit;
    const char* title;
};
constexpr ListItems Lists[] = {
    {"coad", "coat", "edi1", "]Co-Administrators["},
    {"peta", "reta", "edi2", "]Allowed talkers["},
    {"peli", "reli", "edi3", "]Allowed listeners["},
    {"peex", "reex", "edi4", "]Not admitted["},
};

// The entries of the access mode list, in the order of the modes.
constexpr const char* AccessModeNames[] = {
    "]Everyone talks[",          "]Some only listen[",   "]Some talk, all listen[",
    "]Listed talkers and listeners[", "]Listed talkers only[", "]Registered users only[",
};

// The layout names the window in its text; the native title shows it translated.
void translateTitle(epiWindow& window, const std::string& translated)
{
    if (window.title().isEmpty())
        window.setTitle(epiText(translated.c_str()));
}

} // namespace

AccessLists AccessLists::forMode(int mode)
{
    AccessLists lists;
    lists.talkers = mode == 2 || mode == 3 || mode == 4;
    lists.listeners = mode == 1 || mode == 3 || mode == 5;
    lists.notAdmitted = mode == 1 || mode == 2 || mode == 5;
    return lists;
}

// ----- the request -----

std::string AdministrationRequestWindow::shopAddress()
{
    Zumeli::ServiceAddress address = Zumeli::ServiceConfig::production(Zumeli::Manager::instance().preferences);
    std::string url = "http://" + std::string(address.host.c_str());
    if (address.port != 80)
        url += ":" + std::to_string(address.port);
    return url + "/shop/";
}

void AdministrationRequestWindow::opened()
{
    translateTitle(*this, tr(text().c_str()));
    setFieldText("info", "");
    updateStates();
    startOneShotTimer(StartSeconds);
}

void AdministrationRequestWindow::updateStates()
{
    setEnabled("Adrq", m_channelRead && m_mayRequest);
    setEnabled("Bucr", m_channelRead);
    setEnabled("Canc", true);
}

void AdministrationRequestWindow::timerFired()
{
    Zumeli::Client* client = engine();
    Zumeli::ChannelElement channel;
    if (!client || !client->getCurrentChannelRecord(channel)) {
        setFieldText("info", tr("]Error retrieving channel informations["));
        updateStates();
        return;
    }
    m_channelRead = true;
    Zumeli::ChannelStatus status;
    Zumeli::OwnDetails own;
    {
        WaitCursor wait(application());
        client->getUserChannelStatus(status);
    }
    client->getOwnUserDetails(own);
    std::string info = fill(tr("]Canal   %s %s["), {Zumeli::ChannelElement::displayNumber(channel.number).c_str(),
                                                     channel.name.c_str()});
    info += "\n";
    if (status.channelAdministrated) {
        if (channel.permissions == 2) {
            info += tr("]Canal Privadoy Administrado.    [") + "\n";
        } else {
            Zumeli::Text name;
            std::string who = client->getUserName(channel.adminId, name) && !name.isEmpty()
                                  ? std::string(name.c_str())
                                  : tr("]name not public[");
            info += fill(tr("]Canal administrado por   %s.["), {who});
        }
    } else {
        info += tr("]Canal libre para Administrar     [");
    }
    setFieldText("info", info);
    // A registered user may take a channel that nobody administers.
    m_mayRequest = own.authorized && !status.channelAdministrated;
    updateStates();
}

bool AdministrationRequestWindow::handleCommand(epiCode command)
{
    switch (command) {
    case epiFourCC("Adrq"): {
        Zumeli::Client* client = engine();
        Zumeli::Text out;
        bool claimed = false;
        if (client) {
            WaitCursor wait(application());
            claimed = client->claimAdministration(out);
        }
        if (claimed) {
            // Closed first: the click that brought us here must not travel on from a window
            // that the panel replaces.
            epiApplication* app = application();
            close();
            tellPanel(app, fourCC("admi"));
        }
        return true;
    }
    case epiFourCC("Bucr"): Zumeli::Platform::openUrl(shopAddress()); return true;
    case epiFourCC("Canc"): close(); return true;
    default: return AccountWindow::handleCommand(command);
    }
}

// ----- the editor -----

void AdministrationWindow::opened()
{
    translateTitle(*this, tr(text().c_str()));
    std::string entries;
    for (const char* name : AccessModeNames)
        entries += (entries.empty() ? "" : "|") + tr(name);
    setFieldText("acop", entries);
    setFieldText("adin", tr("]Getting info...["));
    m_loaded = false;
    m_credits = 1;
    updateStates();
    startOneShotTimer(LoadSeconds);
}

void FamilyAdministrationWindow::opened()
{
    setFieldText("chtl", tr("]Family Channel["));
    AdministrationWindow::opened();
}

void AdministrationWindow::closing()
{
    // The selector writes into this window's lists: it goes with it.
    if (epiWindowManager* windows = application() ? application()->windowManager() : nullptr) {
        if (auto* selector = dynamic_cast<PeopleSelector*>(windows->findWindow(fourCC("peos")))) {
            selector->forgetOwner(this);
            selector->close();
        }
    }
    AccountWindow::closing();
}

bool AdministrationWindow::checked(const char* item) const
{
    epiUbo* box = findChild(fourCC(item));
    return box && box->value() != 0;
}

void AdministrationWindow::setChecked(const char* item, bool on)
{
    if (epiUbo* box = findChild(fourCC(item)))
        box->setValue(on ? 1 : 0);
}

int AdministrationWindow::statesMode() const
{
    epiUbo* modes = findChild(fourCC("acop"));
    int mode = modes ? modes->value() : 0;
    return mode < 0 ? 0 : mode;
}

void AdministrationWindow::updateStates()
{
    setEnabled("Okay", m_loaded);
    setEnabled("chtl", m_loaded);
    setEnabled("chti", m_loaded);
    setEnabled("perm", false);
    setEnabled("pero", false);
    for (const char* item : {"advi", "coad", "coat", "acop", "help", "edi1", "chin"})
        setEnabled(item, m_loaded);

    int mode = statesMode();
    const char* help = Zumeli::AdministrationDocument::accessModeText(mode);
    setFieldText("help", help && *help ? tr(help) : "");
    AccessLists lists = AccessLists::forMode(mode);
    for (const char* item : {"reta", "peta", "edi2"})
        setEnabled(item, m_loaded && lists.talkers);
    for (const char* item : {"reli", "peli", "edi3"})
        setEnabled(item, m_loaded && lists.listeners);
    for (const char* item : {"reex", "peex", "edi4"})
        setEnabled(item, m_loaded && lists.notAdmitted);

    // The credit line replaces the status only once there is a document: "Getting info..." and
    // a load error stay readable.
    if (m_loaded)
        setFieldText("adin", fill(tr("]Administration credits: %d["),
                                  {std::to_string(m_credits - (checked("doad") ? 1 : 0))}));
}

void AdministrationWindow::timerFired() { load(); }

void AdministrationWindow::addKnown(const std::vector<int>& ids)
{
    for (int id : ids) {
        bool known = false;
        for (int have : m_ids)
            known = known || have == id;
        if (!known)
            m_ids.push_back(id);
    }
}

void AdministrationWindow::load()
{
    Zumeli::Client* client = engine();
    Zumeli::Text error;
    if (client) {
        WaitCursor wait(application());
        m_loaded = client->loadAdministration(m_document, error);
    }
    if (m_loaded) {
        Zumeli::ChannelElement channel;
        client->getCurrentChannelRecord(channel);
        setFieldText("chin", tr("]Canal[") + "   " + Zumeli::ChannelElement::displayNumber(channel.number).c_str());
        setChecked("doad", m_document.administrated);
        setFieldText("chti", m_document.title.c_str());
        setChecked("perm", m_document.accessWithAdminPermission);
        if (epiUbo* modes = findChild(fourCC("acop")))
            modes->setValue(m_document.accessMode);
        setChecked("pero", m_document.accessWithAdminPresent);
        setChecked("advi", m_document.nameAndAdminReserved);
        setChecked("beco", m_document.bellEnableCoadmins);
        setChecked("beev", m_document.bellEnableAll);
        setChecked("bebr", m_document.bellEnableBreak);
        rebuildNames();
        addKnown(m_document.coadmins);
        addKnown(m_document.restricted);
        addKnown(m_document.listenOnly);
        addKnown(m_document.excluded);
    } else {
        setFieldText("adin", error.c_str());
    }
    updateStates();
}

void AdministrationWindow::rebuildNames()
{
    Zumeli::Client* client = engine();
    const std::vector<int>* lists[] = {&m_document.coadmins, &m_document.restricted, &m_document.listenOnly,
                                       &m_document.excluded};
    for (size_t i = 0; i < std::size(Lists); ++i) {
        std::string names;
        for (int id : *lists[i]) {
            Zumeli::Text name;
            if (!names.empty())
                names += " ";
            names += client && client->getUserName(id, name) ? std::string(name.c_str()) : tr("]Unknown[");
        }
        setFieldText(Lists[i].names, names);
    }
}

void AdministrationWindow::editList(int which)
{
    Zumeli::Client* client = engine();
    epiWindowManager* windows = application() ? application()->windowManager() : nullptr;
    if (!client || !windows)
        return;
    std::vector<int>* lists[] = {&m_document.coadmins, &m_document.restricted, &m_document.listenOnly,
                                 &m_document.excluded};
    m_ids.clear();
    client->getPeopleIds(m_ids);
    auto* selector = dynamic_cast<PeopleSelector*>(windows->showOrOpenWindow(fourCC("peos")));
    if (!selector)
        return;
    Zumeli::ChannelElement channel;
    client->getCurrentChannelRecord(channel);
    selector->setup(channel.presentUsers, m_ids, lists[which], this, selectionLimit());
    selector->setTitle(epiText(tr(Lists[which].title).c_str()));
}

void AdministrationWindow::save()
{
    m_document.administrated = checked("doad");
    m_document.title = Zumeli::Text(fieldText("chti").c_str());
    m_document.accessWithAdminPermission = checked("perm");
    m_document.accessWithAdminPresent = checked("pero");
    m_document.nameAndAdminReserved = checked("advi");
    if (epiUbo* modes = findChild(fourCC("acop")))
        m_document.accessMode = modes->value() < 0 ? 0 : modes->value();
    m_document.bellEnableCoadmins = checked("beco");
    m_document.bellEnableAll = checked("beev");
    m_document.bellEnableBreak = checked("bebr");
    Zumeli::Client* client = engine();
    Zumeli::Text error;
    bool saved = false;
    if (client) {
        WaitCursor wait(application());
        saved = client->saveAdministration(m_document, error);
    }
    if (saved) {
        close();
        return;
    }
    // The engine names no reason of its own ("Unimplemented"): say what the user can act on.
    std::string reason = error.str();
    if (reason.empty() || reason == "Unimplemented")
        reason = tr("]the service did not keep the settings[");
    setFieldText("adin", fill(tr("]Error: %s["), {reason.c_str()}));
}

void AdministrationWindow::giveUp()
{
    Zumeli::Client* client = engine();
    Zumeli::Text out;
    if (!client || !client->releaseAdministration(out))
        return;
    epiApplication* app = application();
    close();
    tellPanel(app, fourCC("admi"));
}

bool AdministrationWindow::receiveCommand(epiCode code, intptr_t value, intptr_t extra)
{
    switch (code) {
    case epiFourCC("refr"): rebuildNames(); return true;
    case epiFourCC("rela"): giveUp(); return true;
    default: return AccountWindow::receiveCommand(code, value, extra);
    }
}

bool AdministrationWindow::handleCommand(epiCode command)
{
    switch (command) {
    case epiFourCC("Canc"): close(); return true;
    case epiFourCC("Okay"): save(); return true;
    case epiFourCC("acop"):
    case epiFourCC("doad"):
    case epiFourCC("perm"):
    case epiFourCC("reli"):
    case epiFourCC("reta"): updateStates(); return true;
    case epiFourCC("beco"):
        if (!checked("beco"))
            setChecked("beev", false);
        return true;
    case epiFourCC("beev"):
        if (checked("beev"))
            setChecked("beco", true);
        return true;
    case epiFourCC("edi1"): editList(0); return true;
    case epiFourCC("edi2"): editList(1); return true;
    case epiFourCC("edi3"): editList(2); return true;
    case epiFourCC("edi4"): editList(3); return true;
    case epiFourCC("Rela"):
    case epiFourCC("bucr"): return true;
    default: return AccountWindow::handleCommand(command);
    }
}

} // namespace ZumeliApplication
