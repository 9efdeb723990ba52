// zumeli: the desktop client.
#include "app/ClientApplication.h"

#include <cstdio>

int main(int argc, char** argv)
{
    // Trace lines appear as they are written, also when the output is a pipe.
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    ZumeliApplication::ClientApplication application;
    return application.main(argc, argv);
}
