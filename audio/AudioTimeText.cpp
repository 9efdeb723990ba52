#include "audio/AudioTimeText.h"

#include <cstdio>

namespace Zumeli {

std::string audioTimeText(int64_t samples, int32_t rate)
{
    if (rate <= 0 || samples < 0)
        samples = 0;
    const int64_t tenths = rate > 0 ? samples * 10 / rate : 0;
    char text[48];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d.%1d", int(tenths / 36000), int(tenths / 600 % 60),
                  int(tenths / 10 % 60), int(tenths % 10));
    return text;
}

} // namespace Zumeli
