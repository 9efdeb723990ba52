#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace Zumeli {

// Reads a PCM WAV file (8, 16, 24 or 32-bit integer, or 32-bit float; any channel count, mixed
// down to mono) into float samples. Every chunk size is checked against the bytes present; a
// file that does not hold what its header claims is refused. False with `error` set on refusal.
// Reads a whole file of at most maxBytes; false (with `error` set) when it cannot be read or is larger.
bool readFileBytes(const std::string& path, size_t maxBytes, std::vector<uint8_t>& bytes, std::string* error = nullptr);

bool readWav(const std::string& path, std::vector<float>& samples, int32_t& rate, std::string* error = nullptr);
bool parseWav(const uint8_t* bytes, size_t size, std::vector<float>& samples, int32_t& rate, std::string* error = nullptr);

// Writes mono 16-bit PCM WAV with the 44-byte header, streaming: samples are appended as they
// come and the header's sizes are brought up to date by finish() (and by the destructor).
class WavWriter {
public:
    WavWriter() = default;
    ~WavWriter() { finish(); }
    WavWriter(const WavWriter&) = delete;
    WavWriter& operator=(const WavWriter&) = delete;

    bool open(const std::string& path, int32_t rate);
    bool append(const float* samples, int32_t n);
    // Writes the final sizes and closes the file; true when everything was written.
    bool finish();
    bool isOpen() const { return m_file != nullptr; }
    int64_t samplesWritten() const { return m_samples; }

private:
    bool writeHeader();

    std::FILE* m_file = nullptr;
    int32_t m_rate = 44100;
    int64_t m_samples = 0;
    bool m_failed = false;
};

} // namespace Zumeli
