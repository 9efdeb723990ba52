// Feeds arbitrary bytes to the preferences reader as a settings file, then uses the store as the
// engine does: the login keys, the scrambled password, numbers, and writing the file again,
// which must read back to the same settings.
// Any crash, hang or out-of-range read is a finding.
#include "data/Preferences.h"

#include <cstddef>
#include <cstdint>

using namespace Zumeli;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Text file(reinterpret_cast<const char*>(data), int(size));
    Preferences preferences;
    preferences.loadFromText(file);

    (void)preferences.userName();
    Text password = preferences.password();
    (void)preferences.getFloat("private.volumein");
    preferences.setDefault("private.volumein", "1.0");
    (void)preferences.get("ui.favourites").field(2, ',');

    // Whatever was read, scrambling what came out reads back the same.
    if (!Preferences::unscramblePassword(Preferences::scramblePassword(password)).equals(password))
        __builtin_trap();

    // Whatever was read is written so that it reads back exactly, markup included (up to a zero
    // byte: the element writer takes values as C strings, and a zero byte only comes from a
    // damaged file).
    Preferences again;
    again.loadFromText(preferences.fileText());
    const auto& before = preferences.archive().pairs();
    const auto& after = again.archive().pairs();
    if (before.size() != after.size())
        __builtin_trap();
    for (size_t i = 0; i < before.size(); ++i)
        if (!Text(before[i].name.c_str()).equals(after[i].name) || !Text(before[i].data.c_str()).equals(after[i].data))
            __builtin_trap();
    return 0;
}
