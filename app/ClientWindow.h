#pragma once

#include "ui/epiWindow.h"

namespace ZumeliApplication {

class ClientPanel;

// The main window ('main'): it holds the panel 'pane', is 560 × 420 and titled "Zumeli 3.1.4",
// lets the panel see its key events first (the hot key while it has the focus) and decide
// whether it may close, and hands the commands it gets to the panel.
class ClientWindow : public epiWindow
{
public:
    static constexpr int Width = 560;
    static constexpr int Height = 420;

    void create() override;
    void show() override;
    bool canClose() override;
    void closing() override;
    bool windowKey(const epiKeyEvent& event) override;
    bool receiveCommand(epiCode code, intptr_t value, intptr_t extra) override;
    bool handleCommand(epiCode code) override;

    ClientPanel* panel() const { return m_panel; }

private:
    ClientPanel* m_panel = nullptr;
};

} // namespace ZumeliApplication
