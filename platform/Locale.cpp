#include "platform/Locale.h"

#include <cctype>
#include <cstdlib>
#include <cstring>

namespace Zumeli::Platform {

std::string localeLanguage()
{
    for (const char* variable : { "LC_ALL", "LC_MESSAGES", "LANG" }) {
        const char* value = std::getenv(variable);
        if (!value || !*value)
            continue;
        if (std::strcmp(value, "C") == 0 || std::strcmp(value, "POSIX") == 0 || std::strncmp(value, "C.", 2) == 0)
            return "en";
        if (std::isalpha(static_cast<unsigned char>(value[0])) && std::isalpha(static_cast<unsigned char>(value[1]))) {
            return { char(std::tolower(static_cast<unsigned char>(value[0]))),
                     char(std::tolower(static_cast<unsigned char>(value[1]))) };
        }
        return "en";
    }
    return "en";
}

} // namespace Zumeli::Platform
