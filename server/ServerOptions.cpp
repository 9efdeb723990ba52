#include "server/ServerOptions.h"

#include "server/FormData.h"
#include "server/Log.h"

#include <cstdlib>
#include <cstring>

namespace Zumeli {

const char* ServerOptions::usage()
{
    return "usage: zumeli-server [options]\n"
           "       zumeli-server [--data DIR] --queue-service-message USER TEXT [--button TEXT[|URL]]... [--disconnect]\n"
           "       zumeli-server [--data DIR] --set-channel NUMBER [--codec N] [--name TEXT]\n"
           "\n"
           "The self-hosted Zumeli service: the web API (HTTP/1.0 form posts under 7/) and the voice relay\n"
           "(47-byte packets), one process, data kept in DIR/zumeli.sqlite.\n"
           "\n"
           "  --web-port N          port of the web API (default 8080)\n"
           "  --voice-port N        port of the voice relay (default 9995)\n"
           "  --data DIR            data folder (default $XDG_DATA_HOME/zumeli-server, or\n"
           "                        ~/.local/share/zumeli-server)\n"
           "  --public-host NAME    voice server address given to clients in channel data (default 127.0.0.1)\n"
           "  --bind ADDRESS        IPv4 address to listen on (default 127.0.0.1 when the public host is a\n"
           "                        loopback name, 0.0.0.0 otherwise)\n"
           "  --path-prefix P       path before \"7/\" in request paths, e.g. zumeli/ (default none)\n"
           "  --localization FILE   localisation table served as \"localizationDatabase\"; its version is\n"
           "                        announced at login (default DIR/ZumeliLocalization.xml when present)\n"
           "  --default-codec N     codec of channels created from now on (default 9, GSM)\n"
           "  --session-timeout S   seconds a session lives without any call or voice keep-alive (default 900)\n"
           "  --floor-timeout MS    a talker silent this long loses the floor (default 6000)\n"
           "  --max-sessions N      logins beyond this are refused as too many users (default 10000)\n"
           "  --max-per-address N   web connections, voice connections and logins per minute that one\n"
           "                        source address may have (default 64)\n"
           "  --log-level LEVEL     error, warn, info (default: one line per connection event) or debug\n"
           "  --help                this text\n"
           "\n"
           "Operator commands (they use the same data folder and may run beside the server):\n"
           "  --queue-service-message USER TEXT\n"
           "                        queue a service message for user id USER; it is delivered with the\n"
           "                        user's next message fetch. Up to four --button TEXT or --button TEXT|URL\n"
           "                        add buttons (a URL opens in the browser); --disconnect asks the client\n"
           "                        to disconnect when the message is shown.\n"
           "  --set-channel NUMBER  change a channel (100 to 1999): --codec N, --name TEXT\n"
           "\n"
           "SIGTERM or SIGINT stops the server cleanly.\n";
}

std::string ServerOptions::defaultDataFolder()
{
    const char* xdg = std::getenv("XDG_DATA_HOME");
    if (xdg && *xdg == '/')
        return std::string(xdg) + "/zumeli-server";
    const char* home = std::getenv("HOME");
    return std::string(home && *home ? home : ".") + "/.local/share/zumeli-server";
}

bool ServerOptions::parse(int argc, const char* const* argv, std::string& error)
{
    std::optional<std::string> bind;
    int buttons = 0;
    auto number = [&](int& i, long low, long high, long& out) {
        if (i + 1 >= argc || !parseLong(argv[i + 1], out) || out < low || out > high) {
            error = std::string(argv[i]) + " needs a number from " + std::to_string(low) + " to " + std::to_string(high);
            return false;
        }
        ++i;
        return true;
    };
    auto text = [&](int& i, std::string& out) {
        if (i + 1 >= argc) {
            error = std::string(argv[i]) + " needs a value";
            return false;
        }
        out = argv[++i];
        return true;
    };
    for (int i = 1; i < argc; ++i) {
        std::string option = argv[i];
        long value = 0;
        std::string word;
        if (option == "--help" || option == "-h") {
            command = Help;
        } else if (option == "--web-port") {
            if (!number(i, 0, 65535, value))
                return false;
            config.webPort = int(value);
        } else if (option == "--voice-port") {
            if (!number(i, 0, 65535, value))
                return false;
            config.voicePort = int(value);
        } else if (option == "--data") {
            if (!text(i, dataFolder))
                return false;
        } else if (option == "--public-host") {
            if (!text(i, config.web.publicHost))
                return false;
        } else if (option == "--bind") {
            if (!text(i, word))
                return false;
            bind = word;
        } else if (option == "--path-prefix") {
            if (!text(i, config.web.pathPrefix))
                return false;
            while (!config.web.pathPrefix.empty() && config.web.pathPrefix[0] == '/')
                config.web.pathPrefix.erase(0, 1);
            if (!config.web.pathPrefix.empty() && config.web.pathPrefix.back() != '/')
                config.web.pathPrefix += '/';
        } else if (option == "--localization") {
            if (!text(i, config.web.localizationPath))
                return false;
        } else if (option == "--default-codec") {
            if (!number(i, 0, 255, value))
                return false;
            config.defaultCodec = int(value);
        } else if (option == "--session-timeout") {
            if (!number(i, 10, 86400 * 7, value))
                return false;
            config.sessionTimeoutMs = value * 1000;
        } else if (option == "--floor-timeout") {
            if (!number(i, 100, 600000, value))
                return false;
            config.voice.floorTimeoutMs = value;
        } else if (option == "--max-sessions") {
            if (!number(i, 1, 1000000, value))
                return false;
            config.web.maxSessions = size_t(value);
        } else if (option == "--max-per-address") {
            if (!number(i, 1, 1000000, value))
                return false;
            config.maxConnectionsPerAddress = size_t(value);
            config.web.loginsPerAddressPerMinute = int(value);
        } else if (option == "--log-level") {
            Log::Level level;
            if (!text(i, logLevel) || !Log::parseLevel(logLevel.c_str(), level)) {
                error = "--log-level needs error, warn, info or debug";
                return false;
            }
        } else if (option == "--queue-service-message") {
            command = QueueServiceMessage;
            if (!number(i, 1, INT32_MAX, value) || !text(i, word))
                return false;
            recipient = int(value);
            serviceMessage.mainText = Text(word);
        } else if (option == "--button") {
            if (!text(i, word))
                return false;
            if (buttons >= 4) {
                error = "at most four --button";
                return false;
            }
            auto& button = serviceMessage.buttons[buttons++];
            size_t bar = word.find('|');
            button.text = Text(word.substr(0, bar));
            if (bar != std::string::npos) {
                button.url = Text(word.substr(bar + 1));
                button.urlInBrowser = true;
            }
        } else if (option == "--disconnect") {
            serviceMessage.mainDisconnect = true;
        } else if (option == "--set-channel") {
            command = SetChannel;
            if (!number(i, 100, 1999, value))
                return false;
            channel = int(value);
        } else if (option == "--codec") {
            if (!number(i, 0, 255, value))
                return false;
            codec = int(value);
        } else if (option == "--name") {
            if (!text(i, word))
                return false;
            channelName = word;
        } else {
            error = "unknown option " + option;
            return false;
        }
    }
    if (buttons > 0 && command != QueueServiceMessage) {
        error = "--button belongs to --queue-service-message";
        return false;
    }
    if ((codec || channelName) && command != SetChannel) {
        error = "--codec and --name belong to --set-channel";
        return false;
    }
    if (dataFolder.empty())
        dataFolder = defaultDataFolder();
    const std::string& host = config.web.publicHost;
    bool loopback = host == "localhost" || host.compare(0, 4, "127.") == 0;
    config.bindAddress = bind ? *bind : (loopback ? "127.0.0.1" : "0.0.0.0");
    config.databasePath = dataFolder + "/zumeli.sqlite";
    if (config.web.localizationPath.empty())
        config.web.localizationPath = dataFolder + "/ZumeliLocalization.xml"; // served only when it exists
    return true;
}

} // namespace Zumeli
