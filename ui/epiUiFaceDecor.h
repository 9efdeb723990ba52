#pragma once

#include "ui/epiBitmap.h"
#include "ui/epiText.h"

class epiResources;

// The text that buttons, check boxes and radios "with text" draw over their face: font 'teFo',
// colours 'tCof', 'tCon', 'tCdi' (off, on, disabled), alignment 'txAl' and offset 'teOx', 'teOy'.
struct epiUiFaceText
{
    enum State { kOff, kOn, kDisabled };

    // True when the attribute was one of the text's.
    bool take(epiCode code, const epiText& value);
    bool take(epiCode code, int32_t value);
    void draw(epiResources* set, epiBitmap& target, epiRect box, const epiRect& clip, const epiText& text,
              State state) const;

    epiCode font = 0;
    uint32_t colours[3] = {epiArgb(255, 0, 0, 0), epiArgb(255, 0, 0, 0), epiArgb(255, 128, 128, 128)};
    int alignment = 0;
    epiPoint offset;
};

// The icon that buttons and check boxes "with icon" draw centred over their face: 'IcOf' when
// off, 'IcOn' when on (image names; the images are shared through the bitmap cache).
class epiUiFaceIcon
{
public:
    ~epiUiFaceIcon() { clear(); }
    bool take(epiResources* set, epiCode code, const epiText& imageName);
    void draw(epiBitmap& target, const epiRect& box, const epiRect& clip, bool on) const;
    epiBitmap* icon(bool on) const { return m_icons[on ? 1 : 0]; }
    void clear();

private:
    epiResources* m_resources = nullptr;
    epiBitmap* m_icons[2] = {};
};
