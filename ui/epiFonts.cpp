#include "ui/epiFonts.h"

#include "ui/epiFont_FontMatrix.h"
#include "ui/epiFont_FontStrip.h"
#include "ui/epiFont_FontSystem.h"

epiFont* epiFonts::font(epiCode code)
{
    for (Entry& entry : m_entries)
        if (code == 0 || entry.code == code)
            return entry.font.get();
    if (code == 0 || !m_resources)
        return nullptr;
    ++m_searches;
    Entry entry{code, nullptr};
    std::unique_ptr<epiFont> candidates[] = {std::make_unique<epiFont_FontStrip>(),
                                             std::make_unique<epiFont_FontMatrix>(),
                                             std::make_unique<epiFont_FontSystem>()};
    for (auto& candidate : candidates) {
        if (candidate->load(*m_resources, code)) {
            entry.font = std::move(candidate);
            break;
        }
    }
    m_entries.push_back(std::move(entry));
    return m_entries.back().font.get();
}

void epiFonts::draw(epiBitmap& bitmap, epiCode code, int flags, const epiRect& rect, const epiRect& clip,
                    const epiText& text, uint32_t colour)
{
    if (epiFont* found = font(code))
        found->drawToBitmap(bitmap, flags, rect, clip, text, colour);
}

int epiFonts::measure(epiCode code, const epiText& text)
{
    epiFont* found = font(code);
    return found ? found->measure(text) : 0;
}
