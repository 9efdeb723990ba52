#pragma once

#include "audio/AudioBuffer.h"

namespace Zumeli {

// A window on the most recent audio (the pre-roll before a talk): writing never waits for a
// reader, and a read copies the latest samples without consuming them.
class AudioBufferTrail : public AudioBuffer {
public:
    void write(const AudioData& block) override;
    // Copies the n samples that end at the write count; false (nothing copied) while the trail
    // holds no more than n samples.
    bool readSamples(float* destination, int32_t n, bool allowPartial) override;
};

} // namespace Zumeli
