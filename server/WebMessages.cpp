#include "server/WebApi.h"

#include "server/WebHelpers.h"
#include "data/XmlChunk.h"
#include "server/Log.h"
#include "server/TextRules.h"
#include "server/Sessions.h"
#include "server/Store.h"
#include "server/VoiceRelay.h"

#include <ctime>
#include <unordered_set>

namespace Zumeli {

int WebApi::storeMessage(int sender, int recipient, int type, const std::string& text)
{
    StoredMessage message { sender, type, int64_t(std::time(nullptr)), text };
    if (!m_store.addMessage(recipient, message))
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
        if (parseLong(id.rawText().str(), value) && value > 0 && value <= INT32_MAX && seen.insert(int(value)).second)
            listed.push_back(int(value));
    }
    std::vector<int> recipients;
    for (int candidate : listed)
        if (m_store.userById(candidate))
            recipients.push_back(candidate);
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
    std::string users;
    for (const auto& message : m_store.takeMessages(session->userId)) {
        XmlReply entry;
        entry.number("sender", message.sender)
            .number("datetime", message.datetime)
            .number("type", message.type)
            .text("text", message.text);
        users += "<message>\r\n" + entry.str() + "</message>\r\n";
    }
    std::string service;
    for (const auto& message : m_store.takeServiceMessages(session->userId)) {
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
    }
    return xml(XmlReply::ok().raw("usermessages", "\r\n" + users).raw("servicemessages", "\r\n" + service));
}

} // namespace Zumeli
