#pragma once

#include <cstdint>

namespace Zumeli {

// Requests the Client posts to the engine.
namespace Request {
enum : int32_t {
    Login = 1,
    Leave = 2,
    ChangeChannel = 3, // value: channel number
    TalkOn = 4,
    TalkOff = 5,
    HeaderImage = 6,
    Smile = 7,         // value: smile index
    AdministrationSaved = 8,
    Position = 9,
    DoNotDisturb = 10,
    ChannelPhoto = 11,
    TalkRequest = 12,
};
} // namespace Request

// Responses the engine posts back to the Client.
namespace Response {
enum : int32_t {
    LoggedIn = 1,
    LoggedOut = 2,
    LoginFailed = 3,
    LoginRefused = 4,
    ServerFull = 5,
    ChannelChanged = 6, // value: channel number
    TalkStarted = 7,
    RemoteTalkTimedOut = 8,
    TalkStopped = 9,
    RemoteTalkEnded = 10,
    RemoteTalkStarted = 11,
    ChannelPeopleChanged = 12,
    VoiceConnectionUp = 13,
    VoiceConnectionLost = 14,
    TrafficBegan = 15,
    TrafficEnded = 16,
    HelloAccepted = 17,
    VoiceConnectionDown = 18,
    HeaderImageFailed = 19,
    ChannelPictures = 20,
    LinkQuality = 21,
    JoinFailed = 22,
    TransmissionTrouble = 23,
    PlaySmile = 24,       // value: smile index
    TalkAcknowledged = 25,
    ServiceMessages = 26,
    ChannelEvent = 27,
    PositionChanged = 28, // value: user
    PhotoUpdated = 29,    // value: user
    TalkRequested = 30,   // value: user
    ChannelFull = 32,
};
} // namespace Response

} // namespace Zumeli
