#pragma once

#include "audio/AudioBuffer.h"
#include "audio/AudioBufferTrigStream.h"
#include "audio/AudioTalkLink.h"
#include "audio/LevelMeter.h"
#include "voice/ClientMessages.h"

namespace Zumeli {

// The audio state the engine owns and shares with the audio callback: the 8000 Hz capture
// buffer (callback writes, codec reads), the receive buffer (codec writes, callback reads),
// their level meters (callback updates, user interface reads), the ring of requests to the
// callback and the talk link. It lives as long as the engine.
class EngineAudio {
public:
    static constexpr int32_t NetworkRate = 8000;

    // Codes the engine posts to toAudio.
    enum ToAudioCode : int32_t {
        DiscardReceived = 1,
        DiscardReplay = 2,
    };

    EngineAudio();

    AudioBuffer capture;
    AudioBufferTrigStream receive;
    LevelMeter captureMeter { NetworkRate };
    LevelMeter receiveMeter { NetworkRate };
    ToAudioMessages toAudio;
    AudioTalkLink talk;
};

} // namespace Zumeli
