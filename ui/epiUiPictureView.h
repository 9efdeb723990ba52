#pragma once

#include "ui/epiBitmap.h"
#include "ui/epiUbo.h"

#include <string>

// A picture that is not a resource of the skin ('iBpv'): a photo or an icon read from a file or
// from memory, shown whole, scaled to the largest size of its proportions that fits the widget
// and centred; the rest of the widget shows the 'bgCo' colour (0xRRGGBB; dark by default). The
// widget owns its picture; without one it draws only the background.
class epiUiPictureView : public epiUbo
{
public:
    static constexpr epiCode kKind = epiFourCC("iBpv");

    epiCode typeCode() const override { return kKind; }
    bool acceptsParent(epiCode type) const override;
    void setAttribute(epiCode code, int32_t value) override;

    // False (and no picture) when the bytes or the file are no JPEG or PNG it can read.
    bool setPicture(const uint8_t* bytes, size_t size);
    bool loadPicture(const std::string& path);
    void setPicture(epiBitmap picture);
    void clearPicture();
    bool hasPicture() const { return !m_picture.isEmpty(); }
    const epiBitmap& picture() const { return m_picture; }
    // Where the picture is drawn, in the widget's own coordinates (empty without a picture).
    epiRect pictureRect() const;

    void drawSelf(epiBitmap& target, epiPoint origin, const epiRect& rect) override;

private:
    epiBitmap m_picture;
    epiBitmap m_scaled; // m_picture at the size it was last drawn
    uint32_t m_background = 0xFF101216;
};
