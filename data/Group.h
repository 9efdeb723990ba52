#pragma once

#include "data/Text.h"

#include <vector>

namespace Zumeli {

// One of the user's own lists of people.
struct Group {
    int id = 0;
    Text name;
    std::vector<int> members; // no duplicates, in the order they were added

    bool operator==(const Group&) const = default;
};

} // namespace Zumeli
