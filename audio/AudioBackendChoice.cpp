#include "audio/AudioBackendChoice.h"

#include "audio/FileAudioBackend.h"
#include "audio/NullAudioBackend.h"
#include "audio/PortAudioBackend.h"

#include <cstdlib>

namespace Zumeli {

std::optional<AudioBackendChoice> AudioBackendChoice::parse(const std::string& text, std::string* error)
{
    AudioBackendChoice choice;
    if (text.empty() || text == "portaudio")
        return choice;
    if (text == "null") {
        choice.kind = Kind::Null;
        return choice;
    }
    if (text.rfind("file:", 0) == 0) {
        std::string rest = text.substr(5);
        size_t colon = rest.find(':');
        choice.kind = Kind::File;
        choice.microphoneFile = rest.substr(0, colon);
        choice.speakerFile = colon == std::string::npos ? std::string() : rest.substr(colon + 1);
        if (choice.microphoneFile.empty() && choice.speakerFile.empty()) {
            if (error)
                *error = "\"file:\" needs MIC.wav, SPEAKER.wav or both (file:MIC.wav:SPEAKER.wav)";
            return std::nullopt;
        }
        return choice;
    }
    if (error)
        *error = "unknown sound back end \"" + text + "\" (portaudio, null or file:MIC.wav:SPEAKER.wav)";
    return std::nullopt;
}

std::optional<AudioBackendChoice> AudioBackendChoice::fromEnvironment(std::string* error)
{
    const char* value = std::getenv("ZUMELI_AUDIO");
    return parse(value ? value : "", error);
}

std::unique_ptr<IAudioBackend> AudioBackendChoice::create(bool afterFailure) const
{
    switch (kind) {
    case Kind::Null:
        return std::make_unique<NullAudioBackend>();
    case Kind::File: {
        auto backend = std::make_unique<FileAudioBackend>();
        backend->setLoopInput(true);
        if (!microphoneFile.empty() && !backend->setInputFile(microphoneFile))
            return nullptr;
        backend->setOutputFile(speakerFile);
        return backend;
    }
    case Kind::PortAudio:
        if (afterFailure)
            PortAudioBackend::reinitialise();
        return std::make_unique<PortAudioBackend>();
    }
    return nullptr;
}

} // namespace Zumeli
