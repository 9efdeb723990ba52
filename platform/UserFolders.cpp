#include "platform/UserFolders.h"

#include <cerrno>
#include <cstdlib>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Zumeli::Platform {

namespace {

std::string homeFolder()
{
    if (const char* home = std::getenv("HOME"); home && *home)
        return home;
    if (passwd* entry = getpwuid(getuid()); entry && entry->pw_dir)
        return entry->pw_dir;
    return {};
}

// XDG says a relative value of the variable is invalid and must be ignored.
std::string xdgFolder(const char* variable, const char* fallbackBelowHome)
{
    std::string folder;
    if (const char* value = std::getenv(variable); value && value[0] == '/') {
        folder = value;
    } else {
        std::string home = homeFolder();
        if (home.empty())
            return {};
        folder = home + "/" + fallbackBelowHome;
    }
    if (!makeFolders(folder))
        return {};
    if (folder.back() != '/')
        folder += '/';
    return folder;
}

} // namespace

bool makeFolders(const std::string& path)
{
    if (path.empty())
        return false;
    for (size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
        std::string part = path.substr(0, slash);
        if (!part.empty() && mkdir(part.c_str(), 0700) != 0 && errno != EEXIST)
            return false;
        if (slash == std::string::npos)
            break;
    }
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::string appDataFolder() { return xdgFolder("XDG_DATA_HOME", ".local/share"); }

std::string documentsFolder() { return xdgFolder("XDG_CONFIG_HOME", ".config"); }

} // namespace Zumeli::Platform
