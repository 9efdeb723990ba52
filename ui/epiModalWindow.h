#pragma once

#include "ui/epiWindow.h"

// A window that, once shown, runs a nested loop until it is closed: the other windows are
// disabled meanwhile, so show() returns only when the user is done with it.
class epiModalWindow : public epiWindow
{
public:
    epiModalWindow();
    void show() override;
    bool isRunningNestedLoop() const { return m_inLoop; }

private:
    bool m_inLoop = false;
};
