#pragma once

#include <string>

namespace Zumeli::Platform {

// The two-letter language of the user's locale, from the first of LC_ALL, LC_MESSAGES and LANG
// that is set and not empty; "en" when none is, or when it is "C" or "POSIX".
std::string localeLanguage();

} // namespace Zumeli::Platform
