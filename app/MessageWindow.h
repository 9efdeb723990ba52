#pragma once

#include "app/AccountWindows.h"

namespace ZumeliApplication {

// 'smsg': a short notice from the panel (a refused login, a full service) with a "Done" button.
class MessageWindow : public AccountWindow
{
public:
    bool handleCommand(epiCode code) override;
};

} // namespace ZumeliApplication
