#include "audio/AudioFilePlayer.h"
#include "audio/AudioHardware.h"
#include "audio/ClientAudio.h"
#include "audio/PlayerHandler.h"
#include "audio/TimedPlayback.h"
#include "tests/audio/ManualBackend.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace Zumeli;
namespace fs = std::filesystem;

namespace {

struct Format {
    uint16_t format = 1;
    uint16_t channels = 1;
    uint32_t rate = 44100;
    uint16_t bits = 16;
    uint32_t bytesPerSecond = 0; // 0: what the other fields say
    uint32_t fmtSize = 16;
    bool listChunkFirst = false;
};

void put(std::vector<uint8_t>& out, uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(uint8_t(value >> (8 * i)));
}
void put(std::vector<uint8_t>& out, const char* id)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(uint8_t(id[i]));
}

// A RIFF WAVE file holding the given interleaved 16-bit samples.
std::vector<uint8_t> wavBytes(const Format& f, const std::vector<int16_t>& samples)
{
    std::vector<uint8_t> body;
    put(body, "WAVE");
    if (f.listChunkFirst) {
        put(body, "LIST");
        put(body, 6, 4);
        put(body, "INFO");
        body.push_back('a'); // an odd-looking size: chunks are skipped by their size alone
        body.push_back('b');
    }
    put(body, "fmt ");
    put(body, f.fmtSize, 4);
    put(body, f.format, 2);
    put(body, f.channels, 2);
    put(body, f.rate, 4);
    put(body, f.bytesPerSecond ? f.bytesPerSecond : f.rate * f.channels * f.bits / 8, 4);
    put(body, uint32_t(f.channels * f.bits / 8), 2);
    put(body, f.bits, 2);
    for (uint32_t i = 16; i < f.fmtSize; ++i)
        body.push_back(0); // the extension size and its zero bytes
    put(body, "data");
    put(body, uint32_t(samples.size() * 2), 4);
    for (int16_t s : samples)
        put(body, uint16_t(s), 2);
    std::vector<uint8_t> file;
    put(file, "RIFF");
    put(file, uint32_t(body.size()), 4);
    file.insert(file.end(), body.begin(), body.end());
    return file;
}

std::vector<int16_t> ramp(int n)
{
    std::vector<int16_t> v(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i)
        v[size_t(i)] = int16_t(i % 30000);
    return v;
}

fs::path scratch(const std::string& name) { return fs::temp_directory_path() / ("zumeli-player-" + std::to_string(getpid()) + name); }

fs::path writeFile(const std::string& name, const std::vector<uint8_t>& bytes)
{
    fs::path path = scratch(name);
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return path;
}

// A mono file of a sine, ready for a player.
fs::path sineFile(const std::string& name, int n, double frequency, double amplitude)
{
    std::vector<int16_t> v(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i)
        v[size_t(i)] = int16_t(std::lround(amplitude * 32767 * std::sin(2 * std::numbers::pi * frequency * i / 44100)));
    return writeFile(name, wavBytes({}, v));
}

} // namespace

TEST(AudioFilePlayer, OnlyA44100Hertz16BitPcmFileWithOneOrTwoChannelsLoads)
{
    struct Case {
        const char* what;
        Format format;
        bool loads;
    };
    Format wrongRate;
    wrongRate.rate = 48000;
    Format eightBit;
    eightBit.bits = 8;
    Format floatSamples;
    floatSamples.format = 3;
    Format threeChannels;
    threeChannels.channels = 3;
    Format wrongByteRate;
    wrongByteRate.bytesPerSecond = 44100;
    Format extended;
    extended.fmtSize = 18;
    extended.listChunkFirst = true;
    const Case cases[] = {
        { "mono", {}, true },
        { "48000 Hz", wrongRate, false },
        { "8-bit", eightBit, false },
        { "float", floatSamples, false },
        { "three channels", threeChannels, false },
        { "bytes per second not channels x 88200", wrongByteRate, false },
        { "18-byte fmt chunk after a LIST chunk", extended, true },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        AudioFilePlayer file;
        auto bytes = wavBytes(c.format, ramp(1000));
        EXPECT_EQ(file.parse(bytes.data(), bytes.size()), c.loads);
        EXPECT_EQ(file.loaded(), c.loads);
        if (c.loads) {
            ASSERT_EQ(file.count(), 1000);
            EXPECT_EQ(file.samples(), ramp(1000));
        } else {
            EXPECT_EQ(file.count(), 0);
        }
    }
    EXPECT_STREQ(AudioFilePlayer::LoadFailedMessage, "Cannot load. Use 44100KHz 16Bit WAV audio files.");
}

TEST(AudioFilePlayer, StereoIsMixedDownToHalfAsManyMonoSamples)
{
    Format stereo;
    stereo.channels = 2;
    // Frames (left, right): the mean rounds toward zero.
    std::vector<int16_t> interleaved = { 100, 300, -3, 0, 32767, 32767, -32768, -32768, 7, -8 };
    auto bytes = wavBytes(stereo, interleaved);
    AudioFilePlayer file;
    ASSERT_TRUE(file.parse(bytes.data(), bytes.size()));
    EXPECT_EQ(file.channels(), 2);
    EXPECT_EQ(file.samples(), (std::vector<int16_t> { 200, -1, 32767, -32768, 0 }));
}

TEST(AudioFilePlayer, DamagedFilesNeverReadPastTheirBytes)
{
    auto good = wavBytes({}, ramp(100));
    AudioFilePlayer file;
    // Cut anywhere: either refused or the samples that are there, never more.
    for (size_t cut = 0; cut < good.size(); ++cut) {
        std::vector<uint8_t> part(good.begin(), good.begin() + std::ptrdiff_t(cut));
        bool loaded = file.parse(part.data(), part.size());
        EXPECT_EQ(loaded, cut >= 46) << cut;
        if (loaded) {
            EXPECT_EQ(file.count(), int32_t((cut - 44) / 2)) << cut;
        }
    }
    // A data chunk before the format, an empty data chunk, no RIFF mark, a huge chunk size.
    auto dataFirst = good;
    std::vector<uint8_t> moved(dataFirst.begin() + 36, dataFirst.end());
    dataFirst.erase(dataFirst.begin() + 36, dataFirst.end());
    dataFirst.insert(dataFirst.begin() + 12, moved.begin(), moved.end());
    EXPECT_FALSE(file.parse(dataFirst.data(), dataFirst.size())) << "data before a valid format";
    auto empty = wavBytes({}, {});
    EXPECT_FALSE(file.parse(empty.data(), empty.size()));
    auto notWave = good;
    std::memcpy(notWave.data() + 8, "AVI ", 4);
    EXPECT_FALSE(file.parse(notWave.data(), notWave.size()));
    auto huge = good;
    huge[16] = huge[17] = huge[18] = huge[19] = 0xFF; // fmt chunk size 4 GiB
    EXPECT_FALSE(file.parse(huge.data(), huge.size()));
    EXPECT_FALSE(file.parse(nullptr, 0));
    // RIFF inside RIFF a million times: skipped as an unknown chunk, not followed.
    std::vector<uint8_t> nested;
    for (int i = 0; i < 1000000; ++i) {
        put(nested, "RIFF");
        put(nested, uint32_t(12 * (1000000 - i) - 8), 4);
        put(nested, "WAVE");
    }
    EXPECT_FALSE(file.parse(nested.data(), nested.size()));
    EXPECT_FALSE(file.load(scratch("-missing.wav").string()));
}

namespace {

// Runs the player's two stages around a stand-in for the client's processing.
struct Block {
    std::vector<float> in;
    std::vector<float> out;
};
Block runStages(PlayerHandler& player, std::vector<float> microphone)
{
    auto n = int32_t(microphone.size());
    player.mixIntoInput(microphone.data(), n);
    Block b { microphone, std::vector<float>(size_t(n), 0.0f) };
    player.mixIntoOutput(b.out.data(), n);
    return b;
}

} // namespace

TEST(PlayerHandler, MixesTheFileIntoWhatIsSentAndHeardWithTheCurrentSet)
{
    auto path = writeFile("-mix.wav", wavBytes({}, std::vector<int16_t>(2000, 16384)));
    PlayerHandler player;
    ASSERT_TRUE(player.load(path.string()));
    const float file = 16384.0f / 32767.0f;
    player.setMix(PlayerHandler::KeyUpSet, { 0.5f, 0.25f, 1.0f });
    player.setMix(PlayerHandler::KeyDownSet, { 1.0f, 0.0f, 0.0f });

    Block idle = runStages(player, std::vector<float>(8, 0.1f));
    EXPECT_EQ(idle.in, std::vector<float>(8, 0.1f)) << "not playing: the microphone passes untouched";
    EXPECT_EQ(idle.out, std::vector<float>(8, 0.0f));

    player.play();
    EXPECT_TRUE(player.isPlaying());
    Block up = runStages(player, std::vector<float>(8, 0.1f));
    EXPECT_FLOAT_EQ(up.in[0], 0.5f * file + 0.1f);
    EXPECT_FLOAT_EQ(up.out[0], 0.25f * file);

    player.toggleSet();
    EXPECT_EQ(player.currentSet(), PlayerHandler::KeyDownSet);
    Block down = runStages(player, std::vector<float>(8, 0.1f));
    EXPECT_FLOAT_EQ(down.in[0], file) << "set 1: file only, microphone off";
    EXPECT_FLOAT_EQ(down.out[0], 0.0f);
    EXPECT_EQ(player.position(), 16);

    // File samples are held within ±0.9.
    auto loudPath = writeFile("-loud.wav", wavBytes({}, std::vector<int16_t>(100, -32768)));
    ASSERT_TRUE(player.load(loudPath.string()));
    player.play();
    EXPECT_FLOAT_EQ(runStages(player, std::vector<float>(4, 0.0f)).in[0], -0.9f);
    fs::remove(path);
    fs::remove(loudPath);
}

TEST(PlayerHandler, WithoutLoopPlaybackStopsAtTheEndAndTheRestOfTheBlockGetsNoFile)
{
    auto path = writeFile("-end.wav", wavBytes({}, std::vector<int16_t>(700, 32767)));
    PlayerHandler player;
    ASSERT_TRUE(player.load(path.string()));
    player.setMix(PlayerHandler::KeyUpSet, { 1, 1, 1 });
    player.setLoop(false);
    player.play();
    Block first = runStages(player, std::vector<float>(512, 0.0f));
    EXPECT_FLOAT_EQ(first.in[511], 0.9f);
    Block second = runStages(player, std::vector<float>(512, 0.0f));
    EXPECT_FLOAT_EQ(second.in[187], 0.9f) << "the file's last sample";
    for (size_t i = 188; i < 512; ++i)
        ASSERT_EQ(second.in[i], 0.0f) << i;
    EXPECT_FALSE(player.isPlaying());
    EXPECT_EQ(runStages(player, std::vector<float>(4, 0.2f)).in[0], 0.2f);

    // Play again starts over; with loop on the file wraps inside a block.
    player.setLoop(true);
    player.play();
    EXPECT_EQ(player.position(), 0);
    runStages(player, std::vector<float>(512, 0.0f));
    Block wrapped = runStages(player, std::vector<float>(512, 0.0f));
    for (size_t i = 0; i < 512; ++i)
        ASSERT_FLOAT_EQ(wrapped.in[i], 0.9f) << i;
    EXPECT_EQ(player.position(), 1024 - 700);
    EXPECT_TRUE(player.isPlaying());
    fs::remove(path);
}

TEST(PlayerHandler, SeekRewindAndTheTimeDisplay)
{
    auto path = writeFile("-seek.wav", wavBytes({}, ramp(88200)));
    PlayerHandler player;
    ASSERT_TRUE(player.load(path.string()));
    EXPECT_EQ(player.timeText(), "00:00:00.0");
    player.seekSlider(500);
    EXPECT_EQ(player.position(), 44100);
    EXPECT_EQ(player.timeText(), "00:00:01.0");
    player.seek(1 << 30);
    EXPECT_EQ(player.position(), 88200) << "clamped to the file";

    // While playing, the next block moves to the requested place.
    player.setMix(PlayerHandler::KeyUpSet, { 1, 0, 0 });
    player.rewind();
    player.play();
    player.seek(1000);
    Block b = runStages(player, std::vector<float>(4, 0.0f));
    EXPECT_FLOAT_EQ(b.in[0], 1000.0f / 32767.0f);
    player.rewind();
    b = runStages(player, std::vector<float>(4, 0.0f));
    EXPECT_FLOAT_EQ(b.in[1], 1.0f / 32767.0f);
    player.stop();
    EXPECT_EQ(player.position(), 4) << "stop keeps the position";
    fs::remove(path);
}

TEST(PlayerHandler, StopWithoutAStreamReturnsAtOnceAndWithOneNoBlockUsesTheFileAfterwards)
{
    auto path = writeFile("-stop.wav", wavBytes({}, std::vector<int16_t>(44100, 16384)));
    PlayerHandler player;
    ASSERT_TRUE(player.load(path.string()));
    player.play();
    player.stop(); // nothing runs the stages: no one to acknowledge, so it must not wait
    EXPECT_FALSE(player.isPlaying());

    // A stream thread whose client takes a while between the stages. The phase is odd from the
    // moment stop() has returned until just before the next play(); a block that ran wholly
    // inside one odd phase must not have mixed the file in.
    std::atomic<bool> running { true };
    std::atomic<int> phase { 0 };
    std::atomic<int> lateMixes { 0 };
    std::atomic<long> blocks { 0 };
    std::thread stream([&] {
        std::vector<float> block(512);
        while (running.load()) {
            int before = phase.load();
            std::fill(block.begin(), block.end(), 0.0f);
            player.mixIntoInput(block.data(), 512);
            std::this_thread::sleep_for(std::chrono::microseconds(200));
            player.mixIntoOutput(block.data(), 512);
            if (before % 2 == 1 && phase.load() == before && block[0] != 0.0f)
                lateMixes.fetch_add(1);
            blocks.fetch_add(1);
        }
    });
    auto waitBlocks = [&](long count) {
        long seen = blocks.load();
        while (blocks.load() < seen + count)
            std::this_thread::yield();
    };
    for (int round = 0; round < 30; ++round) {
        player.play();
        waitBlocks(2);
        player.stop();
        phase.fetch_add(1);
        waitBlocks(3);
        phase.fetch_add(1);
    }
    running = false;
    stream.join();
    EXPECT_EQ(lateMixes.load(), 0);
    // Loading another file while the stream runs is just as safe: load stops first.
    EXPECT_TRUE(player.load(path.string()));
    fs::remove(path);
}

TEST(PlayerHandler, AtAnotherStreamRateTheFileIsResampledAndKeepsItsSpeed)
{
    // One second of 1000 Hz: at 48000 Hz it must still be one second of 1000 Hz.
    auto path = sineFile("-rate.wav", 44100, 1000, 0.5);
    PlayerHandler player;
    ASSERT_TRUE(player.load(path.string()));
    player.setMix(PlayerHandler::KeyUpSet, { 1, 0, 0 });
    player.seek(22050);
    player.setStreamRate(48000);
    EXPECT_EQ(player.length(), 48000);
    EXPECT_EQ(player.position(), 24000) << "the place in the file is kept";
    EXPECT_EQ(player.timeText(), "00:00:00.5");
    player.rewind();
    player.setLoop(false);
    player.play();
    std::vector<float> played;
    while (player.isPlaying()) {
        Block b = runStages(player, std::vector<float>(512, 0.0f));
        played.insert(played.end(), b.in.begin(), b.in.end());
    }
    played.resize(48000);
    int crossings = 0;
    for (size_t i = 1; i < played.size(); ++i)
        crossings += (played[i - 1] < 0) != (played[i] < 0);
    EXPECT_NEAR(crossings, 2000, 2) << "1000 Hz, not 1088 Hz";
    float peak = 0;
    for (float s : played)
        peak = std::max(peak, std::fabs(s));
    EXPECT_NEAR(peak, 0.5f, 0.01f);

    // Down to 8000 Hz and a file loaded afterwards follows the rate too.
    player.setStreamRate(8000);
    EXPECT_EQ(player.length(), 8000);
    ASSERT_TRUE(player.load(path.string()));
    EXPECT_EQ(player.length(), 8000);
    fs::remove(path);
}

namespace {

// Share of a signal's energy at one frequency (Goertzel), 0 to 1.
double toneShare(const std::vector<float>& v, double frequency, int32_t rate)
{
    double re = 0, im = 0, energy = 0;
    for (size_t i = 0; i < v.size(); ++i) {
        double angle = 2 * std::numbers::pi * frequency * double(i) / rate;
        re += v[i] * std::cos(angle);
        im -= v[i] * std::sin(angle);
        energy += double(v[i]) * v[i];
    }
    return energy > 0 ? 2 * (re * re + im * im) / (double(v.size()) * energy) : 0;
}

} // namespace

// A file played while the user talks is what the engine gets to send: the stream runs the
// player's first stage before the client's processing, which takes the mix to the 8000 Hz
// capture buffer; the second stage adds the file to what the speaker plays.
TEST(PlayerHandler, AFilePlayedIntoATalkReachesTheCaptureBuffer)
{
    for (int32_t rate : { 44100, 48000 }) {
        SCOPED_TRACE(rate);
        auto path = sineFile("-talk.wav", 44100 * 2, 440, 0.5);
        EngineAudio engine;
        ClientAudio client(engine);
        AudioHardware hardware;
        PlayerHandler player;
        ASSERT_TRUE(player.load(path.string()));
        player.setMix(PlayerHandler::KeyUpSet, { 1, 0.5f, 0 });
        hardware.setPlayer(&player);
        ASSERT_TRUE(hardware.open(&client, std::make_unique<ManualBackend>(rate), "", ""));
        EXPECT_EQ(player.streamRate(), rate) << "the stream told the player its rate";

        engine.talk.setTalkActive(true);
        player.play();
        std::vector<float> microphone(512, 0.0f), speaker(512);
        double speakerPeak = 0;
        for (int i = 0; i < rate / 512; ++i) { // one second
            hardware.handleBlock(microphone.data(), speaker.data(), 512);
            for (float s : speaker)
                speakerPeak = std::max(speakerPeak, double(std::fabs(s)));
        }
        EXPECT_NEAR(speakerPeak, 0.25, 0.02) << "heard at the hear level";

        // Past the half second of pre-roll the capture buffer holds the tone at 8000 Hz.
        const int64_t captured = engine.capture.available();
        ASSERT_GT(captured, 4000 + 6000);
        std::vector<float> network(static_cast<size_t>(captured));
        ASSERT_TRUE(engine.capture.readSamples(network.data(), int32_t(captured), false));
        std::vector<float> talk(network.begin() + 4000 + 400, network.end());
        EXPECT_GT(toneShare(talk, 440, 8000), 0.95);
        float peak = 0;
        for (float s : talk)
            peak = std::max(peak, std::fabs(s));
        EXPECT_NEAR(peak, 0.5f, 0.05f);

        // Stopped, the microphone (silence here) is all that is sent.
        player.stop();
        for (int i = 0; i < 20; ++i)
            hardware.handleBlock(microphone.data(), speaker.data(), 512);
        std::vector<float> after(size_t(engine.capture.available()));
        ASSERT_GT(after.size(), 0u);
        ASSERT_TRUE(engine.capture.readSamples(after.data(), int32_t(after.size()), false));
        EXPECT_LT(std::fabs(after.back()), 1e-6f);
        hardware.setPlayer(nullptr);
        hardware.close();
        fs::remove(path);
    }
}

TEST(TimedPlayback, TheFileIsDueAtOnceThenEveryIntervalOnAFixedGrid)
{
    TimedPlayback timer;
    EXPECT_FALSE(timer.due(0)) << "not started";
    EXPECT_EQ(timer.timeToEventText(0), "Time to event: 00:00:00");
    timer.setIntervalMinutes(TimedPlayback::minutesFromText("60"));
    timer.start(1000);
    EXPECT_TRUE(timer.due(1000.05));
    EXPECT_FALSE(timer.due(1000.1)) << "once per event";
    EXPECT_EQ(timer.timeToEventText(1000.1), "Time to event: 01:00:00");
    EXPECT_EQ(timer.timeToEventText(1000 + 3600 - 61.5), "Time to event: 00:01:02");
    EXPECT_FALSE(timer.due(4599.9));
    EXPECT_TRUE(timer.due(4600.3)) << "an hour after the first event";
    // Asked late, after three missed intervals: one event, and the next stays on the grid.
    EXPECT_TRUE(timer.due(4600 + 3 * 3600 + 10));
    EXPECT_FALSE(timer.due(4600 + 3 * 3600 + 20));
    EXPECT_EQ(timer.secondsToEvent(4600 + 3 * 3600 + 20), 3600 - 20);
    timer.stop();
    EXPECT_FALSE(timer.due(1e9));
}

TEST(TimedPlayback, TheIntervalFieldTakesWholeMinutes)
{
    struct Case {
        const char* text;
        int32_t minutes;
    };
    for (Case c : { Case { "60", 60 }, Case { "5", 5 }, Case { "5 ", 5 }, Case { "", 60 }, Case { "0", 60 }, Case { "-3", 60 },
                    Case { "12abc", 60 }, Case { "99999999999", 60 }, Case { "10080", 10080 }, Case { "10081", 60 } })
        EXPECT_EQ(TimedPlayback::minutesFromText(c.text), c.minutes) << c.text;
}
