#include "server/WebApi.h"

#include "data/XmlChunk.h"
#include "server/Log.h"
#include "server/Sessions.h"
#include "server/Store.h"
#include "server/TextRules.h"
#include "server/VoiceRelay.h"
#include "server/WebHelpers.h"

#include <ctime>
#include <unordered_set>

namespace Zumeli {

namespace {

// One fetch takes at most this much; the reply's "msg" says when more wait.
constexpr size_t FetchMessages = 100;
constexpr size_t FetchTextBytes = 256 * 1024;
constexpr size_t FetchServiceMessages = 20;

} // namespace

int WebApi::storeMessage(int sender, int recipient, int type, const std::string& text)
{
    StoredMessage message{sender, type, int64_t(std::time(nullptr)), text};
    if (!m_store.addMessage(recipient, message, m_config.mailboxLimit))
        return 0;
    if (m_relay)
        m_relay->notifyNewMessages(recipient, uint32_t(sender));
    return 1;
}

WebApi::Reply WebApi::sendMessage(const FormData& form, int64_t nowMs)
{
    Session* session = this->session(form, nowMs);
    if (!session)
        return xml(XmlReply::fail("INVALID SESSION"));
    Text data = form.value("data");
    XmlChunk message = XmlChunk(data).child("message");
    if (message.isEmpty())
        return xml(XmlReply::fail("BAD MESSAGE"));
    std::string text = cleanText(chunkText(message, "text"));
    if (text.size() > m_config.maxMessageBytes)
        return xml(XmlReply::fail("MESSAGE TOO LONG"));
    int type = chunkLong(message, "type", 0) == 1 ? 1 : 0;
    // Every listed id counts against the bound, known or not, so a long list of unknown ids
    // costs no more than a full one.
    std::vector<int> listed;
    std::unordered_set<int> seen;
    XmlChunkEnumerator ids(message.child("recipient"), "id");
    XmlChunk id;
    while (ids.next(id)) {
        if (ids.count() > int(m_config.maxRecipients))
            return xml(XmlReply::fail("TOO MANY RECIPIENTS"));
        long value = 0;
        if (parseLong(id.rawText().str(), value) && value > 0 && value <= INT32_MAX &&
            seen.insert(int(value)).second)
            listed.push_back(int(value));
    }
    std::vector<int> recipients;
    for (int candidate : listed)
        if (m_store.userById(candidate))
            recipients.push_back(candidate);
    // Each copy of a message costs its sender a token: a full group now and then, not a flood.
    size_t allowed = 0;
    while (allowed < recipients.size() && m_messagesPerSender.take(uint64_t(session->userId), nowMs))
        ++allowed;
    if (allowed == 0 && !recipients.empty())
        return xml(XmlReply::fail("TOO MANY MESSAGES"));
    recipients.resize(allowed);
    if (recipients.empty())
        return xml(XmlReply::fail("NO RECIPIENT"));
    int stored = 0;
    for (int recipient : recipients)
        stored += storeMessage(session->userId, recipient, type, text);
    Log::info("message from user %d to %d recipients", session->userId, stored);
    return xml(XmlReply::ok().number("sent", stored));
}

WebApi::Reply WebApi::getMessages(const FormData& form, int64_t nowMs)
{
    Session* session = this->session(form, nowMs);
    if (!session)
        return xml(XmlReply::fail("INVALID SESSION"));
    bool moreUsers = false, moreService = false;
    std::vector<int64_t> userIds, serviceIds;
    std::string users;
    for (const auto& message :
         m_store.waitingMessages(session->userId, FetchMessages, FetchTextBytes, moreUsers)) {
        XmlReply entry;
        entry.number("sender", message.sender)
            .number("datetime", message.datetime)
            .number("type", message.type)
            .text("text", message.text);
        users += "<message>\r\n" + entry.str() + "</message>\r\n";
        userIds.push_back(message.id);
    }
    std::string service;
    for (const auto& waiting :
         m_store.waitingServiceMessages(session->userId, FetchServiceMessages, moreService)) {
        const ServiceMessageData& message = waiting.data;
        std::string buttons;
        for (int slot = 0; slot < 4; ++slot) {
            const auto& b = message.buttons[slot];
            if (b.text.isEmpty() && b.url.isEmpty())
                continue;
            XmlReply button;
            button.text("text", b.text.str())
                .text("url", b.url.str())
                .number("urlInBrowser", b.urlInBrowser)
                .number("reconnect", b.reconnect)
                .number("quit", b.quit);
            std::string tag = std::to_string(slot);
            buttons += "<" + tag + ">\r\n" + button.str() + "</" + tag + ">\r\n";
        }
        XmlReply entry;
        entry.text("mainText", message.mainText.str())
            .number("mainDisconnect", message.mainDisconnect)
            .raw("buttons", "\r\n" + buttons);
        service += "<message>\r\n" + entry.str() + "</message>\r\n";
        serviceIds.push_back(waiting.id);
    }
    Reply reply = xml(XmlReply::ok()
                          .raw("usermessages", "\r\n" + users)
                          .raw("servicemessages", "\r\n" + service)
                          .number("msg", moreUsers || moreService ? 1 : 0));
    // The messages go only when the client has taken the whole reply and closed: a connection
    // lost before that leaves them for the next fetch (a rare repeat rather than a loss).
    if (!userIds.empty() || !serviceIds.empty()) {
        Store& store = m_store;
        reply.delivered = [&store, userIds, serviceIds] {
            if (!store.deleteMessages(userIds) || !store.deleteServiceMessages(serviceIds))
                Log::warn("fetched messages stay: the database refused their removal");
        };
    }
    return reply;
}

} // namespace Zumeli
