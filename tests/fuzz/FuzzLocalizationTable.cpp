// Feeds arbitrary bytes to the localisation table reader: the first two bytes choose the
// language, the rest is the table. The same bytes then serve as texts to translate, so markers
// meet every kind of table, and as a reply of the table update. Any crash, hang or out-of-range
// read is a finding.
#include "data/TextLocalizer.h"

#include <cstddef>
#include <cstdint>
#include <string>

using namespace Zumeli;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const char* bytes = reinterpret_cast<const char*>(data);
    std::string language(bytes, size < 2 ? size : 2);
    Text table(bytes + language.size(), int(size - language.size()));

    TextLocalizer localizer;
    localizer.setLanguage(language.c_str());
    localizer.load(table);

    // Translate the input itself (up to its first zero byte) and a few fixed texts.
    std::string input(bytes, size);
    Text out;
    localizer.translate(input.c_str(), out);
    localizer.translate("]Friends[ ]*VERSIONTIMESTAMP[ ]a]b[c[ x[y", out);
    for (const auto& item : localizer.items()) {
        Text found;
        if (!localizer.lookup(item.name, found))
            __builtin_trap(); // every id in the table can be found
    }
    (void)TextLocalizer::lookupId(table);
    (void)localizer.missing().lineCount();
    return 0;
}
