#pragma once

namespace Zumeli {

// One-line log records on standard error, filtered by a level chosen at start.
class Log {
public:
    enum Level { Error = 0, Warn = 1, Info = 2, Debug = 3 };

    static void setLevel(Level level);
    static Level level();
    // "error", "warn", "info" or "debug"; false for anything else.
    static bool parseLevel(const char* name, Level& out);
    static bool enabled(Level level);

    static void error(const char* format, ...) __attribute__((format(printf, 1, 2)));
    static void warn(const char* format, ...) __attribute__((format(printf, 1, 2)));
    static void info(const char* format, ...) __attribute__((format(printf, 1, 2)));
    static void debug(const char* format, ...) __attribute__((format(printf, 1, 2)));
};

} // namespace Zumeli
