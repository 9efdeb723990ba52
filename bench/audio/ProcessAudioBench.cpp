// processAudio for one 512-frame block at 44100 Hz, while receiving and while talking. The
// "of_period" counter is the time of one block as a fraction of the block's 11.6 ms of audio.
//
// Timings here are noisy; instruction counts are repeatable:
//   valgrind --tool=callgrind build/bench/zumeli_bench --benchmark_min_time=0.05
//       --benchmark_filter='^BM_ProcessAudioReceiving$'   (one command line)
//   callgrind_annotate --inclusive=yes --tree=caller callgrind.out.<pid> | grep -A1 'BM_ProcessAudio'
// gives the instructions spent in ClientAudio::processAudio and its number of calls.

#include "audio/AudioCodec_Gsm.h"
#include "audio/ClientAudio.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <vector>

using namespace Zumeli;

namespace {

const int32_t Rate = 44100;
const int32_t Block = 512;

struct Path {
    Path()
    {
        client.setAudioRate(Rate);
        engine.talk.setCodec(9, AudioCodec_Gsm::Samples);
        speech.resize(Block);
        for (int i = 0; i < Block; ++i)
            speech[size_t(i)] = 0.4f * std::sin(float(i) * 0.07f) + 0.1f * std::sin(float(i) * 0.9f);
        received.resize(100000);
        for (size_t i = 0; i < received.size(); ++i)
            received[i] = 0.3f * std::sin(float(i) * 0.11f);
    }
    EngineAudio engine;
    ClientAudio client { engine };
    std::vector<float> speech;
    std::vector<float> received;
};

void reportPeriod(benchmark::State& state)
{
    double period = double(Block) / Rate;
    state.counters["of_period"] = benchmark::Counter(double(state.iterations()) * period,
        benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_ProcessAudioReceiving(benchmark::State& state)
{
    auto path = std::make_unique<Path>();
    std::vector<float> block(Block);
    for (auto _ : state) {
        if (path->engine.receive.available() < 10000) {
            state.PauseTiming();
            path->engine.receive.writeSamples(path->received.data(), int32_t(path->received.size()));
            state.ResumeTiming();
        }
        std::copy(path->speech.begin(), path->speech.end(), block.begin());
        path->client.processAudio(block.data(), Block);
        benchmark::DoNotOptimize(block.data());
    }
    reportPeriod(state);
}
BENCHMARK(BM_ProcessAudioReceiving);

void BM_ProcessAudioTalking(benchmark::State& state)
{
    auto path = std::make_unique<Path>();
    path->engine.talk.setTalkActive(true);
    path->client.setSidetoneOn(true);
    std::vector<float> block(Block);
    for (auto _ : state) {
        if (path->engine.capture.available() > 300000) {
            // The engine would have encoded and sent it.
            state.PauseTiming();
            path->engine.capture.skipAll();
            state.ResumeTiming();
        }
        std::copy(path->speech.begin(), path->speech.end(), block.begin());
        path->client.processAudio(block.data(), Block);
        benchmark::DoNotOptimize(block.data());
    }
    reportPeriod(state);
}
BENCHMARK(BM_ProcessAudioTalking);

} // namespace
