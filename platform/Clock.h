#pragma once

#include <cstdint>

namespace Zumeli::Platform {

// Milliseconds of a monotonic clock (never jumps with the wall clock); the origin is arbitrary.
uint64_t tickMilliseconds();

// Sleeps at least the given number of milliseconds, resuming after signals.
void sleepMilliseconds(int milliseconds);

} // namespace Zumeli::Platform
