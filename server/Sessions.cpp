#include "server/Sessions.h"

#include <sys/random.h>

namespace Zumeli {

std::string randomIdentifier(size_t length)
{
    static const char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    std::string id(length, 'A');
    uint8_t bytes[64];
    size_t got = 0;
    while (got < length) {
        ssize_t n = getrandom(bytes, sizeof bytes, 0);
        if (n <= 0)
            continue;
        for (ssize_t i = 0; i < n && got < length; ++i) {
            // 248 = 4 * 62: drop the bytes above it so every character is equally likely.
            if (bytes[i] < 248)
                id[got++] = alphabet[bytes[i] % 62];
        }
    }
    return id;
}

Session& Sessions::create(int userId, bool guest, int64_t nowMs)
{
    std::string id;
    do
        id = randomIdentifier(IdLength);
    while (m_sessions.count(id));
    Session& session = m_sessions[id];
    session.id = id;
    session.userId = userId;
    session.guest = guest;
    session.lastSeenMs = nowMs;
    if (guest)
        ++m_guests;
    return session;
}

Session* Sessions::find(const std::string& id, int64_t nowMs)
{
    Session* session = peek(id);
    if (session)
        session->lastSeenMs = nowMs;
    return session;
}

Session* Sessions::peek(const std::string& id)
{
    auto it = m_sessions.find(id);
    return it == m_sessions.end() ? nullptr : &it->second;
}

void Sessions::leaveChannel(Session& session)
{
    if (session.channel == 0)
        return;
    auto channel = m_members.find(session.channel);
    if (channel != m_members.end()) {
        auto user = channel->second.find(session.userId);
        if (user != channel->second.end() && --user->second <= 0)
            channel->second.erase(user);
        if (channel->second.empty())
            m_members.erase(channel);
    }
    session.channel = 0;
}

void Sessions::remove(const std::string& id)
{
    auto it = m_sessions.find(id);
    if (it == m_sessions.end())
        return;
    leaveChannel(it->second);
    if (it->second.guest)
        --m_guests;
    m_sessions.erase(it);
}

void Sessions::join(Session& session, int channel, int permission)
{
    leaveChannel(session);
    session.channel = channel;
    session.permission = permission;
    ++m_members[channel][session.userId];
}

std::vector<std::string> Sessions::expired(int64_t nowMs) const { return idle(nowMs, m_idleTimeoutMs, false); }

std::vector<std::string> Sessions::idleGuests(int64_t nowMs, int64_t idleMs) const { return idle(nowMs, idleMs, true); }

std::vector<std::string> Sessions::idle(int64_t nowMs, int64_t idleMs, bool guestsOnly) const
{
    std::vector<std::string> found;
    for (const auto& [id, session] : m_sessions)
        if ((!guestsOnly || session.guest) && nowMs - session.lastSeenMs > idleMs)
            found.push_back(id);
    return found;
}

std::vector<Session*> Sessions::sessionsIn(int channel)
{
    std::vector<Session*> found;
    if (!m_members.count(channel))
        return found;
    for (auto& [id, session] : m_sessions)
        if (session.channel == channel)
            found.push_back(&session);
    return found;
}

std::vector<std::string> Sessions::sessionsOf(int userId, const std::string& except) const
{
    std::vector<std::string> found;
    for (const auto& [id, session] : m_sessions)
        if (session.userId == userId && id != except)
            found.push_back(id);
    return found;
}

std::vector<int> Sessions::usersIn(int channel) const
{
    std::vector<int> users;
    auto it = m_members.find(channel);
    if (it != m_members.end())
        for (const auto& [user, count] : it->second)
            users.push_back(user);
    return users;
}

bool Sessions::isUserIn(int userId, int channel) const
{
    auto it = m_members.find(channel);
    return it != m_members.end() && it->second.count(userId) != 0;
}

std::vector<int> Sessions::activeChannels() const
{
    std::vector<int> channels;
    for (const auto& [channel, users] : m_members)
        channels.push_back(channel);
    return channels;
}

} // namespace Zumeli
