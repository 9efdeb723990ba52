#pragma once

#include "data/Archive.h"
#include "data/Text.h"

#include <optional>

namespace Zumeli {

// The three start-up options that change what the store loads; each is absent unless it was
// given on the command line.
struct PreferencesStartup {
    std::optional<Text> prefsPath; // "/..." replaces the file path, anything else is a suffix
    std::optional<Text> user;      // registered login name, takes effect in memory only
    std::optional<Text> pass;      // password, stored (scrambled) and saved at once
};

// Every setting of the client, kept as key/value texts and saved whole as a small XML file in
// the user's configuration folder: "<settings>\r\n", the archive's XML, "</settings>\r\n".
// Every set saves at once; setDefault only changes memory. The file holds the scrambled
// password, so it is written with owner-only permissions.
//
// Keys and values are written as they are, with one exception: a "<" would let a value end its
// element early (a closing tag, or a lone "<" that swallows the next tag) and lose settings on
// the next start, so it is written "&lt;" (and an "&" that starts "&lt;" or "&amp;" is written
// "&amp;", so every value reads back exactly). A value without "<" is stored byte for byte.
class Preferences {
public:
    static constexpr const char* FileName = "com.orvinta.zumeli2.preferences";

    // The default path: the documents folder followed by FileName; empty when the system cannot
    // tell the folder.
    static Text defaultPath();

    // Reads the file (missing or malformed: only the defaults), then applies the start-up options.
    void load(const PreferencesStartup& startup = {});
    // Replaces the contents from a file's text, as load() does after reading it.
    void loadFromText(const Text& fileText);
    bool save() const;
    Text fileText() const;

    Text get(const char* key) const { return m_archive.get(key); }
    float getFloat(const char* key) const { return m_archive.getFloat(key); }
    bool contains(const char* key) const { return m_archive.contains(key); }
    bool set(const char* key, const Text& value); // false when refused or not saved
    bool setFloat(const char* key, float value);  // "%1.4f"
    void setDefault(const char* key, const Text& value);

    Text userName() const { return get("private.username"); }
    bool setUserName(const Text& name) { return set("private.username", name); }
    Text password() const;
    bool setPassword(const Text& password);

    // The defaults the engine registers after loading.
    void addEngineDefaults();

    const Text& path() const { return m_path; }
    const Archive& archive() const { return m_archive; }

    // The reversible scrambling of the stored password (hexadecimal digits interleaved and
    // mirrored). unscramble gives an empty text for an odd-length input.
    static Text scramblePassword(const Text& password);
    static Text unscramblePassword(const Text& stored);

    // The file's escape of "<" and its reverse.
    static Text escapeMarkup(const Text& text);
    static Text unescapeMarkup(const Text& text);

private:
    void resetToDefaults();

    Archive m_archive;
    Text m_path;
};

} // namespace Zumeli
