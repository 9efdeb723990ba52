#include "ui/epiClipboard.h"

#include "ui/epiApplication.h"
#include "ui/epiWindowSystem.h"

void epiClipboard::setText(const epiText& text)
{
    if (application() && application()->windowSystem())
        application()->windowSystem()->setClipboardText(text.str());
}

bool epiClipboard::text(epiText& text) const
{
    std::string value;
    if (!application() || !application()->windowSystem() || !application()->windowSystem()->clipboardText(value))
        return false;
    text.assign(value.c_str());
    return true;
}
