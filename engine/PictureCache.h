#pragma once

#include "data/PictureIndex.h"

namespace Zumeli {

// The engine's view of the picture cache: which version of each picture the cache folder holds,
// and the fixed files of the shared channel photo and the channel header images.
class PictureCache {
public:
    // The picture type of the shared channel photo; it is kept under one fixed name.
    static constexpr int ChannelPhoto = 4;
    static constexpr const char* ChannelPhotoFile = "channelphoto.jpg";

    explicit PictureCache(PictureIndex& index)
        : m_index(index)
    {
    }

    // path is the picture's cache file; present when the cache holds that version (0: any).
    void lookup(int type, int id, int version, Text& path, bool& present) const
    {
        present = m_index.isCached(type, id, version, path);
    }
    void record(int type, int id, int version) { m_index.setVersion(type, id, version); }

    Text channelPhotoPath() const { return Text(m_index.folder()).append(ChannelPhotoFile); }
    // "header_%04d.jpg" of the channel in the cache folder.
    Text headerImagePath(int channel) const
    {
        Text path(m_index.folder());
        path.appendFormatted("header_%04d.jpg", channel);
        return path;
    }
    const Text& folder() const { return m_index.folder(); }

private:
    PictureIndex& m_index;
};

} // namespace Zumeli
