#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace Zumeli {

// A WAV file for the player: 44100 Hz 16-bit PCM, mono or stereo (mixed down to mono), read
// whole. The chunks are walked by their sizes, so chunks the player does not know (and "fmt "
// chunks longer than 16 bytes) are skipped; every size is checked against the bytes present.
class AudioFilePlayer {
public:
    static constexpr int32_t FileRate = 44100;
    // What the player window shows when load() fails.
    static constexpr const char* LoadFailedMessage = "Cannot load. Use 44100KHz 16Bit WAV audio files.";
    // Files larger than this are refused rather than read into memory.
    static constexpr size_t MaxFileBytes = size_t(1) << 30;

    // Reads and parses the file; false (and nothing loaded) when it cannot be read or is not a
    // 44100 Hz 16-bit PCM mono or stereo WAV file with at least one sample.
    bool load(const std::string& path);
    bool parse(const uint8_t* bytes, size_t size);
    void clear();

    bool loaded() const { return m_loaded; }
    // Mono samples at 44100 Hz.
    const std::vector<int16_t>& samples() const { return m_samples; }
    int32_t count() const { return int32_t(m_samples.size()); }
    // The file's channel count (1 or 2), 0 when nothing is loaded.
    int32_t channels() const { return m_channels; }

private:
    bool walk(const uint8_t* bytes, size_t size, bool topLevel);

    std::vector<int16_t> m_samples;
    int32_t m_channels = 0;
    bool m_formatValid = false;
    bool m_refused = false;
    bool m_loaded = false;
};

} // namespace Zumeli
