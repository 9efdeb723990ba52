#pragma once

#include "data/Text.h"

namespace Zumeli {

class Preferences;

// Where one web service endpoint points.
struct ServiceAddress {
    Text host;
    int port = 80;
    Text pathPrefix;
};

// The deployment's service hosts, read from the preferences and the environment:
//   "private.service.host" (default "localhost") and "private.service.port" (default 80), which
//   ZUMELI_SERVICE_HOST and ZUMELI_SERVICE_PORT override;
//   "private.service.devhost" (default: the production host) and "private.service.devprefix"
//   (default empty), used for user names starting with "Qv" in any letter case.
// The voice server of the default channel is the production host, port 9995.
class ServiceConfig {
public:
    static constexpr int DefaultPort = 80;
    static constexpr int DefaultVoicePort = 9995;

    static ServiceAddress production(const Preferences& preferences);
    static ServiceAddress development(const Preferences& preferences);
    // The endpoint address a user name selects.
    static ServiceAddress forUser(const Preferences& preferences, const Text& userName);
    static bool isDevelopmentUser(const Text& userName);
};

} // namespace Zumeli
