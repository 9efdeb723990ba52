#pragma once

#include <cstdint>

namespace Zumeli {

class ResponseMessages;
class SecondsTimer;
class VoicePacket;

// What the voice connection needs from the engine around it: the voice session's timers, the
// client's response ring, the local user number, the receive path (buffer and codec) and the
// people list. The engine implements it; tests implement it with plain members.
class IPushServerHost {
public:
    virtual ~IPushServerHost() = default;

    // Started by every packet sent or received; a stopped timer means traffic resumed.
    virtual SecondsTimer& trafficTimer() = 0;
    // Restarted by every received audio frame.
    virtual SecondsTimer& remoteTalkTimer() = 0;
    virtual ResponseMessages& responses() = 0;
    virtual uint32_t localUserNumber() const = 0;

    // Another user took the floor.
    virtual void setCurrentTalker(uint32_t userNumber) = 0;
    // True when a receive buffer and a codec are there to take audio frames.
    virtual bool canDecodeAudio() const = 0;
    // Decodes one audio frame into the receive buffer with the channel's codec.
    virtual void decodeAudio(const VoicePacket& packet) = 0;
    // Lets what the receive buffer holds play out (a talk ended).
    virtual void clearReceiveWaiting() = 0;
    // Stores a user's position text; false when the user is not in the people list.
    virtual bool setPositionText(uint32_t userNumber, const char* text, int length) = 0;
};

} // namespace Zumeli
