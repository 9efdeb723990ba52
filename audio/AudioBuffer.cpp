#include "audio/AudioBuffer.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace Zumeli {

AudioBuffer::AudioBuffer()
    : m_samples(static_cast<float*>(std::calloc(Capacity, sizeof(float))))
{
    if (!m_samples)
        throw std::bad_alloc();
}

AudioBuffer::~AudioBuffer() = default;

void AudioBuffer::write(const AudioData& block) { writeSamples(block.samples(), block.count()); }

bool AudioBuffer::writeSamples(const float* samples, int32_t n)
{
    if (!samples)
        return false;
    return append(samples, n);
}

bool AudioBuffer::writeSilence(int32_t n) { return append(nullptr, n); }

bool AudioBuffer::append(const float* samples, int32_t n)
{
    if (n <= 0)
        return false;
    int64_t write = m_writeCount.load(std::memory_order_relaxed);
    int64_t read = m_readCount.load(std::memory_order_acquire);
    if (int64_t(n) + (write - read) >= Capacity)
        return false;
    int32_t start = int32_t(write % Capacity);
    int32_t first = std::min(n, Capacity - start);
    float* ring = m_samples.get();
    if (samples) {
        std::memcpy(ring + start, samples, size_t(first) * sizeof(float));
        std::memcpy(ring, samples + first, size_t(n - first) * sizeof(float));
    } else {
        std::memset(ring + start, 0, size_t(first) * sizeof(float));
        std::memset(ring, 0, size_t(n - first) * sizeof(float));
    }
    m_writeCount.store(write + n, std::memory_order_release);
    return true;
}

void AudioBuffer::copyOut(int64_t from, float* destination, int32_t n) const
{
    int32_t start = int32_t(from % Capacity);
    int32_t first = std::min(n, Capacity - start);
    const float* ring = m_samples.get();
    std::memcpy(destination, ring + start, size_t(first) * sizeof(float));
    std::memcpy(destination + first, ring, size_t(n - first) * sizeof(float));
}

bool AudioBuffer::read(AudioData& block, bool allowPartial)
{
    return readSamples(block.samples(), block.count(), allowPartial);
}

bool AudioBuffer::readSamples(float* destination, int32_t n, bool allowPartial)
{
    if (!destination || n <= 0)
        return false;
    int64_t read = m_readCount.load(std::memory_order_relaxed);
    int64_t pending = m_writeCount.load(std::memory_order_acquire) - read;
    if (pending <= 0)
        return false;
    if (pending >= n) {
        copyOut(read, destination, n);
        m_readCount.store(read + n, std::memory_order_release);
        return true;
    }
    if (!allowPartial && !m_endOfStream.load(std::memory_order_acquire))
        return false;
    int32_t have = int32_t(pending);
    copyOut(read, destination, have);
    std::memset(destination + have, 0, size_t(n - have) * sizeof(float));
    m_readCount.store(read + have, std::memory_order_release);
    m_endOfStream.store(false, std::memory_order_release);
    return false;
}

int64_t AudioBuffer::available() const
{
    // Read count first: it only grows toward the write count, so the difference never goes negative.
    int64_t read = m_readCount.load(std::memory_order_acquire);
    return m_writeCount.load(std::memory_order_acquire) - read;
}

void AudioBuffer::markEnd() { m_endOfStream.store(true, std::memory_order_release); }

int64_t AudioBuffer::writeCount() const { return m_writeCount.load(std::memory_order_acquire); }

int64_t AudioBuffer::readCount() const { return m_readCount.load(std::memory_order_acquire); }

void AudioBuffer::skipAll() { m_readCount.store(m_writeCount.load(std::memory_order_acquire), std::memory_order_release); }

void AudioBuffer::reset()
{
    m_readCount.store(0, std::memory_order_release);
    m_writeCount.store(0, std::memory_order_release);
}

} // namespace Zumeli
