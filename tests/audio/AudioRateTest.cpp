#include "audio/ClientAudio.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <vector>

using namespace Zumeli;

namespace {

constexpr int32_t Block = 512;

// One client's audio path at a device rate, with its own engine audio state.
struct Device {
    explicit Device(int32_t rate)
        : rate(rate)
    {
        EXPECT_TRUE(client.setAudioRate(rate));
    }
    std::vector<float> process(std::vector<float> block)
    {
        client.processAudio(block.data(), int32_t(block.size()));
        return block;
    }
    // Seconds of device audio processed so far.
    double seconds() const { return client.audioSeconds(); }

    int32_t rate;
    EngineAudio engine;
    ClientAudio client { engine };
};

} // namespace

// Per block the 8000 Hz side must carry the remainder of n × 8000 / rate: truncating gives 92
// samples for 512 frames at 44100 Hz, 0.96% short.
TEST(AudioRate, CaptureMovesExactly8000SamplesASecondAtEveryDeviceRate)
{
    for (int32_t rate : { 44100, 48000, 22050, 8000 }) {
        SCOPED_TRACE(rate);
        Device device(rate);
        device.engine.talk.setTalkActive(true);
        device.process(std::vector<float>(Block, 0.1f)); // opens the talk with the pre-roll
        int64_t start = device.engine.capture.writeCount();
        // Exactly 60 s of device frames, in 512-frame blocks and one shorter last block.
        for (int64_t left = int64_t(60) * rate; left > 0; left -= Block) {
            device.process(std::vector<float>(size_t(std::min<int64_t>(left, Block)), 0.1f));
            device.engine.capture.skipAll(); // the encoder's part: keep the ring from filling
        }
        int64_t captured = device.engine.capture.writeCount() - start;
        std::printf("60 s at %d Hz: %lld samples captured at 8000 Hz\n", rate, static_cast<long long>(captured));
        EXPECT_NEAR(double(captured), 480000.0, 1.0) << "60 s give 480000 samples";
    }
}

// A 44100 Hz talker heard by a 48000 Hz listener for two minutes: the listener's receive buffer
// neither drains nor grows (with truncation it ran dry within about 90 s).
TEST(AudioRate, TalkerAndListenerAtDifferentRatesStayInStep)
{
    Device talker(44100);
    Device listener(48000);
    talker.engine.talk.setTalkActive(true);
    int64_t lowest = INT64_MAX, highest = 0;
    std::vector<float> voice(Block);
    int64_t phase = 0;
    while (listener.seconds() < 120.0) {
        if (talker.seconds() <= listener.seconds()) {
            for (float& s : voice)
                s = 0.4f * float(std::sin(2 * M_PI * 300.0 * double(phase++) / 44100.0));
            talker.process(voice);
            std::vector<float> moved(size_t(talker.engine.capture.available()));
            if (!moved.empty()) {
                ASSERT_TRUE(talker.engine.capture.readSamples(moved.data(), int32_t(moved.size()), false));
                ASSERT_TRUE(listener.engine.receive.writeSamples(moved.data(), int32_t(moved.size())));
            }
        } else {
            listener.process(std::vector<float>(Block, 0.0f));
            if (listener.seconds() > 5.0) {
                int64_t fill = listener.engine.receive.available();
                lowest = std::min(lowest, fill);
                highest = std::max(highest, fill);
            }
        }
    }
    std::printf("44100 Hz talker to 48000 Hz listener over 120 s: receive fill %lld to %lld samples\n",
                static_cast<long long>(lowest), static_cast<long long>(highest));
    EXPECT_GT(lowest, 0) << "the listener never runs dry";
    EXPECT_LT(highest - lowest, 1000) << "the fill stays within an eighth of a second";
}

// A received 1 kHz tone plays at 1 kHz: the 8000 Hz stream is read at exactly its rate.
TEST(AudioRate, AReceived1kHzTonePlaysAt1kHz)
{
    for (int32_t rate : { 44100, 48000 }) {
        SCOPED_TRACE(rate);
        Device device(rate);
        int64_t toneSample = 0;
        auto feed = [&](int32_t n) {
            std::vector<float> tone(static_cast<size_t>(n));
            for (float& s : tone)
                s = 0.5f * float(std::sin(2 * M_PI * 1000.0 * double(toneSample++) / 8000.0));
            device.engine.receive.writeSamples(tone.data(), n);
        };
        feed(8000);
        // Rising zero crossings of the output, placed between samples by interpolation.
        double first = -1, last = -1;
        int64_t crossings = 0, sample = 0;
        float previous = 0;
        for (int64_t b = 0; b < int64_t(20) * rate / Block; ++b) {
            if (device.engine.receive.available() < 6000)
                feed(2000);
            std::vector<float> out = device.process(std::vector<float>(Block, 0.0f));
            for (float s : out) {
                if (b > int64_t(rate) / Block && previous < 0 && s >= 0) {
                    double at = double(sample - 1) + double(-previous) / double(s - previous);
                    if (first < 0)
                        first = at;
                    last = at;
                    ++crossings;
                }
                previous = s;
                ++sample;
            }
        }
        ASSERT_GT(crossings, 10000);
        double frequency = double(crossings - 1) / ((last - first) / rate);
        std::printf("1 kHz tone played at %d Hz comes out at %.3f Hz\n", rate, frequency);
        EXPECT_NEAR(frequency, 1000.0, 0.5) << "within 0.05%";
    }
}
