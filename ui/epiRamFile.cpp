#include "ui/epiRamFile.h"

#include <algorithm>
#include <cstring>

void epiRamFile::adopt(const void* data, size_t size)
{
    m_owned.clear();
    m_adopted = static_cast<const uint8_t*>(data);
    m_adoptedSize = data ? size : 0;
    m_position = 0;
}

void epiRamFile::setBytes(std::vector<uint8_t> bytes)
{
    m_adopted = nullptr;
    m_adoptedSize = 0;
    m_owned = std::move(bytes);
    m_position = 0;
}

void epiRamFile::resize(size_t size)
{
    if (m_adopted) {
        m_owned.assign(m_adopted, m_adopted + std::min(size, m_adoptedSize));
        m_adopted = nullptr;
        m_adoptedSize = 0;
    }
    m_owned.resize(size);
}

bool epiRamFile::read(void* buffer, size_t count)
{
    if (m_position > size() || count > size() - m_position)
        return false;
    if (count)
        std::memcpy(buffer, data() + m_position, count);
    m_position += count;
    return true;
}

bool epiRamFile::write(const void* buffer, size_t count)
{
    if (m_adopted)
        return false;
    if (m_position + count > m_owned.size())
        m_owned.resize(m_position + count);
    if (count)
        std::memcpy(m_owned.data() + m_position, buffer, count);
    m_position += count;
    return true;
}

bool epiRamFile::seek(int64_t offset, Origin origin)
{
    int64_t base = origin == kStart     ? 0
                   : origin == kCurrent ? static_cast<int64_t>(m_position)
                                        : static_cast<int64_t>(size());
    int64_t target = base + offset;
    if (target < 0)
        return false;
    m_position = static_cast<uint64_t>(target);
    return true;
}
