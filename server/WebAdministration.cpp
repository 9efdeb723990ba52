#include "server/WebApi.h"

#include "server/WebHelpers.h"
#include "data/People.h"
#include "server/Log.h"
#include "server/Sessions.h"
#include "server/Store.h"
#include "server/VoiceRelay.h"

namespace Zumeli {

bool WebApi::isAdminOrCoadmin(int channel, int userId)
{
    auto record = m_store.channel(channel);
    if (!record || record->adminId == 0)
        return false;
    return record->adminId == userId || contains(m_store.adminDocument(channel).coadmins, userId);
}

WebApi::Reply WebApi::getAdmin(const FormData& form, int64_t nowMs)
{
    // The client takes a reply whose body is just "FAIL" as a refusal.
    const Reply refused { 403, httpResponse(403, "text/plain", "FAIL") };
    Session* session = this->session(form, nowMs);
    if (!session || session->channel == 0)
        return refused;
    auto channel = m_store.channel(session->channel);
    if (!channel)
        return refused;
    AdministrationDocument d = m_store.adminDocument(channel->number);
    // Only the administration sees who is listed.
    bool insider = isAdminOrCoadmin(channel->number, session->userId);
    XmlReply document;
    document.text(AdministrationDocument::TitleElement, d.title.str())
        .text("DescriptionDesktop", d.descriptionDesktop.str())
        .text("Description", d.description.str())
        .text("Web", d.web.str())
        .text("details", d.details.str())
        .number("Administrated", d.administrated)
        .number("AccessWithAdminPermission", d.accessWithAdminPermission)
        .number("AccessWithAdminPresent", d.accessWithAdminPresent)
        .number("ChannelNameAndAdminAreReserverd", d.nameAndAdminReserved)
        .number("ChannelAccessMode", d.accessMode)
        .number("UserCredits", d.userCredits)
        .number("BellEnableCoadmins", d.bellEnableCoadmins)
        .number("BellEnableAll", d.bellEnableAll)
        .number("BellEnableBreak", d.bellEnableBreak)
        .number("HideNumberOnPlates", d.hideNumberOnPlates)
        .number("cy", d.cy)
        .number("lang", d.lang)
        .number("type", d.type)
        .number("limit", d.limit);
    auto list = [&](const char* name, const std::vector<int>& ids) {
        std::string entries = "\r\n";
        if (insider) {
            for (int id : ids) {
                auto user = m_store.userById(id);
                entries += "<id>" + std::to_string(id) + "," + xmlEscape(user ? userName(*user) : "") + "</id>\r\n";
            }
        }
        document.raw(name, entries);
    };
    list("listenOnly", d.listenOnly);
    list("coadmin", d.coadmins);
    list("restricted", d.restricted);
    list("excluded", d.excluded);
    XmlReply reply = XmlReply::ok();
    reply.raw("document", "\r\n<administration>\r\n" + document.str() + "</administration>\r\n");
    return xml(reply);
}

WebApi::Reply WebApi::saveAdmin(const FormData& form, int64_t nowMs)
{
    Session* session = this->session(form, nowMs);
    if (!session || session->channel == 0)
        return xml(XmlReply::fail("INVALID SESSION"));
    auto channel = m_store.channel(session->channel);
    if (!channel || !isAdminOrCoadmin(channel->number, session->userId))
        return xml(XmlReply::fail("NOT ADMINISTRATOR"), 403);
    AdministrationDocument stored = m_store.adminDocument(channel->number);
    AdministrationDocument d = stored;
    People people;
    d.fromXml(Text("<document>").append(form.value("data")).append("</document>"), people);
    // What the administration does not decide here stays as it was.
    d.administrated = stored.administrated;
    d.userCredits = stored.userCredits;
    if (session->userId != channel->adminId)
        d.coadmins = stored.coadmins; // co-administrators do not appoint each other
    if (d.accessMode < 0 || d.accessMode > 5)
        d.accessMode = 0;
    if (d.limit < 0)
        d.limit = 0;
    for (auto* ids : { &d.coadmins, &d.restricted, &d.listenOnly, &d.excluded }) {
        std::vector<int> clean;
        for (int id : *ids)
            if (id > 0 && !contains(clean, id) && clean.size() < 1000)
                clean.push_back(id);
        *ids = clean;
    }
    for (Text* text : { &d.title, &d.description, &d.descriptionDesktop, &d.web, &d.details })
        if (text->length() > 4000)
            text->truncate(4000);
    if (!m_store.saveAdminDocument(channel->number, d))
        return xml(XmlReply::fail("SERVER ERROR"), 500);
    Log::info("administration of channel %d saved by user %d", channel->number, session->userId);
    return xml(XmlReply::ok());
}

WebApi::Reply WebApi::adminChannel(const FormData& form, int64_t nowMs)
{
    Session* session = this->session(form, nowMs);
    if (!session || session->channel == 0)
        return xml(XmlReply::fail("INVALID SESSION"));
    auto channel = m_store.channel(session->channel);
    if (!channel)
        return xml(XmlReply::fail("INVALID CHANNEL"));
    if (form.value("release").equals("1")) {
        if (channel->adminId != session->userId)
            return xml(XmlReply::fail("NOT ADMINISTRATOR"));
        m_store.setAdministrator(channel->number, 0);
        Log::info("user %d released channel %d", session->userId, channel->number);
        return xml(XmlReply::ok());
    }
    if (session->guest)
        return xml(XmlReply::fail("REGISTERED USERS ONLY"));
    if (channel->adminId != 0 && channel->adminId != session->userId)
        return xml(XmlReply::fail("ALREADY ADMINISTRATED"));
    if (!m_store.setAdministrator(channel->number, session->userId))
        return xml(XmlReply::fail("SERVER ERROR"), 500);
    Log::info("user %d administers channel %d", session->userId, channel->number);
    return xml(XmlReply::ok());
}

} // namespace Zumeli
