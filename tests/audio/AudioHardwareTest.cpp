#include "audio/AudioBackendChoice.h"
#include "audio/AudioHardware.h"
#include "audio/AudioStreamKeeper.h"
#include "audio/ClientAudio.h"
#include "audio/FileAudioBackend.h"
#include "audio/NullAudioBackend.h"
#include "audio/PortAudioBackend.h"
#include "audio/WavFile.h"

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>
#include <thread>
#include <unistd.h>

using namespace Zumeli;
namespace fs = std::filesystem;

namespace {

// A client that counts its blocks and turns the microphone into the speaker, halved.
class HalvingClient : public IAudioProcessor {
public:
    bool setAudioRate(int32_t r) override
    {
        rate = r;
        return true;
    }
    void processAudio(float* samples, int32_t n) override
    {
        for (int32_t i = 0; i < n; ++i)
            samples[i] *= 0.5f;
        blocks.fetch_add(1);
    }
    int32_t rate = 0;
    std::atomic<int> blocks { 0 };
};

// A back end the test drives by hand: open succeeds, blocks come from handleBlock calls.
class ManualBackend : public IAudioBackend {
public:
    bool open(const std::string&, const std::string&, IAudioBlockHandler&) override { return true; }
    int32_t sampleRate() const override { return 44100; }
    bool start() override { return true; }
    void stop() override { }
    const char* name() const override { return "manual"; }
};

fs::path scratch(const char* name) { return fs::temp_directory_path() / (std::string("zumeli-hw-") + std::to_string(getpid()) + name); }

} // namespace

TEST(AudioHardware, EchoTestRepeatsTheInputTwoSecondsLater)
{
    AudioHardware hardware;
    ASSERT_TRUE(hardware.open(nullptr, std::make_unique<ManualBackend>(), "", ""));
    hardware.setTestMode(AudioHardware::Echo);
    float input[512], output[512];
    int64_t k = 0;
    bool silentBefore = true, echoedAfter = true;
    for (int block = 0; block < 200; ++block) {
        for (int i = 0; i < 512; ++i)
            input[i] = float((k + i) % 1000 + 1) / 1000.0f;
        hardware.handleBlock(input, output, 512);
        for (int i = 0; i < 512; ++i, ++k) {
            if (k < 88200)
                silentBefore = silentBefore && output[i] == 0.0f;
            else
                echoedAfter = echoedAfter && output[i] == float((k - 88199) % 1000 + 1) / 1000.0f;
        }
    }
    EXPECT_TRUE(silentBefore);
    EXPECT_TRUE(echoedAfter);
    EXPECT_GT(hardware.inputLevel(), 0.5f);
}

TEST(AudioHardware, ToneTestIsA440HertzFullScaleSine)
{
    AudioHardware hardware;
    ASSERT_TRUE(hardware.open(nullptr, std::make_unique<ManualBackend>(), "", ""));
    hardware.setTestMode(AudioHardware::Tone);
    float input[512] = {}, output[512];
    int crossings = 0;
    float peak = 0, previous = 0;
    for (int block = 0; block < 86; ++block) { // about one second
        hardware.handleBlock(input, output, 512);
        for (float sample : output) {
            peak = std::max(peak, std::fabs(sample));
            if (previous < 0 && sample >= 0)
                ++crossings;
            previous = sample;
        }
    }
    EXPECT_NEAR(crossings, 440 * 86 * 512 / 44100, 2);
    EXPECT_GT(peak, 0.999f);
    EXPECT_GT(hardware.outputLevel(), 0.9f);
}

TEST(AudioHardware, MutedOutputStillFeedsTheClient)
{
    HalvingClient client;
    AudioHardware hardware;
    ASSERT_TRUE(hardware.open(&client, std::make_unique<ManualBackend>(), "", ""));
    EXPECT_EQ(client.rate, 44100);
    float input[512], output[512];
    std::fill(input, input + 512, 0.8f);
    hardware.handleBlock(input, output, 512);
    EXPECT_EQ(output[100], 0.4f);
    hardware.setMuted(true);
    hardware.handleBlock(input, output, 512);
    EXPECT_EQ(output[100], 0.0f);
    EXPECT_EQ(client.blocks.load(), 2) << "the microphone is still processed while muted";
}

TEST(AudioHardware, NullBackendRunsInRealTime)
{
    HalvingClient client;
    AudioHardware hardware;
    ASSERT_TRUE(hardware.open(&client, std::make_unique<NullAudioBackend>(44100), "", ""));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    hardware.close();
    int blocks = client.blocks.load();
    EXPECT_GE(blocks, 10) << "about 26 blocks in 0.3 s";
    EXPECT_LE(blocks, 40) << "not faster than real time";
    int after = client.blocks.load();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(client.blocks.load(), after) << "no block after close";
}

TEST(AudioHardware, FileBackendPlaysAWavIntoTheClientAndRecordsTheSpeaker)
{
    fs::path in = scratch("in.wav"), out = scratch("out.wav");
    {
        WavWriter writer;
        ASSERT_TRUE(writer.open(in.string(), 22050));
        std::vector<float> tone(22050);
        for (size_t i = 0; i < tone.size(); ++i)
            tone[i] = 0.5f * std::sin(float(i) * 0.05f);
        ASSERT_TRUE(writer.append(tone.data(), int32_t(tone.size())));
        ASSERT_TRUE(writer.finish());
    }
    auto backend = std::make_unique<FileAudioBackend>(44100, false);
    ASSERT_TRUE(backend->setInputFile(in.string()));
    EXPECT_EQ(backend->inputRemaining(), 44100) << "resampled to the stream rate";
    backend->setOutputFile(out.string());
    FileAudioBackend* files = backend.get();
    HalvingClient client;
    AudioHardware hardware;
    ASSERT_TRUE(hardware.open(&client, std::move(backend), "", ""));
    while (files->blocksHandled() < 100)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    hardware.close();

    std::vector<float> recorded;
    int32_t rate = 0;
    ASSERT_TRUE(readWav(out.string(), recorded, rate));
    EXPECT_EQ(rate, 44100);
    ASSERT_GE(recorded.size(), 100u * 512);
    float peak = 0;
    for (size_t i = 0; i < 44100; ++i)
        peak = std::max(peak, std::fabs(recorded[i]));
    EXPECT_NEAR(peak, 0.25f, 0.01f) << "the halved tone";
    EXPECT_EQ(recorded[50000], 0.0f) << "silence after the file";
    fs::remove(in);
    fs::remove(out);
}

TEST(WavFile, DamagedOrUnsupportedFilesAreRefused)
{
    auto header = [](uint32_t dataSize, uint16_t format, uint16_t bits) {
        std::vector<uint8_t> b(44, 0);
        std::memcpy(b.data(), "RIFF", 4);
        std::memcpy(b.data() + 8, "WAVEfmt ", 8);
        b[16] = 16;
        b[20] = uint8_t(format);
        b[22] = 1;
        b[24] = 0x44;
        b[25] = 0xAC; // 44100
        b[34] = uint8_t(bits);
        std::memcpy(b.data() + 36, "data", 4);
        for (int i = 0; i < 4; ++i)
            b[40 + i] = uint8_t(dataSize >> (8 * i));
        return b;
    };
    std::vector<float> samples;
    int32_t rate = 0;
    std::vector<uint8_t> good = header(4, 1, 16);
    good.insert(good.end(), { 0x00, 0x40, 0x00, 0xC0 });
    ASSERT_TRUE(parseWav(good.data(), good.size(), samples, rate));
    EXPECT_EQ(samples, (std::vector<float> { 0.5f, -0.5f }));

    std::vector<uint8_t> truncatedData = good;
    truncatedData.resize(46);
    EXPECT_TRUE(parseWav(truncatedData.data(), truncatedData.size(), samples, rate));
    EXPECT_EQ(samples.size(), 1u) << "a data chunk cut short gives what is there";

    std::vector<uint8_t> hugeFormat = good;
    hugeFormat[16] = 0xFF;
    hugeFormat[17] = 0xFF;
    hugeFormat[18] = 0xFF;
    const std::vector<uint8_t> refused[] = { {}, std::vector<uint8_t>(good.begin(), good.begin() + 20), header(4, 2, 16),
                                             header(4, 1, 12), hugeFormat };
    for (const auto& bytes : refused) {
        std::string why;
        EXPECT_FALSE(parseWav(bytes.data(), bytes.size(), samples, rate, &why));
        EXPECT_FALSE(why.empty());
    }
}

// On a machine with a sound card the stream runs; without one, open fails cleanly.
TEST(AudioHardware, PortAudioOpensOrFailsCleanly)
{
    HalvingClient client;
    AudioHardware hardware;
    bool opened = hardware.open(&client, std::make_unique<PortAudioBackend>(), "no such device", "no such device");
    if (opened) {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        EXPECT_GT(client.blocks.load(), 0);
        EXPECT_GT(hardware.sampleRate(), 0);
    } else {
        EXPECT_FALSE(hardware.isOpen());
        EXPECT_EQ(client.blocks.load(), 0);
    }
    hardware.close();
}

// A device whose rate the audio path cannot follow is refused openly, not run without sound.
TEST(AudioHardware, ARateTheAudioPathRefusesDoesNotOpen)
{
    struct AudioPathClient : IAudioProcessor {
        EngineAudio engine;
        ClientAudio audio { engine };
        bool setAudioRate(int32_t rate) override { return audio.setAudioRate(rate); }
        void processAudio(float* samples, int32_t n) override { audio.processAudio(samples, n); }
    } client;
    AudioHardware hardware;
    testing::internal::CaptureStderr();
    EXPECT_FALSE(hardware.open(&client, std::make_unique<NullAudioBackend>(ClientAudio::MaxRate + 1), "", ""));
    EXPECT_NE(testing::internal::GetCapturedStderr().find("cannot use"), std::string::npos);
    EXPECT_EQ(client.audio.audioRate(), 0);
    EXPECT_TRUE(hardware.open(&client, std::make_unique<NullAudioBackend>(48000), "", ""));
    EXPECT_EQ(client.audio.audioRate(), 48000);
    hardware.close();
}

namespace {

// A sound card that can be pulled out and plugged in again: while it is out it delivers no
// block and cannot be opened, as a USB headset does.
struct PlugSocket {
    std::atomic<bool> present { true };
    std::atomic<int> opens { 0 };
};

class PluggableBackend final : public IAudioBackend, private IAudioBlockHandler {
public:
    explicit PluggableBackend(std::shared_ptr<PlugSocket> socket)
        : m_socket(std::move(socket))
    {
    }
    bool open(const std::string& in, const std::string& out, IAudioBlockHandler& handler) override
    {
        if (!m_socket->present.load())
            return false;
        m_handler = &handler;
        m_socket->opens.fetch_add(1);
        return m_inner.open(in, out, *this);
    }
    int32_t sampleRate() const override { return m_inner.sampleRate(); }
    bool start() override { return m_inner.start(); }
    void stop() override { m_inner.stop(); }
    const char* name() const override { return "pluggable"; }

private:
    void handleBlock(const float* input, float* output, int32_t n) override
    {
        if (m_socket->present.load())
            m_handler->handleBlock(input, output, n);
    }
    std::shared_ptr<PlugSocket> m_socket;
    IAudioBlockHandler* m_handler = nullptr;
    NullAudioBackend m_inner;
};

// Checks the keeper every 50 ms for a while; true once the condition holds.
template<typename Condition> bool checkUntil(AudioStreamKeeper& keeper, Condition done, int ms = 3000)
{
    for (int waited = 0; waited < ms; waited += 50) {
        keeper.check();
        if (done())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
}

} // namespace

// A device pulled out mid-stream is replaced by the null back end, so the client's blocks (its
// clock) keep coming; when the device is back, the stream returns to it.
TEST(AudioStreamKeeper, ADeviceThatGoesAndComesBackKeepsTheClockRunning)
{
    auto socket = std::make_shared<PlugSocket>();
    HalvingClient client;
    AudioHardware hardware;
    AudioStreamKeeper keeper(hardware, &client,
                             [socket](bool) { return std::make_unique<PluggableBackend>(socket); });
    keeper.setTimings(300, 600);
    ASSERT_TRUE(keeper.start());
    EXPECT_FALSE(keeper.onStandIn());
    EXPECT_TRUE(checkUntil(keeper, [&] { return client.blocks.load() > 10; }));

    socket->present = false; // pulled out
    EXPECT_TRUE(checkUntil(keeper, [&] { return keeper.onStandIn(); })) << "the stall was noticed";
    EXPECT_EQ(keeper.status(), "no sound device: running without sound");
    int before = client.blocks.load();
    EXPECT_TRUE(checkUntil(keeper, [&] { return client.blocks.load() > before + 20; })) << "the clock runs on";

    socket->present = true; // plugged in again
    int opens = socket->opens.load();
    EXPECT_TRUE(checkUntil(keeper, [&] { return !keeper.onStandIn(); })) << "the device is used again";
    EXPECT_GT(socket->opens.load(), opens);
    before = client.blocks.load();
    EXPECT_TRUE(checkUntil(keeper, [&] { return client.blocks.load() > before + 10; }));
    EXPECT_FALSE(keeper.onStandIn());
    keeper.stop();
}

TEST(AudioStreamKeeper, WithoutAnyDeviceTheNullBackEndStandsInFromTheStart)
{
    HalvingClient client;
    AudioHardware hardware;
    AudioStreamKeeper keeper(hardware, &client, [](bool) { return std::unique_ptr<IAudioBackend>(); });
    EXPECT_FALSE(keeper.start());
    EXPECT_TRUE(keeper.onStandIn());
    EXPECT_TRUE(checkUntil(keeper, [&] { return client.blocks.load() > 5; }));
    keeper.stop();
}

TEST(AudioBackendChoice, TheEnvironmentNamesTheBackEnd)
{
    struct Case {
        const char* text;
        bool valid;
        AudioBackendChoice::Kind kind;
        const char* microphone;
        const char* speaker;
    };
    using K = AudioBackendChoice::Kind;
    const Case cases[] = {
        { "", true, K::PortAudio, "", "" },
        { "portaudio", true, K::PortAudio, "", "" },
        { "null", true, K::Null, "", "" },
        { "file:in.wav:out.wav", true, K::File, "in.wav", "out.wav" },
        { "file:in.wav", true, K::File, "in.wav", "" },
        { "file::out.wav", true, K::File, "", "out.wav" },
        { "file:", false, K::PortAudio, "", "" },
        { "alsa", false, K::PortAudio, "", "" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        std::string error;
        std::optional<AudioBackendChoice> choice = AudioBackendChoice::parse(c.text, &error);
        ASSERT_EQ(choice.has_value(), c.valid);
        if (!c.valid) {
            EXPECT_FALSE(error.empty());
            continue;
        }
        EXPECT_EQ(choice->kind, c.kind);
        EXPECT_EQ(choice->microphoneFile, c.microphone);
        EXPECT_EQ(choice->speakerFile, c.speaker);
    }
}
