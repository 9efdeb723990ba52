// The lock-free hand-over between the audio callback and the engine thread, with real threads:
// one thread runs both clients' device blocks (as a sound callback would), another runs the
// engine steps (talk flag, encode, decode, end of talk). Samples must come out in order, each
// once, whatever the interleaving.

#include "audio/AudioCodecFactory.h"
#include "audio/ClientAudio.h"

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <chrono>
#include <cmath>
#include <thread>
#include <vector>

using namespace Zumeli;

TEST(ConcurrentTalk, SamplesCrossTheThreadsInOrderAndOnce)
{
    const int32_t rate = 8000, block = 80, talkBlocks = 400;
    EngineAudio talkerEngine, listenerEngine;
    ClientAudio talker(talkerEngine), listener(listenerEngine);
    talker.setAudioRate(rate);
    listener.setAudioRate(rate);
    auto encoder = createAudioCodec(0); // floats travel exactly
    auto decoder = createAudioCodec(0);
    talkerEngine.talk.setCodec(0, encoder->frameSamples());

    // The callback runs at most one block ahead of the engine, as a real one (paced by the device)
    // would stay behind an engine that keeps up, so the receive buffer never runs dry and nothing
    // is faded in the middle of the talk; the two still run at the same time.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    auto inTime = [&] { return std::chrono::steady_clock::now() < deadline; };
    std::atomic<int> blocksRun { 0 };
    std::atomic<int> stepsDone { 0 };
    std::atomic<bool> stop { false };
    std::vector<float> heard;
    heard.reserve(size_t(block) * 2000);

    std::thread callback([&] {
        std::vector<float> microphone(block), speaker(block);
        int64_t next = 1; // sample k of the talk carries the value k / 1e6
        while (!stop.load()) {
            // Wait until the engine has taken every whole frame captured so far: counting steps
            // is not enough, since a step that ran just before a block was written took nothing.
            while ((stepsDone.load() < blocksRun.load() - 1
                    || talkerEngine.capture.available() >= encoder->frameSamples())
                   && !stop.load() && inTime())
                std::this_thread::yield();
            bool talking = talkerEngine.talk.talkActive();
            for (int i = 0; i < block; ++i)
                microphone[size_t(i)] = talking ? float(double(next + i) / 1e6) : 0.0f;
            if (talking)
                next += block;
            talker.processAudio(microphone.data(), block);
            std::fill(speaker.begin(), speaker.end(), 0.0f);
            listener.processAudio(speaker.data(), block);
            heard.insert(heard.end(), speaker.begin(), speaker.end());
            blocksRun.fetch_add(1);
        }
    });

    // One engine step: send what was captured, deliver it, and end the talk once all is sent.
    auto engineStep = [&] {
        bool ended = false;
        std::array<uint8_t, 47> packet {};
        while (encoder->encode(talkerEngine.capture, packet)) {
            decoder->decode(packet, listenerEngine.receive);
            packet.fill(0);
        }
        int64_t end = talkerEngine.talk.captureEnd();
        if (end >= 0 && talkerEngine.capture.readCount() >= end) {
            talkerEngine.talk.setCaptureEnd(AudioTalkLink::NoCaptureEnd);
            listenerEngine.receive.clearWaiting();
            ended = true;
        }
        stepsDone.fetch_add(1);
        return ended;
    };
    auto stepUntilBlock = [&](int count) {
        while (blocksRun.load() < count && inTime())
            engineStep();
    };

    stepUntilBlock(10);
    talkerEngine.talk.setTalkActive(true);
    stepUntilBlock(blocksRun.load() + talkBlocks);
    talkerEngine.talk.setTalkActive(false);
    bool ended = false;
    while (!ended && inTime())
        ended = engineStep();
    // Let everything play out.
    while (listenerEngine.receive.available() > 0 && inTime())
        engineStep();
    stepUntilBlock(blocksRun.load() + 10);
    stop = true;
    callback.join();
    ASSERT_TRUE(ended) << "the end of the talk was reached";
    EXPECT_EQ(listenerEngine.receive.available(), 0) << "everything received was played";

    std::vector<double> values;
    for (float s : heard)
        if (s != 0)
            values.push_back(double(s) * 1e6);
    ASSERT_GT(values.size(), size_t(block * talkBlocks / 2)) << "most of the talk was heard";
    // Fades scale the first and the last blocks; judge the samples between them.
    int outOfOrder = 0, notASample = 0;
    for (size_t i = size_t(block) + 1; i + 2 * block < values.size(); ++i) {
        outOfOrder += values[i] <= values[i - 1];
        notASample += std::fabs(values[i] - std::round(values[i])) > 0.02;
    }
    EXPECT_EQ(outOfOrder, 0);
    EXPECT_EQ(notASample, 0);
}
