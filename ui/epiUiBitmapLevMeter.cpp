#include "ui/epiUiBitmapLevMeter.h"

#include "ui/epiBitmap.h"

#include <algorithm>

void epiUiBitmapLevMeter::setAttribute(epiCode code, int32_t value)
{
    switch (code) {
    case epiFourCC("min_"):
        m_minimum = value;
        m_level = std::max(m_level, m_minimum);
        break;
    case epiFourCC("max_"):
        m_maximum = value;
        break;
    case epiFourCC("lmSp"):
        // A step of 0 or less would never reach the minimum.
        m_fallStep = value > 0 ? value : 1;
        break;
    case epiFourCC("lmBx"):
        m_segment = value;
        break;
    default:
        break;
    }
    epiUiBitmapImage::setAttribute(code, value);
}

void epiUiBitmapLevMeter::setValue(int32_t value)
{
    if (value <= m_level)
        return;
    m_level = std::min(value, m_maximum);
    invalidate();
    if (m_level > m_minimum && !m_falling) {
        m_falling = true;
        startTimer(kFallSeconds, false, true);
    }
}

void epiUiBitmapLevMeter::fall()
{
    if (!m_falling)
        return;
    m_level = std::max(m_minimum, m_level - m_fallStep);
    invalidate();
    if (m_level <= m_minimum) {
        m_falling = false;
        cancelTimer();
    }
}

int32_t epiUiBitmapLevMeter::fullLength() const
{
    epiBitmap* image = face(0);
    return !image ? 0 : isVertical() ? image->height() : image->width();
}

int32_t epiUiBitmapLevMeter::shownLength() const
{
    int32_t full = fullLength();
    if (full <= 0 || m_maximum <= m_minimum)
        return 0;
    double share = static_cast<double>(m_level - m_minimum) / (m_maximum - m_minimum);
    auto length = static_cast<int32_t>(std::clamp(share, 0.0, 1.0) * full);
    if (m_segment >= 2)
        length = length / m_segment * m_segment + 1;
    return std::min(length, full);
}

void epiUiBitmapLevMeter::drawSelf(epiBitmap& target, epiPoint origin, const epiRect& rect)
{
    epiBitmap* image = face(0);
    int32_t length = shownLength();
    if (!image || length <= 0)
        return;
    epiRect source = isVertical() ? epiRect(0, image->height() - length, image->width(), image->height())
                              : epiRect(0, 0, length, image->height());
    epiRect destination = source;
    destination.offset(origin.x, origin.y);
    epiRect clip = clipAt(origin, rect);
    drawImagePart(target, *image, source, destination, clip);
}
