#pragma once

#include <string>

namespace Zumeli::Platform {

// Asks the desktop to open a web address in the user's browser (xdg-open), without waiting for
// it. Only http and https addresses are passed on. True when the opener could be started.
bool openUrl(const std::string& url);

} // namespace Zumeli::Platform
