#pragma once

#include "server/OutQueue.h"
#include "voice/VoicePacket.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace Zumeli {

class Sessions;
class Store;

struct VoiceRelayLimits {
    int64_t floorTimeoutMs = 6000;  // a talker silent this long loses the floor
    int64_t helloTimeoutMs = 2000;  // a connection must say Hello within this time
    int64_t stuckTimeoutMs = 20000; // a listener whose queue does not drain this long is closed
    size_t maxQueuedPackets = 512;  // about 10 s of GSM audio per listener
    int maxBadChecksums = 64;       // in a row; then the stream is garbage and is closed
};

// One TCP connection on the voice port.
struct VoiceConnection {
    uint64_t id = 0;
    int fd = -1;
    std::string peer;
    uint32_t address = 0; // the peer's IPv4 address, network order
    bool helloDone = false;
    std::string sessionId;
    int userId = 0;
    int channel = 0;
    int permission = 0;
    uint8_t record[VoicePacket::Size] = {};
    int fill = 0;
    int badChecksums = 0;
    bool acknowledged = false; // the current talk got its TalkAck
    uint32_t lastSequence = 0;
    OutQueue out;
    bool dirty = false;
    bool watchingWrite = false;
    bool closed = false;
    int64_t openedMs = 0;
    int64_t lastProgressMs = 0;

    explicit VoiceConnection(size_t maxQueuedPackets)
        : out(maxQueuedPackets)
    {
    }
};

// The voice relay: checks and classifies the 47-byte packets of every connection, keeps the talk
// floor of each channel, relays audio and notices to the other members, announces arrivals and
// departures, and queues the outgoing packets of each connection so that everything for one
// listener leaves in one write per pass of the event loop (flush).
//
// It works on file descriptors it is given and never blocks; fd -1 (tests, fuzzing) queues
// without writing.
class VoiceRelay {
public:
    // Asked to start or stop watching a connection for writability.
    using WriteWatcher = std::function<void(const VoiceConnection&, bool want)>;

    VoiceRelay(Sessions& sessions, Store& store, VoiceRelayLimits limits = {});
    ~VoiceRelay();

    void setWriteWatcher(WriteWatcher watcher) { m_watch = std::move(watcher); }

    VoiceConnection* open(int fd, const std::string& peer, int64_t nowMs, uint32_t address = 0);
    size_t connectionsFrom(uint32_t address) const;
    // Closes the oldest connection that has not said Hello, to make room; false when none.
    bool dropOldestWithoutHello();
    VoiceConnection* find(uint64_t id);
    // Bytes read from the connection; it may be closed as a result.
    void receive(VoiceConnection& connection, const uint8_t* bytes, size_t count, int64_t nowMs);
    // The peer closed or the socket failed.
    void close(VoiceConnection& connection, const char* reason);
    // The connection may write again.
    void writable(VoiceConnection& connection, int64_t nowMs);
    // Writes what each connection has waiting, once per connection; frees closed connections.
    void flush(int64_t nowMs);
    // Floor time-outs, Hello time-outs and stuck listeners.
    void tick(int64_t nowMs);

    // From the web service: a session ended, joined another channel, or got messages.
    void sessionEnded(const std::string& sessionId, const char* reason = "session ended");
    // Many at once, in one pass over the connections.
    void sessionsEnded(const std::unordered_set<std::string>& sessionIds);
    // The session is in the channel with this permission: connections to another channel
    // close, a listener loses the floor it held.
    void sessionJoined(const std::string& sessionId, int channel, int permission);
    void notifyNewMessages(int userId, uint32_t senderId);
    // Tells everyone in the channel to read its settings again (sender 0: the service).
    void channelSettingsChanged(int channel);

    size_t connectionCount() const { return m_connections.size(); }
    // The user holding the floor of the channel, 0 when free.
    int floorHolder(int channel) const;
    std::vector<uint64_t> connectionIds() const;

    struct Counters {
        uint64_t packetsIn = 0;
        uint64_t packetsRelayed = 0; // one per recipient
        uint64_t badChecksums = 0;
        uint64_t dropped = 0;        // audio refused: floor taken, listen-only, no Hello
        uint64_t writes = 0;
    };
    const Counters& counters() const { return m_counters; }

private:
    struct Channel {
        std::vector<VoiceConnection*> members;
        VoiceConnection* holder = nullptr;
        int64_t lastAudioMs = 0;
    };

    void handle(VoiceConnection& connection, VoicePacket& packet, int64_t nowMs);
    void handleHello(VoiceConnection& connection, const VoicePacket& packet, int64_t nowMs);
    void handleAudio(VoiceConnection& connection, VoicePacket& packet, int64_t nowMs);
    void handleControl(VoiceConnection& connection, VoicePacket& packet, int64_t nowMs);
    void send(VoiceConnection& connection, const VoicePacket& packet);
    void sendToOthers(const VoiceConnection& from, const VoicePacket& packet);
    void sendKeepAlive(VoiceConnection& connection);
    void announce(int channel, VoiceMessage type, int userId, const VoiceConnection* except);
    void leaveChannel(VoiceConnection& connection);
    void releaseFloor(VoiceConnection& connection);
    bool mayChangeSettings(const VoiceConnection& connection);
    bool userHasOtherConnection(const VoiceConnection& connection) const;
    void writeOut(VoiceConnection& connection, int64_t nowMs);

    Sessions& m_sessions;
    Store& m_store;
    VoiceRelayLimits m_limits;
    WriteWatcher m_watch;
    uint64_t m_nextId = 1;
    std::unordered_map<uint64_t, std::unique_ptr<VoiceConnection>> m_connections;
    std::map<int, Channel> m_channels;
    std::unordered_map<uint32_t, size_t> m_perAddress;
    std::deque<uint64_t> m_awaitingHello; // ids in the order they opened
    std::vector<VoiceConnection*> m_dirty;
    std::vector<std::unique_ptr<VoiceConnection>> m_closed;
    Counters m_counters;
};

} // namespace Zumeli
