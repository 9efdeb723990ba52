#include "engine/Client.h"

#include "engine/Manager.h"

#include <cstdio>
#include <ctime>

// The Client's text messages, service messages and groups.

namespace Zumeli {

bool Client::addServiceMessage(const ServiceMessageData& message)
{
    // One slot stays free so a full ring is told from an empty one.
    if (m_serviceWritten - m_serviceRead >= ServiceCapacity - 1)
        return false;
    m_serviceMessages[m_serviceWritten % ServiceCapacity] = message;
    ++m_serviceWritten;
    return true;
}

bool Client::takeServiceMessage(ServiceMessageData& out)
{
    if (m_serviceRead == m_serviceWritten)
        return false;
    out = m_serviceMessages[m_serviceRead % ServiceCapacity];
    ++m_serviceRead;
    return true;
}

void Client::postIncomingMessage(std::unique_ptr<UserMessageData> message)
{
    if (std::unique_ptr<UserMessageData> refused = m_incoming.post(std::move(message)))
        std::printf("incoming message dropped: %d unread\n", int(m_incoming.count()));
}

void Client::returnOutgoingMessage(std::unique_ptr<UserMessageData> message)
{
    releaseRecord(std::move(message));
}

void Client::releaseRecord(std::unique_ptr<UserMessageData> record)
{
    // A full return ring: the record is freed here instead of on the next step.
    m_returned.post(std::move(record));
}

void Client::takeIncomingMessages()
{
    bool any = false;
    while (std::unique_ptr<UserMessageData> received = m_incoming.take()) {
        auto copy = std::make_unique<UserMessageData>(*received);
        copy->recipient = m_manager.session.ownUserId;
        m_handedBack.post(std::move(received));
        m_userMessages.append(std::move(copy));
        any = true;
    }
    if (!any)
        return;
    notify(&IClientDelegate::onUserMessagesChanged);
    if (m_audio.messageSoundOn())
        m_audio.playSound(ClientAudio::Sound::TextMessage);
}

bool Client::queueMessage(const Text& text, int userId, int groupId, int type)
{
    auto message = std::make_unique<UserMessageData>();
    message->text = text;
    message->sender = m_manager.session.ownUserId;
    message->recipient = groupId == -1 ? userId : 0;
    message->groupId = groupId;
    message->type = type;
    message->read = true;
    message->datetime = int(long(std::time(nullptr)) + m_serverClockOffset);
    auto copy = std::make_unique<UserMessageData>(*message);
    if (m_outgoing.post(std::move(message))) {
        // Not handed to the engine: it must not show among the messages sent.
        std::printf("outgoing message dropped: %d waiting\n", int(m_outgoing.count()));
        return false;
    }
    m_userMessages.append(std::move(copy));
    notify(&IClientDelegate::onUserMessagesChanged);
    return true;
}

bool Client::sendMessageToUser(const Text& text, int userId)
{
    return queueMessage(text, userId, -1, UserMessageData::TextMessage);
}

bool Client::inviteUser(int userId) { return queueMessage("Invite to channel", userId, -1, UserMessageData::Invitation); }

bool Client::sendMessageToGroup(const Text& text, int groupId)
{
    return queueMessage(text, 0, groupId, UserMessageData::TextMessage);
}

bool Client::inviteGroup(int groupId) { return queueMessage("Invite to channel", 0, groupId, UserMessageData::Invitation); }

Text Client::ageText(long messageTime, long serverClockOffset, long now)
{
    long age = now - messageTime + serverClockOffset;
    Text text;
    if (age >= 0 && age <= 59) {
        text = "one minute ago";
    } else if (age >= 0 && age < 3600) {
        text.setFormatted("%d minutes ago", int(age / 60 + 1));
    } else if (age >= 0 && age < 43200) {
        text.setFormatted("%d hours ago", int(age / 3600 + 1));
    } else {
        time_t local = time_t(messageTime - serverClockOffset);
        tm parts {};
        char date[32] = {};
        if (localtime_r(&local, &parts) && std::strftime(date, sizeof date, "%d/%m/%Y %H:%M", &parts))
            text = date;
    }
    return text;
}

bool Client::getMessage(int index, UserMessageData& out)
{
    if (index < 0 || index >= m_userMessages.count())
        return false;
    out = *m_userMessages.at(index);
    out.text2 = ageText(out.datetime, m_serverClockOffset, long(std::time(nullptr)));
    return true;
}

void Client::markMessageRead(int index) { m_userMessages.markRead(index); }

void Client::notifyMessages()
{
    notify(&IClientDelegate::onUserMessagesChanged);
}

void Client::markAllMessagesRead()
{
    m_userMessages.markAllRead();
}

// --- Groups: index 0 is everybody known, index 1 the people on the channel, then the user's.

int Client::getGroupId(int index)
{
    if (index == 0 || index == 1)
        return index;
    if (index < 2 || index - 2 >= m_groups.count())
        return -1;
    return m_groups.at(index - 2)->id;
}

bool Client::getGroupName(int id, Text& out)
{
    if (id == 0 || id == 1) {
        m_localizer.translate(id == 0 ? "]All[" : "]Canal  [", out);
        return true;
    }
    if (!m_groups.hasGroup(id))
        return false;
    m_groups.groupName(id, out);
    return true;
}

int Client::getGroupSize(int id)
{
    const SessionRecord& session = m_manager.session;
    if (id == 0)
        return session.people.count();
    if (id == 1)
        return session.channel ? int(session.channel->presentUsers.size()) : 0;
    int index = m_groups.indexOf(id);
    return index < 0 ? 0 : int(m_groups.at(index)->members.size());
}

int Client::getGroupMember(int id, int index)
{
    const SessionRecord& session = m_manager.session;
    if (index < 0)
        return 0;
    if (id == 0)
        return index < session.people.count() ? session.people.at(index)->id : 0;
    if (id == 1) {
        if (!session.channel || index >= int(session.channel->presentUsers.size()))
            return 0;
        return session.channel->presentUsers[size_t(index)];
    }
    return m_groups.memberAt(id, index);
}

void Client::addGroupMember(int id, int userId) { m_groups.addMember(id, userId); }

bool Client::saveGroups()
{
    bool saved = m_groups.save();
    bool sent = m_manager.sessionEndpoint.sendUserGroups(m_groups);
    return saved && sent;
}

} // namespace Zumeli
