#include "audio/AudioHardware.h"
#include "audio/BandAnalyser.h"
#include "audio/sixFFT.h"
#include "tests/audio/ManualBackend.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <complex>
#include <numbers>
#include <random>
#include <thread>
#include <vector>

using namespace Zumeli;

namespace {

const int32_t Rate = 44100;

std::vector<float> sine(int32_t n, double frequency, float amplitude, int32_t rate = Rate)
{
    std::vector<float> v(static_cast<size_t>(n));
    for (int32_t i = 0; i < n; ++i)
        v[size_t(i)] = amplitude * float(std::sin(2 * std::numbers::pi * frequency * i / rate));
    return v;
}

// The transform written out as a plain DFT of the block repeated to N points, divided by N.
std::vector<std::complex<double>> referenceTransform(const std::vector<float>& block, int32_t size)
{
    std::vector<std::complex<double>> out(static_cast<size_t>(size));
    for (int32_t k = 0; k < size; ++k)
        for (int32_t t = 0; t < size; ++t)
            out[size_t(k)] += double(block[size_t(t) % block.size()]) / size
                * std::polar(1.0, -2 * std::numbers::pi * k * t / size);
    return out;
}

} // namespace

TEST(sixFFT, MatchesAPlainTransformOfTheBlockRepeatedToAPowerOfTwo)
{
    std::minstd_rand random(7);
    std::uniform_real_distribution<float> value(-1, 1);
    struct Case {
        int32_t samples;
        int32_t points;
    };
    for (Case c : { Case { 512, 512 }, Case { 300, 512 }, Case { 2, 2 }, Case { 3, 4 }, Case { 64, 64 } }) {
        SCOPED_TRACE(c.samples);
        std::vector<float> block(size_t(c.samples));
        for (float& s : block)
            s = value(random);
        sixFFT fft;
        ASSERT_TRUE(fft.transform(block.data(), c.samples));
        ASSERT_EQ(fft.size(), c.points);
        EXPECT_EQ(1 << fft.log2Size(), c.points);
        auto expected = referenceTransform(block, c.points);
        double largest = 0;
        for (int32_t k = 0; k < c.points; ++k) {
            ASSERT_NEAR(fft.re(k), expected[size_t(k)].real(), 1e-9) << k;
            ASSERT_NEAR(fft.im(k), expected[size_t(k)].imag(), 1e-9) << k;
            largest = std::max(largest, std::abs(expected[size_t(k)]));
        }
        EXPECT_NEAR(fft.largestMagnitude(), largest, 1e-9);
    }
}

TEST(sixFFT, ABlockOfOneSampleOrNoneFailsAndABlockBeyondTheReservedSizeOnlyWhenGrowingIsOff)
{
    sixFFT fft;
    float one = 0.5f;
    EXPECT_FALSE(fft.transform(&one, 1));
    EXPECT_FALSE(fft.transform(&one, 0));
    fft.reserve(512);
    std::vector<float> big(1024, 0.1f);
    EXPECT_FALSE(fft.transform(big.data(), 1024, false)) << "the audio thread never allocates";
    EXPECT_TRUE(fft.transform(big.data(), 1024));
}

TEST(BandAnalyser, CentresRiseQuadraticallyFrom500To5000Hertz)
{
    BandAnalyser analyser;
    analyser.configure(Rate, 32, true, 500, 5000);
    EXPECT_FLOAT_EQ(analyser.centre(0), 500);
    EXPECT_NEAR(analyser.centre(1), 504.68, 0.01);
    EXPECT_FLOAT_EQ(analyser.centre(16), 500 + 4500.0f * 256 / 961);
    EXPECT_FLOAT_EQ(analyser.centre(31), 5000);
    for (int32_t k = 0; k < 32; ++k)
        EXPECT_EQ(analyser.bar(k), 0);
}

// Tones that fall exactly on a bin of the 512-point transform have no leakage: the whole
// magnitude (100 after scaling) lands in one bin below half the rate.
TEST(BandAnalyser, EachBinCountsInTheBandWhoseRangeHoldsItsFrequency)
{
    BandAnalyser analyser;
    analyser.configure(Rate, 32, true, 500, 5000);
    auto bandHolding = [&](double frequency) {
        // Band j runs from the midpoint below its centre up to the midpoint above it; the
        // first reaches half a gap below 500 Hz, the last ends at its centre.
        std::vector<double> c(32);
        for (int j = 0; j < 32; ++j)
            c[size_t(j)] = 500 + double(j * j) / 961 * 4500;
        for (int j = 0; j < 32; ++j) {
            double low = j == 0 ? c[0] - (c[1] - c[0]) / 2 : (c[size_t(j) - 1] + c[size_t(j)]) / 2;
            double high = j == 31 ? c[31] : (c[size_t(j)] + c[size_t(j) + 1]) / 2;
            if (frequency >= low && frequency < high)
                return j;
        }
        return -1;
    };
    for (int bin : { 6, 12, 25, 40, 58 }) {
        double frequency = double(bin) * Rate / 512;
        SCOPED_TRACE(frequency);
        auto block = sine(512, frequency, 0.01f);
        analyser.feed(block.data(), 512);
        int expected = bandHolding(frequency);
        int32_t total = 0;
        for (int32_t k = 0; k < 32; ++k) {
            total += analyser.bandSum(k);
            if (k != expected) {
                EXPECT_EQ(analyser.bandSum(k), 0) << k;
            }
        }
        if (expected >= 0) {
            EXPECT_NEAR(analyser.bandSum(expected), 100, 1) << "100, or 99 after rounding toward zero";
        } else {
            EXPECT_EQ(total, 0) << "outside every band";
        }
    }
    // Bin 5 (430.7 Hz) is below band 0's lower edge and bin 59 (5081 Hz) above the last centre.
    EXPECT_EQ(bandHolding(5 * 44100.0 / 512), -1);
    EXPECT_EQ(bandHolding(59 * 44100.0 / 512), -1);
}

TEST(BandAnalyser, TheLevelIsThePeakScaledShareOfTheBand)
{
    BandAnalyser analyser;
    analyser.configure(Rate, 32, true, 500, 5000);
    auto block = sine(512, 40 * 44100.0 / 512, 0.01f);
    float peak = *std::max_element(block.begin(), block.end());
    analyser.feed(block.data(), 512);
    int32_t band = -1;
    for (int32_t k = 0; k < 32; ++k)
        if (analyser.bandSum(k) > 0)
            band = k;
    ASSERT_GE(band, 0);
    float sum = float(analyser.bandSum(band));
    float x = peak * sum / (1 + sum) * 10.0f;
    EXPECT_NEAR(analyser.bar(band), 1.5f * std::log(1 + x), 1e-5);
    for (int32_t k = 0; k < 32; ++k)
        if (k != band) {
            EXPECT_EQ(analyser.bar(k), 0);
        }

    // A loud block reaches the top: x is held at 0.99 and the level at 1.
    auto loud = sine(512, 40 * 44100.0 / 512, 0.9f);
    analyser.feed(loud.data(), 512);
    EXPECT_FLOAT_EQ(analyser.bar(band), 1.0f);
}

TEST(BandAnalyser, AfterALoudBlockSilenceLetsTheBarsFallWithGrowingSpeed)
{
    BandAnalyser analyser;
    analyser.configure(Rate, 32, true, 500, 5000);
    auto loud = sine(512, 40 * 44100.0 / 512, 0.9f);
    analyser.feed(loud.data(), 512);
    int32_t band = 0;
    for (int32_t k = 0; k < 32; ++k)
        if (analyser.bar(k) > analyser.bar(band))
            band = k;
    ASSERT_FLOAT_EQ(analyser.bar(band), 1.0f);

    std::vector<float> silence(512, 0.0f);
    const float step = 512.0f / Rate;
    float expected = 1.0f;
    for (float speed : { 0.0f, 0.2f, 0.4f, 0.6f }) {
        analyser.feed(silence.data(), 512);
        expected -= step * speed;
        EXPECT_NEAR(analyser.bar(band), expected, 1e-5) << "speed " << speed;
    }
    // The fall ends at 0, never below.
    for (int i = 0; i < 200; ++i)
        analyser.feed(silence.data(), 512);
    EXPECT_EQ(analyser.bar(band), 0.0f);
}

TEST(BandAnalyser, ABlockOfOneSampleDropsEveryBarAtOnce)
{
    BandAnalyser analyser;
    analyser.configure(Rate, 32, true, 500, 5000);
    auto loud = sine(512, 3000, 0.9f);
    analyser.feed(loud.data(), 512);
    int lit = 0;
    for (int32_t k = 0; k < 32; ++k)
        lit += analyser.bar(k) > 0;
    ASSERT_GT(lit, 0);
    float one = 0.9f;
    analyser.feed(&one, 1);
    for (int32_t k = 0; k < 32; ++k)
        EXPECT_EQ(analyser.bar(k), 0) << k;
}

TEST(BandAnalyser, AShortBlockIsRepeatedToFillTheTransform)
{
    // 300 samples of a 3000 Hz tone: the transform still runs at 512 points and the tone's
    // band lights up, as with a whole block.
    BandAnalyser analyser;
    analyser.configure(Rate, 32, true, 500, 5000);
    auto block = sine(300, 3000, 0.05f);
    analyser.feed(block.data(), 300);
    EXPECT_EQ(analyser.transform().size(), 512);
    int32_t strongest = 0;
    for (int32_t k = 0; k < 32; ++k)
        if (analyser.bandSum(k) > analyser.bandSum(strongest))
            strongest = k;
    EXPECT_LE(std::fabs(analyser.centre(strongest) - 3000), 200);
}

TEST(BandAnalyser, NegativeOnlyAndDamagedBlocksLightNothing)
{
    BandAnalyser analyser;
    analyser.configure(Rate, 32, true, 500, 5000);
    auto block = sine(512, 3000, 0.5f);
    for (float& s : block)
        s = -std::fabs(s);
    analyser.feed(block.data(), 512);
    for (int32_t k = 0; k < 32; ++k)
        EXPECT_EQ(analyser.bar(k), 0) << "peak is the largest signed sample: 0";
    block[10] = std::nanf("");
    analyser.feed(block.data(), 512);
    for (int32_t k = 0; k < 32; ++k)
        EXPECT_EQ(analyser.bar(k), 0);
}

namespace {

class HalvingClient : public IAudioProcessor {
public:
    bool setAudioRate(int32_t) override { return true; }
    void processAudio(float* samples, int32_t n) override
    {
        for (int32_t i = 0; i < n; ++i)
            samples[i] *= 0.5f;
    }
};

} // namespace

TEST(AudioHardware, TheSpectrumFollowsTheMicrophoneAndTheSpeakerWhileOn)
{
    HalvingClient client;
    AudioHardware hardware;
    ASSERT_TRUE(hardware.open(&client, std::make_unique<ManualBackend>(48000), "", ""));
    auto tone = sine(512, 2000, 0.05f, 48000);
    std::vector<float> out(512);

    hardware.handleBlock(tone.data(), out.data(), 512);
    EXPECT_EQ(hardware.spectrum().input().bandCount(), 0) << "off until the window asks";

    hardware.setSpectrum(32);
    EXPECT_TRUE(hardware.spectrumOn());
    EXPECT_EQ(hardware.spectrum().input().rate(), 48000);
    hardware.handleBlock(tone.data(), out.data(), 512);
    auto strongest = [](const BandAnalyser& a) {
        int32_t best = 0;
        for (int32_t k = 0; k < a.bandCount(); ++k)
            if (a.bar(k) > a.bar(best))
                best = k;
        return best;
    };
    const BandAnalyser& in = hardware.spectrum().input();
    const BandAnalyser& speaker = hardware.spectrum().output();
    ASSERT_GT(in.bar(strongest(in)), 0);
    EXPECT_EQ(strongest(in), strongest(speaker));
    EXPECT_LT(speaker.bar(strongest(speaker)), in.bar(strongest(in))) << "the speaker gets half";
    EXPECT_LE(std::fabs(in.centre(strongest(in)) - 2000), 150);

    float lit = in.bar(strongest(in));
    hardware.setSpectrum(0);
    std::vector<float> silence(512, 0.0f);
    hardware.handleBlock(silence.data(), out.data(), 512);
    hardware.handleBlock(silence.data(), out.data(), 512);
    EXPECT_EQ(in.bar(strongest(in)), lit) << "off: the bars are not fed";

    // A stream that reopens at another rate takes the analysers along.
    hardware.setSpectrum(32);
    ASSERT_TRUE(hardware.open(&client, std::make_unique<ManualBackend>(22050), "", ""));
    EXPECT_EQ(hardware.spectrum().input().rate(), 22050);
    EXPECT_EQ(hardware.spectrum().output().rate(), 22050);
}

// The window turns the spectrum on and off while the stream thread runs: the analysers are only
// reconfigured between blocks (a sanitizer build would catch a block using freed arrays).
TEST(AudioHardware, SpectrumCanBeSwitchedWhileTheStreamRuns)
{
    HalvingClient client;
    AudioHardware hardware;
    ASSERT_TRUE(hardware.open(&client, std::make_unique<ManualBackend>(), "", ""));
    std::atomic<bool> running { true };
    std::atomic<long> blocks { 0 };
    std::thread stream([&] {
        auto tone = sine(512, 1500, 0.3f);
        std::vector<float> out(512);
        while (running.load()) {
            hardware.handleBlock(tone.data(), out.data(), 512);
            blocks.fetch_add(1);
        }
    });
    for (int i = 0; i < 200; ++i) {
        hardware.setSpectrum(i % 3 == 2 ? 0 : 16 + 16 * (i % 2));
        long seen = blocks.load();
        while (blocks.load() == seen)
            std::this_thread::yield();
    }
    running = false;
    stream.join();
    EXPECT_GT(blocks.load(), 200);
}
