// The engine's reports, as the panel shows them.
#include "app/ClientPanel.h"

#include "app/Localizer.h"
#include "app/PanelWidgets.h"
#include "app/TalkHistoryWindow.h"
#include "engine/Client.h"
#include "ui/epiApplication.h"
#include "ui/epiWindow.h"
#include "ui/epiWindowManager.h"

#include <cstdio>

namespace ZumeliApplication {

namespace {

constexpr int32_t SignalBars = 6;

} // namespace

void ClientPanel::onLoggedIn()
{
    m_loggedIn = true;
    m_left = false;
    m_firstChangeAfterLogin = true;
    setInfo(tr("]Connected["));
    if (epiUbo* slider = item("inpV"))
        slider->setValue(int32_t(m_client->getInputGain() * 200.0f + 0.5f));
    if (epiUbo* slider = item("outV"))
        slider->setValue(int32_t(m_client->getOutputGain() * 500.0f + 0.5f));
    int current = 0;
    m_client->getChannelBounds(current, m_lowest, m_highest);
    if (m_dial)
        m_dial->setRange(m_lowest, m_highest);
    setLamp("paDS", false);
    clearChannelLines();
    notifyWindow(epiFourCC("aupl"), epiFourCC("conn"));
    notifyWindow(epiFourCC("mebx"), epiFourCC("refr"));
}

void ClientPanel::onLoggedOut()
{
    m_loggedIn = false;
    m_left = true;
    m_talking = false;
    setInfo(tr("]Disconnected["));
    setLamp("paDS", true);
    setLamp("enta", false);
    setLamp("enli", false);
    if (m_quitPending) {
        m_quitPending = false;
        std::printf("Quitting deferred with disconnect\n");
        std::fflush(stdout);
        if (m_quitHandler)
            m_quitHandler();
        return;
    }
    notifyWindow(epiFourCC("aupl"), epiFourCC("disc"));
}

void ClientPanel::onLoginFailed()
{
    setInfo(tr("]Connect failed["));
    setLamp("paDS", true);
}

void ClientPanel::onLoginRefused()
{
    showMessage("]No Registrado ponga su nombre y contrasena.                                              [");
}

void ClientPanel::onServerFull() { showMessage("]Cannot login. Too many users.["); }

void ClientPanel::onReconnecting() { setInfo(tr("]Reconnecting...[")); }

void ClientPanel::onChannelChanged(int channel)
{
    m_channel = channel;
    char title[64];
    std::snprintf(title, sizeof title, "%s   %s", tr("]Canal[").c_str(), channelText(channel).c_str());
    setItemText("titl", title);
    // The info line is cleared, but a machine without sound or a key without a grab stays said.
    setInfo(standingNotice());
    if (m_dial)
        m_dial->setChannel(channel);
    showChannelEntry(channelText(channel));
    showFavourites();
    for (epiCode window : {epiFourCC("aupl"), epiFourCC("chLi"), epiFourCC("chDe"), epiFourCC("peLi"),
                           epiFourCC("peWi"), epiFourCC("mebx")})
        notifyWindow(window, epiFourCC("refr"));
    if (m_firstChangeAfterLogin) {
        m_firstChangeAfterLogin = false;
        bool quiet = itemOn("nodi");
        m_hardware.setMuted(quiet || itemOn("mute"));
        if (quiet)
            m_client->setDoNotDisturb(true);
    }
}

void ClientPanel::onTalkGranted()
{
    m_talking = true;
    if (itemOn("nodi"))
        setDoNotDisturb(false);
}

void ClientPanel::onTalkEnded()
{
    if (TalkHistoryWindow* history = talkHistory())
        history->closeLine();
    m_talking = false;
    setLamp("enta", false);
}

void ClientPanel::onTalkAcknowledged()
{
    if (TalkHistoryWindow* history = talkHistory())
        history->addLine(m_client->getOwnUserId(), false);
    setLamp("enta", true);
}

void ClientPanel::onTalkAllowed()
{
    if (TalkHistoryWindow* history = talkHistory())
        history->closeLine();
    setLamp("enli", false);
    setLamp("last", true);
}

void ClientPanel::onTalkForbidden() { setLamp("enli", true); }

void ClientPanel::onChannelStateChanged()
{
    notifyWindow(epiFourCC("peLi"), epiFourCC("refr"));
    notifyWindow(epiFourCC("peWi"), epiFourCC("refr"));
}

void ClientPanel::onVoiceConnection(bool up) { setLamp("noSV", up); }

void ClientPanel::onTraffic(bool active) { setLamp("noCD", active); }

void ClientPanel::onVoiceConnected(bool connected)
{
    setLamp("noCH", connected);
    if (!connected)
        onLinkQuality(0); // no link, no bars
    setLamp("last", false);
}

void ClientPanel::onMessagesArrived()
{
    notifyWindow(epiFourCC("mebx"), epiFourCC("refr"));
    m_arrivals.serviceMessagesArrived();
}

void ClientPanel::onLinkQuality(float quality)
{
    if (epiUbo* sign = item("sign")) {
        int32_t bars = int32_t(quality * SignalBars + 0.5f);
        sign->setValue(bars < 0 ? 0 : bars > SignalBars ? SignalBars : bars);
    }
}

void ClientPanel::onChannelAccess() {}

// The three trouble reports light their error lamps.
void ClientPanel::onJoinFailed() { setLamp("erSE", true); }

void ClientPanel::onTransmissionTrouble() { setLamp("erCE", true); }

void ClientPanel::onChannelFull() { setLamp("stNA", true); }

void ClientPanel::onChannelEvent(const Zumeli::ChannelEvent& event)
{
    if (TalkHistoryWindow* history = talkHistory()) {
        if (event.kind == Zumeli::ChannelEvent::Talking)
            history->addLine(event.user, false);
        else if (event.kind == Zumeli::ChannelEvent::Stopped)
            history->closeLine();
    }
    Zumeli::Text name;
    if (!m_client->getUserName(event.user, name))
        name = Zumeli::Text("?");
    std::string who = name.c_str();
    Zumeli::PeopleEntry person;
    if (m_client->getUserRecord(event.user, person) && person.stf)
        who += tr(" ]-staff-[");
    Zumeli::ChannelElement channel;
    if (m_client->getCurrentChannelRecord(channel) && channel.adminId != 0 && channel.adminId == event.user)
        who += tr(" ]-admin-[");
    std::string marked = std::string("]") + Zumeli::ChannelEvent::textId(event.kind) + "[";
    std::string line = who + " " + tr(marked.c_str());
    setItemText("pein", line);
}

void ClientPanel::onUserMessagesChanged()
{
    notifyWindow(epiFourCC("mebx"), epiFourCC("refr"));
    m_arrivals.userMessagesChanged(mainWindowShown());
}

void ClientPanel::onTalkRequest(int user)
{
    if (TalkHistoryWindow* history = talkHistory())
        history->addLine(user, true);
    Zumeli::Text name;
    if (m_client->getUserName(user, name)) {
        std::string line = std::string(name.c_str()) + " " + tr("]asks to talk[");
        setItemText("pein", line);
    }
}

// The talk history logs only while its window is open.
TalkHistoryWindow* ClientPanel::talkHistory() const
{
    if (!m_client || !application() || !application()->windowManager())
        return nullptr;
    return dynamic_cast<TalkHistoryWindow*>(application()->windowManager()->findWindow(epiFourCC("tahi")));
}

bool ClientPanel::mainWindowShown() const
{
    epiWindowManager* manager = application() ? application()->windowManager() : nullptr;
    epiWindow* main = manager ? manager->findWindow(epiFourCC("main")) : nullptr;
    epiWindowSystem* system = main ? main->windowSystem() : nullptr;
    return system && system->isWindowVisible(main->handle()) && system->foregroundWindow() == main->handle();
}

} // namespace ZumeliApplication
