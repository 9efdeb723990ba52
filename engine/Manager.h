#pragma once

#include "audio/EngineAudio.h"
#include "data/ChannelsList.h"
#include "data/PictureIndex.h"
#include "data/Preferences.h"
#include "engine/SessionRecord.h"
#include "engine/WebService.h"
#include "voice/ChannelEventQueue.h"
#include "voice/ClientMessages.h"

namespace Zumeli {

class AudioCodec;
class CommunicationEngine;
class PushServerConnection;

// The engine's shared state, kept for the life of the program: the session, the audio buffers
// and rings shared with the audio callback, the Client's message queues, the preferences, the
// two web endpoints and the cached lists. The program uses one (instance()); tests make their
// own. The voice connection and the current codec belong to the engine's voice session; the
// Manager refers to them while an engine is attached.
class Manager {
public:
    Manager();
    ~Manager();
    Manager(const Manager&) = delete;
    Manager& operator=(const Manager&) = delete;

    // The program's Manager, created on first use and kept until exit.
    static Manager& instance();

    PushServerConnection* voiceConnection = nullptr; // owned by the engine's voice session
    SessionRecord session;
    AudioCodec* codec = nullptr;                       // owned by the engine's voice session
    EngineAudio audio;                                 // capture and receive buffers, to-audio ring, meters
    ResponseMessages responses;
    RequestMessages requests;
    CommunicationEngine* engine = nullptr;
    Preferences preferences;
    WebService loginEndpoint;
    WebService sessionEndpoint;
    // The clock every engine timer runs on: seconds of audio processed (set by the Client).
    const AudioClock* clock = nullptr;
    ChannelEventQueue channelEvents { responses, nullptr };
    PictureIndex documents;
    ChannelsList channels;

    // Points both endpoints at the host (port, prefix) and the channel list's default voice
    // server of channel 1000 at the same host, port 9995.
    void setServiceAddress(const ServiceAddress& address);
    // Opens the cache (picture index, channel list, people) in the folder (ending with '/').
    void openCache(const Text& cacheFolder);
    // Attaches the timers to a clock.
    void setClock(const AudioClock* clock);
};

} // namespace Zumeli
