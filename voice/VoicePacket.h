#pragma once

#include <cstdint>
#include <cstring>

namespace Zumeli {

// Control message types of the voice server.
enum class VoiceMessage : uint8_t {
    EndTalk = 1,
    KeepAlive = 2,
    TalkAck = 4,
    Hello = 5,
    Smile = 6,
    DetailsChanged = 7,
    ChannelSettingsChanged = 8,
    PositionText = 9,
    PhotoChanged = 10,
    UsersPresent = 11,
    UsersGone = 12,
    NewMessages = 14,
    TalkRequest = 15,
    EndTalkAck = 17,
};

// The fixed 47-byte record of the voice server, for every control message and audio frame in
// both directions. The bytes are the packet; fields are read and written explicitly as
// little-endian, so the layout is right on any host:
//
//   0 senderId (4)  4 kind (1)  5 sequence (4)  9 length (1)  10 type / payload start (1)
//   11 args / payload (32)  43 checksum of bytes 0..42 (4)
class VoicePacket {
public:
    static constexpr int Size = 47;
    static constexpr int ChecksumOffset = 43;
    static constexpr int PayloadOffset = 10;
    static constexpr int MaxPayload = ChecksumOffset - PayloadOffset; // 33
    static constexpr int ArgsOffset = 11;
    static constexpr int MaxArgs = 32;
    static constexpr int SessionIdBytes = 13;

    enum Kind : uint8_t { Control = 1, Audio = 2 };

    VoicePacket() { clear(); }
    explicit VoicePacket(const uint8_t* bytes) { std::memcpy(m_bytes, bytes, Size); }

    void clear() { std::memset(m_bytes, 0, Size); }

    uint32_t senderId() const { return read32(0); }
    void setSenderId(uint32_t id) { write32(0, id); }
    uint8_t kind() const { return m_bytes[4]; }
    void setKind(uint8_t kind) { m_bytes[4] = kind; }
    uint32_t sequence() const { return read32(5); }
    void setSequence(uint32_t sequence) { write32(5, sequence); }
    uint8_t length() const { return m_bytes[9]; }
    void setLength(uint8_t length) { m_bytes[9] = length; }
    uint8_t type() const { return m_bytes[10]; }
    void setType(uint8_t type) { m_bytes[10] = type; }

    // Argument byte i of a control message (offset 11 + i), 0 past the packet.
    uint8_t arg(int i) const { return (i >= 0 && i < MaxArgs) ? m_bytes[ArgsOffset + i] : 0; }
    // Little-endian 32-bit argument at byte i of the arguments.
    uint32_t arg32(int i) const { return (i >= 0 && i + 4 <= MaxArgs) ? read32(ArgsOffset + i) : 0; }
    void setArg(int i, uint8_t value)
    {
        if (i >= 0 && i < MaxArgs)
            m_bytes[ArgsOffset + i] = value;
    }
    void setArg32(int i, uint32_t value)
    {
        if (i >= 0 && i + 4 <= MaxArgs)
            write32(ArgsOffset + i, value);
    }

    // The audio payload: bytes 10 to 42.
    const uint8_t* payload() const { return m_bytes + PayloadOffset; }
    uint8_t* payload() { return m_bytes + PayloadOffset; }

    uint32_t storedChecksum() const { return read32(ChecksumOffset); }
    uint32_t computeChecksum() const;
    void sign() { write32(ChecksumOffset, computeChecksum()); }
    bool checksumValid() const { return storedChecksum() == computeChecksum(); }

    const uint8_t* bytes() const { return m_bytes; }
    uint8_t* bytes() { return m_bytes; }

    // A zero-filled control message of the given type with length 1 (the type byte alone).
    static VoicePacket control(uint32_t senderId, VoiceMessage type);
    // Hello: bytes 11..23 the first 13 bytes of the session identifier (zero-filled), byte 24 = 1.
    static VoicePacket hello(uint32_t senderId, const char* sessionId);
    // PositionText: the text cut to 32 bytes, length n + 1.
    static VoicePacket positionText(uint32_t senderId, const char* text, int length);
    static VoicePacket smile(uint32_t senderId, uint8_t index);
    static VoicePacket newMessages(uint32_t senderId, uint32_t addressee);

private:
    uint32_t read32(int offset) const
    {
        return uint32_t(m_bytes[offset]) | uint32_t(m_bytes[offset + 1]) << 8 | uint32_t(m_bytes[offset + 2]) << 16
            | uint32_t(m_bytes[offset + 3]) << 24;
    }
    void write32(int offset, uint32_t value)
    {
        for (int i = 0; i < 4; ++i)
            m_bytes[offset + i] = uint8_t(value >> (8 * i));
    }

    uint8_t m_bytes[Size];
};

} // namespace Zumeli
