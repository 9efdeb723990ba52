#pragma once

#include <cstdint>

namespace Zumeli {

// Something that happened on the channel, shown to the user one at a time.
struct ChannelEvent {
    enum Kind : int32_t {
        None = 0,
        Entered = 1,
        Left = 2,
        Talking = 3,
        Stopped = 4,
        You = 5,
        Ringing = 6,
        LoggedOff = 7,
        DoNotDisturb = 8,
        Available = 9,
        KindCount = 10,
    };

    int32_t reserved1 = 0;
    int32_t reserved2 = 0;
    int32_t kind = None;
    int32_t user = 0;
    int32_t priority = 0; // lower shows first

    // The priority of a kind, and the localisation id of its text ("*USEREVENT_...").
    static int32_t priorityOf(int32_t kind);
    static const char* textId(int32_t kind);
};

} // namespace Zumeli
