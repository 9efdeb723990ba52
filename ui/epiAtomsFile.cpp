#include "ui/epiAtomsFile.h"

#include <cstring>

namespace {

constexpr epiCode kHeaderTag = epiFourCC("atms");
constexpr uint32_t kVersion = 1;

} // namespace

bool epiAtomsFile::readHeader(epiCode& tag, uint32_t& size, uint32_t& reserved)
{
    uint32_t words[3];
    if (!m_stream || !m_stream->read(words, sizeof words))
        return false;
    tag = fix(words[0]);
    size = fix(words[1]);
    reserved = fix(words[2]);
    return true;
}

bool epiAtomsFile::openExisting()
{
    m_swapped = false;
    epiCode tag;
    uint32_t size, version;
    if (!readHeader(tag, size, version))
        return false;
    if (tag != kHeaderTag) {
        if (__builtin_bswap32(tag) != kHeaderTag)
            return false;
        m_swapped = true;
        size = __builtin_bswap32(size);
        version = __builtin_bswap32(version);
    }
    return size == 0 && version == kVersion;
}

bool epiAtomsFile::createNew(bool swapped)
{
    m_swapped = swapped;
    uint32_t words[3] = {fix(kHeaderTag), 0, fix(kVersion)};
    return m_stream && m_stream->write(words, sizeof words);
}

bool epiAtomsFile::readAtom(epiCode tag, void* buffer, uint32_t length)
{
    uint64_t start = m_stream ? m_stream->position() : 0;
    epiCode found;
    uint32_t size, reserved;
    bool ok = readHeader(found, size, reserved) && found == tag;
    if (ok) {
        uint64_t available =
            m_stream->size() > m_stream->position() ? m_stream->size() - m_stream->position() : 0;
        ok = size <= available;
    }
    if (!ok) {
        if (m_zeroOnMiss && buffer)
            std::memset(buffer, 0, length);
        if (m_stream)
            m_stream->seek(static_cast<int64_t>(start), epiStream::kStart);
        return false;
    }
    uint32_t count = size < length ? size : length;
    if (count && !m_stream->read(buffer, count)) {
        m_stream->seek(static_cast<int64_t>(start), epiStream::kStart);
        return false;
    }
    if (count < length)
        std::memset(static_cast<char*>(buffer) + count, 0, length - count);
    if (size > count)
        m_stream->seek(size - count, epiStream::kCurrent);
    return true;
}

bool epiAtomsFile::peekAtom(epiCode tag, uint32_t* size)
{
    if (!m_stream)
        return false;
    uint64_t start = m_stream->position();
    epiCode found;
    uint32_t payload, reserved;
    bool ok = readHeader(found, payload, reserved) && found == tag;
    m_stream->seek(static_cast<int64_t>(start), epiStream::kStart);
    if (ok && size)
        *size = payload;
    return ok;
}

bool epiAtomsFile::locateAtom(epiCode tag, uint64_t* offset, uint32_t* size)
{
    if (!m_stream)
        return false;
    uint64_t start = m_stream->position();
    epiCode found;
    uint32_t payload, reserved;
    if (!readHeader(found, payload, reserved) || found != tag || m_stream->position() > m_stream->size() ||
        payload > m_stream->size() - m_stream->position()) {
        m_stream->seek(static_cast<int64_t>(start), epiStream::kStart);
        return false;
    }
    if (offset)
        *offset = m_stream->position();
    if (size)
        *size = payload;
    m_stream->seek(payload, epiStream::kCurrent);
    return true;
}

bool epiAtomsFile::writeAtom(epiCode tag, const void* payload, uint32_t size)
{
    uint32_t words[3] = {fix(tag), fix(size), 0};
    if (!m_stream || !m_stream->write(words, sizeof words))
        return false;
    return size == 0 || m_stream->write(payload, size);
}

bool epiAtomsFile::readValue(epiCode tag, uint32_t& value)
{
    uint32_t stored = 0;
    bool ok = readAtom(tag, &stored, sizeof stored);
    value = fix(stored);
    return ok;
}

bool epiAtomsFile::writeValue(epiCode tag, uint32_t value)
{
    uint32_t stored = fix(value);
    return writeAtom(tag, &stored, sizeof stored);
}
