#include "audio/AudioCodecFactory.h"

#include "audio/AudioCodec_44K_16bit.h"
#include "audio/AudioCodec_Adpcm.h"
#include "audio/AudioCodec_Gsm.h"
#include "audio/AudioCodec_Gsm2.h"
#include "audio/AudioCodec_plain.h"

namespace Zumeli {

std::unique_ptr<AudioCodec> createAudioCodec(int32_t number)
{
    switch (AudioCodecNumber(number)) {
    case AudioCodecNumber::Plain:
        return std::make_unique<AudioCodec_plain>();
    case AudioCodecNumber::Pcm16:
        return std::make_unique<AudioCodec_44K_16bit>();
    case AudioCodecNumber::Adpcm:
        return std::make_unique<AudioCodec_Adpcm>();
    case AudioCodecNumber::Gsm:
        return std::make_unique<AudioCodec_Gsm>();
    case AudioCodecNumber::Gsm2:
        return std::make_unique<AudioCodec_Gsm2>();
    }
    return nullptr;
}

} // namespace Zumeli
