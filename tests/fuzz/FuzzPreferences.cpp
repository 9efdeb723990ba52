// Feeds arbitrary bytes to the preferences reader as a settings file, then uses the store as the
// engine does: the login keys, the scrambled password, numbers, and writing the file text again.
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

    // Writing and reading again keeps the two login keys readable.
    Preferences again;
    again.loadFromText(preferences.fileText());
    if (!again.archive().contains("private.username") || !again.archive().contains("private.password"))
        __builtin_trap();
    return 0;
}
