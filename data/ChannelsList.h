#pragma once

#include "data/ChannelElement.h"
#include "data/SomeVector.h"

namespace Zumeli {

// The channel records, in the order they were created or cached, with their cache file
// "channelslist.xml" (signed with a checksum trailer).
class ChannelsList : public someVector<ChannelElement> {
public:
    static constexpr const char* FileName = "channelslist.xml";
    static constexpr int Version = 1;

    // Reads the cache file of the given cache folder (ending with '/'), remembering its path
    // for save(). A missing, altered or foreign file leaves the list empty.
    void load(const Text& cacheFolder);
    // Writes the cache file; false (and the trace line) when it could not be written.
    bool save() const;

    ChannelElement* find(int number) const;
    // The record of that number, created with the defaults when missing.
    ChannelElement* getOrCreate(int number);

    // The cache file's text, and reading one back (false when it is not a valid file).
    Text toCacheText() const;
    bool fromCacheText(const Text& text);

    const Text& path() const { return m_path; }
    void setPath(const Text& path) { m_path = path; }

private:
    Text m_path;
};

} // namespace Zumeli
