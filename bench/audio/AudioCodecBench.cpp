// Encoding and decoding speed of each codec. "x_realtime" is seconds of 8000 Hz audio coded per
// second of processor time: how many times faster than real time the codec runs. Instruction
// counts per frame: run one benchmark (e.g. --benchmark_filter='^BM_Encode/9$') under
// valgrind --tool=callgrind and read the codec's inclusive cost and calls with
// callgrind_annotate --inclusive=yes --tree=caller.

#include "audio/AudioCodecFactory.h"

#include <benchmark/benchmark.h>

#include <array>
#include <cmath>
#include <random>
#include <vector>

using namespace Zumeli;

namespace {

// Half a minute of speech-like test audio: two wandering tones and some noise.
const std::vector<float>& testAudio()
{
    static const std::vector<float> audio = [] {
        std::vector<float> v(8000 * 30);
        std::minstd_rand random(3);
        std::uniform_real_distribution<float> noise(-0.05f, 0.05f);
        for (size_t i = 0; i < v.size(); ++i) {
            float t = float(i) / 8000.0f;
            float envelope = 0.5f + 0.5f * std::sin(t * 6.0f);
            v[i] = envelope * (0.3f * std::sin(t * 2 * float(M_PI) * (180 + 40 * std::sin(t))) + 0.15f * std::sin(t * 2 * float(M_PI) * 1200)) + noise(random);
        }
        return v;
    }();
    return audio;
}

void reportRealTime(benchmark::State& state, int64_t samples)
{
    state.counters["x_realtime"] = benchmark::Counter(double(samples) / 8000.0, benchmark::Counter::kIsRate);
}

void BM_Encode(benchmark::State& state)
{
    auto codec = createAudioCodec(int32_t(state.range(0)));
    const std::vector<float>& audio = testAudio();
    AudioBuffer source;
    std::array<uint8_t, 47> packet {};
    int64_t samples = 0;
    for (auto _ : state) {
        int64_t before = source.readCount();
        if (!codec->encode(source, packet)) {
            state.PauseTiming();
            source.writeSamples(audio.data(), int32_t(audio.size()));
            state.ResumeTiming();
            continue;
        }
        samples += source.readCount() - before;
        benchmark::DoNotOptimize(packet.data());
    }
    reportRealTime(state, samples);
}
BENCHMARK(BM_Encode)->Arg(0)->Arg(1)->Arg(8)->Arg(9)->Arg(11);

void BM_Decode(benchmark::State& state)
{
    int32_t number = int32_t(state.range(0));
    auto encoder = createAudioCodec(number);
    auto decoder = createAudioCodec(number);
    const std::vector<float>& audio = testAudio();
    AudioBuffer source, target;
    source.writeSamples(audio.data(), int32_t(8000 * 5));
    std::vector<std::array<uint8_t, 47>> packets;
    std::array<uint8_t, 47> packet {};
    while (encoder->encode(source, packet))
        packets.push_back(packet);
    size_t next = 0;
    for (auto _ : state) {
        if (target.available() > 400000) {
            state.PauseTiming();
            target.skipAll();
            state.ResumeTiming();
        }
        decoder->decode(packets[next], target);
        next = next + 1 == packets.size() ? 0 : next + 1;
    }
    reportRealTime(state, target.writeCount());
}
BENCHMARK(BM_Decode)->Arg(0)->Arg(1)->Arg(8)->Arg(9)->Arg(11);

} // namespace
