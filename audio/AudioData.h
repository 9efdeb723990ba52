#pragma once

#include <cstdint>

namespace Zumeli {

// A block of mono float samples, nominally -1 to 1. It either owns its samples (allocate) or
// refers to someone else's (wrap), as the audio callback does with the device's block.
// Nothing but allocate/allocateZeroed and copyFrom with resize ever allocates, so a block
// prepared in advance can be used on the audio thread.
class AudioData {
public:
    AudioData() = default;
    virtual ~AudioData();
    AudioData(const AudioData&) = delete;
    AudioData& operator=(const AudioData&) = delete;

    void allocate(int32_t n);
    void allocateZeroed(int32_t n);
    void wrap(float* samples, int32_t n);

    // Callers keep n within the capacity; a larger n is cut to it.
    void setCount(int32_t n);

    // Copies the other block's samples. With resize, a block whose count differs is reallocated
    // to fit; without, the copy is cut to this block's capacity.
    void copyFrom(const AudioData& other, bool resize);

    void clear();
    void scale(float factor);
    void clamp(float limit);
    // Adds the other block sample by sample over this block's count (or the other's, if shorter).
    void add(const AudioData& other);

    // Ramps the gain by 4 / count per sample toward 1 (up) or 0 (down), multiplying each sample
    // by it, so a fade takes a quarter of the block. The gain carries over to the next block.
    void fade(float& gain, bool up);

    float* samples() { return m_samples; }
    const float* samples() const { return m_samples; }
    int32_t count() const { return m_count; }
    int32_t capacity() const { return m_capacity; }
    bool owned() const { return m_owned; }

private:
    void release();

    bool m_owned = false;
    float* m_samples = nullptr;
    int32_t m_count = 0;
    int32_t m_capacity = 0;
};

} // namespace Zumeli
