// Reads arbitrary font description documents as a matrix font and as a system font, and draws
// and measures text with the matrix font over a small atlas.
#include "ui/epiFont_FontMatrix.h"
#include "ui/epiFont_FontSystem.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    epiText document(reinterpret_cast<const char*>(data), size);

    epiFont_FontMatrix matrix;
    matrix.readDescription(document);
    epiBitmap atlas(32, 32);
    atlas.fill(atlas.bounds(), epiArgb(255, 255, 255, 255));
    matrix.setAtlas(atlas);
    epiBitmap canvas(40, 20);
    const char* text = "Ab 0\xE9~";
    matrix.drawToBitmap(canvas, 0, canvas.bounds(), canvas.bounds(), text, epiArgb(255, 0, 0, 0));
    matrix.drawToBitmap(canvas, epiFont::kCentred, canvas.bounds(), {5, 5, 30, 15}, text,
                        epiArgb(255, 0, 0, 0));
    matrix.drawToBitmap(canvas, epiFont::kRight, canvas.bounds(), canvas.bounds(), text,
                        epiArgb(255, 0, 0, 0));
    matrix.measure(text);

    epiFont_FontSystem system;
    system.readDescription(document);
    return system.size() >= 1 && system.size() <= 1000 ? 0 : 1;
}
