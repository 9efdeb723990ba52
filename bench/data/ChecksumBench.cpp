#include "data/Checksum.h"

#include <benchmark/benchmark.h>
#include <vector>

namespace {

// The checksum as its definition reads, one bit at a time: the baseline the table beats.
uint32_t checksumBitByBit(const uint8_t* data, size_t length)
{
    uint32_t value = 0;
    for (size_t i = 0; i < length; ++i) {
        uint32_t byte = data[i];
        for (int bit = 0; bit < 8; ++bit) {
            if ((value ^ byte) & 1u)
                value ^= 0x85C14003u;
            value >>= 1;
            byte >>= 1;
        }
    }
    return value;
}

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
