#include "voice/VoicePacket.h"

#include <gtest/gtest.h>

using namespace Zumeli;

TEST(VoicePacket, KeepAliveFromUser1234IsExactlyTheseBytes)
{
    VoicePacket packet = VoicePacket::control(1234, VoiceMessage::KeepAlive);
    packet.sign();
    uint8_t expected[47] = { 0xd2, 0x04, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x01, 0x02 };
    expected[43] = 0x57;
    expected[44] = 0xa8;
    expected[45] = 0x08;
    expected[46] = 0x09;
    EXPECT_EQ(std::vector<uint8_t>(packet.bytes(), packet.bytes() + 47), std::vector<uint8_t>(expected, expected + 47));
    EXPECT_EQ(packet.storedChecksum(), 0x0908A857u);
    EXPECT_TRUE(packet.checksumValid());
}

TEST(VoicePacket, ChecksumCoversBytes0To42Only)
{
    VoicePacket packet = VoicePacket::control(5, VoiceMessage::TalkRequest);
    packet.sign();
    uint32_t sum = packet.storedChecksum();
    packet.bytes()[46] ^= 0xFF;
    EXPECT_EQ(packet.computeChecksum(), sum);
    packet.bytes()[42] ^= 0x01;
    EXPECT_NE(packet.computeChecksum(), sum);
}

TEST(VoicePacket, FieldsAreLittleEndianAtTheirOffsets)
{
    VoicePacket packet;
    packet.setSenderId(0x01020304);
    packet.setKind(VoicePacket::Audio);
    packet.setSequence(0xA0B0C0D0);
    packet.setLength(33);
    const uint8_t* b = packet.bytes();
    EXPECT_EQ(b[0], 0x04);
    EXPECT_EQ(b[3], 0x01);
    EXPECT_EQ(b[4], 2);
    EXPECT_EQ(b[5], 0xD0);
    EXPECT_EQ(b[8], 0xA0);
    EXPECT_EQ(b[9], 33);
    EXPECT_EQ(packet.payload(), b + 10);
    EXPECT_EQ(packet.arg32(29), 0u) << "an argument past the packet reads as 0";
}

TEST(VoicePacket, BuildersForOutgoingMessages)
{
    VoicePacket hello = VoicePacket::hello(9, "abcdefghijklmnopq");
    EXPECT_EQ(hello.length(), 15);
    EXPECT_EQ(hello.type(), 5);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(hello.bytes() + 11), 13), "abcdefghijklm") << "cut to 13 bytes";
    EXPECT_EQ(hello.bytes()[24], 1);

    VoicePacket shortHello = VoicePacket::hello(9, "s1");
    EXPECT_EQ(shortHello.bytes()[13], 0) << "zero-filled after the identifier";
    EXPECT_EQ(shortHello.bytes()[24], 1);

    std::string longText(40, 'p');
    VoicePacket position = VoicePacket::positionText(9, longText.c_str(), int(longText.size()));
    EXPECT_EQ(position.length(), 33) << "at most 32 text bytes";
    EXPECT_EQ(position.bytes()[42], 'p');

    VoicePacket smile = VoicePacket::smile(9, 6);
    EXPECT_EQ(smile.length(), 2);
    EXPECT_EQ(smile.arg(0), 6);

    VoicePacket notify = VoicePacket::newMessages(9, 0x11223344);
    EXPECT_EQ(notify.length(), 5);
    EXPECT_EQ(notify.arg32(0), 0x11223344u);
    for (int i = 15; i < 43; ++i)
        ASSERT_EQ(notify.bytes()[i], 0) << "bytes beyond the length are zero, at " << i;
}
