#include "ui/epiResMediaFiles.h"

#include "ui/epiFile.h"
#include "ui/epiRamFile.h"

#include <algorithm>
#include <dirent.h>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace {

// The name of a file or folder inside the set, relative to its root: the set's own leading "/"
// is dropped. False for a name that could reach outside the set's folder: one with a ".."
// component, one that is still absolute after the set's "/" ("//etc/passwd"), or one holding a
// zero byte (the system would open a shorter name than the one asked for). A pack never holds
// such names either, so refusing them keeps the two kinds of set answering alike.
bool relativeInside(std::string_view path, std::string_view& relative)
{
    if (path.find('\0') != std::string_view::npos)
        return false;
    if (path.starts_with('/'))
        path.remove_prefix(1);
    if (path.starts_with('/'))
        return false;
    for (size_t start = 0; start <= path.size();) {
        size_t slash = path.find('/', start);
        size_t end = slash == std::string_view::npos ? path.size() : slash;
        if (path.substr(start, end - start) == "..")
            return false;
        start = end + 1;
    }
    relative = path;
    return true;
}

// Names of the files below `folder`, relative to it, sorted so a listing does not depend on the
// file system's order.
void collect(const std::string& folder, const std::string& relative, bool recursive,
             std::vector<std::string>& names, int depth)
{
    DIR* dir = opendir((folder + relative).c_str());
    if (!dir || depth > 16) {
        if (dir)
            closedir(dir);
        return;
    }
    std::vector<std::string> found;
    while (dirent* entry = readdir(dir)) {
        std::string name = entry->d_name;
        if (name != "." && name != "..")
            found.push_back(name);
    }
    closedir(dir);
    std::sort(found.begin(), found.end());
    for (const std::string& name : found) {
        struct stat info;
        std::string path = relative + name;
        if (stat((folder + path).c_str(), &info) != 0)
            continue;
        if (S_ISDIR(info.st_mode)) {
            if (recursive)
                collect(folder, path + "/", recursive, names, depth + 1);
        } else {
            names.push_back(path);
        }
    }
}

} // namespace

bool epiResMediaFiles::openIdentifier(int)
{
    return false;
}

bool epiResMediaFiles::openPath(const epiPath& path)
{
    epiPath root = path.absolute();
    root.ensureTrailingSlash();
    epiPath marker = root;
    marker.append("epi.frs");
    if (!root.isFolder() || !marker.exists())
        return false;
    m_root = root;
    return true;
}

void epiResMediaFiles::close()
{
    m_root.clear();
}

bool epiResMediaFiles::nativePath(const epiText& path, epiPath& native)
{
    std::string_view relative;
    if (m_root.isEmpty() || !relativeInside(path.view(), relative))
        return false;
    native = m_root;
    native.append(relative);
    return native.exists() && !native.isFolder();
}

bool epiResMediaFiles::readFile(const epiText& path, epiRamFile& target)
{
    epiPath native;
    epiFile file;
    if (!nativePath(path, native) || !file.open(native, epiFile::kRead))
        return false;
    std::vector<uint8_t> bytes(static_cast<size_t>(file.size()));
    if (!bytes.empty() && !file.read(bytes.data(), bytes.size()))
        return false;
    target.setBytes(std::move(bytes));
    return true;
}

bool epiResMediaFiles::readText(const epiText& path, epiText& target)
{
    epiRamFile file;
    if (!readFile(path, file))
        return false;
    target.assign(reinterpret_cast<const char*>(file.data()), static_cast<size_t>(file.size()));
    return true;
}

bool epiResMediaFiles::exists(const epiText& path)
{
    epiPath native;
    return nativePath(path, native);
}

epiText epiResMediaFiles::folderPrefix(epiCode folderCode)
{
    switch (folderCode) {
    case epiFourCC("auxr"):
        return "aux/";
    case epiFourCC("fnts"):
        return "fonts/";
    case epiFourCC("gltx"):
        return "textures/";
    case epiFourCC("imag"):
        return "images/";
    case epiFourCC("laya"):
        return "layouts/";
    case epiFourCC("lnks"):
        return "links/";
    case epiFourCC("mdls"):
        return "models/";
    case epiFourCC("menu"):
        return "menus/";
    case epiFourCC("scrp"):
        return "scripts/";
    case epiFourCC("text"):
        return "texts/";
    default:
        return "";
    }
}

epiText epiResMediaFiles::resourcePath(epiCode folderCode, const epiText& name) const
{
    epiText path = folderPrefix(folderCode);
    path.append(name);
    return path;
}

void epiResMediaFiles::listFolder(const epiText& prefix, epiText& list, bool recursive)
{
    list.clear();
    std::string_view folder;
    if (m_root.isEmpty() || !relativeInside(prefix.view(), folder))
        return;
    std::vector<std::string> names;
    collect(m_root.str(), std::string(folder), recursive, names, 0);
    for (const std::string& name : names) {
        list.append(std::string_view(name).substr(folder.size()));
        list.appendLineEnd();
    }
}

bool epiResMediaFiles::readBytes(const epiText& path, std::vector<uint8_t>& target)
{
    epiRamFile file;
    if (!readFile(path, file))
        return false;
    target.assign(file.data(), file.data() + file.size());
    return true;
}
