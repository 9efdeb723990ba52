#include "audio/AudioStreamKeeper.h"

#include "audio/NullAudioBackend.h"
#include "platform/Clock.h"

namespace Zumeli {

AudioStreamKeeper::AudioStreamKeeper(AudioHardware& hardware, IAudioProcessor* client, BackendFactory chosen)
    : m_hardware(hardware)
    , m_client(client)
    , m_chosen(std::move(chosen))
{
}

void AudioStreamKeeper::setDevices(const std::string& input, const std::string& output)
{
    m_input = input;
    m_output = output;
}

void AudioStreamKeeper::setTimings(uint64_t stallMs, uint64_t retryMs)
{
    m_stallMs = stallMs;
    m_retryMs = retryMs;
}

bool AudioStreamKeeper::openChosen(bool afterFailure)
{
    if (!m_chosen)
        return false;
    // The chosen devices first, then the system's defaults.
    if (std::unique_ptr<IAudioBackend> backend = m_chosen(afterFailure);
        backend && m_hardware.open(m_client, std::move(backend), m_input, m_output)) {
        m_status = "sound device open";
        return true;
    }
    if (!m_input.empty() || !m_output.empty()) {
        if (std::unique_ptr<IAudioBackend> backend = m_chosen(false);
            backend && m_hardware.open(m_client, std::move(backend), "", "")) {
            m_status = "the chosen sound devices are gone: using the default devices";
            return true;
        }
    }
    return false;
}

void AudioStreamKeeper::openStandIn()
{
    m_standIn = m_hardware.open(m_client, std::make_unique<NullAudioBackend>(), "", "");
    m_status = "no sound device: running without sound";
}

bool AudioStreamKeeper::start()
{
    uint64_t now = Platform::tickMilliseconds();
    m_lastProgress = m_lastRetry = now;
    m_lastBlocks = -1;
    m_standIn = false;
    if (openChosen(false))
        return true;
    openStandIn();
    return false;
}

bool AudioStreamKeeper::check()
{
    uint64_t now = Platform::tickMilliseconds();
    int64_t blocks = m_hardware.blocksHandled();
    if (blocks != m_lastBlocks) {
        m_lastBlocks = blocks;
        m_lastProgress = now;
    }
    bool stalled = !m_hardware.isOpen() || now - m_lastProgress >= m_stallMs;
    bool retry = m_standIn && now - m_lastRetry >= m_retryMs;
    if (!stalled && !retry)
        return false;

    m_hardware.close();
    m_lastRetry = now;
    m_lastProgress = now;
    ++m_reopens;
    if (openChosen(true)) {
        m_standIn = false;
        return true;
    }
    openStandIn();
    return true;
}

} // namespace Zumeli
