#include "audio/AudioCodec.h"

namespace Zumeli {

int16_t AudioCodec::toPcm(float sample)
{
    float scaled = sample * 32767.0f;
    // Beyond the range (or NaN) a float-to-integer conversion would be undefined.
    if (!(scaled > -32768.0f))
        return scaled == scaled ? int16_t(-32768) : int16_t(0);
    if (scaled > 32767.0f)
        return 32767;
    return int16_t(scaled);
}

} // namespace Zumeli
