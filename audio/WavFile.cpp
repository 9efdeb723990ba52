#include "audio/WavFile.h"

#include "audio/AudioCodec.h"

#include <cstring>
#include <limits>

namespace Zumeli {

namespace {

uint16_t read16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }
uint32_t read32(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }

void put16(uint8_t* p, uint32_t v)
{
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}
void put32(uint8_t* p, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = uint8_t(v >> (8 * i));
}

bool fail(std::string* error, const char* why)
{
    if (error)
        *error = why;
    return false;
}

float sampleAt(const uint8_t* p, int bits, bool isFloat)
{
    if (isFloat) {
        float value;
        std::memcpy(&value, p, 4);
        return (value == value) ? value : 0.0f; // NaN becomes silence
    }
    switch (bits) {
    case 8:
        return (float(p[0]) - 128.0f) / 128.0f;
    case 16:
        return float(int16_t(read16(p))) / 32768.0f;
    case 24: {
        int32_t v = int32_t(uint32_t(p[0]) << 8 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 24) >> 8;
        return float(v) / 8388608.0f;
    }
    default:
        return float(int32_t(read32(p))) / 2147483648.0f;
    }
}

} // namespace

bool parseWav(const uint8_t* bytes, size_t size, std::vector<float>& samples, int32_t& rate, std::string* error)
{
    if (size < 12 || std::memcmp(bytes, "RIFF", 4) != 0 || std::memcmp(bytes + 8, "WAVE", 4) != 0)
        return fail(error, "not a RIFF WAVE file");
    int format = 0, channels = 0, bits = 0;
    uint32_t fileRate = 0;
    const uint8_t* data = nullptr;
    size_t dataSize = 0;
    size_t offset = 12;
    while (offset + 8 <= size) {
        uint32_t chunkSize = read32(bytes + offset + 4);
        const uint8_t* body = bytes + offset + 8;
        size_t bodyAvailable = size - offset - 8;
        if (std::memcmp(bytes + offset, "fmt ", 4) == 0) {
            if (chunkSize < 16 || bodyAvailable < 16)
                return fail(error, "format chunk too short");
            format = read16(body);
            channels = read16(body + 2);
            fileRate = read32(body + 4);
            bits = read16(body + 14);
            if (format == 0xFFFE && chunkSize >= 26 && bodyAvailable >= 26)
                format = read16(body + 24); // extensible: the sub-format's first two bytes
        } else if (std::memcmp(bytes + offset, "data", 4) == 0) {
            data = body;
            // A streamed file may leave its size unwritten; take what is there.
            dataSize = std::min<size_t>(chunkSize, bodyAvailable);
            break;
        }
        if (chunkSize > bodyAvailable)
            return fail(error, "chunk runs past the end of the file");
        offset += 8 + chunkSize + (chunkSize & 1);
    }
    if (!format)
        return fail(error, "no format chunk");
    if (!data)
        return fail(error, "no data chunk");
    bool isFloat = format == 3 && bits == 32;
    if (!(format == 1 && (bits == 8 || bits == 16 || bits == 24 || bits == 32)) && !isFloat)
        return fail(error, "unsupported sample format");
    if (channels < 1 || channels > 32 || fileRate < 1000 || fileRate > 384000)
        return fail(error, "unsupported channel count or rate");
    size_t frameBytes = size_t(channels) * size_t(bits / 8);
    size_t frames = dataSize / frameBytes;
    samples.assign(frames, 0.0f);
    for (size_t f = 0; f < frames; ++f) {
        float sum = 0;
        for (int c = 0; c < channels; ++c)
            sum += sampleAt(data + f * frameBytes + size_t(c) * size_t(bits / 8), bits, isFloat);
        samples[f] = sum / float(channels);
    }
    rate = int32_t(fileRate);
    return true;
}

bool readFileBytes(const std::string& path, size_t maxBytes, std::vector<uint8_t>& bytes, std::string* error)
{
    bytes.clear();
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return fail(error, "cannot open the file");
    uint8_t buffer[65536];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
        if (bytes.size() + got > maxBytes) {
            std::fclose(file);
            bytes.clear();
            return fail(error, "file too large");
        }
        bytes.insert(bytes.end(), buffer, buffer + got);
    }
    std::fclose(file);
    return true;
}

bool readWav(const std::string& path, std::vector<float>& samples, int32_t& rate, std::string* error)
{
    std::vector<uint8_t> bytes;
    if (!readFileBytes(path, size_t(512) * 1024 * 1024, bytes, error))
        return false;
    return parseWav(bytes.data(), bytes.size(), samples, rate, error);
}

bool WavWriter::open(const std::string& path, int32_t rate)
{
    finish();
    m_file = std::fopen(path.c_str(), "wb");
    m_rate = rate;
    m_samples = 0;
    m_failed = false;
    return m_file && writeHeader();
}

bool WavWriter::writeHeader()
{
    uint8_t header[44];
    uint64_t dataBytes = uint64_t(m_samples) * 2;
    if (dataBytes > std::numeric_limits<uint32_t>::max() - 36)
        dataBytes = std::numeric_limits<uint32_t>::max() - 36;
    std::memcpy(header, "RIFF", 4);
    put32(header + 4, uint32_t(36 + dataBytes));
    std::memcpy(header + 8, "WAVEfmt ", 8);
    put32(header + 16, 16);
    put16(header + 20, 1);
    put16(header + 22, 1);
    put32(header + 24, uint32_t(m_rate));
    put32(header + 28, uint32_t(m_rate) * 2);
    put16(header + 32, 2);
    put16(header + 34, 16);
    std::memcpy(header + 36, "data", 4);
    put32(header + 40, uint32_t(dataBytes));
    return std::fseek(m_file, 0, SEEK_SET) == 0 && std::fwrite(header, 1, 44, m_file) == 44
        && std::fseek(m_file, 0, SEEK_END) == 0;
}

bool WavWriter::append(const float* samples, int32_t n)
{
    if (!m_file || n <= 0)
        return m_file != nullptr;
    uint8_t pcm[2048];
    for (int32_t done = 0; done < n;) {
        int32_t count = std::min<int32_t>(n - done, 1024);
        for (int32_t i = 0; i < count; ++i)
            put16(pcm + 2 * i, uint16_t(AudioCodec::toPcm(samples[done + i])));
        if (std::fwrite(pcm, 2, size_t(count), m_file) != size_t(count))
            m_failed = true;
        done += count;
    }
    m_samples += n;
    return !m_failed;
}

bool WavWriter::finish()
{
    if (!m_file)
        return !m_failed;
    bool ok = writeHeader() && !m_failed;
    ok = (std::fclose(m_file) == 0) && ok;
    m_file = nullptr;
    return ok;
}

} // namespace Zumeli
