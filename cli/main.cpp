#include "cli/CliOptions.h"
#include "cli/HeadlessRun.h"

#include <cstdio>
#include <fcntl.h>
#include <string>
#include <unistd.h>
#include <vector>

using namespace Zumeli;

int main(int argc, char** argv)
{
    std::vector<std::string> arguments(argv + 1, argv + argc);
    CliOptions options;
    std::string error;
    if (!parseCliOptions(arguments, options, error)) {
        std::fprintf(stderr, "zumeli-cli: %s\n", error.c_str());
        return ExitUsage;
    }
    if (options.help) {
        std::fputs(cliUsage(), stdout);
        return ExitDone;
    }

    // Standard output carries the event lines only: the engine's trace lines go to standard
    // error with --verbose and nowhere otherwise.
    std::fflush(stdout);
    int eventsFd = ::dup(STDOUT_FILENO);
    int traces = options.verbose ? ::dup(STDERR_FILENO) : ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (eventsFd < 0 || traces < 0 || ::dup2(traces, STDOUT_FILENO) < 0) {
        std::fprintf(stderr, "zumeli-cli: cannot set up the output\n");
        return ExitUsage;
    }
    ::close(traces);
    FILE* events = options.events ? ::fdopen(eventsFd, "w") : nullptr;
    int code = runHeadless(options, events);
    if (events)
        std::fclose(events);
    return code;
}
