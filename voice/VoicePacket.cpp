#include "voice/VoicePacket.h"

#include "data/Checksum.h"

namespace Zumeli {

uint32_t VoicePacket::computeChecksum() const { return checksum32(m_bytes, ChecksumOffset); }

VoicePacket VoicePacket::control(uint32_t senderId, VoiceMessage type)
{
    VoicePacket packet;
    packet.setSenderId(senderId);
    packet.setKind(Control);
    packet.setLength(1);
    packet.setType(uint8_t(type));
    return packet;
}

VoicePacket VoicePacket::hello(uint32_t senderId, const char* sessionId)
{
    VoicePacket packet = control(senderId, VoiceMessage::Hello);
    packet.setLength(15);
    for (int i = 0; sessionId && i < SessionIdBytes && sessionId[i]; ++i)
        packet.setArg(i, uint8_t(sessionId[i]));
    packet.setArg(SessionIdBytes, 1);
    return packet;
}

VoicePacket VoicePacket::positionText(uint32_t senderId, const char* text, int length)
{
    VoicePacket packet = control(senderId, VoiceMessage::PositionText);
    if (!text || length < 0)
        length = 0;
    if (length > MaxArgs)
        length = MaxArgs;
    for (int i = 0; i < length; ++i)
        packet.setArg(i, uint8_t(text[i]));
    packet.setLength(uint8_t(length + 1));
    return packet;
}

VoicePacket VoicePacket::smile(uint32_t senderId, uint8_t index)
{
    VoicePacket packet = control(senderId, VoiceMessage::Smile);
    packet.setLength(2);
    packet.setArg(0, index);
    return packet;
}

VoicePacket VoicePacket::newMessages(uint32_t senderId, uint32_t addressee)
{
    VoicePacket packet = control(senderId, VoiceMessage::NewMessages);
    packet.setLength(5);
    packet.setArg32(0, addressee);
    return packet;
}

} // namespace Zumeli
