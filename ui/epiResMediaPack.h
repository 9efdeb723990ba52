#pragma once

#include "ui/epiResMediaFiles.h"
#include "ui/epiResourcePack.h"

// A resource set in a pack file on disk ("Name.prs"). Packs have no native paths.
class epiResMediaPack : public epiResMediaFiles
{
public:
    bool openPath(const epiPath& path) override;
    void close() override;
    bool readFile(const epiText& path, epiRamFile& target) override;
    bool exists(const epiText& path) override;
    void listFolder(const epiText& prefix, epiText& list, bool recursive) override;
    bool nativePath(const epiText& path, epiPath& native) override;

    // Opens a pack over any stream (a file, or memory for the pack linked into the program).
    bool openStream(std::unique_ptr<epiStream> stream);
    const epiResourcePack& pack() const { return m_pack; }

private:
    epiResourcePack m_pack;
};
