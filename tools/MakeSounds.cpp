// zumeli-sounds: writes the interface's short sound clips as headerless signed 16-bit
// little-endian mono samples at 44100 Hz: "online.raw" (a rising two-note chime), "tms.raw" (a
// soft bell for a new message) and "smile_00.raw" to "smile_06.raw" (seven short motifs).
//
//   zumeli-sounds OUTPUTFOLDER
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr double kRate = 44100.0;
constexpr double kPi = 3.14159265358979323846;

struct Note
{
    double start;     // seconds
    double frequency; // Hz
    double length;    // seconds until the tone has faded
    double level;     // peak, 0..1
};

// A bell-like tone: fundamental with two soft overtones, a 5 ms attack and an exponential fade.
void addNote(std::vector<double>& samples, const Note& note)
{
    size_t first = static_cast<size_t>(note.start * kRate);
    size_t count = static_cast<size_t>(note.length * kRate);
    if (samples.size() < first + count)
        samples.resize(first + count, 0.0);
    for (size_t i = 0; i < count; ++i) {
        double t = i / kRate;
        double attack = std::min(1.0, t / 0.005);
        double fade = std::exp(-5.0 * t / note.length);
        double tail = 1.0 - static_cast<double>(i) / count; // reaches exactly 0 at the end
        double wave = std::sin(2 * kPi * note.frequency * t) + 0.3 * std::sin(4 * kPi * note.frequency * t) +
                      0.1 * std::sin(6 * kPi * note.frequency * t);
        samples[first + i] += note.level * attack * fade * tail * wave / 1.4;
    }
}

bool write(const std::string& path, const std::vector<Note>& notes)
{
    std::vector<double> samples;
    for (const Note& note : notes)
        addNote(samples, note);
    std::vector<uint8_t> bytes;
    for (double sample : samples) {
        long value = std::lround(std::fmax(-1.0, std::fmin(1.0, sample)) * 32767.0);
        uint16_t word = static_cast<uint16_t>(static_cast<int16_t>(value));
        bytes.push_back(static_cast<uint8_t>(word & 0xFF));
        bytes.push_back(static_cast<uint8_t>(word >> 8));
    }
    FILE* out = std::fopen(path.c_str(), "wb");
    bool ok = out && std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
    if (out)
        ok = std::fclose(out) == 0 && ok;
    return ok;
}

double midi(int note)
{
    return 440.0 * std::pow(2.0, (note - 69) / 12.0);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUTFOLDER\n", argv[0]);
        return 2;
    }
    std::string folder = argv[1];
    bool ok = write(folder + "/online.raw", {{0.0, midi(76), 0.35, 0.35}, {0.12, midi(83), 0.45, 0.35}});
    ok = write(folder + "/tms.raw", {{0.0, midi(84), 0.5, 0.3}, {0.09, midi(88), 0.6, 0.25}}) && ok;
    // Seven motifs on a pentatonic scale, each a different short gesture.
    const std::vector<std::vector<int>> motifs = {
        {72, 76, 79},     // rising triad
        {79, 76, 72},     // falling triad
        {72, 79, 72, 79}, // bounce
        {81, 79, 76, 74}, // cascade
        {74, 74, 81},     // call
        {76, 81, 84, 88}, // sparkle
        {67, 72, 67},     // low wink
    };
    for (size_t i = 0; i < motifs.size(); ++i) {
        std::vector<Note> notes;
        for (size_t n = 0; n < motifs[i].size(); ++n)
            notes.push_back({0.09 * n, midi(motifs[i][n]), 0.3, 0.22});
        char name[32];
        std::snprintf(name, sizeof name, "/smile_%02zu.raw", i);
        ok = write(folder + name, notes) && ok;
    }
    if (!ok) {
        std::fprintf(stderr, "zumeli-sounds: cannot write into %s\n", folder.c_str());
        return 1;
    }
    return 0;
}
