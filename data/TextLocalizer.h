#pragma once

#include "data/Archive.h"
#include "data/Text.h"

#include <functional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace Zumeli {

class Groups;
class Preferences;

// Resolves the "]English text[" markers of user-visible texts against the localisation table of
// one language. A marked text is looked up by an id derived from it ("abc" -> "*ABC_2A42"); a
// marked text starting with '*' may also be an id written directly. A text without a translation
// is shown in English and its id is collected in missing().
//
// Table: "<language><item><lookup_id>...</lookup_id><en>...</en><it>...</it>...</item>...",
// one element per language code; an empty text falls back to "en".
class TextLocalizer {
public:
    static constexpr const char* TableFileName = "ZumeliLocalization.xml";
    static constexpr const char* OverrideFileName = "ZumeliOverrideLocale.txt";

    virtual ~TextLocalizer() = default;

    // Keeps the first two characters of code.
    void setLanguage(const char* code);
    // The table's column for a two-letter ISO 639 language: the table names Hebrew "il" and Greek
    // "gr" (and Hebrew's old code "iw" is still reported by some systems); every other code is its
    // own column.
    static Text tableColumn(const Text& language);
    const Text& language() const { return m_language; }

    // Replaces the dictionary from a table text; an unreadable table gives an empty one.
    void load(const Text& table);
    int count() const { return int(m_items.size()); }
    const std::vector<Archive::Pair>& items() const { return m_items; }

    void translate(const char* input, Text& out);
    // Translates into one buffer shared by every caller: valid until the next call.
    const char* translateStatic(const char* input);
    // Replaces the text of an id (its first entry), or adds the id.
    void setText(const Text& id, const Text& text);
    // Exact comparison, first match in table order.
    bool lookup(const Text& id, Text& out) const;
    static Text lookupId(const Text& text);

    // Lines "id\tEnglish text\r\n" of the ids asked for and not found.
    const Text& missing() const { return m_missing; }
    bool missingAdded() const { return m_missingAdded; }
    void clearMissing();

    // Start-up: chooses the language (the override file in the data folder, else English when
    // "public.prefersenglish" is set, else the system's language), then loads the table from
    // the data folder's copy, or shippedTable when there is none. When groups are given, they
    // translate through this localiser from then on (it must outlive them) and their default
    // names are translated again.
    void loadLocalisation(const Text& shippedTable, const Preferences& preferences, Groups* groups = nullptr);

    // Once per run, with the table version the service announced at login: when it differs from
    // ours, fetch asks the service for the new table (table text followed by its checksumHex).
    // A valid table is saved in the data folder and loaded. True when the table was replaced.
    using TableFetch = std::function<bool(Text& reply)>;
    bool updateFromService(const Text& announcedVersion, const TableFetch& fetch);
    // The first half of that check, for a caller that fetches in the background: true (once per
    // run) when the announced version differs from ours; the table then goes to acceptUpdate.
    bool wantsUpdate(const Text& announcedVersion);
    // Checks and takes a fetched table; an HTTP status line and headers before it are skipped.
    bool acceptUpdate(const Text& reply);
    bool updateChecked() const { return m_updateChecked; }

private:
    void translateKey(const Text& key, Text& out);
    Text dataFolder() const;

    Text m_language { "en" };
    std::vector<Archive::Pair> m_items;
    std::unordered_map<std::string, size_t> m_firstIndex; // id -> first item with it
    Text m_missing;
    std::unordered_set<std::string> m_missingIds; // the ids listed in m_missing
    bool m_missingAdded = false;
    bool m_updateChecked = false;
    Text m_folder;
    Text m_staticBuffer;
};

} // namespace Zumeli
