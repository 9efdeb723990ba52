#pragma once

#include "data/ServiceMessageData.h"
#include "server/Server.h"

#include <optional>
#include <string>
#include <vector>

namespace Zumeli {

// The command line of zumeli-server: serve (the default), or one of the operator commands that
// work on the data folder while the server runs or not.
struct ServerOptions {
    enum Command { Serve, Help, QueueServiceMessage, SetChannel };

    Command command = Serve;
    ServerConfig config;
    std::string dataFolder;
    std::string logLevel = "info";

    // --queue-service-message USER TEXT [--button TEXT[|URL]]... [--disconnect]
    int recipient = 0;
    ServiceMessageData serviceMessage;

    // --set-channel NUMBER [--codec N] [--name TEXT]
    int channel = 0;
    std::optional<int> codec;
    std::optional<std::string> channelName;

    // Parses argv; false with a message in error when the command line is wrong.
    bool parse(int argc, const char* const* argv, std::string& error);
    // The data folder when none is given: $XDG_DATA_HOME (or ~/.local/share) + "/zumeli-server".
    static std::string defaultDataFolder();
    static const char* usage();
};

} // namespace Zumeli
