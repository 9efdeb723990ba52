#pragma once

#include <cstdint>
#include <string>

namespace Zumeli {

// "hh:mm:ss.t" for a number of samples at a rate (the player's position, the recorder's time).
std::string audioTimeText(int64_t samples, int32_t rate);

} // namespace Zumeli
