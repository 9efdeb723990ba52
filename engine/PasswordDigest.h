#pragma once

#include "data/Text.h"

namespace Zumeli {

// What the service receives instead of a password: checksumHex of its bytes, eight upper-case
// hexadecimal digits ("abc" gives "3D0E8682", an empty password "00000000").
Text passwordDigest(const Text& password);

} // namespace Zumeli
