#include "data/CacheFolders.h"

#include <cerrno>
#include <sys/stat.h>

namespace Zumeli {

namespace {

// Appends one folder level to path and creates it when missing; an existing folder is fine.
bool addLevel(Text& path, const char* name)
{
    path.append(name);
    if (!path.createDirectory() && errno != EEXIST)
        return false;
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISDIR(info.st_mode))
        return false;
    path.appendBackslash();
    return true;
}

} // namespace

Text CacheFolders::dataFolder()
{
    Text path;
    path.setAppDataFolder();
    if (path.isEmpty() || !addLevel(path, "Zumeli"))
        return {};
    return path;
}

Text CacheFolders::cacheFolder()
{
    Text path = dataFolder();
    if (path.isEmpty() || !addLevel(path, "Cache"))
        return {};
    return path;
}

} // namespace Zumeli
