#include "app/AudioWidgets.h"

#include "audio/AudioSpectrum.h"
#include "ui/epiApplication.h"
#include "ui/epiBitmap.h"

#include <algorithm>

namespace ZumeliApplication {

namespace {

constexpr uint32_t WellColour = 0xFF0E1013;
constexpr uint32_t RowColour = 0xFF16191D;
constexpr uint32_t UnlitColour = 0xFF1F2A22;

} // namespace

void registerAudioWidgetKinds(epiApplication& app)
{
    app.registerKind(zumeSpectrumView::kKind, [](epiCode) { return new zumeSpectrumView; });
    app.registerKind(zumeLevelBar::kKind, [](epiCode) { return new zumeLevelBar; });
}

// ----- spectrum -----

int32_t zumeSpectrumView::barHalfLength(float level) const
{
    float half = float(frame().width()) / 2 - 20;
    return std::max(0, int32_t(0.95f * std::clamp(level, 0.0f, 1.0f) * half));
}

void zumeSpectrumView::drawSelf(epiBitmap& target, epiPoint origin, const epiRect& rect)
{
    epiRect box = boundsAt(origin);
    epiRect clip = clipAt(origin, rect);
    target.fill(clip, WellColour);
    int32_t bands = m_spectrum ? m_spectrum->input().bandCount() : 32;
    if (bands <= 0)
        return;
    const int32_t rowHeight = std::max(1, (box.height() - 20) / bands);
    const int32_t top = box.top + (box.height() - 20 - rowHeight * bands) / 2 + 4;
    const int32_t middle = box.left + box.width() / 2;
    const int32_t half = box.width() / 2 - 20;
    for (int32_t band = 0; band < bands; ++band) {
        int32_t y = top + band * rowHeight;
        int32_t barHeight = std::max(1, rowHeight - 2);
        target.fill(epiRect(middle - half, y, middle + half, y + barHeight).intersection(clip), RowColour);
        if (!m_spectrum)
            continue;
        int32_t microphone = barHalfLength(m_spectrum->input().bar(band));
        target.fill(epiRect(middle - microphone, y, middle + microphone, y + barHeight).intersection(clip),
                    MicrophoneColour);
        int32_t speaker = barHalfLength(m_spectrum->output().bar(band));
        int32_t inset = barHeight / 4;
        target.fill(epiRect(middle - speaker, y + inset, middle + speaker, y + barHeight - inset).intersection(clip),
                    SpeakerColour);
    }
    // The centre line.
    target.fill(epiRect(middle, top, middle + 1, top + rowHeight * bands).intersection(clip), 0xFF3A4048);
}

// ----- level bar -----

void zumeLevelBar::setValue(int32_t value)
{
    value = std::clamp(value, 0, Maximum);
    if (value == m_value)
        return;
    m_value = value;
    invalidate();
}

void zumeLevelBar::drawSelf(epiBitmap& target, epiPoint origin, const epiRect& rect)
{
    epiRect box = boundsAt(origin);
    epiRect clip = clipAt(origin, rect);
    target.fill(clip, WellColour);
    constexpr int32_t Segment = 6;
    const int32_t inner = box.width() - 4;
    const int32_t segments = std::max(1, inner / Segment);
    const int32_t lit = (m_value * segments + Maximum / 2) / Maximum;
    for (int32_t i = 0; i < segments; ++i) {
        int32_t share = (i + 1) * 100 / segments;
        uint32_t colour = i >= lit ? UnlitColour : share > 90 ? 0xFFE8402C : share > 70 ? 0xFFFFB13D : 0xFF2ED15A;
        int32_t x = box.left + 2 + i * Segment;
        target.fill(epiRect(x, box.top + 2, x + Segment - 2, box.bottom - 2).intersection(clip), colour);
    }
}

} // namespace ZumeliApplication
