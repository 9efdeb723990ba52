#pragma once

#include "data/Text.h"

namespace Zumeli {

// What a login (or a registration) sends, and what the login reply gives back.
struct LoginRecord {
    // Sent.
    Text userName;
    Text passwordDigest;
    bool anonymous = false;
    Text machineId;
    Text platform;
    Text identity; // hardware address ":" address ":" third identity value
    Text language;
    Text notificationToken; // preference "public.apntoken"
    Text mail;              // registration only

    // From the login reply.
    Text sessionId;
    Text address; // "ip": where the session endpoint moves, with port and pathPrefix
    int port = 0;
    Text pathPrefix;
    int channel = 0;
    int userId = 0;
    int lowestChannel = 0;
    int highestChannel = 0;
    bool messagesWaiting = false;
    Text groupsValue;       // "ugs"
    long serverTime = 0;    // "st", seconds since 1970 on the service's clock
    Text smk;
    Text localizationStamp; // "lot"
    int voiceOptions = 0;   // "sop"
    Text ownDetails;        // the raw content of "sud"

    // An account login: the name as typed, the password only as its digest.
    void setAccount(const Text& name, const Text& password);
    // A guest login: "anonymous" with the digest of "anonymous".
    void setGuest();
};

} // namespace Zumeli
