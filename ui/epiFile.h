#pragma once

#include "ui/epiPath.h"
#include "ui/epiStream.h"

#include <cstdio>

// A native file. Open flags: kRead; kReadWrite opens an existing file or creates it, with
// kDeleteFirst removing the file first and kMustExist refusing to create it. Closing sets the
// file's end at the current position when it was opened for writing.
class epiFile : public epiStream
{
public:
    static constexpr int kRead = 1;
    static constexpr int kReadWrite = 2;
    static constexpr int kDeleteFirst = 0x40;
    static constexpr int kMustExist = 0x80;

    epiFile() = default;
    epiFile(const epiFile&) = delete;
    epiFile& operator=(const epiFile&) = delete;
    ~epiFile() override { close(); }

    bool open(const epiPath& path, int flags);
    void close();
    bool isOpen() const { return m_file != nullptr; }

    bool read(void* buffer, size_t count) override;
    bool write(const void* buffer, size_t count) override;
    bool seek(int64_t offset, Origin origin) override;
    uint64_t position() const override;
    uint64_t size() const override;

private:
    FILE* m_file = nullptr;
    bool m_writable = false;
};
