#pragma once

#include "data/Text.h"
#include "engine/OwnDetails.h"

namespace Zumeli {

class Groups;

// The small XML documents that travel in the "data" field of the web service calls. One element
// per line ("\r\n" after each); numbers as "<name>%d</name>"; identifiers, session and token as
// they are; texts a user typed (service request, subscription message, mail, group names) pass
// through Text::escapeForForm, so after the service's form decoding they arrive as XML text
// that can neither end its element nor the form field.
class ServiceDocuments {
public:
    static Text userDetails(int ownUserId, const Text& sessionId, const Text& token, const OwnDetailsChange& change);
    static Text reportAbuse(int userId);
    static Text serviceRequest(int ownUserId, const Text& request, const Text& machineId);
    static Text cancelServiceRequest(const Text& machineId);
    static Text channelSubscription(int channel, bool subscribed);
    // An empty text gives the document with the channel only.
    static Text subscriptionMessage(int channel, const Text& text);
    static Text buyChannel(int ownUserId, int channel, const Text& machineId);
    // The groups as Groups::toXml writes them for the cache file, with escaped names.
    static Text userGroups(const Groups& groups);
};

} // namespace Zumeli
