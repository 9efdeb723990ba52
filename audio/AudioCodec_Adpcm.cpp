#include "audio/AudioCodec_Adpcm.h"

#include <algorithm>

namespace Zumeli {

namespace {

const int16_t StepTable[89] = {
    7, 8, 9, 10, 11, 12, 13, 14, 16, 17, 19, 21, 23, 25, 28, 31, 34, 37, 41, 45, 50, 55, 60, 66, 73,
    80, 88, 97, 107, 118, 130, 143, 157, 173, 190, 209, 230, 253, 279, 307, 337, 371, 408, 449, 494,
    544, 598, 658, 724, 796, 876, 963, 1060, 1166, 1282, 1411, 1552, 1707, 1878, 2066, 2272, 2499,
    2749, 3024, 3327, 3660, 4026, 4428, 4871, 5358, 5894, 6484, 7132, 7845, 8630, 9493, 10442,
    11487, 12635, 13899, 15289, 16818, 18500, 20350, 22385, 24623, 27086, 29794, 32767
};

const int IndexAdjust[8] = { -1, -1, -1, -1, 2, 4, 6, 8 };

int clampIndex(int index) { return std::clamp(index, 0, 88); }
int clampPredictor(int value) { return std::clamp(value, -32768, 32767); }

// The one quantiser both ends use: delta = step x code / 4 + step / 8.
int delta(int step, int code) { return (step * (code & 7)) / 4 + step / 8; }

void putInt16(uint8_t* at, int16_t value)
{
    at[0] = uint8_t(uint16_t(value));
    at[1] = uint8_t(uint16_t(value) >> 8);
}

int16_t getInt16(const uint8_t* at) { return int16_t(uint16_t(at[0] | at[1] << 8)); }

} // namespace

bool AudioCodec_Adpcm::encode(AudioBuffer& source, AudioPacketBytes packet)
{
    float block[Samples];
    if (!source.readSamples(block, Samples, false))
        return false;

    uint8_t* payload = &packet[AudioPacket::PayloadOffset];
    packet[AudioPacket::LengthOffset] = 4 + Samples;
    putInt16(payload, m_encoder.predictor);
    putInt16(payload + 2, m_encoder.index);

    int predictor = m_encoder.predictor;
    int index = clampIndex(m_encoder.index);
    int step = StepTable[index];
    uint8_t* codes = payload + 4;
    for (int i = 0; i < Samples; ++i) {
        int diff = int(toPcm(block[i])) - predictor;
        bool negative = diff < 0;
        if (negative)
            diff = -diff;
        int code = std::min(7, diff * 4 / step);
        int d = delta(step, code);
        predictor = clampPredictor(negative ? predictor - d : predictor + d);
        if (negative)
            code += 8;
        index = clampIndex(index + IndexAdjust[code & 7]);
        step = StepTable[index];
        if (i % 2 == 0)
            codes[i / 2] = uint8_t(code << 4);
        else
            codes[i / 2] |= uint8_t(code);
    }
    m_encoder.predictor = int16_t(predictor);
    m_encoder.index = int16_t(index);
    return true;
}

bool AudioCodec_Adpcm::decode(ConstAudioPacketBytes packet, AudioBuffer& target)
{
    int count = int(packet[AudioPacket::LengthOffset]) - 4;
    if (count <= 0 || count > MaxDecodedSamples)
        return false;

    const uint8_t* payload = &packet[AudioPacket::PayloadOffset];
    int predictor = getInt16(payload);
    int index = clampIndex(getInt16(payload + 2));
    const uint8_t* codes = payload + 4;
    float block[MaxDecodedSamples];
    for (int i = 0; i < count; ++i) {
        int code = i % 2 == 0 ? codes[i / 2] >> 4 : codes[i / 2] & 0x0F;
        int step = StepTable[index];
        index = clampIndex(index + IndexAdjust[code & 7]);
        int d = delta(step, code);
        predictor = clampPredictor(code & 8 ? predictor - d : predictor + d);
        block[i] = fromPcm(int16_t(predictor));
    }
    m_decoder.predictor = int16_t(predictor);
    m_decoder.index = int16_t(index);
    return target.writeSamples(block, count);
}

} // namespace Zumeli
