#include "tests/support/ChecksumReference.h"
#include "data/Checksum.h"

#include <benchmark/benchmark.h>
#include <vector>

namespace {

std::vector<uint8_t> bytes(size_t size)
{
    std::vector<uint8_t> data(size);
    for (size_t i = 0; i < size; ++i)
        data[i] = uint8_t(i * 131 + 7);
    return data;
}

void checksum32Table(benchmark::State& state)
{
    auto data = bytes(size_t(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(Zumeli::checksum32(data.data(), data.size()));
    state.SetBytesProcessed(int64_t(state.iterations()) * state.range(0));
}
BENCHMARK(checksum32Table)->Arg(43)->Arg(100 * 1024);

void checksum32BitByBit(benchmark::State& state)
{
    auto data = bytes(size_t(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(checksumBitByBit(data.data(), data.size()));
    state.SetBytesProcessed(int64_t(state.iterations()) * state.range(0));
}
BENCHMARK(checksum32BitByBit)->Arg(43)->Arg(100 * 1024);

} // namespace
