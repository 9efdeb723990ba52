#pragma once

#include "data/Text.h"
#include "data/XmlChunk.h"

namespace Zumeli {

struct ChannelElement;
class People;

// Outcomes of the join reply reader.
enum JoinResult : int {
    JoinSucceeded = 0,
    JoinRefused = 1,
    JoinBadReply = 2,
    JoinInvalidSession = 3, // the session is gone: the engine leaves
    JoinChannelFull = 4,
};

// Reads a join reply into the channel record. "OK" (channel data unchanged) refreshes only the
// permission, the people and the two flags; "UP" (changed) also replaces the name, the voice
// server, the texts, the picture stamps and the timestamp.
JoinResult readJoinReply(const Text& reply, ChannelElement& channel, People& people);

// Reads the users of a channel from the text of "ul": entries "id,ts,name" separated by blanks.
// The channel's present users become exactly the listed ids; every person is created or gets
// the listed version, and a listed name. True when the people list changed.
bool readUserList(const XmlChunk& ul, ChannelElement& channel, People& people);

} // namespace Zumeli
