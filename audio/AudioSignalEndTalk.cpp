#include "audio/AudioSignalEndTalk.h"

#include "audio/AudioSignalTone.h"

#include <cmath>
#include <random>

namespace Zumeli {

void AudioSignalEndTalk::build(int32_t rate)
{
    int32_t n = rate > 0 ? int32_t(rate * 0.1) : 0;
    allocate(n);
    std::minstd_rand random { uint32_t(rate) };
    std::uniform_real_distribution<float> uniform(0.0f, 1.0f);
    float* out = samples();
    for (int32_t i = 0; i < n; ++i) {
        double envelope = std::sin(180.0 * i / n * AudioSignalTone::Radians);
        out[i] = float(uniform(random) * AudioSignalTone::Amplitude * envelope);
    }
}

} // namespace Zumeli
