// zumeli-server: the self-hosted Zumeli service, and its operator commands.

#include "server/Database.h"
#include "server/Log.h"
#include "server/Server.h"
#include "server/ServerOptions.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>

using namespace Zumeli;

namespace {

bool makeDataFolder(const std::string& folder) { return makePrivateFolder(folder); }

int queueServiceMessage(const ServerOptions& options)
{
    Store store;
    if (!makeDataFolder(options.dataFolder) || !store.open(options.config.databasePath))
        return 1;
    auto user = store.userById(options.recipient);
    if (!user) {
        std::fprintf(stderr, "zumeli-server: no user %d\n", options.recipient);
        return 1;
    }
    if (!store.queueServiceMessage(options.recipient, options.serviceMessage))
        return 1;
    std::printf("service message queued for user %d\n", options.recipient);
    return 0;
}

int setChannel(const ServerOptions& options)
{
    Store store;
    if (!makeDataFolder(options.dataFolder) || !store.open(options.config.databasePath))
        return 1;
    if (!store.setChannelSettings(options.channel, options.codec, options.channelName))
        return 1;
    auto channel = store.channel(options.channel);
    std::printf("channel %d: codec %d, name \"%s\"\n", options.channel, channel->codec, channel->name.c_str());
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    ServerOptions options;
    std::string error;
    if (!options.parse(argc, argv, error)) {
        std::fprintf(stderr, "zumeli-server: %s (see zumeli-server --help)\n", error.c_str());
        return 2;
    }
    Log::Level level = Log::Info;
    Log::parseLevel(options.logLevel.c_str(), level);
    Log::setLevel(level);
    switch (options.command) {
    case ServerOptions::Help: std::fputs(ServerOptions::usage(), stdout); return 0;
    case ServerOptions::QueueServiceMessage: return queueServiceMessage(options);
    case ServerOptions::SetChannel: return setChannel(options);
    case ServerOptions::Serve: break;
    }
    std::signal(SIGPIPE, SIG_IGN);
    if (!makeDataFolder(options.dataFolder))
        return 1;
    options.config.handleSignals = true;
    Server server(options.config);
    if (!server.start())
        return 1;
    Log::info("data in %s", options.config.databasePath.c_str());
    server.run();
    return 0;
}
