#include "engine/ServiceConfig.h"

#include "data/Preferences.h"

#include <cstdlib>

namespace Zumeli {

namespace {

// A port from a text, or 0 when the text is not a whole number from 1 to 65535.
int parsePort(const Text& text)
{
    if (text.isEmpty())
        return 0;
    for (char c : text.str())
        if (c < '0' || c > '9')
            return 0;
    long port = text.length() <= 5 ? text.toLong() : 0;
    return port >= 1 && port <= 65535 ? int(port) : 0;
}

} // namespace

ServiceAddress ServiceConfig::production(const Preferences& preferences)
{
    ServiceAddress address;
    address.host = preferences.get("private.service.host");
    if (const char* host = std::getenv("ZUMELI_SERVICE_HOST"); host && *host)
        address.host = host;
    if (address.host.isEmpty())
        address.host = "localhost";

    address.port = DefaultPort;
    if (int port = parsePort(preferences.get("private.service.port")))
        address.port = port;
    if (const char* port = std::getenv("ZUMELI_SERVICE_PORT"); port && parsePort(Text(port)))
        address.port = parsePort(Text(port));
    return address;
}

ServiceAddress ServiceConfig::development(const Preferences& preferences)
{
    ServiceAddress address = production(preferences);
    if (Text host = preferences.get("private.service.devhost"); !host.isEmpty())
        address.host = host;
    address.pathPrefix = preferences.get("private.service.devprefix");
    return address;
}

bool ServiceConfig::isDevelopmentUser(const Text& userName) { return userName.left(2).equalsIgnoreCase("Qv"); }

ServiceAddress ServiceConfig::forUser(const Preferences& preferences, const Text& userName)
{
    return isDevelopmentUser(userName) ? development(preferences) : production(preferences);
}

} // namespace Zumeli
