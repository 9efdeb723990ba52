#include "ui/epiPath.h"

#include "platform/UserFolders.h"

#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace {

epiPath& applicationFolderStorage()
{
    static epiPath folder = [] {
        char buffer[4096];
        ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
        if (length <= 0)
            return epiPath("./");
        epiPath exe(buffer, static_cast<size_t>(length));
        return exe.folder();
    }();
    return folder;
}

constexpr std::string_view kVolumes = "/Volumes/";
constexpr size_t kNativeLimit = 2048;

} // namespace

epiPath epiPath::fromNative(const epiText& nativePath)
{
    epiPath path(nativePath);
    path.replaceChar('\\', '/');
    size_t drive = path.str().find(":/");
    if (drive == std::string::npos)
        return path;
    epiPath result(kVolumes);
    result.append(path.view().substr(0, drive));
    result.append(path.view().substr(drive + 1));
    return result;
}

epiText epiPath::toNative() const
{
    epiText path = absolute();
    epiText native;
    if (path.startsWith(kVolumes) && path.length() > kVolumes.size()) {
        native.appendChar(path.str()[kVolumes.size()]);
        native.append(":\\");
        std::string_view rest = path.view().substr(kVolumes.size() + 1);
        if (!rest.empty() && rest.front() == '/')
            rest.remove_prefix(1);
        native.append(rest);
    } else {
        native = path;
    }
    native.replaceChar('/', '\\');
    if (native.length() > kNativeLimit)
        native = native.substring(0, kNativeLimit);
    return native;
}

const epiPath& epiPath::applicationFolder()
{
    return applicationFolderStorage();
}

void epiPath::setApplicationFolder(const epiText& folder)
{
    epiPath& stored = applicationFolderStorage();
    stored = epiPath(folder);
    stored.ensureTrailingSlash();
}

epiPath epiPath::absolute() const
{
    if (startsWith("/"))
        return *this;
    epiPath path = applicationFolder();
    path.append(*this);
    return path;
}

epiText epiPath::fileName() const
{
    return substring(findLast('/') + 1);
}

epiPath epiPath::folder() const
{
    int slash = findLast('/');
    return slash < 0 ? epiPath() : epiPath(substring(0, slash + 1));
}

void epiPath::setExtension(const char* extension)
{
    int dot = findLast('.');
    if (dot > findLast('/'))
        assign(substring(0, dot));
    appendChar('.');
    append(extension);
}

void epiPath::insertBeforeExtension(const char* suffix)
{
    int dot = findLast('.');
    if (dot <= findLast('/')) {
        append(suffix);
        return;
    }
    epiText rest = substring(dot);
    assign(substring(0, dot));
    append(suffix);
    append(rest);
}

void epiPath::appendComponent(const char* name)
{
    if (!isEmpty() && !endsWith("/"))
        appendChar('/');
    append(name);
}

void epiPath::ensureTrailingSlash()
{
    if (!endsWith("/"))
        appendChar('/');
}

bool epiPath::exists() const
{
    struct stat info;
    return stat(absolute().c_str(), &info) == 0;
}

bool epiPath::isFolder() const
{
    struct stat info;
    return stat(absolute().c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool epiPath::createFolder() const
{
    return Zumeli::Platform::makeFolders(absolute().str());
}

bool epiPath::deleteFile() const
{
    return unlink(absolute().c_str()) == 0;
}

void epiPath::setSpecialFolder(epiCode code, bool create)
{
    std::string folder;
    switch (code) {
    case epiFourCC("sApp"):
        folder = "/usr/bin/";
        break;
    case epiFourCC("sRot"):
        folder = "/";
        break;
    case epiFourCC("uAps"):
    case epiFourCC("uPrf"):
        folder = Zumeli::Platform::appDataFolder();
        break;
    case epiFourCC("uDoc"):
    case epiFourCC("uHom"):
        folder = Zumeli::Platform::documentsFolder();
        break;
    case epiFourCC("uDes"): {
        const char* desktop = std::getenv("XDG_DESKTOP_DIR");
        const char* home = std::getenv("HOME");
        if (desktop && desktop[0] == '/')
            folder = desktop;
        else if (home && *home)
            folder = std::string(home) + "/Desktop";
        else
            return;
        break;
    }
    default:
        return;
    }
    if (folder.empty())
        return;
    assign(folder.c_str());
    ensureTrailingSlash();
    if (create)
        createFolder();
}
