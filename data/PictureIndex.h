#pragma once

#include "data/Document.h"
#include "data/SomeVector.h"
#include "data/Text.h"

#include <string>
#include <unordered_map>

namespace Zumeli {

// The pictures downloaded from the service (channel plates and icons, user pictures), kept in the
// cache folder under fixed names, with an index file "DocumentsIndex.txt" recording each one's
// version so a picture is fetched again only when the service reports a newer one.
//
// Index file: "version0", then one "name,version" line per entry in the order first recorded,
// every line ending "\r\n". A file whose first line is anything else gives an empty index.
//
// The entries are also indexed by name, so that loading and every look-up stay cheap however
// many pictures were recorded (the index is never pruned). A name recorded twice (a file edited
// by hand) keeps both entries; look-ups find the first.
class PictureIndex : public someVector<Document> {
public:
    enum Kind : int { PlateIPhone = 0, ChannelIcon = 1, UserPicture = 2, PlateDesktop = 3 };
    static constexpr const char* IndexFileName = "DocumentsIndex.txt";

    // Builds and creates the cache folder, then loads the index. False when there is no folder.
    bool open();
    // The same with a given folder (ending with the separator), for callers that keep their own.
    bool openIn(const Text& folder);

    // "<prefix><id>.jpg"; empty for an unknown kind.
    static Text fileName(int kind, int id);
    Text picturePath(int kind, int id) const;

    // path is always set to picturePath; true when the index holds the name and version is 0 or
    // the recorded version.
    bool isCached(int kind, int id, int version, Text& path) const;
    // Records the version (updating the entry or appending one) and saves the index at once.
    bool setVersion(int kind, int id, int version);

    const Text& folder() const { return m_folder; }

    void loadIndex();
    void loadIndexText(const Text& text);
    Text indexText() const;
    bool saveIndex() const;

protected:
    void elementAdded(Document* document) override;
    void elementRemoving(Document* document) override;
    void allRemoved() override { m_byName.clear(); }

private:
    Document* find(const Text& name) const;

    Text m_folder;
    std::unordered_map<std::string, Document*> m_byName; // the first entry of each name
};

} // namespace Zumeli
