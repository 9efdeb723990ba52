#!/usr/bin/env python3
"""Writes the client's short sound cues into resources/sounds/ (or the folder given):
"online.raw" (logged in / voice server reached), "smile_00.raw" to "smile_06.raw" (the seven
smile sounds) and "tms.raw" (new text message). Format: headerless signed 16-bit little-endian
mono samples at 44100 Hz. Deterministic, so regenerating changes nothing."""

import math
import os
import struct
import sys

RATE = 44100
LEVEL = 0.35


def tone(frequency, seconds, decay=6.0, end_frequency=None, harmonics=(1.0, 0.3, 0.1)):
    """A plucked tone: quick attack, exponential decay, optional glide to end_frequency."""
    n = int(RATE * seconds)
    out = []
    phase = 0.0
    for i in range(n):
        t = i / RATE
        f = frequency if end_frequency is None else frequency + (end_frequency - frequency) * i / n
        phase += 2 * math.pi * f / RATE
        attack = min(1.0, i / (0.004 * RATE))
        envelope = attack * math.exp(-decay * t)
        value = sum(a * math.sin(k * phase) for k, a in enumerate(harmonics, start=1))
        out.append(envelope * value / sum(harmonics))
    return out


def silence(seconds):
    return [0.0] * int(RATE * seconds)


def sequence(*parts):
    out = []
    for part in parts:
        out.extend(part)
    return out


def fade_out(samples, seconds=0.01):
    n = min(len(samples), int(RATE * seconds))
    for i in range(n):
        samples[len(samples) - n + i] *= 1 - (i + 1) / n
    return samples


SOUNDS = {
    "online.raw": lambda: sequence(tone(660, 0.12, 10), tone(880, 0.25, 9)),
    # Smiles: short, clearly different gestures.
    "smile_00.raw": lambda: sequence(tone(523, 0.09, 14), tone(659, 0.09, 14), tone(784, 0.22, 9)),
    "smile_01.raw": lambda: tone(300, 0.35, 6, end_frequency=900),
    "smile_02.raw": lambda: tone(900, 0.35, 6, end_frequency=300),
    "smile_03.raw": lambda: sequence(tone(1047, 0.07, 20), silence(0.04), tone(1047, 0.07, 20), silence(0.04), tone(1319, 0.18, 12)),
    "smile_04.raw": lambda: tone(180, 0.4, 5, harmonics=(1.0, 0.6, 0.4, 0.2)),
    "smile_05.raw": lambda: sequence(tone(784, 0.09, 14), tone(659, 0.09, 14), tone(523, 0.22, 9)),
    "smile_06.raw": lambda: sequence(*(tone(600 + 120 * k, 0.05, 25) for k in range(6))),
    "tms.raw": lambda: sequence(tone(1320, 0.08, 18), silence(0.05), tone(1320, 0.16, 14)),
}


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "resources", "sounds")
    os.makedirs(folder, exist_ok=True)
    for name, make in SOUNDS.items():
        samples = fade_out(make())
        data = b"".join(struct.pack("<h", int(max(-1.0, min(1.0, s * LEVEL)) * 32767)) for s in samples)
        with open(os.path.join(folder, name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
