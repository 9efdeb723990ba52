#pragma once

#include <optional>
#include <string>
#include <vector>

namespace Zumeli {

// What zumeli-cli was asked to do.
struct CliOptions {
    struct Message {
        int userId = 0;
        std::string text;
    };

    std::optional<std::string> prefsPath;
    std::string serverHost;
    int serverPort = 0;
    std::optional<std::string> user;
    std::optional<std::string> password;
    bool guest = false;
    std::optional<std::string> registerName;
    std::string mail;
    std::optional<int> channel;
    std::string talkFile;
    bool echo = false;
    std::string recordFile;
    std::vector<Message> messages;
    double duration = 0; // 0: until the talk is done, or until interrupted
    std::string audio;   // "null", "file" or "portaudio"; empty: chosen from the other options
    bool events = false;
    bool verbose = false;
    bool help = false;
};

// Reads the command line; false with a one-line reason in error.
bool parseCliOptions(const std::vector<std::string>& arguments, CliOptions& options, std::string& error);

// The text of --help: every option, the exit codes and every event line.
const char* cliUsage();

} // namespace Zumeli
