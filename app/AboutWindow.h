#pragma once

#include "app/AccountWindows.h"

#include <string>

namespace ZumeliApplication {

// 'abou': the program's name, version and licence, and the service it uses now.
class AboutWindow : public AccountWindow
{
public:
    bool handleCommand(epiCode code) override;
    // "host:port" of the service the stored user name selects.
    static std::string serviceText();

protected:
    void opened() override;
};

} // namespace ZumeliApplication
