// A whole talk from one client's microphone to another client's speaker, for every codec at the
// two common device rates: recorded speech goes in as 512-frame microphone blocks with the talk
// flag on, through the talker's capture buffer, the codec's 47-byte packets, the listener's
// receive buffer and out of the listener's audio path. What comes out is aligned with what went
// in and compared: waveform signal-to-noise ratio for the waveform codecs, loudness envelope
// correlation for all (GSM keeps the sound of speech, not the waveform).
//
// The speech is made at test time with espeak-ng and brought to the device rate with sox.

#include "audio/AudioCodecFactory.h"
#include "audio/ClientAudio.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <ostream>
#include <string>
#include <unistd.h>
#include <vector>

using namespace Zumeli;

namespace {

const int32_t Block = 512;

bool haveTool(const char* name)
{
    std::string command = std::string("command -v ") + name + " >/dev/null 2>&1";
    return std::system(command.c_str()) == 0;
}

// Speech at the rate as floats, made once per rate; empty when the tools failed.
const std::vector<float>& speech(int32_t rate)
{
    static std::map<int32_t, std::vector<float>> made;
    auto found = made.find(rate);
    if (found != made.end())
        return found->second;
    std::vector<float>& samples = made[rate];
    std::filesystem::path folder = std::filesystem::temp_directory_path() / ("zumeli_speech_" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    std::string wav = (folder / "speech.wav").string();
    std::string raw = (folder / ("speech_" + std::to_string(rate) + ".raw")).string();
    std::string command = "espeak-ng -v en -s 150 -w '" + wav
        + "' 'Push to talk. The quick brown fox jumps over the lazy dog, channel ten.' >/dev/null 2>&1"
        + " && sox '" + wav + "' -r " + std::to_string(rate) + " -e signed-integer -b 16 -c 1 -t raw '" + raw
        + "' >/dev/null 2>&1";
    if (std::system(command.c_str()) == 0) {
        std::ifstream file(raw, std::ios::binary);
        std::vector<char> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        samples.resize(bytes.size() / 2);
        for (size_t i = 0; i < samples.size(); ++i) {
            int16_t value = int16_t(uint16_t(uint8_t(bytes[2 * i])) | uint16_t(uint8_t(bytes[2 * i + 1])) << 8);
            samples[i] = float(value) / 32768.0f;
        }
    }
    std::filesystem::remove_all(folder);
    return samples;
}

// RMS over consecutive frames of the given length.
std::vector<double> envelope(const std::vector<float>& x, size_t frame)
{
    std::vector<double> e(x.size() / frame);
    for (size_t k = 0; k < e.size(); ++k) {
        double sum = 0;
        for (size_t i = 0; i < frame; ++i)
            sum += double(x[k * frame + i]) * x[k * frame + i];
        e[k] = std::sqrt(sum / double(frame));
    }
    return e;
}

double correlation(const std::vector<double>& a, const std::vector<double>& b, size_t offset, size_t n)
{
    double ma = 0, mb = 0;
    for (size_t k = 0; k < n; ++k) {
        ma += a[k];
        mb += b[k + offset];
    }
    ma /= double(n);
    mb /= double(n);
    double ab = 0, aa = 0, bb = 0;
    for (size_t k = 0; k < n; ++k) {
        double da = a[k] - ma, db = b[k + offset] - mb;
        ab += da * db;
        aa += da * da;
        bb += db * db;
    }
    return aa > 0 && bb > 0 ? ab / std::sqrt(aa * bb) : 0;
}

struct Comparison {
    double snr = -99;       // dB, with the best gain applied to the output
    double gain = 0;        // that gain
    double envelope = 0;    // correlation of 10 ms loudness envelopes
    double delay = 0;       // seconds from input to output
};

// Finds where the input reappears in the output (envelopes first, then samples) and compares.
Comparison compare(const std::vector<float>& in, const std::vector<float>& out, int32_t rate)
{
    Comparison result;
    size_t frame = size_t(rate / 100);
    std::vector<double> ein = envelope(in, frame), eout = envelope(out, frame);
    if (eout.size() <= ein.size())
        return result;
    size_t bestFrame = 0;
    double best = -2;
    for (size_t lag = 0; lag + ein.size() <= eout.size(); ++lag) {
        double c = correlation(ein, eout, lag, ein.size());
        if (c > best) {
            best = c;
            bestFrame = lag;
        }
    }
    result.envelope = best;

    // Sample lag within two frames of the envelope's, judged on the loudest second.
    size_t window = size_t(rate);
    size_t start = 0;
    double loudest = -1;
    for (size_t s = 0; s + window <= in.size(); s += frame) {
        double energy = 0;
        for (size_t i = s; i < s + window; i += 8)
            energy += double(in[i]) * in[i];
        if (energy > loudest) {
            loudest = energy;
            start = s;
        }
    }
    long centre = long(bestFrame * frame);
    long bestLag = centre;
    double bestDot = -1e300;
    for (long lag = std::max(0L, centre - 2 * long(frame)); lag <= centre + 2 * long(frame); ++lag) {
        if (size_t(lag) + in.size() > out.size())
            break;
        double dot = 0;
        for (size_t i = start; i < start + window; ++i)
            dot += double(in[i]) * out[i + size_t(lag)];
        if (dot > bestDot) {
            bestDot = dot;
            bestLag = lag;
        }
    }
    result.delay = double(bestLag) / rate;

    double xy = 0, yy = 0, xx = 0;
    for (size_t i = 0; i < in.size(); ++i) {
        double x = in[i], y = out[i + size_t(bestLag)];
        xy += x * y;
        yy += y * y;
        xx += x * x;
    }
    result.gain = yy > 0 ? xy / yy : 0;
    double noise = 0;
    for (size_t i = 0; i < in.size(); ++i) {
        double e = in[i] - result.gain * out[i + size_t(bestLag)];
        noise += e * e;
    }
    result.snr = noise > 0 ? 10 * std::log10(xx / noise) : 99;
    return result;
}

// Two clients in lockstep: each device block of the talker is followed by the engine step that
// encodes what the capture buffer holds and delivers the packets to the listener's decoder.
std::vector<float> talkThrough(int32_t codecNumber, int32_t rate, const std::vector<float>& input)
{
    EngineAudio talkerEngine, listenerEngine;
    ClientAudio talker(talkerEngine), listener(listenerEngine);
    talker.setAudioRate(rate);
    listener.setAudioRate(rate);
    auto encoder = createAudioCodec(codecNumber);
    auto decoder = createAudioCodec(codecNumber);
    talkerEngine.talk.setCodec(codecNumber, encoder->frameSamples());

    std::vector<float> output;
    std::vector<float> block(Block);
    auto step = [&](const float* microphone) {
        if (microphone)
            std::copy(microphone, microphone + Block, block.begin());
        else
            std::fill(block.begin(), block.end(), 0.0f);
        talker.processAudio(block.data(), Block);
        std::array<uint8_t, 47> packet {};
        for (;;) {
            packet.fill(0);
            if (!encoder->encode(talkerEngine.capture, packet))
                break;
            decoder->decode(packet, listenerEngine.receive);
        }
        int64_t end = talkerEngine.talk.captureEnd();
        if (end >= 0 && talkerEngine.capture.readCount() >= end) {
            // The talker's end of talk reaches the listener: what is buffered plays out.
            talkerEngine.talk.setCaptureEnd(AudioTalkLink::NoCaptureEnd);
            listenerEngine.receive.clearWaiting();
        }
        std::fill(block.begin(), block.end(), 0.0f);
        listener.processAudio(block.data(), Block);
        output.insert(output.end(), block.begin(), block.end());
    };

    for (int i = 0; i < rate / Block; ++i)
        step(nullptr); // a second of quiet before the key goes down
    talkerEngine.talk.setTalkActive(true);
    for (size_t at = 0; at + Block <= input.size(); at += Block)
        step(&input[at]);
    talkerEngine.talk.setTalkActive(false);
    for (int i = 0; i < 2 * rate / Block; ++i)
        step(nullptr);
    EXPECT_EQ(talkerEngine.talk.captureEnd(), AudioTalkLink::NoCaptureEnd) << "the talk's end was reached";
    EXPECT_EQ(listenerEngine.receive.available(), 0) << "everything received was played";
    talkerEngine.talk.traceFill();
    return output;
}

struct Floor {
    int32_t codec;
    double snr;       // dB against the input
    double codecSnr;  // dB against what the lossless float codec delivers through the same path
    double envelope;  // correlation of loudness envelopes against the input
};

void PrintTo(const Floor& floor, std::ostream* os) { *os << "codec " << floor.codec; }

class SpeechTalk : public ::testing::TestWithParam<std::tuple<Floor, int32_t>> { };

const double QuietBeforeKey = 1.0;

} // namespace

TEST_P(SpeechTalk, ComesOutLikeItWentIn)
{
    auto [floor, rate] = GetParam();
    ASSERT_TRUE(haveTool("espeak-ng") && haveTool("sox")) << "espeak-ng and sox make the test speech (scripts/deps installs them)";
    const std::vector<float>& recorded = speech(rate);
    ASSERT_GT(recorded.size(), size_t(rate)) << "speech synthesis failed";
    std::vector<float> input(recorded.begin(), recorded.begin() + long(recorded.size() / Block * Block));

    std::vector<float> output = talkThrough(floor.codec, rate, input);
    Comparison c = compare(input, output, rate);

    // The same talk through the lossless codec isolates what the codec itself loses.
    std::vector<float> plain = talkThrough(0, rate, input);
    Comparison p = compare(input, plain, rate);
    long at = long(std::lround(p.delay * rate));
    std::vector<float> reference(plain.begin() + at, plain.begin() + at + long(input.size()));
    Comparison codecOnly = compare(reference, output, rate);

    std::printf("speech codec %2d at %5d Hz: SNR %6.2f dB (codec alone %6.2f dB), envelope correlation %.4f, "
                "gain %.3f, delay after the key %.3f s\n",
        floor.codec, rate, c.snr, codecOnly.snr, c.envelope, c.gain, c.delay - QuietBeforeKey);
    RecordProperty("snr_db", std::to_string(c.snr));
    RecordProperty("codec_snr_db", std::to_string(codecOnly.snr));
    RecordProperty("envelope_correlation", std::to_string(c.envelope));

    EXPECT_GE(c.snr, floor.snr);
    EXPECT_GE(codecOnly.snr, floor.codecSnr);
    EXPECT_GE(c.envelope, floor.envelope);
    EXPECT_GT(c.gain, 0.8) << "the level comes through";
    EXPECT_LT(c.gain, 1.25);
    // Every talk opens with half a second of pre-roll, which also fills the receive buffer past
    // its threshold at once: the speech comes out half a second (and a block or two) after the key.
    EXPECT_GT(c.delay - QuietBeforeKey, 0.45);
    EXPECT_LT(c.delay - QuietBeforeKey, 0.6);
}

// Floors sit well below what the path measures (see the printed figures) and well above what a
// broken stage gives (noise or a misaligned stream measures near 0 dB and a low correlation).
INSTANTIATE_TEST_SUITE_P(EveryCodec, SpeechTalk,
    ::testing::Combine(::testing::Values(
                           Floor { 0, 12, 90, 0.95 },
                           Floor { 1, 12, 40, 0.95 },
                           Floor { 8, 11, 15, 0.95 },
                           Floor { 9, 5, 5, 0.9 },
                           Floor { 11, 2, 2, 0.85 }),
        ::testing::Values(44100, 48000)),
    [](const auto& info) {
        return "codec" + std::to_string(std::get<0>(info.param).codec) + "_" + std::to_string(std::get<1>(info.param));
    });
