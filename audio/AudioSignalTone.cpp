#include "audio/AudioSignalTone.h"

#include <cmath>

namespace Zumeli::AudioSignalTone {

void sine(AudioData& block, int32_t rate, float frequency)
{
    int32_t n = rate > 0 ? int32_t(rate * 0.05) : 0;
    block.allocate(n);
    float* samples = block.samples();
    for (int32_t i = 0; i < n; ++i)
        samples[i] = float(Amplitude * std::sin(double(frequency) * 360.0 * i / rate * Radians));
}

} // namespace Zumeli::AudioSignalTone
