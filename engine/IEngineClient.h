#pragma once

#include "data/ServiceMessageData.h"
#include "data/Text.h"
#include "data/UserMessageData.h"
#include "voice/ChannelEvent.h"

#include <cstdint>
#include <memory>

namespace Zumeli {

// What the communication engine hands to the Client, or asks of it, besides the response
// codes: values from the login and join replies, the message rings, the channel photo and the
// events on display. The Client implements it; tests implement it with plain members.
class IEngineClient {
public:
    virtual ~IEngineClient() = default;

    // The service's clock minus the local clock, in seconds.
    virtual void setServerClockOffset(long seconds) = 0;
    // The lowest and highest channel the user may tune to (0: unchanged).
    virtual void setChannelBounds(int lowest, int highest) = 0;
    // The user's permission on the joined channel ("pe"; 0 allows talking).
    virtual void setChannelPermission(int permission) = 0;
    // The localisation stamp the login announced, for the once-per-run table check: true when
    // a newer table should be downloaded; it then arrives through localizationArrived.
    virtual bool localizationWanted(const Text& stamp) = 0;
    virtual void localizationArrived(const Text& reply) = 0;

    // A service message arrived; false when the ring is full (the message is dropped).
    virtual bool addServiceMessage(const ServiceMessageData& message) = 0;
    // A text message arrived; the Client takes ownership (the record comes back for freeing).
    virtual void postIncomingMessage(std::unique_ptr<UserMessageData> message) = 0;
    // The next message the user wrote, or null; handed back with returnOutgoingMessage.
    virtual std::unique_ptr<UserMessageData> takeOutgoingMessage() = 0;
    virtual void returnOutgoingMessage(std::unique_ptr<UserMessageData> message) = 0;
    // Incoming records the Client is done with.
    virtual std::unique_ptr<UserMessageData> takeReturnedMessage() = 0;

    // The local JPEG the user shares as the channel photo, and where a received one landed.
    virtual Text channelPhotoToPost() const = 0;
    virtual void channelPhotoReceived(const Text& path) = 0;

    virtual void setLinkQuality(float quality) = 0;
    virtual void setCurrentTalker(uint32_t user) = 0;
    virtual void showChannelEvent(const ChannelEvent& event) = 0;
    virtual bool userUpdatesDisabled() const = 0;

    // The machine's identity for the login: identifier, platform text, and the "ai" text.
    virtual Text machineId() const = 0;
    virtual Text platformText() const = 0;
    virtual Text identityText() const = 0;
    virtual Text language() const = 0;
};

} // namespace Zumeli
