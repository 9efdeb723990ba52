#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

namespace Zumeli {

// A logged-in client. Sessions live in memory only: a restart ends them and clients log in again.
struct Session {
    std::string id; // at most 13 characters, as the voice Hello carries it
    int userId = 0;
    bool guest = false;
    int channel = 0;    // the channel joined last; 0 before the first join
    int permission = 0; // "pe" of that join: 0 talk and listen, 1 listen only
    int64_t lastSeenMs = 0;
};

// The live sessions, their expiry, and who is in which channel.
class Sessions {
public:
    static constexpr size_t IdLength = 12;

    explicit Sessions(int64_t idleTimeoutMs = 15 * 60 * 1000)
        : m_idleTimeoutMs(idleTimeoutMs)
    {
    }

    Session& create(int userId, bool guest, int64_t nowMs);
    // The live session with that id, touched (its expiry moves on); null when unknown.
    Session* find(const std::string& id, int64_t nowMs);
    Session* peek(const std::string& id);
    void remove(const std::string& id);
    void join(Session& session, int channel, int permission);
    // Takes the session out of its channel (a refused join, an exclusion).
    void leave(Session& session) { leaveChannel(session); }
    // The sessions idle for longer than the time-out (not removed).
    std::vector<std::string> expired(int64_t nowMs) const;
    // The guest sessions idle for longer than idleMs (not removed).
    std::vector<std::string> idleGuests(int64_t nowMs, int64_t idleMs) const;
    // The sessions in the channel.
    std::vector<Session*> sessionsIn(int channel);
    // The other sessions of the user.
    std::vector<std::string> sessionsOf(int userId, const std::string& except) const;

    size_t size() const { return m_sessions.size(); }
    size_t guestCount() const { return m_guests; }
    // The distinct users of the sessions in the channel, in order of id.
    std::vector<int> usersIn(int channel) const;
    bool isUserIn(int userId, int channel) const;
    // Channels that have at least one user, ascending.
    std::vector<int> activeChannels() const;
    void setIdleTimeout(int64_t ms) { m_idleTimeoutMs = ms; }

private:
    void leaveChannel(Session& session);
    std::vector<std::string> idle(int64_t nowMs, int64_t idleMs, bool guestsOnly) const;

    int64_t m_idleTimeoutMs;
    size_t m_guests = 0;
    std::unordered_map<std::string, Session> m_sessions;
    // channel -> (user -> sessions of that user in the channel)
    std::map<int, std::map<int, int>> m_members;
};

// Random text for session identifiers: letters and digits from the system's random source.
std::string randomIdentifier(size_t length);

} // namespace Zumeli
