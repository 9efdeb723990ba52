#pragma once

#include "ui/epiApplicationObject.h"
#include "ui/epiFont.h"

#include <memory>
#include <vector>

// The font list: each code is resolved once, to a strip, a matrix or a system font (tried in
// that order), or to nothing; the result is remembered either way.
class epiFonts : public epiApplicationObject
{
public:
    explicit epiFonts(epiResources* resources = nullptr) : m_resources(resources) {}

    void setResources(epiResources* resources) { m_resources = resources; }
    // The font of a code, loaded on first use; code 0 gives the first font of the list. Null when
    // the code has no font.
    epiFont* font(epiCode code);
    void draw(epiBitmap& bitmap, epiCode code, int flags, const epiRect& rect, const epiRect& clip,
              const epiText& text, uint32_t colour);
    int measure(epiCode code, const epiText& text);
    // How many times the resource set was searched for a font's files.
    int searches() const { return m_searches; }

private:
    struct Entry
    {
        epiCode code;
        std::unique_ptr<epiFont> font;
    };

    epiResources* m_resources;
    std::vector<Entry> m_entries;
    int m_searches = 0;
};
