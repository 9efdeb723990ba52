// processAudio runs on the sound device's callback thread and must never allocate. This program
// replaces the global allocation operators with counting ones and drives a whole session of
// blocks through it: idle, talk start with pre-roll, talk with sidetone, talk end with frame
// padding, received audio with fades, signals, replay and the discard messages; then the whole
// stream block handler with both spectrum analysers, the file player and the recorder on.

#include "audio/AudioCodec_Gsm.h"
#include "audio/AudioHardware.h"
#include "audio/ClientAudio.h"
#include "audio/PlayerHandler.h"
#include "audio/RecorderHandler.h"
#include "audio/WavFile.h"
#include "tests/audio/ManualBackend.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <new>
#include <unistd.h>
#include <vector>

namespace {
std::atomic<bool> counting { false };
std::atomic<long> allocations { 0 };

void* countedAllocation(size_t size)
{
    if (counting.load(std::memory_order_relaxed))
        allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}
} // namespace

void* operator new(size_t size) { return countedAllocation(size); }
void* operator new[](size_t size) { return countedAllocation(size); }
void* operator new(size_t size, const std::nothrow_t&) noexcept
{
    try {
        return countedAllocation(size);
    } catch (...) {
        return nullptr;
    }
}
void* operator new[](size_t size, const std::nothrow_t& tag) noexcept { return operator new(size, tag); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, size_t) noexcept { std::free(p); }
void operator delete[](void* p, size_t) noexcept { std::free(p); }

using namespace Zumeli;

namespace {

class CountingDelegate : public IClientAudioDelegate {
public:
    void microphoneAudio(const float*, int32_t n) override { samples += n; }
    void receivedAudio(const float*, int32_t n) override { samples += n; }
    long samples = 0;
};

} // namespace

TEST(ProcessAudio, TheCounterSeesAllocations)
{
    allocations = 0;
    counting = true;
    auto* probe = new std::vector<float>(16);
    counting = false;
    delete probe;
    EXPECT_EQ(allocations.load(), 2);
}

TEST(ProcessAudio, AllocatesNothingInAWholeSession)
{
    for (int32_t rate : { 44100, 48000, 8000 }) {
        SCOPED_TRACE(rate);
        EngineAudio engine;
        ClientAudio client(engine);
        ASSERT_TRUE(client.setAudioRate(rate));
        client.setSidetoneOn(true);
        CountingDelegate delegate;
        client.setAudioDelegate(&delegate);
        AudioCodec_Gsm codec;
        engine.talk.setCodec(9, codec.frameSamples());

        std::vector<float> block(512);
        std::vector<float> received(8000);
        for (size_t i = 0; i < received.size(); ++i)
            received[i] = 0.3f * std::sin(float(i) * 0.05f);
        float phase = 0;
        auto microphone = [&] {
            for (float& s : block)
                s = 0.5f * std::sin(phase += 0.03f);
        };

        allocations = 0;
        counting = true;
        for (int call = 0; call < 600; ++call) {
            if (call == 100)
                engine.talk.setTalkActive(true);
            if (call == 200)
                engine.talk.setTalkActive(false);
            if (call == 220) {
                engine.receive.writeSamples(received.data(), int32_t(received.size()));
                client.playAckTalk();
            }
            if (call == 300)
                client.requestReplay();
            if (call == 400) {
                engine.toAudio.post(EngineAudio::DiscardReplay);
                engine.receive.writeSamples(received.data(), int32_t(received.size()));
                engine.toAudio.post(EngineAudio::DiscardReceived);
                client.playEndTalk();
            }
            microphone();
            client.processAudio(block.data(), int32_t(block.size()));
        }
        counting = false;
        EXPECT_EQ(allocations.load(), 0);

        // The session did reach every stage.
        EXPECT_GT(engine.talk.captureEnd(), 0) << "the talk ended";
        EXPECT_EQ(engine.talk.captureEnd() % 160, 0) << "on a whole frame";
        EXPECT_GT(client.replayBuffer().writeCount(), 0) << "audio was received";
        EXPECT_GT(delegate.samples, 0);
        EXPECT_EQ(client.signalBuffer().available(), 0) << "the signals played";
        engine.talk.traceFill();
    }
}

TEST(ProcessAudio, TheBlockHandlerAllocatesNothingWithSpectrumPlayerAndRecorderOn)
{
    const auto folder = std::filesystem::temp_directory_path() / ("zumeli-alloc-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    const std::string music = (folder / "music.wav").string();
    {
        WavWriter writer;
        ASSERT_TRUE(writer.open(music, 44100));
        std::vector<float> tone(30000);
        for (size_t i = 0; i < tone.size(); ++i)
            tone[i] = 0.4f * std::sin(float(i) * 0.06f);
        writer.append(tone.data(), int32_t(tone.size()));
        ASSERT_TRUE(writer.finish());
    }
    for (int32_t rate : { 44100, 48000 }) {
        SCOPED_TRACE(rate);
        EngineAudio engine;
        ClientAudio client(engine);
        AudioCodec_Gsm codec;
        engine.talk.setCodec(9, codec.frameSamples());
        PlayerHandler player;
        ASSERT_TRUE(player.load(music));
        RecorderHandler recorder;
        recorder.setPath((folder / "take.wav").string());
        AudioHardware hardware;
        hardware.setPlayer(&player);
        ASSERT_TRUE(hardware.open(&client, std::make_unique<ManualBackend>(rate), "", ""));
        hardware.setSpectrum(32);
        recorder.setRate(rate);
        testing::internal::CaptureStdout();
        ASSERT_TRUE(recorder.start());
        testing::internal::GetCapturedStdout();
        client.setAudioDelegate(&recorder);
        player.play();

        std::vector<float> microphone(512), speaker(512);
        std::vector<float> received(8000);
        for (size_t i = 0; i < received.size(); ++i)
            received[i] = 0.3f * std::sin(float(i) * 0.05f);
        float phase = 0;
        allocations = 0;
        counting = true;
        for (int call = 0; call < 400; ++call) {
            if (call == 50)
                engine.talk.setTalkActive(true);
            if (call == 150)
                engine.talk.setTalkActive(false);
            if (call == 200)
                engine.receive.writeSamples(received.data(), int32_t(received.size()));
            for (float& s : microphone)
                s = 0.5f * std::sin(phase += 0.03f);
            hardware.handleBlock(microphone.data(), speaker.data(), 512);
        }
        counting = false;
        EXPECT_EQ(allocations.load(), 0);

        // Everything was on: bars lit, the file went round, the recorder got the blocks.
        float lit = 0;
        for (int32_t k = 0; k < 32; ++k)
            lit = std::max(lit, hardware.spectrum().output().bar(k));
        EXPECT_GT(lit, 0.0f);
        EXPECT_TRUE(player.isPlaying());
        EXPECT_GT(engine.talk.captureEnd(), 0);
        recorder.drain();
        EXPECT_GT(recorder.samplesWritten(), 0);
        client.setAudioDelegate(nullptr);
        recorder.stop();
        hardware.close();
    }
    std::filesystem::remove_all(folder);
}
