#pragma once

#include "ui/epiUbo.h"

class epiBitmap;

// A widget that shows an image of the resources' "images/" folder ('iBim'). Five face slots:
// 'irOf' released-off, 'ipOf' pressed-off, 'irOn' released-on, 'ipOn' pressed-on, 'irDi'
// released-disabled; the image shows the released-off face. Faces are shared through the bitmap
// cache and given back to it when the widget goes.
class epiUiBitmapImage : public epiUbo
{
public:
    static constexpr epiCode kKind = epiFourCC("iBim");
    static constexpr int kFaces = 5;

    ~epiUiBitmapImage() override;

    epiCode typeCode() const override { return kKind; }
    bool acceptsParent(epiCode type) const override;
    void setAttributeText(epiCode code, const epiText& value) override;

    void setFace(int slot, epiBitmap* bitmap);
    epiBitmap* face(int slot) const { return slot >= 0 && slot < kFaces ? m_faces[slot] : nullptr; }
    // Sets the face of a face attribute code from an image name; an empty name changes nothing.
    bool setFaceFromName(epiCode code, const epiText& imageName);
    static int faceSlot(epiCode code);

    void drawSelf(epiBitmap& target, epiPoint origin, const epiRect& rect) override;

protected:
    virtual int currentFace() const { return 0; }

private:
    epiBitmap* m_faces[kFaces] = {};
};
