#include "ui/epiUiBitmapImage.h"

#include "ui/epiBitmap.h"
#include "ui/epiResources.h"

epiUiBitmapImage::~epiUiBitmapImage()
{
    for (int slot = 0; slot < kFaces; ++slot)
        setFace(slot, nullptr);
}

bool epiUiBitmapImage::acceptsParent(epiCode type) const
{
    switch (type) {
    case epiFourCC("iWin"):
    case epiFourCC("iSco"):
    case epiFourCC("iBco"):
    case epiFourCC("iCon"):
    case epiFourCC("iCos"):
    case epiFourCC("iBde"):
        return true;
    default:
        return false;
    }
}

int epiUiBitmapImage::faceSlot(epiCode code)
{
    switch (code) {
    case epiFourCC("irOf"):
        return 0;
    case epiFourCC("ipOf"):
        return 1;
    case epiFourCC("irOn"):
        return 2;
    case epiFourCC("ipOn"):
        return 3;
    case epiFourCC("irDi"):
        return 4;
    default:
        return -1;
    }
}

void epiUiBitmapImage::setFace(int slot, epiBitmap* bitmap)
{
    if (slot < 0 || slot >= kFaces || m_faces[slot] == bitmap)
        return;
    // The bitmaps come from the cache of the resources that gave them.
    if (m_faces[slot])
        if (epiResources* set = resources())
            set->unuseBitmap(m_faces[slot]);
    m_faces[slot] = bitmap;
    invalidate();
}

bool epiUiBitmapImage::setFaceFromName(epiCode code, const epiText& imageName)
{
    int slot = faceSlot(code);
    if (slot < 0)
        return false;
    if (imageName.isEmpty())
        return true;
    epiResources* set = resources();
    setFace(slot, set ? set->bitmap(imageName, epiResources::kImages) : nullptr);
    return true;
}

void epiUiBitmapImage::setAttributeText(epiCode code, const epiText& value)
{
    if (!setFaceFromName(code, value))
        epiUbo::setAttributeText(code, value);
}

void epiUiBitmapImage::drawSelf(epiBitmap& target, epiPoint origin, const epiRect& rect)
{
    epiBitmap* image = face(currentFace());
    if (!image)
        return;
    epiRect destination = bounds();
    destination.offset(origin.x, origin.y);
    epiRect clip = rect;
    clip.offset(origin.x, origin.y);
    target.drawImage(*image, destination, clip);
}
