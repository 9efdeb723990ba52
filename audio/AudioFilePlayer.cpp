#include "audio/AudioFilePlayer.h"

#include "audio/WavFile.h"

#include <algorithm>
#include <cstring>

namespace Zumeli {

namespace {

uint16_t read16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }
uint32_t read32(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }

} // namespace

void AudioFilePlayer::clear()
{
    m_samples.clear();
    m_samples.shrink_to_fit();
    m_channels = 0;
    m_formatValid = false;
    m_refused = false;
    m_loaded = false;
}

bool AudioFilePlayer::load(const std::string& path)
{
    clear();
    std::vector<uint8_t> bytes;
    return readFileBytes(path, MaxFileBytes, bytes) && parse(bytes.data(), bytes.size());
}

bool AudioFilePlayer::parse(const uint8_t* bytes, size_t size)
{
    clear();
    if (bytes)
        walk(bytes, size, true);
    m_loaded = !m_refused && m_formatValid && !m_samples.empty();
    if (!m_loaded)
        clear();
    return m_loaded;
}

// One level of chunks; the "RIFF" chunk's body is walked the same way after its "WAVE" mark.
bool AudioFilePlayer::walk(const uint8_t* bytes, size_t size, bool topLevel)
{
    size_t offset = 0;
    while (!m_refused && size - offset >= 8) {
        const uint8_t* id = bytes + offset;
        const size_t chunkSize = read32(id + 4);
        const uint8_t* body = id + 8;
        const size_t available = size - offset - 8;
        if (topLevel && std::memcmp(id, "RIFF", 4) == 0) {
            // Only the outermost RIFF is opened: nested ones would let a file recurse without end.
            if (chunkSize < 4 || available < 4 || std::memcmp(body, "WAVE", 4) != 0)
                return false;
            // A file cut short still plays what it holds.
            walk(body + 4, std::min(chunkSize, available) - 4, false);
        } else if (std::memcmp(id, "fmt ", 4) == 0) {
            if (chunkSize < 16 || available < 16) {
                m_refused = true;
                return false;
            }
            const uint16_t format = read16(body);
            const uint16_t channels = read16(body + 2);
            const uint32_t rate = read32(body + 4);
            const uint32_t bytesPerSecond = read32(body + 8);
            const uint16_t bits = read16(body + 14);
            if (format != 1 || (channels != 1 && channels != 2) || rate != uint32_t(FileRate)
                || bytesPerSecond != channels * 88200u || bits != 16) {
                m_refused = true;
                return false;
            }
            m_channels = channels;
            m_formatValid = true;
        } else if (std::memcmp(id, "data", 4) == 0 && m_formatValid) {
            // A data chunk that claims more than the file holds gives what is there.
            const size_t dataBytes = std::min(chunkSize, available);
            const size_t count = dataBytes / 2 / size_t(m_channels);
            m_samples.resize(count);
            for (size_t i = 0; i < count; ++i) {
                const uint8_t* frame = body + i * 2 * size_t(m_channels);
                if (m_channels == 2)
                    m_samples[i] = int16_t((int32_t(int16_t(read16(frame))) + int32_t(int16_t(read16(frame + 2)))) / 2);
                else
                    m_samples[i] = int16_t(read16(frame));
            }
        }
        if (chunkSize > available)
            break;
        offset += 8 + chunkSize;
    }
    return !m_refused;
}

} // namespace Zumeli
