#pragma once

#include "audio/IAudioBackend.h"

#include <memory>
#include <optional>
#include <string>

namespace Zumeli {

// Which sound back end a program runs, as the environment variable ZUMELI_AUDIO names it for
// scripted use: "portaudio" (the sound card, the default), "null" (silence, paced in real time)
// or "file:MIC.wav:SPEAKER.wav" (the microphone plays MIC.wav in a loop, resampled to the
// stream rate; everything played is written to SPEAKER.wav, 44100 Hz 16-bit mono).
struct AudioBackendChoice {
    enum class Kind { PortAudio, Null, File };
    Kind kind = Kind::PortAudio;
    std::string microphoneFile;
    std::string speakerFile;

    // The choice a text names, or nothing (with the reason) when it names none.
    static std::optional<AudioBackendChoice> parse(const std::string& text, std::string* error = nullptr);
    // ZUMELI_AUDIO, or the sound card when it is unset or empty. A bad value is refused with
    // its reason in error.
    static std::optional<AudioBackendChoice> fromEnvironment(std::string* error = nullptr);

    // A new back end of this kind; for PortAudio, afterFailure restarts the library first, so
    // that devices plugged in since are found.
    std::unique_ptr<IAudioBackend> create(bool afterFailure = false) const;
};

} // namespace Zumeli
