#include "platform/Browser.h"

#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

namespace Zumeli::Platform {

bool openUrl(const std::string& url)
{
    if (url.rfind("http://", 0) != 0 && url.rfind("https://", 0) != 0)
        return false;
    // The shell puts xdg-open in the background and returns at once, so no browser start can
    // hold the caller and no child is left unreaped. The address travels as an argument, never
    // as shell text.
    pid_t shell = 0;
    char* const argv[] = { const_cast<char*>("sh"), const_cast<char*>("-c"),
                           const_cast<char*>("xdg-open \"$1\" >/dev/null 2>&1 &"), const_cast<char*>("sh"),
                           const_cast<char*>(url.c_str()), nullptr };
    if (posix_spawnp(&shell, "sh", nullptr, nullptr, argv, environ) != 0)
        return false;
    int status = 0;
    return waitpid(shell, &status, 0) == shell && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

} // namespace Zumeli::Platform
