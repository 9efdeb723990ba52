#include "audio/AudioSignalStartTalk.h"

#include "audio/AudioSignalTone.h"

namespace Zumeli {

void AudioSignalStartTalk::build(int32_t rate) { AudioSignalTone::sine(*this, rate, Frequency); }

} // namespace Zumeli
