#include "ui/epiUiBitmapImage.h"

#include "ui/epiBitmap.h"
#include "ui/epiResources.h"
#include "ui/epiUiBehaviour.h"

epiUiBitmapImage::~epiUiBitmapImage()
{
    for (int slot = 0; slot < kFaces; ++slot)
        setFace(slot, nullptr);
}

bool epiUiBitmapImage::isWidgetParent(epiCode type)
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

bool epiUiBitmapImage::acceptsParent(epiCode type) const
{
    return isWidgetParent(type);
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
        return code < static_cast<epiCode>(kFaces) ? static_cast<int>(code) : -1;
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
    // Slot numbers are for 'Face'; only the face codes name images.
    if (code < static_cast<epiCode>(kFaces))
        return false;
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
    if (code == epiFourCC("Face")) {
        // A face code ("irOn") or a slot number ("2").
        int slot = faceSlot(value.toCode());
        selectFace(slot >= 0 ? slot : faceSlot(static_cast<epiCode>(value.toInt())));
        return;
    }
    if (!setFaceFromName(code, value))
        epiUbo::setAttributeText(code, value);
}

void epiUiBitmapImage::setAttribute(epiCode code, int32_t value)
{
    if (code == epiFourCC("Face"))
        selectFace(faceSlot(static_cast<epiCode>(value)));
    epiUbo::setAttribute(code, value);
}

bool epiUiBitmapImage::receiveCommand(epiCode code, intptr_t value, intptr_t extra)
{
    switch (code) {
    case epiFourCC("ArOf"): {
        auto* bitmap = reinterpret_cast<epiBitmap*>(extra);
        if (value == 1 && bitmap) {
            epiRect old = frame();
            epiPoint centre = old.referencePoint(8);
            setFrame(epiRect::fromSize(centre.x - bitmap->width() / 2, centre.y - bitmap->height() / 2,
                                       bitmap->width(), bitmap->height()));
            if (parent())
                parent()->invalidate(old);
        }
        setFace(0, bitmap);
        return true;
    }
    case epiFourCC("Face"):
        selectFace(faceSlot(static_cast<epiCode>(value)));
        return true;
    case epiFourCC("autS"):
        autoSize();
        return true;
    default:
        return epiUbo::receiveCommand(code, value, extra);
    }
}

void epiUiBitmapImage::selectFace(int slot)
{
    m_selectedFace = slot >= 0 && slot < kFaces ? slot : -1;
    invalidate();
}

void epiUiBitmapImage::autoSize()
{
    if (epiBitmap* image = face(0)) {
        epiRect sized = frame();
        sized.setSize(image->width(), image->height());
        setFrame(sized);
    }
}

void epiUiBitmapImage::setEnabled(bool enabled)
{
    m_enabled = enabled;
    if (behaviour())
        behaviour()->setActive(enabled);
    invalidate();
}

void epiUiBitmapImage::drawImagePart(epiBitmap& target, const epiBitmap& image, const epiRect& source,
                                     const epiRect& destination, const epiRect& clip)
{
    if (source.width() == destination.width() && source.height() == destination.height()) {
        epiPoint at(destination.left, destination.top);
        if (image.hasAlpha())
            target.blendFrom(image, source, at, clip);
        else
            target.copyFrom(image, source, at, clip);
    } else {
        target.drawScaled(image, source, destination, clip);
    }
}

void epiUiBitmapImage::drawSelf(epiBitmap& target, epiPoint origin, const epiRect& rect)
{
    epiBitmap* image = face(currentFace());
    if (!image)
        return;
    epiRect destination = boundsAt(origin);
    epiRect clip = clipAt(origin, rect);
    target.drawImage(*image, destination, clip);
}
