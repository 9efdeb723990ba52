#pragma once

#include "ui/epiResMediaPack.h"

// The pack linked into the program (epiNativeResources), read in place without a copy.
class epiResMediaNativePack : public epiResMediaPack
{
public:
    static constexpr int kDefaultIdentifier = 22000;

    // Identifier 0 means the default one.
    bool openIdentifier(int identifier) override;
    bool openPath(const epiPath&) override { return false; }
};
