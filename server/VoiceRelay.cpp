#include "server/VoiceRelay.h"

#include "server/Log.h"
#include "server/Sessions.h"
#include "server/Store.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <sys/socket.h>
#include <unistd.h>

namespace Zumeli {

namespace {

// Packets the server itself sends carry sender 0.
VoicePacket signedControl(VoiceMessage type)
{
    VoicePacket packet = VoicePacket::control(0, type);
    packet.sign();
    return packet;
}

} // namespace

VoiceRelay::VoiceRelay(Sessions& sessions, Store& store, VoiceRelayLimits limits)
    : m_sessions(sessions)
    , m_store(store)
    , m_limits(limits)
{
}

VoiceRelay::~VoiceRelay()
{
    for (auto& [id, connection] : m_connections)
        if (connection->fd >= 0)
            ::close(connection->fd);
}

VoiceConnection* VoiceRelay::open(int fd, const std::string& peer, int64_t nowMs, uint32_t address)
{
    auto connection = std::make_unique<VoiceConnection>(m_limits.maxQueuedPackets);
    connection->id = m_nextId++;
    connection->address = address;
    ++m_perAddress[address];
    connection->fd = fd;
    connection->peer = peer;
    connection->openedMs = nowMs;
    connection->lastProgressMs = nowMs;
    VoiceConnection* raw = connection.get();
    m_connections.emplace(raw->id, std::move(connection));
    m_awaitingHello.push_back(raw->id);
    // Keep the order list from growing with connections long past their Hello.
    if (m_awaitingHello.size() > 2 * m_connections.size() + 64) {
        std::deque<uint64_t> still;
        for (uint64_t id : m_awaitingHello)
            if (VoiceConnection* c = find(id); c && !c->helloDone)
                still.push_back(id);
        m_awaitingHello.swap(still);
    }
    Log::info("voice %s #%llu connected", peer.c_str(), (unsigned long long)raw->id);
    return raw;
}

size_t VoiceRelay::connectionsFrom(uint32_t address) const
{
    auto it = m_perAddress.find(address);
    return it == m_perAddress.end() ? 0 : it->second;
}

bool VoiceRelay::dropOldestWithoutHello()
{
    // Connections in the order they opened; those gone or past their Hello are skipped once.
    while (!m_awaitingHello.empty()) {
        VoiceConnection* oldest = find(m_awaitingHello.front());
        m_awaitingHello.pop_front();
        if (oldest && !oldest->helloDone) {
            close(*oldest, "dropped to make room: no Hello yet");
            return true;
        }
    }
    return false;
}

VoiceConnection* VoiceRelay::find(uint64_t id)
{
    auto it = m_connections.find(id);
    return it == m_connections.end() ? nullptr : it->second.get();
}

std::vector<uint64_t> VoiceRelay::connectionIds() const
{
    std::vector<uint64_t> ids;
    for (const auto& [id, connection] : m_connections)
        ids.push_back(id);
    return ids;
}

int VoiceRelay::floorHolder(int channel) const
{
    auto it = m_channels.find(channel);
    return it != m_channels.end() && it->second.holder ? it->second.holder->userId : 0;
}

void VoiceRelay::receive(VoiceConnection& connection, const uint8_t* bytes, size_t count, int64_t nowMs)
{
    while (count > 0 && !connection.closed) {
        size_t take = std::min(count, size_t(VoicePacket::Size - connection.fill));
        std::memcpy(connection.record + connection.fill, bytes, take);
        connection.fill += int(take);
        bytes += take;
        count -= take;
        if (connection.fill == VoicePacket::Size) {
            connection.fill = 0;
            VoicePacket packet(connection.record);
            ++m_counters.packetsIn;
            handle(connection, packet, nowMs);
        }
    }
}

void VoiceRelay::handle(VoiceConnection& connection, VoicePacket& packet, int64_t nowMs)
{
    if (!packet.checksumValid()) {
        ++m_counters.badChecksums;
        if (!connection.helloDone) {
            close(connection, "bad checksum before Hello");
            return;
        }
        if (++connection.badChecksums >= m_limits.maxBadChecksums)
            close(connection, "too many bad checksums");
        else
            Log::debug("voice %s #%llu bad checksum dropped", connection.peer.c_str(), (unsigned long long)connection.id);
        return;
    }
    connection.badChecksums = 0;
    if (!connection.helloDone) {
        if (packet.kind() == VoicePacket::Control && packet.type() == uint8_t(VoiceMessage::Hello))
            handleHello(connection, packet, nowMs);
        else
            close(connection, "packet before Hello");
        return;
    }
    if (packet.kind() == VoicePacket::Audio)
        handleAudio(connection, packet, nowMs);
    else if (packet.kind() == VoicePacket::Control)
        handleControl(connection, packet, nowMs);
}

void VoiceRelay::handleHello(VoiceConnection& connection, const VoicePacket& packet, int64_t nowMs)
{
    char id[VoicePacket::SessionIdBytes + 1] = {};
    for (int i = 0; i < VoicePacket::SessionIdBytes; ++i)
        id[i] = char(packet.arg(i));
    Session* session = m_sessions.find(id, nowMs);
    if (!session || session->channel == 0) {
        close(connection, session ? "Hello before joining a channel" : "Hello with an unknown session");
        return;
    }
    // A reconnecting client replaces its old connection; the user stays present.
    std::vector<VoiceConnection*> replaced;
    for (auto& [otherId, other] : m_connections)
        if (other.get() != &connection && other->helloDone && other->sessionId == session->id)
            replaced.push_back(other.get());
    for (VoiceConnection* other : replaced) {
        other->userId = 0; // so that closing it announces no departure
        close(*other, "replaced by a new connection");
    }
    connection.helloDone = true;
    connection.sessionId = session->id;
    connection.userId = session->userId;
    connection.channel = session->channel;
    connection.permission = session->permission;
    Channel& channel = m_channels[connection.channel];
    bool wasPresent = userHasOtherConnection(connection);
    channel.members.push_back(&connection);
    sendKeepAlive(connection);
    if (!wasPresent)
        announce(connection.channel, VoiceMessage::UsersPresent, connection.userId, &connection);
    Log::info("voice %s #%llu hello user %d channel %d", connection.peer.c_str(), (unsigned long long)connection.id,
              connection.userId, connection.channel);
}

void VoiceRelay::handleAudio(VoiceConnection& connection, VoicePacket& packet, int64_t nowMs)
{
    if (connection.permission != 0) {
        ++m_counters.dropped;
        return;
    }
    Channel& channel = m_channels[connection.channel];
    if (channel.holder && channel.holder != &connection && nowMs - channel.lastAudioMs > m_limits.floorTimeoutMs)
        channel.holder = nullptr;
    if (!channel.holder) {
        channel.holder = &connection;
        connection.acknowledged = false;
    } else if (channel.holder != &connection) {
        ++m_counters.dropped;
        return;
    } else if (packet.sequence() == 0 && connection.lastSequence != 0) {
        connection.acknowledged = false; // a new talk without an EndTalk in between
    }
    channel.lastAudioMs = nowMs;
    connection.lastSequence = packet.sequence();
    if (!connection.acknowledged) {
        connection.acknowledged = true;
        send(connection, signedControl(VoiceMessage::TalkAck));
    }
    packet.setSenderId(uint32_t(connection.userId));
    packet.sign();
    sendToOthers(connection, packet);
}

void VoiceRelay::handleControl(VoiceConnection& connection, VoicePacket& packet, int64_t nowMs)
{
    packet.setSenderId(uint32_t(connection.userId));
    packet.sign();
    switch (VoiceMessage(packet.type())) {
    case VoiceMessage::EndTalk: {
        Channel& channel = m_channels[connection.channel];
        if (channel.holder == &connection) {
            channel.holder = nullptr;
            connection.acknowledged = false;
            connection.lastSequence = 0;
            sendToOthers(connection, packet);
        }
        send(connection, signedControl(VoiceMessage::EndTalkAck));
        break;
    }
    case VoiceMessage::KeepAlive:
        if (!m_sessions.find(connection.sessionId, nowMs)) {
            close(connection, "session ended");
            return;
        }
        sendKeepAlive(connection);
        break;
    case VoiceMessage::Smile:
        if (packet.length() == 2 && packet.arg(0) <= 6)
            sendToOthers(connection, packet);
        break;
    case VoiceMessage::PositionText:
        if (packet.length() >= 2 && packet.length() <= 1 + VoicePacket::MaxArgs)
            sendToOthers(connection, packet);
        break;
    case VoiceMessage::DetailsChanged:
    case VoiceMessage::PhotoChanged:
        sendToOthers(connection, packet);
        break;
    case VoiceMessage::TalkRequest:
        // A listener may not ask the others for the floor it cannot take.
        if (connection.permission == 0)
            sendToOthers(connection, packet);
        break;
    case VoiceMessage::ChannelSettingsChanged:
        if (mayChangeSettings(connection))
            sendToOthers(connection, packet);
        break;
    case VoiceMessage::NewMessages:
        // Only to someone in the sender's own channel: the client sends it after a message to a
        // user it sees there. Messages to anyone else are announced by the service itself.
        if (packet.length() >= 5 && m_sessions.isUserIn(int(packet.arg32(0)), connection.channel))
            notifyNewMessages(int(packet.arg32(0)), uint32_t(connection.userId));
        break;
    default:
        break; // Hello again, server-only types and unknown types change nothing
    }
}

void VoiceRelay::send(VoiceConnection& connection, const VoicePacket& packet)
{
    if (connection.closed)
        return;
    connection.out.push(packet.bytes());
    if (!connection.dirty) {
        connection.dirty = true;
        m_dirty.push_back(&connection);
    }
}

void VoiceRelay::sendToOthers(const VoiceConnection& from, const VoicePacket& packet)
{
    auto it = m_channels.find(from.channel);
    if (it == m_channels.end())
        return;
    for (VoiceConnection* member : it->second.members) {
        if (member != &from) {
            send(*member, packet);
            ++m_counters.packetsRelayed;
        }
    }
}

void VoiceRelay::sendKeepAlive(VoiceConnection& connection)
{
    VoicePacket reply = VoicePacket::control(0, VoiceMessage::KeepAlive);
    reply.setLength(2);
    reply.setArg(0, m_store.hasWaitingMessages(connection.userId) ? 1 : 0);
    reply.sign();
    send(connection, reply);
}

// Arrivals and departures go out as one-slot notices: the user and the version of the user's
// details, the other three slots unused.
void VoiceRelay::announce(int channelNumber, VoiceMessage type, int userId, const VoiceConnection* except)
{
    auto it = m_channels.find(channelNumber);
    if (it == m_channels.end() || userId == 0)
        return;
    int version = 1;
    if (auto user = m_store.userById(userId))
        version = user->detailsVersion;
    VoicePacket notice = VoicePacket::control(0, type);
    notice.setLength(33);
    notice.setArg32(0, uint32_t(userId));
    notice.setArg32(16, uint32_t(version));
    notice.sign();
    for (VoiceConnection* member : it->second.members)
        if (member != except && member->userId != userId)
            send(*member, notice);
}

bool VoiceRelay::userHasOtherConnection(const VoiceConnection& connection) const
{
    auto it = m_channels.find(connection.channel);
    if (it == m_channels.end())
        return false;
    for (const VoiceConnection* member : it->second.members)
        if (member != &connection && member->userId == connection.userId)
            return true;
    return false;
}

void VoiceRelay::leaveChannel(VoiceConnection& connection)
{
    auto it = m_channels.find(connection.channel);
    if (it == m_channels.end())
        return;
    Channel& channel = it->second;
    auto& members = channel.members;
    members.erase(std::remove(members.begin(), members.end(), &connection), members.end());
    if (channel.holder == &connection) {
        // The talker vanished in mid-talk: end the talk for the listeners at once.
        channel.holder = nullptr;
        VoicePacket end = VoicePacket::control(uint32_t(connection.userId), VoiceMessage::EndTalk);
        end.sign();
        sendToOthers(connection, end);
    }
    if (!userHasOtherConnection(connection))
        announce(connection.channel, VoiceMessage::UsersGone, connection.userId, &connection);
    if (members.empty())
        m_channels.erase(it);
}

void VoiceRelay::close(VoiceConnection& connection, const char* reason)
{
    if (connection.closed)
        return;
    Log::info("voice %s #%llu closed: %s (user %d, %llu dropped)", connection.peer.c_str(),
              (unsigned long long)connection.id, reason, connection.userId,
              (unsigned long long)connection.out.dropped());
    if (connection.helloDone)
        leaveChannel(connection);
    connection.closed = true;
    auto perAddress = m_perAddress.find(connection.address);
    if (perAddress != m_perAddress.end() && --perAddress->second == 0)
        m_perAddress.erase(perAddress);
    if (connection.fd >= 0) {
        ::close(connection.fd);
        connection.fd = -1;
    }
    auto it = m_connections.find(connection.id);
    if (it != m_connections.end()) {
        m_closed.push_back(std::move(it->second));
        m_connections.erase(it);
    }
}

void VoiceRelay::writeOut(VoiceConnection& connection, int64_t nowMs)
{
    if (connection.closed)
        return;
    if (connection.fd < 0) {
        connection.lastProgressMs = nowMs;
        return; // nothing to write to: the queue keeps what was sent (tests read it)
    }
    while (!connection.out.empty()) {
        ssize_t written = ::send(connection.fd, connection.out.data(), connection.out.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
        ++m_counters.writes;
        if (written > 0) {
            connection.out.consume(size_t(written));
            connection.lastProgressMs = nowMs;
            continue;
        }
        if (written < 0 && errno == EINTR)
            continue;
        if (written < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            break;
        close(connection, "write failed");
        return;
    }
    bool want = !connection.out.empty();
    if (want != connection.watchingWrite) {
        connection.watchingWrite = want;
        if (m_watch)
            m_watch(connection, want);
    }
    if (!want)
        connection.lastProgressMs = nowMs;
}

void VoiceRelay::writable(VoiceConnection& connection, int64_t nowMs) { writeOut(connection, nowMs); }

void VoiceRelay::flush(int64_t nowMs)
{
    // Closing a connection while writing can queue more (an EndTalk, a departure), so the list
    // is taken in rounds until it stays empty.
    while (!m_dirty.empty()) {
        std::vector<VoiceConnection*> dirty;
        dirty.swap(m_dirty);
        for (VoiceConnection* connection : dirty) {
            connection->dirty = false;
            if (!connection->closed && connection->fd >= 0)
                writeOut(*connection, nowMs);
        }
    }
    m_closed.clear();
}

void VoiceRelay::tick(int64_t nowMs)
{
    for (auto& [number, channel] : m_channels)
        if (channel.holder && nowMs - channel.lastAudioMs > m_limits.floorTimeoutMs) {
            channel.holder->acknowledged = false;
            channel.holder->lastSequence = 0;
            channel.holder = nullptr;
        }
    std::vector<VoiceConnection*> expired;
    for (auto& [id, connection] : m_connections) {
        if (!connection->helloDone && nowMs - connection->openedMs > m_limits.helloTimeoutMs)
            expired.push_back(connection.get());
        else if (connection->fd >= 0 && !connection->out.empty()
                 && nowMs - connection->lastProgressMs > m_limits.stuckTimeoutMs)
            expired.push_back(connection.get());
    }
    for (VoiceConnection* connection : expired)
        close(*connection, connection->helloDone ? "listener not reading" : "no Hello in time");
}

void VoiceRelay::sessionEnded(const std::string& sessionId, const char* reason)
{
    std::vector<VoiceConnection*> ended;
    for (auto& [id, connection] : m_connections)
        if (connection->helloDone && connection->sessionId == sessionId)
            ended.push_back(connection.get());
    for (VoiceConnection* connection : ended)
        close(*connection, reason);
}

void VoiceRelay::sessionsEnded(const std::unordered_set<std::string>& sessionIds)
{
    std::vector<VoiceConnection*> ended;
    for (auto& [id, connection] : m_connections)
        if (connection->helloDone && sessionIds.count(connection->sessionId))
            ended.push_back(connection.get());
    for (VoiceConnection* connection : ended)
        close(*connection, "session ended");
}

// The holder's talk ends for the listeners at once, as if it had sent EndTalk.
void VoiceRelay::releaseFloor(VoiceConnection& connection)
{
    auto it = m_channels.find(connection.channel);
    if (it == m_channels.end() || it->second.holder != &connection)
        return;
    it->second.holder = nullptr;
    connection.acknowledged = false;
    connection.lastSequence = 0;
    VoicePacket end = VoicePacket::control(uint32_t(connection.userId), VoiceMessage::EndTalk);
    end.sign();
    sendToOthers(connection, end);
}

void VoiceRelay::channelSettingsChanged(int channel)
{
    auto it = m_channels.find(channel);
    if (it == m_channels.end())
        return;
    VoicePacket notice = signedControl(VoiceMessage::ChannelSettingsChanged);
    for (VoiceConnection* member : it->second.members)
        send(*member, notice);
}

// Settings of a free channel are anyone's who may talk in it; of an administered one, only the
// administration's.
bool VoiceRelay::mayChangeSettings(const VoiceConnection& connection)
{
    if (connection.permission != 0)
        return false;
    auto channel = m_store.channel(connection.channel);
    if (!channel)
        return false;
    if (channel->adminId == 0 || channel->adminId == connection.userId)
        return true;
    const std::vector<int> coadmins = m_store.adminDocument(connection.channel).coadmins;
    return std::find(coadmins.begin(), coadmins.end(), connection.userId) != coadmins.end();
}

void VoiceRelay::sessionJoined(const std::string& sessionId, int channel, int permission)
{
    std::vector<VoiceConnection*> moved;
    for (auto& [id, connection] : m_connections) {
        if (!connection->helloDone || connection->sessionId != sessionId)
            continue;
        if (connection->channel != channel) {
            moved.push_back(connection.get());
        } else {
            connection->permission = permission;
            if (permission != 0)
                releaseFloor(*connection);
        }
    }
    for (VoiceConnection* connection : moved)
        close(*connection, "joined another channel");
}

void VoiceRelay::notifyNewMessages(int userId, uint32_t senderId)
{
    if (userId <= 0)
        return;
    VoicePacket notice = VoicePacket::newMessages(senderId, uint32_t(userId));
    notice.sign();
    for (auto& [id, connection] : m_connections)
        if (connection->helloDone && connection->userId == userId)
            send(*connection, notice);
}

} // namespace Zumeli
