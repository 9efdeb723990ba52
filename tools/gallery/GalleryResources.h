#pragma once

#include <string>

// Packs the files of a resource folder (layouts/, images/, menus/ ...) and the generated matrix
// fonts into an in-memory pack registered under `identifier`, the way the program's own pack is
// linked in. False when the folder holds nothing.
bool registerGalleryPack(const std::string& setFolder, const std::string& fontsFolder, int identifier);
