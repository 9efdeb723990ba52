#pragma once

#include "cli/CliOptions.h"

#include <cstdio>

namespace Zumeli {

// Exit codes of zumeli-cli.
enum CliExit : int { ExitDone = 0, ExitUsage = 2, ExitLogin = 3, ExitNoVoice = 4, ExitNoTalk = 5 };

// One run of the headless client with parsed options: events go to events (null: none),
// errors as one line to standard error. Returns the exit code.
int runHeadless(const CliOptions& options, FILE* events);

} // namespace Zumeli
