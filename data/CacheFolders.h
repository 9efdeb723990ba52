#pragma once

#include "data/Text.h"

namespace Zumeli {

// The folders where the client keeps what it caches between runs:
//   <application data>/Zumeli/        the downloaded localisation table and the language override
//   <application data>/Zumeli/Cache/  channel and people lists, groups, messages, pictures
// Each level is created when missing. Both paths end with the separator, or are empty when the
// system cannot tell the application-data folder or a level cannot be created.
class CacheFolders {
public:
    static Text dataFolder();
    static Text cacheFolder();
};

} // namespace Zumeli
