#include "audio/AudioTalkLink.h"

#include <cstdio>

namespace Zumeli {

void AudioTalkLink::setCodec(int32_t number, int32_t frameSamples)
{
    m_codecNumber.store(number, std::memory_order_relaxed);
    m_frameSamples.store(frameSamples, std::memory_order_release);
}

void AudioTalkLink::reportCaptureEnd(int64_t writeCount, int32_t filledZeros)
{
    if (filledZeros > 0)
        m_filledZeros.store(filledZeros, std::memory_order_relaxed);
    m_captureEnd.store(writeCount, std::memory_order_release);
}

int32_t AudioTalkLink::traceFill()
{
    int32_t zeros = m_filledZeros.exchange(0, std::memory_order_acq_rel);
    if (zeros > 0) {
        std::printf("filling missing buffer data for codec %d\n", zeros);
        std::fflush(stdout);
    }
    return zeros;
}

} // namespace Zumeli
