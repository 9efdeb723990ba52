// Feeds arbitrary bytes to the picture decoders (JPEG, then PNG) and scales whatever they accept,
// the way a picture from the service reaches its widget.
#include "ui/epiBitmap.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    epiBitmap picture;
    if (picture.decodeImage(data, size)) {
        epiBitmap fitted = picture.scaledToFit(37, 23);
        if (!fitted.isEmpty() && (fitted.width() > 37 || fitted.height() > 23))
            __builtin_trap();
    }
    return 0;
}
