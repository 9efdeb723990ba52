#include "audio/NullAudioBackend.h"

namespace Zumeli {

bool NullAudioBackend::start()
{
    if (!m_handler)
        return false;
    return m_thread.start(m_rate, true, [this] {
        m_handler->handleBlock(m_input, m_output, BlockFrames);
        return true;
    });
}

} // namespace Zumeli
