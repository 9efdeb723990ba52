#pragma once

#include "audio/AudioData.h"

#include <cstdint>

namespace Zumeli::AudioSignalTone {

// Degrees to radians, the factor all the signals use.
constexpr double Radians = 0.01745327777777778;
constexpr float Amplitude = 0.1f;

// Fills block with rate x 0.05 samples of amplitude 0.1 * sin(frequency x 360 deg x i / rate).
void sine(AudioData& block, int32_t rate, float frequency);

} // namespace Zumeli::AudioSignalTone
