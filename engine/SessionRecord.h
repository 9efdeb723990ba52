#pragma once

#include "data/ChannelElement.h"
#include "data/People.h"
#include "data/Text.h"
#include "engine/OwnDetails.h"

namespace Zumeli {

// The logged-in user and the current channel, as the engine and the Client share them.
struct SessionRecord {
    int ownUserId = 0;
    Text sessionId;
    int voiceOptions = 0;  // socket option bits for the voice connection ("sop")
    Text groupsValue;      // "ugs": session flags, one decimal digit each
    Text smk;
    OwnDetails ownDetails;
    int currentChannel = 1000;
    ChannelElement* channel = nullptr; // the current channel's record in the channel list
    People people;
    Text positionText;     // what PositionText sends
    bool subscribed = false;

    // Flag i of the session ("ugs" digit i is not '0'); false past the end.
    bool flag(int index) const
    {
        return index >= 0 && index < groupsValue.length() && groupsValue[index] != '0';
    }
};

} // namespace Zumeli
