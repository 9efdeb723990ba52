#include "audio/AudioSignalAckTalk.h"

#include "audio/AudioSignalTone.h"

namespace Zumeli {

void AudioSignalAckTalk::build(int32_t rate) { AudioSignalTone::sine(*this, rate, Frequency); }

} // namespace Zumeli
