#include "ui/epiFile.h"

#include <sys/stat.h>
#include <unistd.h>

bool epiFile::open(const epiPath& path, int flags)
{
    close();
    std::string native = path.absolute().str();
    if (flags & kReadWrite) {
        if (flags & kDeleteFirst)
            unlink(native.c_str());
        m_file = std::fopen(native.c_str(), "r+b");
        if (!m_file && !(flags & kMustExist))
            m_file = std::fopen(native.c_str(), "w+b");
        m_writable = m_file != nullptr;
    } else {
        m_file = std::fopen(native.c_str(), "rb");
        m_writable = false;
    }
    if (m_file) {
        // Folders open for reading on Linux; they are not files.
        struct stat info;
        if (fstat(fileno(m_file), &info) != 0 || !S_ISREG(info.st_mode)) {
            std::fclose(m_file);
            m_file = nullptr;
        }
    }
    return m_file != nullptr;
}

void epiFile::close()
{
    if (!m_file)
        return;
    if (m_writable) {
        std::fflush(m_file);
        if (ftruncate(fileno(m_file), ftello(m_file)) != 0) {
            // The file keeps its longer length; the written bytes are in place.
        }
    }
    std::fclose(m_file);
    m_file = nullptr;
}

bool epiFile::read(void* buffer, size_t count)
{
    return m_file && std::fread(buffer, 1, count, m_file) == count;
}

bool epiFile::write(const void* buffer, size_t count)
{
    return m_file && m_writable && std::fwrite(buffer, 1, count, m_file) == count;
}

bool epiFile::seek(int64_t offset, Origin origin)
{
    if (!m_file)
        return false;
    int whence = origin == kStart ? SEEK_SET : origin == kCurrent ? SEEK_CUR : SEEK_END;
    return fseeko(m_file, offset, whence) == 0;
}

uint64_t epiFile::position() const
{
    if (!m_file)
        return 0;
    off_t at = ftello(m_file);
    return at < 0 ? 0 : static_cast<uint64_t>(at);
}

uint64_t epiFile::size() const
{
    if (!m_file)
        return 0;
    std::fflush(m_file);
    struct stat info;
    return fstat(fileno(m_file), &info) == 0 ? static_cast<uint64_t>(info.st_size) : 0;
}
