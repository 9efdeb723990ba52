// Whole-file operations and the user folders of Text.

#include "data/Text.h"
#include "platform/UserFolders.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace Zumeli {

namespace {

// The process's file creation mask, read without changing it.
mode_t currentUmask()
{
    mode_t mask = 022;
    if (FILE* status = std::fopen("/proc/self/status", "r")) {
        char line[256];
        while (std::fgets(line, sizeof line, status)) {
            unsigned value = 0;
            if (std::sscanf(line, "Umask: %o", &value) == 1) {
                mask = mode_t(value);
                break;
            }
        }
        std::fclose(status);
    }
    return mask;
}

bool writeAll(int fd, const char* data, size_t size)
{
    while (size > 0) {
        ssize_t written = ::write(fd, data, size);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += written;
        size -= size_t(written);
    }
    return true;
}

} // namespace

bool Text::saveToFile(const Text& path, bool ownerOnly) const
{
    // Write a temporary file beside the target, then rename it over the target: the rename is
    // atomic, so readers see either the old file or the whole new one.
    std::string temporary = path.str() + ".XXXXXX";
    int fd = mkstemp(temporary.data());
    if (fd < 0) {
        std::printf(" error saving file\n");
        return false;
    }
    mode_t mode = 0666 & ~currentUmask();
    struct stat existing {};
    if (ownerOnly)
        mode = 0600;
    else if (::stat(path.c_str(), &existing) == 0)
        mode = existing.st_mode & 07777;
    bool ok = ::fchmod(fd, mode) == 0 || !ownerOnly;
    ok = ok && writeAll(fd, m_bytes.data(), m_bytes.size());
    ok = ok && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    if (ok && ::rename(temporary.c_str(), path.c_str()) == 0)
        return true;
    ::unlink(temporary.c_str());
    std::printf(" error saving file\n");
    return false;
}

bool Text::loadFromFile(const Text& path)
{
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return false;
    }
    std::string contents(size_t(info.st_size), '\0');
    size_t done = 0;
    while (done < contents.size()) {
        ssize_t got = ::read(fd, contents.data() + done, contents.size() - done);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        done += size_t(got);
    }
    ::close(fd);
    if (done != contents.size())
        return false;
    m_bytes = std::move(contents);
    return true;
}

bool Text::fileExists(const Text& path)
{
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    ::close(fd);
    return true;
}

bool Text::removeFile(const Text& path)
{
    if (::unlink(path.c_str()) == 0)
        return true;
    std::printf("Remove %s error %d\n", path.c_str(), errno);
    return false;
}

bool Text::createDirectory() const { return ::mkdir(c_str(), 0700) == 0; }

Text& Text::appendBackslash() { return appendChar('/'); }

Text& Text::setAppDataFolder() { return set(Platform::appDataFolder()); }

Text& Text::setDocumentsFolder() { return set(Platform::documentsFolder()); }

} // namespace Zumeli
