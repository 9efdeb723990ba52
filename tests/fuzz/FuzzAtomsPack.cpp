// Feeds arbitrary bytes to the atoms reader and the resource pack opener, then reads and lists
// whatever entries the pack accepted.
#include "ui/epiAtomsFile.h"
#include "ui/epiRamFile.h"
#include "ui/epiResMediaPack.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    {
        epiRamFile file;
        file.adopt(data, size);
        epiAtomsFile atoms(&file);
        if (atoms.openExisting()) {
            uint8_t buffer[16];
            uint32_t payload = 0;
            uint64_t offset = 0;
            atoms.peekAtom(epiFourCC("eRpk"), &payload);
            atoms.readAtom(epiFourCC("eRpk"), buffer, sizeof buffer);
            while (atoms.locateAtom(epiFourCC("Data"), &offset, &payload) ||
                   atoms.readAtom(epiFourCC("Name"), buffer, 4)) {
            }
        }
    }
    auto memory = std::make_unique<epiRamFile>();
    memory->adopt(data, size);
    epiResMediaPack set;
    if (!set.openStream(std::move(memory)))
        return 0;
    epiText list;
    set.listFolder("/layouts/", list, true);
    size_t total = 0;
    for (const fileElem& entry : set.pack().entries()) {
        epiRamFile contents;
        epiText path = entry;
        if (set.readFile(path, contents))
            total += contents.size();
    }
    return total > size ? 1 : 0; // a pack can never give more bytes than it holds
}
