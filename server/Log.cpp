#include "server/Log.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <ctime>

namespace Zumeli {

namespace {

std::atomic<int> g_level { Log::Info };

void write(Log::Level level, const char* format, va_list arguments)
{
    static const char* const names[] = { "error", "warn", "info", "debug" };
    char line[1024];
    timespec now {};
    clock_gettime(CLOCK_REALTIME, &now);
    tm parts {};
    gmtime_r(&now.tv_sec, &parts);
    int prefix = std::snprintf(line, sizeof line, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ %s ", parts.tm_year + 1900,
                               parts.tm_mon + 1, parts.tm_mday, parts.tm_hour, parts.tm_min, parts.tm_sec,
                               int(now.tv_nsec / 1000000), names[level]);
    std::vsnprintf(line + prefix, sizeof line - size_t(prefix) - 1, format, arguments);
    // Keep the record on one line whatever the arguments held.
    for (char* c = line + prefix; *c; ++c)
        if (*c == '\n' || *c == '\r')
            *c = ' ';
    std::strcat(line, "\n");
    std::fputs(line, stderr);
}

} // namespace

void Log::setLevel(Level level) { g_level.store(level, std::memory_order_relaxed); }
Log::Level Log::level() { return Level(g_level.load(std::memory_order_relaxed)); }
bool Log::enabled(Level level) { return level <= g_level.load(std::memory_order_relaxed); }

bool Log::parseLevel(const char* name, Level& out)
{
    static const char* const names[] = { "error", "warn", "info", "debug" };
    for (int i = 0; i < 4; ++i) {
        if (name && std::strcmp(name, names[i]) == 0) {
            out = Level(i);
            return true;
        }
    }
    return false;
}

#define ZUMELI_LOG_AT(function, levelValue)                                                                            \
    void Log::function(const char* format, ...)                                                                        \
    {                                                                                                                  \
        if (!enabled(levelValue))                                                                                      \
            return;                                                                                                    \
        va_list arguments;                                                                                             \
        va_start(arguments, format);                                                                                   \
        write(levelValue, format, arguments);                                                                          \
        va_end(arguments);                                                                                             \
    }

ZUMELI_LOG_AT(error, Error)
ZUMELI_LOG_AT(warn, Warn)
ZUMELI_LOG_AT(info, Info)
ZUMELI_LOG_AT(debug, Debug)

} // namespace Zumeli
