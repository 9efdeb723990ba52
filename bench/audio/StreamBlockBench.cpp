// The whole stream block handler for one 512-frame block at 44100 Hz with everything the side
// windows add: the client's processing while talking, the file player mixing into what is sent
// and heard, and both spectrum analysers. "of_period" is the time of one block as a fraction of
// the block's 11.6 ms of audio (the goal is under 0.01).
//
//   build/bench/zumeli_bench --benchmark_filter='BM_StreamBlock|BM_Spectrum'

#include "audio/AudioCodec_Gsm.h"
#include "audio/AudioHardware.h"
#include "audio/BandAnalyser.h"
#include "audio/ClientAudio.h"
#include "audio/PlayerHandler.h"
#include "audio/WavFile.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <filesystem>
#include <memory>
#include <unistd.h>
#include <vector>

using namespace Zumeli;

namespace {

const int32_t Rate = 44100;
const int32_t Block = 512;

class BenchBackend : public IAudioBackend {
public:
    bool open(const std::string&, const std::string&, IAudioBlockHandler&) override { return true; }
    int32_t sampleRate() const override { return Rate; }
    bool start() override { return true; }
    void stop() override { }
    const char* name() const override { return "bench"; }
};

void reportPeriod(benchmark::State& state)
{
    double period = double(Block) / Rate;
    state.counters["of_period"] = benchmark::Counter(double(state.iterations()) * period,
        benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

std::vector<float> microphoneBlock()
{
    std::vector<float> v(Block);
    for (int i = 0; i < Block; ++i)
        v[size_t(i)] = 0.4f * std::sin(float(i) * 0.07f) + 0.1f * std::sin(float(i) * 0.9f);
    return v;
}

// Blocks of the stream while the user talks, with a microphone full of speech-like tones.
void runTalkingBlocks(benchmark::State& state, EngineAudio& engine, AudioHardware& hardware)
{
    engine.talk.setTalkActive(true);
    auto microphone = microphoneBlock();
    std::vector<float> speaker(Block);
    for (auto _ : state) {
        if (engine.capture.available() > 300000) {
            state.PauseTiming();
            engine.capture.skipAll(); // the engine would have encoded and sent it
            state.ResumeTiming();
        }
        hardware.handleBlock(microphone.data(), speaker.data(), Block);
        benchmark::DoNotOptimize(speaker.data());
    }
    reportPeriod(state);
    hardware.close();
}

// A 10 s music file for the player, written once and removed when the program ends.
struct MusicFile {
    MusicFile()
    {
        std::vector<float> music(size_t(Rate) * 10);
        for (size_t i = 0; i < music.size(); ++i)
            music[i] = 0.3f * std::sin(float(i) * 0.031f) + 0.2f * std::sin(float(i) * 0.17f);
        WavWriter writer;
        writer.open(path, Rate);
        writer.append(music.data(), int32_t(music.size()));
        writer.finish();
    }
    ~MusicFile() { std::filesystem::remove(path); }
    std::string path = (std::filesystem::temp_directory_path() / ("zumeli-bench-music-" + std::to_string(getpid()) + ".wav")).string();
};

const std::string& musicFile()
{
    static const MusicFile file;
    return file.path;
}

void BM_StreamBlockTalkingWithPlayerAndSpectrum(benchmark::State& state)
{
    auto engine = std::make_unique<EngineAudio>();
    auto client = std::make_unique<ClientAudio>(*engine);
    engine->talk.setCodec(9, AudioCodec_Gsm::Samples);
    PlayerHandler player;
    if (!player.load(musicFile())) {
        state.SkipWithError("cannot write the music file");
        return;
    }
    AudioHardware hardware;
    hardware.setPlayer(&player);
    hardware.open(client.get(), std::make_unique<BenchBackend>(), "", "");
    hardware.setSpectrum(32);
    player.play();
    runTalkingBlocks(state, *engine, hardware);
}
BENCHMARK(BM_StreamBlockTalkingWithPlayerAndSpectrum);

// The same block with the side tools off, to show what they add.
void BM_StreamBlockTalking(benchmark::State& state)
{
    auto engine = std::make_unique<EngineAudio>();
    auto client = std::make_unique<ClientAudio>(*engine);
    engine->talk.setCodec(9, AudioCodec_Gsm::Samples);
    AudioHardware hardware;
    hardware.open(client.get(), std::make_unique<BenchBackend>(), "", "");
    runTalkingBlocks(state, *engine, hardware);
}
BENCHMARK(BM_StreamBlockTalking);

// One analyser on one block: the 512-point transform, the band sums and the bars.
void BM_SpectrumAnalyserBlock(benchmark::State& state)
{
    BandAnalyser analyser;
    analyser.configure(Rate, 32, true, 500, 5000);
    auto block = microphoneBlock();
    for (auto _ : state) {
        analyser.feed(block.data(), Block);
        benchmark::ClobberMemory();
    }
    reportPeriod(state);
}
BENCHMARK(BM_SpectrumAnalyserBlock);

} // namespace
