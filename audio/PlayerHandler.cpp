#include "audio/PlayerHandler.h"

#include "audio/AudioTimeText.h"
#include "audio/StreamResampler.h"

#include <algorithm>

namespace Zumeli {

namespace {

enum Level { Send = 0, Hear = 1, Microphone = 2 };

} // namespace

PlayerHandler::PlayerHandler()
{
    for (auto& set : m_levels)
        for (auto& level : set)
            level.store(1.0f);
}

bool PlayerHandler::load(const std::string& path)
{
    stop();
    const bool ok = m_file.load(path);
    m_position.store(0);
    m_seekRequest.store(-1);
    m_ended.store(false);
    prepareSamples();
    return ok;
}

void PlayerHandler::prepareSamples()
{
    const std::vector<int16_t>& source = m_file.samples();
    std::vector<float> scaled(source.size());
    for (size_t i = 0; i < source.size(); ++i)
        scaled[i] = std::clamp(float(source[i]) * (1.0f / 32767.0f), -0.9f, 0.9f);
    if (m_rate == AudioFilePlayer::FileRate || scaled.empty()) {
        m_samples = std::move(scaled);
        return;
    }
    // The whole file as one stream through the resampler the audio path uses.
    StreamResampler resampler;
    resampler.init(AudioFilePlayer::FileRate, m_rate);
    const auto count = int64_t(scaled.size());
    if (m_rate > AudioFilePlayer::FileRate) {
        const auto outputs = int32_t(count * m_rate / AudioFilePlayer::FileRate);
        const int32_t inputs = resampler.inputsFor(outputs);
        scaled.resize(size_t(std::max<int64_t>(inputs, count)), 0.0f); // the last output's neighbour
        m_samples.assign(size_t(outputs), 0.0f);
        resampler.grow(scaled.data(), inputs, m_samples.data(), outputs);
    } else {
        m_samples.assign(size_t(resampler.shrinkBound(int32_t(count))), 0.0f);
        m_samples.resize(size_t(resampler.shrink(scaled.data(), int32_t(count), m_samples.data())));
    }
}

void PlayerHandler::setStreamRate(int32_t rate)
{
    if (rate <= 0 || rate == m_rate)
        return;
    const bool wasPlaying = m_gate.isOpen();
    m_gate.close();
    const int32_t old = m_rate;
    const auto rescale = [&](int64_t position) { return position < 0 ? position : position * rate / old; };
    m_position.store(rescale(m_position.load()));
    m_seekRequest.store(rescale(m_seekRequest.load()));
    m_rate = rate;
    prepareSamples();
    if (wasPlaying)
        m_gate.open();
}

void PlayerHandler::play()
{
    if (!loaded() || isPlaying())
        return;
    m_gate.close();
    // Play after the end of the file starts again from the beginning.
    if (m_position.load() >= length() && m_seekRequest.load() < 0)
        m_position.store(0);
    m_ended.store(false);
    m_gate.open();
}

void PlayerHandler::stop()
{
    m_gate.close();
}

void PlayerHandler::seek(int64_t position)
{
    position = std::clamp<int64_t>(position, 0, length());
    if (isPlaying()) {
        m_seekRequest.store(position); // the next block moves there
        return;
    }
    // Stopped, or at the end of a file without loop: no block moves the position any more.
    m_gate.close();
    m_seekRequest.store(-1);
    m_position.store(position);
}

int64_t PlayerHandler::position() const
{
    const int64_t pending = m_seekRequest.load();
    return pending >= 0 ? pending : m_position.load();
}

std::string PlayerHandler::timeText() const
{
    return audioTimeText(position(), m_rate);
}

void PlayerHandler::setMix(int32_t set, MixLevels levels)
{
    auto& target = m_levels[set == KeyDownSet ? 1 : 0];
    target[Send].store(std::max(levels.send, 0.0f));
    target[Hear].store(std::max(levels.hear, 0.0f));
    target[Microphone].store(std::max(levels.microphone, 0.0f));
}

PlayerHandler::MixLevels PlayerHandler::mix(int32_t set) const
{
    const auto& source = m_levels[set == KeyDownSet ? 1 : 0];
    return { source[Send].load(), source[Hear].load(), source[Microphone].load() };
}

void PlayerHandler::mixIntoInput(float* samples, int32_t n)
{
    m_mixed = false;
    if (!m_gate.enter())
        return;
    const int64_t seek = m_seekRequest.exchange(-1);
    if (seek >= 0) {
        m_position.store(std::min<int64_t>(seek, length()));
        m_ended.store(false);
    }
    if (m_ended.load()) {
        m_gate.leave();
        return;
    }

    n = std::clamp<int32_t>(n, 0, IAudioBackend::BlockFrames);
    std::fill(m_fileBlock, m_fileBlock + n, 0.0f);
    const auto size = int64_t(m_samples.size());
    const bool loop = m_loop.load();
    int64_t position = m_position.load();
    for (int32_t i = 0; i < n; ++i) {
        if (position >= size) {
            if (!loop || size == 0)
                break;
            position = 0;
        }
        m_fileBlock[i] = m_samples[size_t(position++)];
    }
    m_position.store(position);
    if (!loop && position >= size)
        m_ended.store(true);

    const auto& levels = m_levels[m_set.load() == KeyDownSet ? 1 : 0];
    const float send = levels[Send].load(std::memory_order_relaxed);
    const float microphone = levels[Microphone].load(std::memory_order_relaxed);
    for (int32_t i = 0; i < n; ++i)
        samples[i] = send * m_fileBlock[i] + microphone * samples[i];
    m_mixed = true;
}

void PlayerHandler::mixIntoOutput(float* samples, int32_t n)
{
    if (!m_mixed)
        return;
    n = std::clamp<int32_t>(n, 0, IAudioBackend::BlockFrames);
    const auto& levels = m_levels[m_set.load() == KeyDownSet ? 1 : 0];
    const float hear = levels[Hear].load(std::memory_order_relaxed);
    for (int32_t i = 0; i < n; ++i)
        samples[i] += hear * m_fileBlock[i];
    m_mixed = false;
    m_gate.leave(); // acknowledges a stop: the file is not used again until play()
}

} // namespace Zumeli
