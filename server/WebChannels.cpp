#include "server/WebApi.h"

#include "server/Log.h"
#include "server/Sessions.h"
#include "server/Store.h"
#include "server/VoiceRelay.h"
#include "server/WebHelpers.h"

#include <algorithm>

namespace Zumeli {

WebApi::Access WebApi::accessFor(const AdministrationDocument& d, int adminId, int userId, bool guest)
{
    Access access;
    if (adminId == 0 || userId == adminId || contains(d.coadmins, userId))
        return access;
    bool excluded = contains(d.excluded, userId);
    bool talker = contains(d.restricted, userId);
    bool listener = contains(d.listenOnly, userId);
    switch (d.accessMode) {
    case AdministrationDocument::EveryoneSomeListenOnly:
        access.admitted = !excluded;
        access.permission = listener ? 1 : 0;
        break;
    case AdministrationDocument::EveryoneListensSomeTalk:
        access.admitted = !excluded;
        access.permission = talker ? 0 : 1;
        break;
    case AdministrationDocument::ListedTalkersAndListeners:
        access.admitted = talker || listener;
        access.permission = talker ? 0 : 1;
        break;
    case AdministrationDocument::ListedTalkersOnly:
        access.admitted = talker;
        break;
    case AdministrationDocument::RegisteredUsers:
        access.admitted = !guest && !excluded;
        access.permission = listener ? 1 : 0;
        break;
    default:
        break; // everyone talks and listens
    }
    return access;
}

void WebApi::leaveChannel(Session& session)
{
    if (session.channel == 0)
        return;
    m_sessions.leave(session);
    if (m_relay)
        m_relay->sessionEnded(session.id, "left the channel");
}

WebApi::Reply WebApi::joinChannel(const FormData& form, int64_t nowMs)
{
    Session* session = this->session(form, nowMs);
    if (!session)
        return xml(XmlReply::fail("INVALID SESSION"));
    long number = form.number("ch", 0);
    auto channel = m_store.channel(int(number));
    if (!channel)
        return xml(XmlReply::fail("INVALID CHANNEL"));
    AdministrationDocument admin = m_store.adminDocument(channel->number);
    Access access = accessFor(admin, channel->adminId, session->userId, session->guest);
    if (!access.admitted) {
        leaveChannel(*session);
        return xml(XmlReply::fail("ACCESS DENIED").number("pe", 2));
    }
    if (channel->adminId != 0 && admin.limit > 0 && session->userId != channel->adminId &&
        !m_sessions.isUserIn(session->userId, channel->number) &&
        m_sessions.usersIn(channel->number).size() >= size_t(admin.limit)) {
        leaveChannel(*session);
        return xml(XmlReply::fail("FULL").number("pe", access.permission));
    }

    m_sessions.join(*session, channel->number, access.permission);
    m_store.setLastChannel(session->userId, channel->number);
    if (m_relay)
        m_relay->sessionJoined(session->id, channel->number, access.permission);

    bool unchanged = form.has("ts") && form.number("ts", -1) == channel->version;
    XmlReply reply;
    reply.text("status", unchanged ? "OK" : "UP");
    if (!unchanged) {
        std::string name = !admin.title.isEmpty()   ? admin.title.str()
                           : !channel->name.empty() ? channel->name
                                                    : "Canal   " + channelDisplay(channel->number);
        reply.text("ip", m_config.publicHost)
            .number("port", m_config.voicePort)
            .number("codec", channel->codec)
            .number("pts", channel->phonePlateVersion)
            .number("dts", channel->desktopPlateVersion)
            .number("its", channel->pictureVersion)
            .text("cn", name)
            .text("cd", admin.description.str())
            .text("dd", admin.details.str())
            .text("ww", admin.web.str())
            .text("dt", admin.descriptionDesktop.str())
            .number("cy", admin.cy)
            .number("lang", admin.lang)
            .number("hn", admin.hideNumberOnPlates)
            .number("ca", channel->adminId)
            .number("ts", channel->version);
    }
    reply.number("pe", access.permission)
        .text("ul", usersListText(channel->number))
        .number("ad", channel->adminId == session->userId ? 1 : 0)
        .number("sub", m_store.isSubscribed(session->userId, channel->number) ? 1 : 0);
    Log::info("join user %d channel %d pe %d", session->userId, channel->number, access.permission);
    return xml(reply);
}
WebApi::Reply WebApi::usersList(const FormData& form, int64_t nowMs)
{
    Session* session = this->session(form, nowMs);
    if (!session)
        return xml(XmlReply::fail("INVALID SESSION"));
    return xml(XmlReply::ok().text("ul", usersListText(session->channel)));
}
WebApi::Reply WebApi::searchChannel(const FormData& form, int64_t nowMs)
{
    Session* session = this->session(form, nowMs);
    if (!session)
        return xml(XmlReply::fail("INVALID SESSION"));
    bool upward = !form.value("direction").equals("0");
    std::vector<int> active = m_sessions.activeChannels();
    active.erase(std::remove(active.begin(), active.end(), session->channel), active.end());
    if (active.empty())
        return xml(XmlReply::fail("NO ACTIVE CHANNEL"));
    // The next one in the chosen direction, going round at the ends.
    int found = 0;
    if (upward) {
        auto it = std::upper_bound(active.begin(), active.end(), session->channel);
        found = it != active.end() ? *it : active.front();
    } else {
        auto it = std::lower_bound(active.begin(), active.end(), session->channel);
        found = it != active.begin() ? *(it - 1) : active.back();
    }
    return xml(XmlReply::ok().number("channel", found));
}

WebApi::Reply WebApi::userChannelStatus(const FormData& form, int64_t nowMs)
{
    Session* session = this->session(form, nowMs);
    if (!session || session->channel == 0)
        return xml(XmlReply::fail("INVALID SESSION"));
    auto channel = m_store.channel(session->channel);
    if (!channel)
        return xml(XmlReply::fail("INVALID CHANNEL"));
    AdministrationDocument d = m_store.adminDocument(channel->number);
    bool coadmin = channel->adminId != 0 && contains(d.coadmins, session->userId);
    return xml(XmlReply::ok()
                   .number("isAdmin", channel->adminId == session->userId ? 1 : 0)
                   .number("isCoadmin", coadmin ? 1 : 0)
                   .number("channelAdministrated", channel->adminId != 0 ? 1 : 0)
                   .number("type", d.type));
}

} // namespace Zumeli
