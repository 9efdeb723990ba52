// zumeli: the desktop client.
#include "app/ClientApplication.h"
#include "app/Usage.h"

#include <csignal>
#include <cstdio>
#include <cstring>

namespace {

// A terminate or interrupt quits as File > Quit does: the client leaves its channel first.
void quitSoon(int) { ZumeliApplication::ClientApplication::requestQuit(); }

} // namespace

int main(int argc, char** argv)
{
    // Trace lines appear as they are written, also when the output is a pipe.
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    // Answered before anything else, so it works without a display too.
    for (int i = 1; i < argc; ++i) {
        if (argv[i] && (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0)) {
            std::fputs(ZumeliApplication::UsageText, stdout);
            return 0;
        }
    }
    std::signal(SIGTERM, quitSoon);
    std::signal(SIGINT, quitSoon);
    ZumeliApplication::ClientApplication application;
    return application.main(argc, argv);
}
