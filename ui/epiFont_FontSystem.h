#pragma once

#include "ui/epiFont.h"

// A platform font described by "fontsystem_<code>.xml": the values of `allplatforms`, replaced
// by those present in `win32` (the block this build reads; `macho` is for another platform).
// Drawn by Pango and Cairo into the bitmap's memory; "Arial" resolves through fontconfig.
class epiFont_FontSystem : public epiFont
{
public:
    epiFont_FontSystem();
    ~epiFont_FontSystem() override;

    bool load(epiResources& resources, epiCode code) override;
    // Reads the description alone.
    void readDescription(const epiText& xml);
    // A font of that family whose size is given in pixels rather than points.
    void setPixelFont(const epiText& family, int pixels, bool bold);
    void drawToBitmap(epiBitmap& bitmap, int flags, const epiRect& rect, const epiRect& clip,
                      const epiText& text, uint32_t colour) override;
    int measure(const epiText& text) override;

    const epiText& family() const { return m_family; }
    int size() const { return m_size; }
    bool bold() const { return m_bold; }
    bool italic() const { return m_italic; }
    int kerning() const { return m_kerning; }

private:
    void makeDescription();

    epiText m_family = "Arial";
    int m_size = 12;
    bool m_bold = false;
    bool m_italic = false;
    int m_kerning = 0;
    struct _PangoFontDescription* m_description = nullptr;
};
