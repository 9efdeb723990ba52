#include "audio/FileAudioBackend.h"

#include <algorithm>
#include <cstring>

namespace Zumeli {

namespace {

// Linear interpolation to another rate; good enough for feeding a test microphone.
std::vector<float> resampled(const std::vector<float>& in, int32_t from, int32_t to)
{
    if (from == to || in.empty())
        return in;
    size_t outCount = size_t(double(in.size()) * to / from);
    std::vector<float> out(outCount);
    for (size_t i = 0; i < outCount; ++i) {
        double position = double(i) * from / to;
        size_t k = size_t(position);
        double fraction = position - double(k);
        float a = in[std::min(k, in.size() - 1)];
        float b = in[std::min(k + 1, in.size() - 1)];
        out[i] = float(a + (b - a) * fraction);
    }
    return out;
}

} // namespace

bool FileAudioBackend::setInputFile(const std::string& path, std::string* error)
{
    std::vector<float> samples;
    if (!path.empty()) {
        int32_t rate = 0;
        if (!readWav(path, samples, rate, error))
            return false;
        samples = resampled(samples, rate, m_rate);
    }
    std::lock_guard lock(m_inputLock);
    m_inputSamples = std::move(samples);
    m_inputPosition = 0;
    return true;
}

void FileAudioBackend::setInputSamples(std::vector<float> samples)
{
    std::lock_guard lock(m_inputLock);
    m_inputSamples = std::move(samples);
    m_inputPosition = 0;
}

int64_t FileAudioBackend::inputRemaining() const
{
    std::lock_guard lock(m_inputLock);
    return int64_t(m_inputSamples.size() - m_inputPosition);
}

bool FileAudioBackend::open(const std::string&, const std::string&, IAudioBlockHandler& handler)
{
    m_handler = &handler;
    if (!m_outputPath.empty() && !m_writer.open(m_outputPath, m_rate))
        return false;
    return m_rate > 0;
}

bool FileAudioBackend::start()
{
    if (!m_handler)
        return false;
    return m_thread.start(m_rate, m_paced, [this] { return block(); });
}

void FileAudioBackend::stop()
{
    m_thread.stop();
    m_writer.finish();
}

bool FileAudioBackend::block()
{
    {
        std::lock_guard lock(m_inputLock);
        size_t count = 0;
        bool loop = m_loopInput.load(std::memory_order_acquire) && !m_inputSamples.empty();
        do {
            if (loop && m_inputPosition == m_inputSamples.size())
                m_inputPosition = 0;
            size_t part = std::min<size_t>(BlockFrames - count, m_inputSamples.size() - m_inputPosition);
            if (part > 0)
                std::memcpy(m_input + count, m_inputSamples.data() + m_inputPosition, part * sizeof(float));
            count += part;
            m_inputPosition += part;
        } while (loop && count < size_t(BlockFrames));
        std::fill(m_input + count, m_input + BlockFrames, 0.0f);
    }
    m_handler->handleBlock(m_input, m_output, BlockFrames);
    if (m_writer.isOpen())
        m_writer.append(m_output, BlockFrames);
    m_blocks.fetch_add(1, std::memory_order_acq_rel);
    return true;
}

} // namespace Zumeli
