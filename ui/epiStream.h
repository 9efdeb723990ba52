#pragma once

#include "ui/epiObject.h"

#include <cstddef>
#include <cstdint>

// The common shape of the toolkit's files: a native file or a block of memory. Reads and writes
// succeed only when the whole count was transferred.
class epiStream : public epiObject
{
public:
    enum Origin
    {
        kStart = 0,
        kCurrent = 1,
        kEnd = 2
    };

    virtual bool read(void* buffer, size_t count) = 0;
    virtual bool write(const void* buffer, size_t count) = 0;
    // False (position unchanged) when the new position would be negative.
    virtual bool seek(int64_t offset, Origin origin) = 0;
    virtual uint64_t position() const = 0;
    virtual uint64_t size() const = 0;
};
