#include "audio/SoundFile.h"

#include "audio/AudioResampler.h"

#include <vector>

namespace Zumeli {

bool SoundFile::load(ISoundFileProvider& provider, const std::string& name, int32_t rate)
{
    allocate(0);
    std::vector<uint8_t> bytes;
    if (rate <= 0 || !provider.readSoundFile(name, bytes) || bytes.size() < 2
        || bytes.size() / 2 > size_t(MaxFileSamples))
        return false;
    int32_t count = int32_t(bytes.size() / 2);
    AudioData source;
    source.allocate(count);
    float* samples = source.samples();
    for (int32_t i = 0; i < count; ++i) {
        int16_t value = int16_t(uint16_t(bytes[2 * i]) | uint16_t(bytes[2 * i + 1]) << 8);
        samples[i] = float(value) * (1.0f / 32767.0f);
    }
    int32_t outCount = int32_t(int64_t(rate) * count / FileRate);
    allocate(outCount);
    AudioResampler resampler;
    resampler.init(count, outCount);
    resampler.process(source, *this);
    return outCount > 0;
}

} // namespace Zumeli
