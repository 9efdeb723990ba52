#pragma once

#include "app/AccountWindows.h"

#include <string>

namespace ZumeliApplication {

// What the side windows of the client share beyond the account windows: every marked text of the
// tree translated (not only the window's own items), the frame kept in a preference, and the
// main panel as the target of the commands the windows hand on.
class SideWindow : public AccountWindow
{
public:
    void show() override;
    void closing() override;

    // "left,top,width,height" of a frame, and back (false for anything else or an empty size).
    static std::string formatFrame(const epiRect& frame);
    static bool parseFrame(const std::string& text, epiRect& frame);

protected:
    // The preference that keeps the frame; null: the frame is not kept.
    virtual const char* framePreference() const { return nullptr; }
    // Hands a command to the main window's 'pane' (the panel).
    bool toPanel(epiCode code, intptr_t value, intptr_t extra = 0);
    // Translates every marked text below `root`.
    void translateTree(epiUbo* root);
};

} // namespace ZumeliApplication
