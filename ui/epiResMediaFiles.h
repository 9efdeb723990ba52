#pragma once

#include "ui/epiApplicationObject.h"
#include "ui/epiPath.h"

#include <cstdint>
#include <vector>

class epiRamFile;

// A resource set in a folder on disk ("Name.frs" holding the marker file "epi.frs"); the base of
// the pack sets, which override the file operations. Paths inside a set are relative to its root
// ("layouts/about.xml"); a leading "/" is allowed. Names that could reach outside the folder (a
// ".." component, "//" at the start, a zero byte) find nothing: no file, no native path, no
// listing.
class epiResMediaFiles : public epiApplicationObject
{
public:
    virtual bool openIdentifier(int identifier);
    virtual bool openPath(const epiPath& path);
    virtual void close();
    virtual bool readFile(const epiText& path, epiRamFile& target);
    virtual bool readText(const epiText& path, epiText& target);
    // The second memory form: the file's bytes in a plain byte vector (what image decoders and
    // the sound provider take). Reads through readFile, so every set serves it.
    virtual bool readBytes(const epiText& path, std::vector<uint8_t>& target);
    virtual bool exists(const epiText& path);
    virtual const epiPath& rootPath() const { return m_root; }
    // The folder prefix of the code followed by the name.
    virtual epiText resourcePath(epiCode folderCode, const epiText& name) const;
    // Names below `prefix` ("/images/"), one per line; without `recursive` the names that still
    // hold a "/" are left out.
    virtual void listFolder(const epiText& prefix, epiText& list, bool recursive);
    // The file's path on disk; false when the set has none (packs) or the file does not exist.
    virtual bool nativePath(const epiText& path, epiPath& native);

    static epiText folderPrefix(epiCode folderCode);

protected:
    epiPath m_root;
};
