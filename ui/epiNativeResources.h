#pragma once

#include <cstddef>
#include <cstdint>

// The raw-data resources linked into the program, by identifier. The resource pack built from
// resources/ registers itself here as identifier 22000 when its library is linked in.
class epiNativeResources
{
public:
    static void add(int identifier, const uint8_t* bytes, size_t size);
    // False when nothing was registered under that identifier.
    static bool find(int identifier, const uint8_t*& bytes, size_t& size);
    static void remove(int identifier);
};
