#pragma once

#include "ui/epiAtomsFile.h"
#include "ui/epiPath.h"

#include <memory>
#include <string>
#include <utility>
#include <vector>

class epiRamFile;

// One file of a pack: its path ("/layouts/about.xml") and where its bytes lie in the atoms file.
class fileElem : public epiPath
{
public:
    uint64_t dataOffset = 0;
    uint32_t dataSize = 0;
};

// A resource pack inside an atoms file: 'eRpk' (version 1), 'sCnt' (file count), then for each
// file 'Name', 'Size' and 'Data', and 'Rend'. Only the entry table is read at open; the bytes stay
// in the stream and are read on demand. The pack owns the stream it is given.
class epiResourcePack : public epiObject
{
public:
    epiResourcePack() = default;
    epiResourcePack(const epiResourcePack&) = delete;
    epiResourcePack& operator=(const epiResourcePack&) = delete;

    // Reads the entry table. False, with nothing kept open, when the pack is damaged.
    bool open(std::unique_ptr<epiStream> stream);
    void close();
    bool isOpen() const { return m_stream != nullptr; }

    const std::vector<fileElem>& entries() const { return m_entries; }
    // Exact, case-sensitive match; a leading "/" is added when missing. Null when absent.
    const fileElem* find(std::string_view path) const;
    bool read(const fileElem& entry, epiRamFile& target);

    // Writes a pack of (path, bytes) files; with `swapped` in the other byte order.
    static bool write(epiStream& out, const std::vector<std::pair<std::string, std::vector<uint8_t>>>& files,
                      bool swapped = false);

private:
    std::unique_ptr<epiStream> m_stream;
    epiAtomsFile m_atoms;
    std::vector<fileElem> m_entries;
};
