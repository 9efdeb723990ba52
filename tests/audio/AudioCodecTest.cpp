#include "audio/AudioCodecFactory.h"
#include "audio/AudioCodec_Adpcm.h"
#include "audio/AudioCodec_Gsm.h"
#include "audio/AudioCodec_Gsm2.h"
#include "audio/AudioCodec_plain.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <vector>

using namespace Zumeli;

namespace {

using Packet = std::array<uint8_t, 47>;

std::vector<float> sine(int n, float frequency, float amplitude = 0.5f, int offset = 0)
{
    std::vector<float> v(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i)
        v[size_t(i)] = amplitude * std::sin(2 * float(M_PI) * frequency * float(i + offset) / 8000.0f);
    return v;
}

int16_t int16At(const Packet& p, int offset) { return int16_t(uint16_t(p[size_t(offset)] | p[size_t(offset + 1)] << 8)); }

} // namespace

TEST(AudioCodec, FactoryNumbersFramesAndLengths)
{
    struct Case {
        int number;
        int samplesPerPacket;
        int length;
        int frameSamples;
    };
    const Case cases[] = {
        { 0, 8, 32, 8 },
        { 1, 16, 32, 16 },
        { 8, 29, 33, 29 },
        { 9, 160, 33, 160 },
        { 11, 320, 33, 320 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.number);
        auto codec = createAudioCodec(c.number);
        ASSERT_TRUE(codec);
        EXPECT_EQ(codec->frameSamples(), c.frameSamples);

        AudioBuffer source;
        std::vector<float> in = sine(c.samplesPerPacket * 3 - 1, 300);
        source.writeSamples(in.data(), int32_t(in.size()));
        Packet packet {};
        int packets = 0;
        while (codec->encode(source, packet)) {
            ++packets;
            EXPECT_EQ(packet[9], c.length);
        }
        EXPECT_EQ(packets, 2) << "one short of three frames gives two packets";
        EXPECT_EQ(source.available(), c.samplesPerPacket - 1) << "the short frame stays for later";
        for (int i = 0; i < 9; ++i)
            EXPECT_EQ(packet[size_t(i)], 0) << "header bytes other than length are not the codec's";
        for (int i = 43; i < 47; ++i)
            EXPECT_EQ(packet[size_t(i)], 0) << "the checksum bytes are not the codec's";

        AudioBuffer target;
        EXPECT_TRUE(codec->decode(packet, target));
        EXPECT_EQ(target.available(), c.samplesPerPacket);
    }
    for (int number : { -1, 2, 5, 7, 10, 12, 255 })
        EXPECT_FALSE(createAudioCodec(number)) << number << " names no codec";
}

TEST(AudioCodec, PlainAndPcm16RoundTripAndDecodeWhatLengthSays)
{
    auto plain = createAudioCodec(0);
    auto pcm = createAudioCodec(1);
    AudioBuffer source;
    std::vector<float> in = sine(16, 700, 0.9f);
    source.writeSamples(in.data(), 16);
    Packet a {}, b {};
    ASSERT_TRUE(plain->encode(source, a));
    source.writeSamples(in.data(), 16);
    source.skipAll();
    source.writeSamples(in.data(), 16);
    ASSERT_TRUE(pcm->encode(source, b));

    AudioBuffer out;
    std::vector<float> back(16);
    ASSERT_TRUE(plain->decode(a, out));
    ASSERT_TRUE(out.readSamples(back.data(), 8, false));
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(back[size_t(i)], in[size_t(i)]) << "floats travel exactly";
    ASSERT_TRUE(pcm->decode(b, out));
    ASSERT_TRUE(out.readSamples(back.data(), 16, false));
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(back[size_t(i)], in[size_t(i)], 1.0f / 32767) << i;

    struct Case {
        int codec;
        int length;
        int samples;
    };
    const Case cases[] = {
        { 0, 32, 8 }, { 0, 12, 3 }, { 0, 33, 8 }, { 0, 3, 0 }, { 0, 34, 0 }, { 0, 255, 0 },
        { 1, 32, 16 }, { 1, 5, 2 }, { 1, 33, 16 }, { 1, 1, 0 }, { 1, 34, 0 }, { 1, 200, 0 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "codec " << c.codec << " length " << c.length);
        Packet p = c.codec == 0 ? a : b;
        p[9] = uint8_t(c.length);
        AudioBuffer target;
        EXPECT_EQ((c.codec == 0 ? plain : pcm)->decode(p, target), c.samples > 0);
        EXPECT_EQ(target.available(), c.samples);
    }
}

TEST(AudioCodec, PlainDecodeTurnsNonFiniteFloatsIntoSilence)
{
    AudioCodec_plain codec;
    Packet p {};
    p[9] = 8;
    const uint8_t nan[4] = { 0x00, 0x00, 0xC0, 0x7F };
    const uint8_t infinity[4] = { 0x00, 0x00, 0x80, 0x7F };
    std::copy(nan, nan + 4, p.begin() + 10);
    std::copy(infinity, infinity + 4, p.begin() + 14);
    AudioBuffer target;
    ASSERT_TRUE(codec.decode(p, target));
    float out[2];
    ASSERT_TRUE(target.readSamples(out, 2, false));
    EXPECT_EQ(out[0], 0.0f);
    EXPECT_EQ(out[1], 0.0f);
}

TEST(AudioCodecAdpcm, SilenceFromAFreshStateIsAllZero)
{
    AudioCodec_Adpcm codec;
    AudioBuffer source;
    source.writeSilence(29);
    Packet p {};
    ASSERT_TRUE(codec.encode(source, p));
    EXPECT_EQ(p[9], 33);
    EXPECT_EQ(int16At(p, 10), 0);
    EXPECT_EQ(int16At(p, 12), 0);
    EXPECT_EQ(p[28] & 0x0F, 0) << "the 29th code fills only the high nibble";
    AudioBuffer target;
    ASSERT_TRUE(codec.decode(p, target));
    std::vector<float> out(29, 1.0f);
    ASSERT_TRUE(target.readSamples(out.data(), 29, false));
    for (float s : out)
        ASSERT_EQ(s, 0.0f);
}

TEST(AudioCodecAdpcm, StateStaysInRangeForAFullScaleSquareWave)
{
    AudioCodec_Adpcm codec;
    AudioBuffer source, target;
    std::vector<float> square(29 * 40);
    for (size_t i = 0; i < square.size(); ++i)
        square[i] = (i / 7) % 2 ? 1.0f : -1.0f;
    source.writeSamples(square.data(), int32_t(square.size()));
    Packet p {};
    int packets = 0;
    while (codec.encode(source, p)) {
        ++packets;
        int index = int16At(p, 12);
        ASSERT_GE(index, 0);
        ASSERT_LE(index, 88);
        ASSERT_TRUE(codec.decode(p, target));
    }
    EXPECT_EQ(packets, 40);
    EXPECT_GE(codec.encoderState().index, 0);
    EXPECT_LE(codec.encoderState().index, 88);
    // The decoded square wave follows the input's sign once the step has grown.
    std::vector<float> out(square.size());
    ASSERT_TRUE(target.readSamples(out.data(), int32_t(out.size()), false));
    int agree = 0;
    for (size_t i = 29 * 4; i < out.size(); ++i)
        agree += (out[i] > 0) == (square[i] > 0);
    EXPECT_GT(agree, int(out.size() - 29 * 4) * 8 / 10);
}

TEST(AudioCodecAdpcm, EachPacketDecodesByItselfSoALossDisturbsNothingAfter)
{
    AudioCodec_Adpcm encoder;
    AudioBuffer source;
    std::vector<float> in = sine(29 * 4, 440, 0.6f);
    source.writeSamples(in.data(), int32_t(in.size()));
    std::vector<Packet> packets(4);
    for (Packet& p : packets)
        ASSERT_TRUE(encoder.encode(source, p));

    AudioCodec_Adpcm all, lossy;
    AudioBuffer allOut, lossyOut;
    for (const Packet& p : packets)
        all.decode(p, allOut);
    lossy.decode(packets[0], lossyOut);
    lossy.decode(packets[2], lossyOut);
    lossy.decode(packets[3], lossyOut);

    std::vector<float> a(29 * 4), b(29 * 3);
    ASSERT_TRUE(allOut.readSamples(a.data(), 29 * 4, false));
    ASSERT_TRUE(lossyOut.readSamples(b.data(), 29 * 3, false));
    for (int i = 0; i < 29 * 2; ++i)
        ASSERT_EQ(b[size_t(29 + i)], a[size_t(58 + i)]) << "packets 2 and 3 decode the same without packet 1";
    double error = 0;
    for (size_t i = 29; i < a.size(); ++i)
        error = std::max(error, double(std::fabs(a[i] - in[i])));
    EXPECT_LT(error, 0.1) << "and the sine comes back once the step has adapted";
}

TEST(AudioCodecAdpcm, LengthsThatWouldReadPastThePayloadDecodeNothing)
{
    AudioCodec_Adpcm codec;
    Packet p {};
    p[10] = 0x10;
    for (int length : { 0, 1, 3, 4, 63, 64, 200, 255 }) {
        p[9] = uint8_t(length);
        AudioBuffer target;
        EXPECT_FALSE(codec.decode(p, target)) << length;
        EXPECT_EQ(target.available(), 0) << length;
    }
    p[9] = 62;
    AudioBuffer target;
    EXPECT_TRUE(codec.decode(p, target)) << "58 codes fill bytes 14 to 42 exactly";
    EXPECT_EQ(target.available(), 58);
    p[9] = 5;
    EXPECT_TRUE(codec.decode(p, target));
    EXPECT_EQ(target.available(), 59);
}

TEST(AudioCodecGsm, RefusesOtherLengthsAndRepeatsTheLastFrameForABadSignature)
{
    for (int number : { 9, 11 }) {
        SCOPED_TRACE(number);
        auto codec = createAudioCodec(number);
        int frame = codec->frameSamples();
        AudioBuffer source, target;
        std::vector<float> in = sine(frame, 500, 0.5f);
        source.writeSamples(in.data(), frame);
        Packet p {};
        ASSERT_TRUE(codec->encode(source, p));
        EXPECT_EQ(p[10] >> 4, 0xD) << "a GSM frame starts with the signature nibble";

        for (int length : { 0, 32, 34, 255 }) {
            Packet q = p;
            q[9] = uint8_t(length);
            EXPECT_FALSE(codec->decode(q, target)) << length;
        }
        EXPECT_EQ(target.available(), 0);

        ASSERT_TRUE(codec->decode(p, target));
        std::vector<float> good(static_cast<size_t>(frame)), repeated(static_cast<size_t>(frame));
        ASSERT_TRUE(target.readSamples(good.data(), frame, false));
        Packet bad = p;
        bad[10] = 0x00;
        EXPECT_TRUE(codec->decode(bad, target)) << "a refused frame still appends a frame";
        ASSERT_TRUE(target.readSamples(repeated.data(), frame, false));
        // GSM2 interpolates from the previous block's last sample, so compare the second half.
        for (int i = frame / 2; i < frame; ++i)
            ASSERT_EQ(repeated[size_t(i)], good[size_t(i)]) << i;
    }
}

TEST(AudioCodecGsm, Gsm2NeedsThreeHundredTwentySamples)
{
    AudioCodec_Gsm2 codec;
    AudioBuffer source;
    source.writeSilence(319);
    Packet p {};
    EXPECT_FALSE(codec.encode(source, p));
    EXPECT_EQ(source.available(), 319);
    source.writeSilence(1);
    EXPECT_TRUE(codec.encode(source, p));
    EXPECT_EQ(source.available(), 0);
    EXPECT_FALSE(codec.encode(source, p));
}

TEST(AudioCodecGsm, AMarkedEndFlushesTheTailPadded)
{
    AudioCodec_Gsm codec;
    AudioBuffer source;
    source.writeSilence(100);
    Packet p {};
    EXPECT_FALSE(codec.encode(source, p));
    EXPECT_EQ(source.available(), 100);
    source.markEnd();
    EXPECT_FALSE(codec.encode(source, p)) << "the padded tail counts as not read";
    EXPECT_EQ(source.available(), 0);
}
