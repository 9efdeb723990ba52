#pragma once

#include <cstdio>
#include <optional>
#include <string>

namespace ZumeliApplication {

// The three start-up options: "-prefspath PATH", "-user NAME", "-pass PASSWORD". An argument is an
// option only when it equals the option text exactly; the option takes the next argument as its
// value (a later occurrence replaces the earlier value) and prints a line saying so. An option
// without a value and every other argument are skipped.
struct CommandLineOptions {
    std::optional<std::string> prefsPath;
    std::optional<std::string> user;
    std::optional<std::string> pass;

    // Scans argv[1 .. argc - 1]; the printed lines go to `out` (null: nowhere).
    void scan(int argc, char** argv, FILE* out);

    // The process's options, as the last scan set them.
    static CommandLineOptions& process();
};

} // namespace ZumeliApplication
