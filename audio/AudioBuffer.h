#pragma once

#include "audio/AudioData.h"

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

namespace Zumeli {

// A ring of 441000 float samples (10 s at 44100 Hz) with one producer and one consumer and no
// lock. Sample k lives at index k % capacity. The producer copies samples in, then publishes
// them by advancing the write count (release); the consumer reads after seeing it (acquire) and
// frees them by advancing the read count. The exceptions are skipAll and reset, which the audio
// callback alone performs on the buffers it consumes (receive) or fills (capture).
// Counts are 64-bit so that they never wrap in a program's lifetime, whatever the rate.
// Nothing here allocates after construction, so the callback may use every operation.
class AudioBuffer {
public:
    static constexpr int32_t Capacity = 441000;

    AudioBuffer();
    virtual ~AudioBuffer();
    AudioBuffer(const AudioBuffer&) = delete;
    AudioBuffer& operator=(const AudioBuffer&) = delete;

    virtual void write(const AudioData& block);
    // Appends n samples; when n + available >= capacity the whole block is dropped (false).
    virtual bool writeSamples(const float* samples, int32_t n);
    // Reads the block's count samples (see readSamples).
    virtual bool read(AudioData& block, bool allowPartial);
    // True when n samples were copied. With fewer available, and partial reads allowed or the end
    // marked: copies what there is, zero-fills the rest, consumes it, clears the end mark and
    // still returns false (a partial block counts as not read). Otherwise false, nothing consumed.
    virtual bool readSamples(float* destination, int32_t n, bool allowPartial);
    virtual int64_t available() const;
    virtual void markEnd();
    virtual int64_t writeCount() const;
    virtual int64_t readCount() const;
    virtual bool writeSilence(int32_t n);
    // Discards everything unread.
    virtual void skipAll();
    virtual float fillLevel() const { return 0; }
    virtual void clearWaiting() { }

    // Both counts back to 0.
    void reset();

    const std::string& name() const { return m_name; }
    void setName(const std::string& name) { m_name = name; }
    int32_t sampleRate() const { return m_sampleRate; }
    void setSampleRate(int32_t rate) { m_sampleRate = rate; }
    bool endOfStream() const { return m_endOfStream.load(std::memory_order_acquire); }

protected:
    // Copies n samples starting at sample number `from` without touching the counts.
    void copyOut(int64_t from, float* destination, int32_t n) const;
    // Appends n samples (zeros when samples is null) under the capacity rule.
    bool append(const float* samples, int32_t n);

    std::atomic<int64_t> m_writeCount { 0 };
    std::atomic<int64_t> m_readCount { 0 };

private:
    std::string m_name;
    int32_t m_sampleRate = 44100;
    struct FreeSamples {
        void operator()(float* samples) const { std::free(samples); }
    };
    // Only written samples are ever read, so the ring starts as untouched zero pages: a ring that
    // carries little audio keeps most of its capacity out of resident memory.
    std::unique_ptr<float[], FreeSamples> m_samples;
    std::atomic<bool> m_endOfStream { false };
};

} // namespace Zumeli
