#include "ui/epiUiPictureView.h"

#include "ui/epiUiBitmapImage.h"

bool epiUiPictureView::acceptsParent(epiCode type) const { return epiUiBitmapImage::isWidgetParent(type); }

void epiUiPictureView::setAttribute(epiCode code, int32_t value)
{
    if (code == epiFourCC("bgCo")) {
        m_background = 0xFF000000u | (static_cast<uint32_t>(value) & 0xFFFFFFu);
        invalidate();
    }
    epiUbo::setAttribute(code, value);
}

bool epiUiPictureView::setPicture(const uint8_t* bytes, size_t size)
{
    epiBitmap decoded;
    if (!decoded.decodeImage(bytes, size)) {
        clearPicture();
        return false;
    }
    setPicture(std::move(decoded));
    return true;
}

bool epiUiPictureView::loadPicture(const std::string& path)
{
    epiBitmap decoded;
    if (!decoded.loadImage(path)) {
        clearPicture();
        return false;
    }
    setPicture(std::move(decoded));
    return true;
}

void epiUiPictureView::setPicture(epiBitmap picture)
{
    m_picture = std::move(picture);
    m_scaled = epiBitmap();
    invalidate();
}

void epiUiPictureView::clearPicture() { setPicture(epiBitmap()); }

epiRect epiUiPictureView::pictureRect() const
{
    const epiRect& frame = this->frame();
    if (m_picture.isEmpty() || frame.isEmpty())
        return {};
    int64_t w = frame.width(), h = frame.height();
    if (int64_t{m_picture.width()} * h > int64_t{m_picture.height()} * w)
        h = std::max<int64_t>(1, int64_t{m_picture.height()} * w / m_picture.width());
    else
        w = std::max<int64_t>(1, int64_t{m_picture.width()} * h / m_picture.height());
    int32_t left = static_cast<int32_t>((frame.width() - w) / 2);
    int32_t top = static_cast<int32_t>((frame.height() - h) / 2);
    return epiRect::fromSize(left, top, static_cast<int32_t>(w), static_cast<int32_t>(h));
}

void epiUiPictureView::drawSelf(epiBitmap& target, epiPoint origin, const epiRect& rect)
{
    epiRect bounds = boundsAt(origin);
    epiRect clip = clipAt(origin, rect);
    target.fill(bounds.intersection(clip), m_background);
    epiRect place = pictureRect();
    if (place.isEmpty())
        return;
    // Scaled once per size, not on every paint.
    if (m_scaled.width() != place.width() || m_scaled.height() != place.height())
        m_scaled = m_picture.scaledToFit(place.width(), place.height());
    target.drawImage(m_scaled, epiRect::fromSize(bounds.left + place.left, bounds.top + place.top, m_scaled.width(),
                                                 m_scaled.height()),
                     clip);
}
