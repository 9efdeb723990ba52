#include "app/CommandLineOptions.h"

#include <cstring>

namespace ZumeliApplication {

namespace {

struct OptionEntry {
    const char* text;
    std::optional<std::string> CommandLineOptions::*value;
    const char* line;
};

constexpr OptionEntry Options[] = {
    {"-prefspath", &CommandLineOptions::prefsPath, "Using alternate prefs path: %s\n"},
    {"-user", &CommandLineOptions::user, "Using alternate username: %s\n"},
    {"-pass", &CommandLineOptions::pass, "Using alternate password: %s\n"},
};

} // namespace

void CommandLineOptions::scan(int argc, char** argv, FILE* out)
{
    for (int i = 1; i < argc; ++i) {
        if (!argv[i])
            continue;
        for (const OptionEntry& option : Options) {
            if (std::strcmp(argv[i], option.text) != 0)
                continue;
            if (i + 1 >= argc || !argv[i + 1])
                break; // the last argument: no value, ignored
            ++i;
            this->*option.value = std::string(argv[i]);
            if (out) {
                std::fprintf(out, option.line, argv[i]);
                std::fflush(out);
            }
            break;
        }
    }
}

CommandLineOptions& CommandLineOptions::process()
{
    static CommandLineOptions options;
    return options;
}

} // namespace ZumeliApplication
