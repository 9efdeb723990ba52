#include "platform/Clock.h"

#include <cerrno>
#include <ctime>

namespace Zumeli::Platform {

uint64_t tickMilliseconds()
{
    timespec now {};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return uint64_t(now.tv_sec) * 1000u + uint64_t(now.tv_nsec) / 1000000u;
}

void sleepMilliseconds(int milliseconds)
{
    if (milliseconds <= 0)
        return;
    timespec wanted { milliseconds / 1000, long(milliseconds % 1000) * 1000000L };
    timespec left {};
    while (nanosleep(&wanted, &left) != 0 && errno == EINTR)
        wanted = left;
}

} // namespace Zumeli::Platform
