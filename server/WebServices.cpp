#include "server/WebApi.h"

#include "data/Checksum.h"
#include "data/XmlChunk.h"
#include "server/Sessions.h"
#include "server/Store.h"
#include "server/WebHelpers.h"

#include <sys/stat.h>

namespace Zumeli {

std::string WebApi::localizationVersion()
{
    // The operator may replace the table while the server runs; it is read again when it changed.
    struct stat info
    {
    };
    if (m_config.localizationPath.empty() || ::stat(m_config.localizationPath.c_str(), &info) != 0) {
        m_localizationVersion.clear();
        m_localizationStamp = -1;
        return m_localizationVersion;
    }
    int64_t stamp = int64_t(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
    if (stamp == m_localizationStamp)
        return m_localizationVersion;
    m_localizationStamp = stamp;
    m_localizationVersion.clear();
    Text table;
    if (!table.loadFromFile(Text(m_config.localizationPath)))
        return m_localizationVersion;
    XmlChunkEnumerator items(XmlChunk(table).child("language"), "item");
    XmlChunk item;
    while (items.next(item)) {
        if (item.child("lookup_id").trimmedText().equals("*VERSIONTIMESTAMP")) {
            m_localizationVersion = item.child("en").rawText().field(0, ',').str();
            break;
        }
    }
    return m_localizationVersion;
}
WebApi::Reply WebApi::xmlSend(const FormData& form, int64_t nowMs)
{
    std::string kind = form.value("kind").str();
    Text data = form.value("data");
    auto result = [](int s) { return XmlReply().number("s", s); };
    if (kind == "checkUserName") {
        std::string name = data.str();
        return xml(result(validUserName(name) && !m_store.userByName(name) ? 1 : 0));
    }
    if (kind == "checkMail")
        return xml(result(validMail(data.str()) && !m_store.mailTaken(data.str()) ? 1 : 0));

    Session* session = this->session(form, nowMs);
    if (!session)
        return xml(result(0).text("status", "FAIL").text("errorString", "INVALID SESSION"));
    XmlChunk document(data);
    if (kind == "reportAbuse") {
        long reported = chunkLong(document.child("reportAbuse"), "ui", 0);
        return xml(result(m_store.addReport(kind, session->userId, std::to_string(reported)) ? 1 : 0));
    }
    if (kind == "requestService" || kind == "cancelRequestService") {
        std::string text = data.left(2000).str();
        return xml(result(m_store.addReport(kind, session->userId, text) ? 1 : 0));
    }
    if (kind == "channelSubscription") {
        XmlChunk sub = document.child("sub");
        long channel = chunkLong(sub, "ch", 0);
        bool on = chunkLong(sub, "st", 0) == 1;
        bool done =
            m_store.channel(int(channel)) && m_store.setSubscription(session->userId, int(channel), on);
        return xml(result(done ? 1 : 0).number("channelSubscriptionResult", done ? 1 : 0));
    }
    if (kind == "subscriptionMessage") {
        // Only the channel's administrator invites its subscribers, and not again too soon.
        long channel = chunkLong(document.child("subMsg"), "ch", 0);
        auto record = m_store.channel(int(channel));
        if (!record || record->adminId == 0 || record->adminId != session->userId)
            return xml(result(0).number("msgResult", 0).text("errorString", "NOT ADMINISTRATOR"));
        auto last = m_lastInvitationMs.find(int(channel));
        if (last != m_lastInvitationMs.end() && nowMs - last->second < m_config.invitationIntervalMs)
            return xml(result(0).number("msgResult", 0).text("errorString", "TOO SOON"));
        m_lastInvitationMs[int(channel)] = nowMs;
        int sent = 0;
        for (int subscriber : m_store.subscribers(int(channel)))
            if (subscriber != session->userId)
                sent += storeMessage(session->userId, subscriber, 1,
                                     "Invitation to channel " + channelDisplay(int(channel)));
        return xml(result(1).number("msgResult", 1).number("sent", sent));
    }
    if (kind == "usergroups") {
        if (data.length() > 64 * 1024)
            return xml(result(0));
        long signature = chunkLong(document.child("zumeligroups"), "signature", 0);
        return xml(result(m_store.setGroups(session->userId, data.str(), int(signature)) ? 1 : 0));
    }
    if (kind == "buyChannel")
        return xml(result(0).text("errorString", "NOT OFFERED"));
    if (kind == "geo_city" || kind == "geo_latlng")
        return xml(result(0).text("status", "FAIL").text("errorString", "NOT AVAILABLE"));
    return xml(result(0).text("errorString", "UNKNOWN KIND"));
}

WebApi::Reply WebApi::xmlGet(const FormData& form, int64_t nowMs)
{
    if (!session(form, nowMs))
        return xml(XmlReply::fail("INVALID SESSION"));
    if (!form.value("kind").equals("localizationDatabase"))
        return xml(XmlReply::fail("UNKNOWN KIND"));
    Text table;
    if (m_config.localizationPath.empty() || !table.loadFromFile(Text(m_config.localizationPath)) ||
        table.isEmpty())
        return xml(XmlReply::fail("NOT AVAILABLE"));
    std::string body = table.str() + checksumHex(table).str();
    return {200, httpResponse(200, XmlType, body)};
}

} // namespace Zumeli
