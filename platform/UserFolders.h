#pragma once

#include <string>

namespace Zumeli::Platform {

// The per-user folder for application data: $XDG_DATA_HOME, else $HOME/.local/share.
// Created when missing. Returned with a trailing '/', or empty when no folder can be told.
std::string appDataFolder();

// The per-user folder for documents and settings: $XDG_CONFIG_HOME, else $HOME/.config.
// Created when missing. Returned with a trailing '/', or empty when no folder can be told.
std::string documentsFolder();

// Creates every missing folder along the path (mode 0700 for the new ones). True when the
// folder exists afterwards.
bool makeFolders(const std::string& path);

} // namespace Zumeli::Platform
