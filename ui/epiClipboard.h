#pragma once

#include "ui/epiApplicationObject.h"
#include "ui/epiText.h"

// Text on the desktop's clipboard, through the application's window system.
class epiClipboard : public epiApplicationObject
{
public:
    void setText(const epiText& text);
    // False when the clipboard holds no text (or there is no window system).
    bool text(epiText& text) const;
};
