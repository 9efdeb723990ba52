#pragma once

#include "ui/epiUbo.h"

class epiBitmap;

// A widget that shows an image of the resources' "images/" folder ('iBim'). Five face slots:
// 'irOf' released-off, 'ipOf' pressed-off, 'irOn' released-on, 'ipOn' pressed-on, 'irDi'
// released-disabled; the image shows the released-off face, or the one chosen by 'Face'. Faces
// are shared through the bitmap cache and given back to it when the widget goes.
//
// Commands: 'ArOf' (extra: a bitmap) sets the released-off face, re-centred on the old centre at
// the image's size when the value is 1; 'Face' (value: a face code or a slot) selects the face
// shown; 'autS' sizes the widget to its released-off image.
class epiUiBitmapImage : public epiUbo
{
public:
    static constexpr epiCode kKind = epiFourCC("iBim");
    static constexpr int kFaces = 5;

    ~epiUiBitmapImage() override;

    epiCode typeCode() const override { return kKind; }
    bool acceptsParent(epiCode type) const override;
    void setAttributeText(epiCode code, const epiText& value) override;
    void setAttribute(epiCode code, int32_t value) override;
    bool receiveCommand(epiCode code, intptr_t value, intptr_t extra) override;

    void setFace(int slot, epiBitmap* bitmap);
    epiBitmap* face(int slot) const { return slot >= 0 && slot < kFaces ? m_faces[slot] : nullptr; }
    // Sets the face of a face attribute code from an image name; an empty name changes nothing.
    bool setFaceFromName(epiCode code, const epiText& imageName);
    // The slot of a face code ('irOf' ... 'irDi'), or of a slot number 0 to 4; -1 otherwise.
    static int faceSlot(epiCode code);
    // Shows that face instead of the released-off one (-1: back to the released-off face).
    void selectFace(int slot);
    // The widget takes the size of its released-off image.
    void autoSize();

    void setEnabled(bool enabled) override;
    bool isEnabled() const override { return m_enabled; }

    void drawSelf(epiBitmap& target, epiPoint origin, const epiRect& rect) override;

    // The parent types of the bitmap widgets: windows, containers and decorations.
    static bool isWidgetParent(epiCode type);

protected:
    // The slot drawn now.
    virtual int currentFace() const { return m_selectedFace >= 0 ? m_selectedFace : 0; }
    // Draws `source` of `image` into `destination` the way faces are drawn: copied or blended
    // when the sizes match, scaled otherwise; all in the target's coordinates.
    static void drawImagePart(epiBitmap& target, const epiBitmap& image, const epiRect& source,
                              const epiRect& destination, const epiRect& clip);

private:
    epiBitmap* m_faces[kFaces] = {};
    int m_selectedFace = -1;
    bool m_enabled = true;
};
