#pragma once

#include <string>

// CPU time and resident memory of this process, from /proc/self/stat and /proc/self/status.
namespace ProcessFigures {

struct Sample
{
    long long cpuTicks = 0; // user + system, in clock ticks
    double wallSeconds = 0;
};

Sample sample();
long residentKilobytes();
// Prints "idle <label>: <percent>% of a core (<ticks> ticks in <seconds> s), resident <kB> kB".
void report(const std::string& label, const Sample& start, const Sample& end);

} // namespace ProcessFigures
