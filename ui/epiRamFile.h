#pragma once

#include "ui/epiStream.h"

#include <vector>

// A file in memory: either a growable block it owns, or a block it adopts without owning or
// copying it (read-only; the block must outlive the file).
class epiRamFile : public epiStream
{
public:
    epiRamFile() = default;

    void adopt(const void* data, size_t size);
    void setBytes(std::vector<uint8_t> bytes);
    // Sizes the owned block (new bytes are zero) and makes it writable.
    void resize(size_t size);
    const uint8_t* data() const { return m_adopted ? m_adopted : m_owned.data(); }
    uint8_t* mutableData() { return m_adopted ? nullptr : m_owned.data(); }
    const std::vector<uint8_t>& bytes() const { return m_owned; }

    bool read(void* buffer, size_t count) override;
    bool write(const void* buffer, size_t count) override;
    bool seek(int64_t offset, Origin origin) override;
    uint64_t position() const override { return m_position; }
    uint64_t size() const override { return m_adopted ? m_adoptedSize : m_owned.size(); }

private:
    std::vector<uint8_t> m_owned;
    const uint8_t* m_adopted = nullptr;
    size_t m_adoptedSize = 0;
    uint64_t m_position = 0;
};
