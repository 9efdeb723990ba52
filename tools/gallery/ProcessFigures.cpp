#include "ProcessFigures.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace ProcessFigures {

Sample sample()
{
    Sample result;
    result.wallSeconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
    std::ifstream stat("/proc/self/stat");
    std::string line;
    std::getline(stat, line);
    // The command name may hold blanks: the fields start after its closing parenthesis.
    size_t close = line.rfind(')');
    if (close == std::string::npos)
        return result;
    std::istringstream fields(line.substr(close + 2));
    std::string field;
    long long utime = 0, stime = 0;
    // Fields 3 onward; utime and stime are fields 14 and 15.
    for (int index = 3; fields >> field; ++index) {
        if (index == 14)
            utime = std::atoll(field.c_str());
        if (index == 15) {
            stime = std::atoll(field.c_str());
            break;
        }
    }
    result.cpuTicks = utime + stime;
    return result;
}

long residentKilobytes()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::atol(line.c_str() + 6);
    return 0;
}

void report(const std::string& label, const Sample& start, const Sample& end)
{
    double seconds = end.wallSeconds - start.wallSeconds;
    long long ticks = end.cpuTicks - start.cpuTicks;
    double perSecond = static_cast<double>(sysconf(_SC_CLK_TCK));
    double percent = seconds > 0 ? 100.0 * ticks / perSecond / seconds : 0;
    std::printf("idle %s: %.2f%% of a core (%lld ticks in %.1f s), resident %ld kB\n", label.c_str(), percent, ticks,
                seconds, residentKilobytes());
}

} // namespace ProcessFigures
