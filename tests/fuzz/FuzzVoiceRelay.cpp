// Drives the voice relay with arbitrary packets from three connections of one channel, without
// sockets. The input is cut into 44-byte units: one control byte, then the first 43 bytes of a
// packet. The control byte picks the connection (bits 0-1), leaves the checksum wrong (bit 2),
// puts a live session's identifier into a Hello (bit 3), splits the packet in two reads (bit 4)
// and lets time pass (bits 5-7), so floor time-outs and Hello time-outs are reached as well.
#include "server/Log.h"
#include "server/Sessions.h"
#include "server/Store.h"
#include "server/VoiceRelay.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

using namespace Zumeli;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static Store store;
    static Sessions sessions;
    static std::string ids[3];
    static bool ready = false;
    if (!ready) {
        Log::setLevel(Log::Error);
        store.open(":memory:");
        for (int i = 0; i < 3; ++i) {
            Session& session = sessions.create(store.createGuest(), true, 0);
            sessions.join(session, 1000 + (i == 2 ? 1 : 0), i == 1 ? 1 : 0);
            ids[i] = session.id;
        }
        ready = true;
    }
    VoiceRelayLimits limits;
    limits.maxQueuedPackets = 8;
    VoiceRelay relay(sessions, store, limits);
    int64_t now = 0;
    uint64_t connections[3];
    for (auto& id : connections)
        id = relay.open(-1, "fuzz", now)->id;

    for (size_t offset = 0; offset + 44 <= size; offset += 44) {
        uint8_t control = data[offset];
        int which = control & 3;
        if (which == 3)
            which = 0;
        VoiceConnection* connection = relay.find(connections[which]);
        if (!connection) {
            connection = relay.open(-1, "fuzz", now);
            connections[which] = connection->id;
        }
        VoicePacket packet;
        std::memcpy(packet.bytes(), data + offset + 1, 43);
        if (control & 8) {
            packet.setKind(VoicePacket::Control);
            packet.setType(uint8_t(VoiceMessage::Hello));
            for (int i = 0; i < VoicePacket::SessionIdBytes; ++i)
                packet.setArg(i, i < int(ids[which].size()) ? uint8_t(ids[which][size_t(i)]) : 0);
        }
        packet.sign();
        if (control & 4)
            packet.bytes()[VoicePacket::ChecksumOffset] ^= 0x5A;
        size_t first = (control & 16) ? 20 : VoicePacket::Size;
        relay.receive(*connection, packet.bytes(), first, now);
        if (first < VoicePacket::Size && relay.find(connections[which]))
            relay.receive(*relay.find(connections[which]), packet.bytes() + first, VoicePacket::Size - first, now);
        now += int64_t(control >> 5) * 1000;
        relay.tick(now);
        relay.flush(now);
    }
    return 0;
}
