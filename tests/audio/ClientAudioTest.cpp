#include "audio/AudioCodecFactory.h"
#include "audio/AudioCodec_Gsm.h"
#include "audio/ClientAudio.h"
#include "audio/FolderSoundProvider.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <vector>

using namespace Zumeli;

namespace {

// An engine's audio state and a client's audio path at one device rate, driven block by block.
class AudioPath : public ::testing::Test {
protected:
    void open(int32_t rate)
    {
        this->rate = rate;
        ASSERT_TRUE(client.setAudioRate(rate));
    }

    // Runs one block of microphone samples and returns what the speaker gets.
    std::vector<float> run(std::vector<float> block)
    {
        client.processAudio(block.data(), int32_t(block.size()));
        return block;
    }
    std::vector<float> runSilence(int n) { return run(std::vector<float>(size_t(n), 0.0f)); }

    static float peak(const std::vector<float>& v)
    {
        float p = 0;
        for (float s : v)
            p = std::max(p, std::fabs(s));
        return p;
    }

    EngineAudio engine;
    ClientAudio client { engine };
    int32_t rate = 0;
};

class RecordingDelegate : public IClientAudioDelegate {
public:
    void microphoneAudio(const float*, int32_t n) override { microphone += n; }
    void receivedAudio(const float*, int32_t n) override { received += n; }
    int microphone = 0;
    int received = 0;
};

} // namespace

TEST_F(AudioPath, NothingIsProcessedBeforeTheRateIsSet)
{
    std::vector<float> out = run(std::vector<float>(512, 0.5f));
    EXPECT_EQ(peak(out), 0.0f);
    EXPECT_EQ(client.audioClock()->nanoseconds(), 0);
    EXPECT_FALSE(client.setAudioRate(0));
    EXPECT_FALSE(client.setAudioRate(ClientAudio::MaxRate + 1));
}

TEST_F(AudioPath, TalkOpensWithHalfASecondOfPreRollAndEndsOnAWholeFrame)
{
    open(8000);
    AudioCodec_Gsm gsm;
    engine.talk.setCodec(9, gsm.frameSamples());
    // 0.75 s before the key: a ramp whose last half second must open the talk.
    std::vector<float> before(6000);
    for (int i = 0; i < 6000; ++i)
        before[size_t(i)] = float(i) / 10000.0f;
    run(before);
    EXPECT_EQ(engine.capture.writeCount(), 0) << "idle: the microphone only feeds the trail";

    engine.talk.setTalkActive(true);
    run(std::vector<float>(1001, 0.25f));
    EXPECT_EQ(engine.capture.writeCount(), 4000 + 1001);
    std::vector<float> captured(5001);
    ASSERT_TRUE(engine.capture.readSamples(captured.data(), 5001, false));
    for (int i = 0; i < 4000; ++i)
        ASSERT_EQ(captured[size_t(i)], before[size_t(2000 + i)]) << i;
    EXPECT_EQ(captured[4000], 0.25f);

    engine.talk.setTalkActive(false);
    runSilence(80);
    EXPECT_EQ(engine.capture.writeCount(), 5120) << "5001 padded with 119 zeros to 32 frames";
    EXPECT_EQ(engine.talk.captureEnd(), 5120);
    testing::internal::CaptureStdout();
    EXPECT_EQ(engine.talk.traceFill(), 119);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "filling missing buffer data for codec 119\n");
    EXPECT_EQ(engine.talk.traceFill(), 0) << "printed once";
}

TEST_F(AudioPath, EveryCodecGetsAWholeLastFrameAndNoCodecNone)
{
    open(44100);
    // 22050 pre-roll samples become 4000 and each 512-sample block 92 or 93 at 8000 Hz.
    for (int32_t number : { 0, 1, 8, 9, 11, 5 }) {
        SCOPED_TRACE(number);
        auto codec = createAudioCodec(number);
        int32_t frame = codec ? codec->frameSamples() : 0;
        engine.talk.setCodec(number, frame);
        engine.talk.setTalkActive(true);
        runSilence(512);
        int64_t written = engine.capture.writeCount();
        ASSERT_GE(written, 4092);
        ASSERT_LE(written, 4093);
        engine.talk.setTalkActive(false);
        runSilence(512);
        int64_t padded = frame > 0 ? (written + frame - 1) / frame * frame : written;
        EXPECT_EQ(engine.talk.captureEnd(), padded);
        EXPECT_EQ(engine.capture.writeCount(), padded);
        engine.talk.traceFill();
    }
}

TEST_F(AudioPath, CaptureAt44100GoesDownTo8000WithGainAndClamp)
{
    open(44100);
    RecordingDelegate delegate;
    client.setAudioDelegate(&delegate);
    client.setInputGain(4);
    run(std::vector<float>(441, 0.5f));
    EXPECT_EQ(delegate.microphone, 0) << "the recorder hears the microphone only while talking";
    engine.talk.setTalkActive(true);
    run(std::vector<float>(441, 0.5f));
    EXPECT_EQ(delegate.microphone, 22050 + 441) << "pre-roll and block";
    client.setAudioDelegate(nullptr);
    // 22050 samples of pre-roll become 4000, the block 80. The trail held only 441 samples, so
    // the pre-roll is silence.
    EXPECT_EQ(engine.capture.writeCount(), 4080);
    std::vector<float> captured(4080);
    ASSERT_TRUE(engine.capture.readSamples(captured.data(), 4080, false));
    EXPECT_EQ(captured[3999], 0.0f);
    for (int i = 4000; i < 4080; ++i)
        ASSERT_FLOAT_EQ(captured[size_t(i)], 1.0f) << "0.5 x gain 4, clamped to 1";
    EXPECT_GT(engine.captureMeter.level(), 0.0f);
}

TEST_F(AudioPath, ReceivedAudioWaitsForHalfASecondThenFadesInAndPlays)
{
    open(8000);
    RecordingDelegate delegate;
    client.setAudioDelegate(&delegate);
    runSilence(160); // the stream runs before anyone talks: the empty receive buffer starts waiting
    std::vector<float> talk(4000, 0.5f);
    engine.receive.writeSamples(talk.data(), 4000);
    EXPECT_EQ(peak(runSilence(160)), 0.0f) << "4000 samples are not more than the threshold";
    engine.receive.writeSamples(talk.data(), 800);

    std::vector<float> first = runSilence(160);
    EXPECT_NEAR(first[0], 0.5f * 4 / 160, 1e-6f) << "fade in over a quarter block";
    EXPECT_FLOAT_EQ(first[159], 0.5f);
    EXPECT_EQ(delegate.received, 160);
    EXPECT_GT(engine.receiveMeter.level(), 0.0f);
    for (int i = 0; i < 27; ++i)
        EXPECT_FLOAT_EQ(peak(runSilence(160)), 0.5f);
    // The fade out starts once no more than one block is left after the read.
    std::vector<float> fading = runSilence(160);
    EXPECT_FLOAT_EQ(fading[0], 0.5f - 0.5f * 4 / 160);
    EXPECT_EQ(fading[40], 0.0f);
    EXPECT_EQ(peak(runSilence(160)), 0.0f);
    EXPECT_EQ(engine.receive.available(), 0);
    EXPECT_EQ(delegate.received, 30 * 160);
    client.setAudioDelegate(nullptr);
}

TEST_F(AudioPath, DiscardMessagesAndTalkingDropReceivedAudio)
{
    open(8000);
    engine.receive.writeSilence(6000);
    engine.toAudio.post(EngineAudio::DiscardReceived);
    runSilence(160);
    EXPECT_EQ(engine.receive.available(), 0);

    engine.receive.writeSilence(6000);
    engine.talk.setTalkActive(true);
    runSilence(160);
    EXPECT_EQ(engine.receive.available(), 6000 - 160) << "received audio is kept while talking by default";

    client.setDiscardReceivedWhileTalking(true);
    runSilence(160);
    EXPECT_EQ(engine.receive.available(), 0);
}

TEST_F(AudioPath, SidetoneIsHeardOnlyWhileTalking)
{
    open(8000);
    client.setSidetoneOn(true);
    EXPECT_EQ(peak(run(std::vector<float>(160, 0.3f))), 0.0f);
    engine.talk.setTalkActive(true);
    std::vector<float> out = run(std::vector<float>(160, 0.3f));
    EXPECT_FLOAT_EQ(out[0], 0.3f);
    EXPECT_FLOAT_EQ(out[159], 0.3f);
    client.setSidetoneOn(false);
    EXPECT_EQ(peak(run(std::vector<float>(160, 0.3f))), 0.0f);
    engine.talk.setTalkActive(false);
    client.setSidetoneOn(true);
    EXPECT_EQ(peak(run(std::vector<float>(160, 0.3f))), 0.0f);
}

TEST_F(AudioPath, SignalsMixIntoTheOutputAtTheVolume)
{
    open(48000);
    client.setOutputVolume(0.5f);
    client.playStartTalk(); // 2400 samples of a 500 Hz sine at 0.1
    std::vector<float> out = runSilence(1200);
    EXPECT_NEAR(peak(out), 0.05f, 0.001f);
    EXPECT_NEAR(out[24], 0.5f * 0.1f * std::sin(2 * M_PI * 500 * 24 / 48000), 1e-5);
    runSilence(1200);
    EXPECT_EQ(peak(runSilence(1200)), 0.0f) << "played once";
    client.playEndTalk();
    EXPECT_EQ(client.signalBuffer().available(), 4800);
}

TEST_F(AudioPath, ReplayPlaysTheLastReceivedAudioAgain)
{
    open(8000);
    EXPECT_FALSE(client.requestReplay()) << "nothing received yet";
    runSilence(160);
    std::vector<float> talk(4800, 0.5f);
    engine.receive.writeSamples(talk.data(), 4800);
    for (int i = 0; i < 30; ++i)
        runSilence(160);
    EXPECT_EQ(client.replayBuffer().available(), 4800);
    ASSERT_TRUE(client.requestReplay());
    std::vector<float> again = runSilence(160);
    EXPECT_GT(peak(again), 0.4f);
    engine.toAudio.post(EngineAudio::DiscardReplay);
    runSilence(160);
    EXPECT_EQ(client.replayBuffer().available(), 0);
    EXPECT_EQ(peak(runSilence(160)), 0.0f);
    EXPECT_FALSE(client.replayOn());
}

TEST_F(AudioPath, TheAudioClockCountsDeviceSeconds)
{
    open(44100);
    for (int i = 0; i < 100; ++i)
        runSilence(441);
    EXPECT_NEAR(client.audioSeconds(), 1.0f, 1e-4f);
}

TEST_F(AudioPath, SoundFilesLoadFromAFolderAtTheDeviceRate)
{
    std::filesystem::path folder = std::filesystem::temp_directory_path() / ("zumeli_sounds_" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    {
        // 4410 samples (0.1 s at 44100 Hz) of a constant 16384.
        std::ofstream file(folder / "online.raw", std::ios::binary);
        for (int i = 0; i < 4410; ++i)
            file.put(char(0x00)).put(char(0x40));
        std::ofstream odd(folder / "smile_03.raw", std::ios::binary);
        odd.put(char(0x01));
    }
    FolderSoundProvider provider(folder.string());
    client.setSoundProvider(&provider);
    open(48000);
    const AudioData& online = client.sound(ClientAudio::Sound::Online);
    EXPECT_EQ(online.count(), 4800);
    EXPECT_NEAR(online.samples()[4799], 16384.0f / 32767.0f, 1e-6f);
    EXPECT_EQ(client.sound(ClientAudio::Sound::TextMessage).count(), 0) << "missing file: empty sound";
    EXPECT_EQ(client.sound(ClientAudio::Sound(int(ClientAudio::Sound::Smile0) + 3)).count(), 0) << "a one-byte file holds no sample";

    client.playSound(ClientAudio::Sound::Online);
    EXPECT_EQ(client.signalBuffer().available(), 4800);
    client.playSmile(7);
    client.playSmile(-1);
    client.playSound(ClientAudio::Sound::TextMessage);
    EXPECT_EQ(client.signalBuffer().available(), 4800) << "empty or unknown sounds write nothing";

    std::vector<uint8_t> bytes;
    EXPECT_FALSE(provider.readSoundFile("../online.raw", bytes));
    std::filesystem::remove_all(folder);
}

TEST_F(AudioPath, TheShippedSoundsAreShortAudibleCues)
{
    FolderSoundProvider provider(ZUMELI_GENERATED_AUX); // the clips the resource build makes
    client.setSoundProvider(&provider);
    open(44100);
    for (int32_t i = 0; i < ClientAudio::SoundCount; ++i) {
        SCOPED_TRACE(i);
        const AudioData& sound = client.sound(ClientAudio::Sound(i));
        EXPECT_GT(sound.count(), 44100 / 20);
        EXPECT_LT(sound.count(), 44100 * 2);
        float loudest = 0;
        for (int32_t k = 0; k < sound.count(); ++k)
            loudest = std::max(loudest, std::fabs(sound.samples()[k]));
        EXPECT_GT(loudest, 0.1f);
        EXPECT_LT(loudest, 0.5f);
    }
}

// Switches read from the preferences: a missing key leaves discarding received audio while
// talking off (it has no default); the others have theirs.
TEST_F(AudioPath, SwitchesFromThePreferencesAndTheirDefaults)
{
    struct Preferences : IAudioPreferences {
        std::map<std::string, std::string> values;
        std::string value(const std::string& key, const std::string& fallback) const override
        {
            auto found = values.find(key);
            return found == values.end() ? fallback : found->second;
        }
        void setValue(const std::string& key, const std::string& value) override { values[key] = value; }
    } preferences;
    client.setDiscardReceivedWhileTalking(true);
    client.loadSwitches(preferences);
    EXPECT_FALSE(client.discardReceivedWhileTalking());
    EXPECT_TRUE(client.signalsOn());
    EXPECT_FALSE(client.sidetoneOn());
    EXPECT_FALSE(client.messageSoundOn());

    preferences.values = { { "public.flushqueuewhentalk", "1" }, { "public.cbsounds", "0" },
                           { "public.playthru", "1" }, { "public.messagereceivedfeed", "1" } };
    client.loadSwitches(preferences);
    EXPECT_TRUE(client.discardReceivedWhileTalking());
    EXPECT_FALSE(client.signalsOn());
    EXPECT_TRUE(client.sidetoneOn());
    EXPECT_TRUE(client.messageSoundOn());
}
