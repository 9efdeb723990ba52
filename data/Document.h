#pragma once

#include "data/Text.h"

namespace Zumeli {

// One cached picture: its file name in the cache folder and the version the service gave it.
struct Document {
    Text name;
    int version = 0;
};

} // namespace Zumeli
