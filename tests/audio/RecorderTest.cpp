#include "audio/AudioTimeText.h"
#include "audio/RecorderHandler.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace Zumeli;
namespace fs = std::filesystem;

namespace {

class RecorderFolder : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder = fs::temp_directory_path() / ("zumeli-recorder-" + std::to_string(getpid()));
        fs::create_directories(folder);
    }
    void TearDown() override { fs::remove_all(folder); }

    static std::vector<uint8_t> bytesOf(const fs::path& path)
    {
        std::ifstream in(path, std::ios::binary);
        return { std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>() };
    }
    static uint32_t at32(const std::vector<uint8_t>& b, size_t offset)
    {
        return uint32_t(b[offset]) | uint32_t(b[offset + 1]) << 8 | uint32_t(b[offset + 2]) << 16 | uint32_t(b[offset + 3]) << 24;
    }
    static int16_t sampleAt(const std::vector<uint8_t>& b, size_t index)
    {
        return int16_t(uint16_t(b[44 + 2 * index] | b[45 + 2 * index] << 8));
    }

    fs::path folder;
};

} // namespace

TEST_F(RecorderFolder, ASecondOfAudioGivesTheHeaderAndTwoBytesASample)
{
    RecorderHandler recorder;
    recorder.setPath((folder / "Recording.wav").string());
    recorder.microphoneAudio(std::vector<float>(100, 0.5f).data(), 100); // before the start: not kept
    ASSERT_TRUE(recorder.start());
    std::vector<float> block(512);
    for (int32_t done = 0; done < 44100;) {
        int32_t n = std::min<int32_t>(512, 44100 - done);
        for (int32_t i = 0; i < n; ++i)
            block[size_t(i)] = (done + i) % 2 ? 0.5f : -0.5f;
        if (done % 1024 == 0)
            recorder.microphoneAudio(block.data(), n);
        else
            recorder.receivedAudio(block.data(), n);
        done += n;
        if (done % (512 * 8) == 0)
            recorder.drain();
    }
    EXPECT_TRUE(recorder.stop());
    recorder.receivedAudio(block.data(), 512); // after the stop: not kept
    EXPECT_EQ(recorder.samplesWritten(), 44100);
    EXPECT_EQ(recorder.timeText(), "00:00:01.0");

    auto bytes = bytesOf(folder / "Recording.wav");
    ASSERT_EQ(bytes.size(), 44u + 88200u);
    EXPECT_EQ(std::memcmp(bytes.data(), "RIFF", 4), 0);
    EXPECT_EQ(at32(bytes, 4), 36u + 88200u);
    EXPECT_EQ(std::memcmp(bytes.data() + 8, "WAVEfmt ", 8), 0);
    EXPECT_EQ(at32(bytes, 16), 16u);
    EXPECT_EQ(at32(bytes, 20), 1u | 1u << 16) << "PCM, mono";
    EXPECT_EQ(at32(bytes, 24), 44100u);
    EXPECT_EQ(at32(bytes, 28), 88200u);
    EXPECT_EQ(at32(bytes, 32), 2u | 16u << 16);
    EXPECT_EQ(std::memcmp(bytes.data() + 36, "data", 4), 0);
    EXPECT_EQ(at32(bytes, 40), 88200u);
    // × 32767 toward zero: ±0.5 is ±16383.
    EXPECT_EQ(sampleAt(bytes, 0), -16383);
    EXPECT_EQ(sampleAt(bytes, 1), 16383);
    EXPECT_EQ(sampleAt(bytes, 44099), 16383);
}

TEST_F(RecorderFolder, LaterRecordingsOfARunGetTheirNumberBeforeTheExtension)
{
    RecorderHandler recorder;
    EXPECT_EQ(recorder.nextFileName(), "recording_1");
    const std::string chosen = (folder / "Recording.wav").string();
    recorder.setPath(chosen);
    std::vector<std::string> names;
    testing::internal::CaptureStdout();
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(recorder.start());
        names.push_back(recorder.fileName());
        recorder.stop();
    }
    std::string trace = testing::internal::GetCapturedStdout();
    EXPECT_EQ(names[0], chosen);
    EXPECT_EQ(names[1], (folder / "Recording_1.wav").string());
    EXPECT_EQ(names[2], (folder / "Recording_2.wav").string());
    EXPECT_EQ(trace, "Opening write file " + names[0] + "\nOpening write file " + names[1] + "\nOpening write file " + names[2] + "\n");
    for (const auto& name : names)
        EXPECT_EQ(fs::file_size(name), 44u) << name;

    // A name without an extension (and a dot only in the folder) gets ".wav" added.
    fs::create_directories(folder / "take.2");
    recorder.setPath((folder / "take.2" / "talks").string());
    EXPECT_EQ(recorder.nextFileName(), (folder / "take.2" / "talks_3.wav").string());
}

TEST_F(RecorderFolder, TheHeaderCarriesTheStreamRate)
{
    RecorderHandler recorder;
    recorder.setPath((folder / "fast.wav").string());
    recorder.setRate(48000);
    ASSERT_TRUE(recorder.start());
    std::vector<float> block(4800, 0.1f);
    recorder.receivedAudio(block.data(), 4800);
    recorder.stop();
    auto bytes = bytesOf(folder / "fast.wav");
    EXPECT_EQ(at32(bytes, 24), 48000u);
    EXPECT_EQ(at32(bytes, 28), 96000u);
    EXPECT_EQ(recorder.timeText(), "00:00:00.1");
}

TEST_F(RecorderFolder, AFullRingDropsTheNewestSamplesAndKeepsTheOrder)
{
    RecorderHandler recorder;
    recorder.setPath((folder / "full.wav").string());
    ASSERT_TRUE(recorder.start());
    std::vector<float> block(1000);
    int32_t value = 0;
    for (int i = 0; i < 221; ++i) { // 221000 samples, 500 more than the ring holds
        for (float& s : block)
            s = float(value++ % 30000) / 32767.0f;
        recorder.microphoneAudio(block.data(), 1000);
    }
    EXPECT_EQ(recorder.samplesDropped(), 500);
    recorder.stop();
    auto bytes = bytesOf(folder / "full.wav");
    ASSERT_EQ(bytes.size(), 44u + 2u * RecorderHandler::RingSamples);
    for (size_t i = 0; i < size_t(RecorderHandler::RingSamples); ++i)
        ASSERT_NEAR(sampleAt(bytes, i), int(i % 30000), 1) << i;
}

// One stream thread appends numbered samples while the user interface thread drains every few
// milliseconds and finally stops: the file holds an unbroken prefix of the numbers.
TEST_F(RecorderFolder, DrainingWhileTheStreamRecordsLosesAndReordersNothing)
{
    RecorderHandler recorder;
    recorder.setPath((folder / "live.wav").string());
    ASSERT_TRUE(recorder.start());
    std::atomic<bool> running { true };
    std::thread stream([&] {
        std::vector<float> block(512);
        int32_t value = 0;
        unsigned seed = 5;
        while (running.load()) {
            seed = seed * 1103515245u + 12345u;
            auto n = int32_t(1 + (seed >> 16) % 512);
            for (int32_t i = 0; i < n; ++i)
                block[size_t(i)] = float(value++ % 20000) / 32767.0f;
            recorder.receivedAudio(block.data(), n);
            std::this_thread::sleep_for(std::chrono::microseconds(100));
        }
    });
    for (int i = 0; i < 40; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        recorder.drain();
    }
    recorder.stop();
    running = false;
    stream.join();
    EXPECT_EQ(recorder.samplesDropped(), 0);
    auto bytes = bytesOf(folder / "live.wav");
    const size_t count = (bytes.size() - 44) / 2;
    ASSERT_GT(count, 1000u);
    EXPECT_EQ(at32(bytes, 40), 2 * count);
    for (size_t i = 0; i < count; ++i)
        ASSERT_NEAR(sampleAt(bytes, i), int(i % 20000), 1) << i;
}

TEST_F(RecorderFolder, AFileThatCannotBeCreatedRecordsNothing)
{
    RecorderHandler recorder;
    recorder.setPath((folder / "no-such-folder" / "x.wav").string());
    testing::internal::CaptureStdout();
    EXPECT_FALSE(recorder.start());
    testing::internal::GetCapturedStdout();
    EXPECT_FALSE(recorder.recording());
    recorder.microphoneAudio(std::vector<float>(10, 0.1f).data(), 10);
    recorder.drain();
    EXPECT_FALSE(recorder.stop());
    EXPECT_EQ(recorder.samplesWritten(), 0);
}

TEST(AudioTimeText, HoursMinutesSecondsAndTenths)
{
    struct Case {
        int64_t samples;
        int32_t rate;
        const char* text;
    };
    for (Case c : { Case { 0, 44100, "00:00:00.0" }, Case { 4409, 44100, "00:00:00.0" }, Case { 4410, 44100, "00:00:00.1" },
                    Case { 44100LL * 3723 + 22050, 44100, "01:02:03.5" }, Case { 48000 * 61, 48000, "00:01:01.0" },
                    Case { 100, 0, "00:00:00.0" } })
        EXPECT_EQ(audioTimeText(c.samples, c.rate), c.text) << c.samples;
}
