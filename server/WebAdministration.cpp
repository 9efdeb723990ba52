#include "server/WebApi.h"

#include "data/XmlChunk.h"
#include "server/Log.h"
#include "server/Sessions.h"
#include "server/Store.h"
#include "server/TextRules.h"
#include "server/VoiceRelay.h"
#include "server/WebHelpers.h"

#include <climits>
#include <unordered_set>

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
    const Reply refused{403, httpResponse(403, "text/plain", "FAIL")};
    Session* session = this->session(form, nowMs);
    if (!session || session->channel == 0)
        return refused;
    auto channel = m_store.channel(session->channel);
    if (!channel)
        return refused;
    // The document is the administration's own: who is listed, and what the channel keeps for
    // its administrator. Anybody else is refused as a stranger would be.
    if (!isAdminOrCoadmin(channel->number, session->userId))
        return refused;
    AdministrationDocument d = m_store.adminDocument(channel->number);
    XmlReply document;
    document.text("Canal Titulo", d.title.str())
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
        for (int id : ids) {
            auto user = m_store.userById(id);
            entries += "<id>" + std::to_string(id) + "," + xmlEscape(user ? userName(*user) : "") + "</id>\r\n";
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

namespace {

// What one administration document may hold.
constexpr size_t MaxIdsPerList = 1000;
constexpr size_t MaxTextBytes = 4000;

// Reads a list of ids in one pass, without duplicates; false when it holds too many.
bool readIds(const XmlChunk& admin, const char* name, std::vector<int>& ids)
{
    ids.clear();
    std::unordered_set<int> seen;
    XmlChunkEnumerator entries(admin.child(name), "id");
    XmlChunk entry;
    size_t count = 0;
    while (entries.next(entry)) {
        if (++count > MaxIdsPerList)
            return false;
        long id = 0;
        // A client may send "id,name" as it reads it; only the id counts.
        std::string text = entry.rawText().field(0, ',').str();
        size_t first = text.find_first_not_of(" \t\r\n"), last = text.find_last_not_of(" \t\r\n");
        if (first != std::string::npos &&
            parseLong(std::string_view(text).substr(first, last - first + 1), id) && id > 0 &&
            id <= INT32_MAX && seen.insert(int(id)).second)
            ids.push_back(int(id));
    }
    return true;
}

void readText(const XmlChunk& admin, const char* name, Text& out)
{
    Text value;
    if (admin.readText(name, value))
        out = Text(cutUtf8(cleanText(value.str()), MaxTextBytes));
}

// The document an administrator sends, over the stored one: texts and numbers that are absent
// stay as they were, lists are replaced. Linear in the size of the document.
bool readAdministration(const Text& data, AdministrationDocument& d)
{
    XmlChunk admin = XmlChunk(data).child("administration");
    // The title element's name holds a space; a tag's name ends at its first space, so it is
    // found as "Canal". The older spelling without the space is read too.
    readText(admin, "Canal", d.title);
    readText(admin, "CanalTitulo", d.title);
    readText(admin, "Description", d.description);
    readText(admin, "DescriptionDesktop", d.descriptionDesktop);
    readText(admin, "Web", d.web);
    readText(admin, "details", d.details);
    admin.readBool("AccessWithAdminPermission", d.accessWithAdminPermission);
    admin.readBool("AccessWithAdminPresent", d.accessWithAdminPresent);
    admin.readBool("ChannelNameAndAdminAreReserverd", d.nameAndAdminReserved);
    admin.readBool("BellEnableCoadmins", d.bellEnableCoadmins);
    admin.readBool("BellEnableAll", d.bellEnableAll);
    admin.readBool("BellEnableBreak", d.bellEnableBreak);
    admin.readBool("HideNumberOnPlates", d.hideNumberOnPlates);
    admin.readInt("ChannelAccessMode", d.accessMode);
    admin.readInt("cy", d.cy);
    admin.readInt("lang", d.lang);
    admin.readInt("type", d.type);
    admin.readInt("limit", d.limit);
    return readIds(admin, "listenOnly", d.listenOnly) && readIds(admin, "coadmin", d.coadmins) &&
           readIds(admin, "restricted", d.restricted) && readIds(admin, "excluded", d.excluded);
}

} // namespace

// A decision takes effect at once for everyone present: the excluded leave the channel (their
// voice closes, the others see them go), the others get their new permission (a talker made a
// listener loses the floor), and the channel is told to read its settings again, so clients
// join again and learn their new "pe".
void WebApi::applyAdministration(int channel, int adminId, const AdministrationDocument& d)
{
    for (Session* present : m_sessions.sessionsIn(channel)) {
        Access access = accessFor(d, adminId, present->userId, present->guest);
        if (!access.admitted) {
            std::string id = present->id;
            m_sessions.leave(*present);
            if (m_relay)
                m_relay->sessionEnded(id, "not admitted any more");
            Log::info("user %d no longer admitted to channel %d", present->userId, channel);
        } else if (access.permission != present->permission) {
            m_sessions.join(*present, channel, access.permission);
            if (m_relay)
                m_relay->sessionJoined(present->id, channel, access.permission);
        }
    }
    if (m_relay)
        m_relay->channelSettingsChanged(channel);
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
    if (!readAdministration(form.value("data"), d))
        return xml(XmlReply::fail("TOO MANY IDS"));
    if (session->userId != channel->adminId)
        d.coadmins = stored.coadmins; // co-administrators do not appoint each other
    if (d.accessMode < 0 || d.accessMode > 5)
        d.accessMode = 0;
    if (d.limit < 0)
        d.limit = 0;
    if (!m_store.saveAdminDocument(channel->number, d))
        return xml(XmlReply::fail("SERVER ERROR"), 500);
    Log::info("administration of channel %d saved by user %d", channel->number, session->userId);
    applyAdministration(channel->number, channel->adminId, d);
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
