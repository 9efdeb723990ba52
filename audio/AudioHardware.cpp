#include "audio/AudioHardware.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace Zumeli {

bool AudioHardware::open(IAudioProcessor* client, std::unique_ptr<IAudioBackend> backend, const std::string& inputDevice,
                         const std::string& outputDevice)
{
    close();
    if (!backend || !backend->open(inputDevice, outputDevice, *this))
        return false;
    m_rate = backend->sampleRate();
    if (client && !client->setAudioRate(m_rate)) {
        // A stream the audio path cannot follow would run without sound: refuse it openly.
        std::fprintf(stderr, "zumeli: the sound device runs at %d Hz, which this program cannot use\n", int(m_rate));
        backend->stop();
        return false;
    }
    m_client = client;
    if (!client) {
        m_echo.assign(size_t(4) * size_t(m_rate), 0.0f);
        m_echoWriteCount = 0;
        m_echoDelay = 2 * int64_t(m_rate);
        m_toneSample = 0;
    }
    m_backend = std::move(backend);
    if (!m_backend->start()) {
        m_backend.reset();
        m_client = nullptr;
        return false;
    }
    return true;
}

void AudioHardware::close()
{
    if (m_backend) {
        m_backend->stop(); // no block runs after this, so the buffers can go
        m_backend.reset();
    }
    m_client = nullptr;
    m_echo.clear();
    m_echo.shrink_to_fit();
}

void AudioHardware::handleBlock(const float* input, float* output, int32_t n)
{
    n = std::clamp<int32_t>(n, 0, IAudioBackend::BlockFrames);
    m_blocks.fetch_add(1, std::memory_order_acq_rel);
    IAudioSpectrumHook* spectrum = m_spectrum.load(std::memory_order_acquire);
    if (spectrum)
        spectrum->feedInput(input, n);

    if (m_client) {
        std::memcpy(m_block, input, size_t(n) * sizeof(float));
        IAudioPlayerHook* player = m_player.load(std::memory_order_acquire);
        if (player)
            player->mixIntoInput(m_block, n);
        m_client->processAudio(m_block, n);
        if (player)
            player->mixIntoOutput(m_block, n);
        if (m_muted.load(std::memory_order_acquire))
            std::fill(output, output + n, 0.0f);
        else
            std::memcpy(output, m_block, size_t(n) * sizeof(float));
    } else if (m_testMode.load(std::memory_order_acquire) != NoTest) {
        runTest(input, output, n);
    } else {
        std::fill(output, output + n, 0.0f);
    }

    if (spectrum)
        spectrum->feedOutput(output, n);
}

void AudioHardware::runTest(const float* input, float* output, int32_t n)
{
    updateLevel(m_inputLevel, input, n);
    switch (m_testMode.load(std::memory_order_acquire)) {
    case PassThrough:
        std::memcpy(output, input, size_t(n) * sizeof(float));
        break;
    case Echo: {
        const auto capacity = int64_t(m_echo.size());
        for (int32_t i = 0; i < n; ++i) {
            if (capacity == 0) {
                output[i] = 0;
                continue;
            }
            m_echo[size_t(m_echoWriteCount % capacity)] = input[i];
            ++m_echoWriteCount;
            output[i] = m_echoWriteCount > m_echoDelay ? m_echo[size_t((m_echoWriteCount - m_echoDelay) % capacity)] : 0.0f;
        }
        break;
    }
    case Tone:
        for (int32_t i = 0; i < n; ++i)
            output[i] = float(std::sin(2764.52 * double(m_toneSample++) / m_rate));
        break;
    default:
        std::fill(output, output + n, 0.0f);
        break;
    }
    updateLevel(m_outputLevel, output, n);
}

void AudioHardware::updateLevel(std::atomic<float>& level, const float* samples, int32_t n)
{
    float peak = 0;
    for (int32_t i = 0; i < n; ++i)
        peak = std::max(peak, std::fabs(samples[i]));
    peak = std::min(peak, 0.99f);
    float target = std::min(1.0f, 1.5f * std::log(1.0f + peak));
    float current = level.load(std::memory_order_relaxed);
    if (current < target)
        current = std::min(target, current + 20.0f * float(n) / float(m_rate));
    else
        current = std::max(target, current - float(n) / float(m_rate));
    level.store(current, std::memory_order_release);
}

} // namespace Zumeli
