#pragma once

#include "data/Text.h"

namespace Zumeli {

// What the engine knows of one user id.
struct PeopleEntry {
    int id = 0;
    Text name;        // "Guest" when the service sends none
    int ts = 1;       // version of the user's data on the service
    Text text2;
    int its = 0;
    bool loaded = false; // name and details are known for the current ts
    Text text3;
    bool dnd = false;    // do not disturb
    bool stf = false;    // staff of the service

    bool operator==(const PeopleEntry&) const = default;
};

} // namespace Zumeli
