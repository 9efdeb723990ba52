// Arbitrary bytes as a stream of received 47-byte audio packets for one codec's decode
// (ZUMELI_FUZZ_CODEC names it). A decoder must never read past the payload, never append more
// than one packet's worth of samples, and never produce a sample that is not a finite number
// (nor, except for the plain float codec, one outside -1 to 1).

#include "audio/AudioCodecFactory.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#ifndef ZUMELI_FUZZ_CODEC
#error "ZUMELI_FUZZ_CODEC must name the codec number"
#endif

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace Zumeli;
    static std::unique_ptr<AudioCodec> codec = createAudioCodec(ZUMELI_FUZZ_CODEC);
    static AudioBuffer target;
    static std::vector<float> out(AudioBuffer::Capacity);
    if (!codec)
        std::abort();

    for (size_t at = 0; at < size; at += 47) {
        std::array<uint8_t, 47> packet {};
        std::memcpy(packet.data(), data + at, std::min<size_t>(47, size - at));
        int64_t before = target.writeCount();
        codec->decode(packet, target);
        int64_t added = target.writeCount() - before;
        if (added < 0 || added > 2 * 160)
            std::abort();
    }

    int32_t pending = int32_t(target.available());
    if (pending > 0) {
        target.readSamples(out.data(), pending, true);
        for (int32_t i = 0; i < pending; ++i) {
            float s = out[size_t(i)];
            if (!std::isfinite(s))
                std::abort();
            if (ZUMELI_FUZZ_CODEC != 0 && std::fabs(s) > 1.0001f)
                std::abort();
        }
    }
    return 0;
}
