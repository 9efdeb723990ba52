#include "data/TextLocalizer.h"

#include "data/CacheFolders.h"
#include "data/Checksum.h"
#include "data/Groups.h"
#include "data/Preferences.h"
#include "data/XmlChunk.h"
#include "platform/Locale.h"

#include <cstdint>
#include <cstring>

namespace Zumeli {

namespace {

// Tables store apostrophes and double quotes as entities; other entities stay as they are.
Text restoreQuotes(const Text& text) { return replaceEntities(text, { { "&apos;", '\'' }, { "&quot;", '"' } }); }

} // namespace

void TextLocalizer::setLanguage(const char* code) { m_language = Text(code ? code : "").left(2); }

Text TextLocalizer::tableColumn(const Text& language)
{
    static const char* const columns[][2] = { { "he", "il" }, { "iw", "il" }, { "el", "gr" } };
    Text code = language.left(2);
    for (const auto& [iso, column] : columns)
        if (code.equals(iso))
            return Text(column);
    return code;
}

void TextLocalizer::load(const Text& table)
{
    m_items.clear();
    m_firstIndex.clear();
    const char* code = m_language.isEmpty() ? "en" : m_language.c_str();
    XmlChunkEnumerator items(XmlChunk(table).child("language"), "item");
    XmlChunk item;
    while (items.next(item)) {
        Text id = item.child("lookup_id").trimmedText();
        Text text = item.child(code).rawText();
        if (text.isEmpty())
            text = item.child("en").rawText();
        m_firstIndex.try_emplace(id.str(), m_items.size());
        m_items.push_back({ std::move(id), restoreQuotes(text) });
    }
}

void TextLocalizer::setText(const Text& id, const Text& text)
{
    auto [found, added] = m_firstIndex.try_emplace(id.str(), m_items.size());
    if (added)
        m_items.push_back({ id, text });
    else
        m_items[found->second].data = text;
}

bool TextLocalizer::lookup(const Text& id, Text& out) const
{
    auto found = m_firstIndex.find(id.str());
    if (found == m_firstIndex.end())
        return false;
    out = m_items[found->second].data;
    return true;
}

Text TextLocalizer::lookupId(const Text& text)
{
    std::string id = "*";
    const int length = text.length();
    for (int i = 0; i < length && i < 20; ++i) {
        char c = text[i];
        if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))
            id += c;
        else if (c >= 'a' && c <= 'z')
            id += char(c - 'a' + 'A');
        else if (c == ' ')
            id += '_';
    }
    if (id.back() != '_')
        id += '_';
    // Unsigned arithmetic keeps the low 16 bits of every product without overflow.
    uint32_t sum = 0x291A;
    for (int i = 0; i < length; ++i)
        sum += uint32_t(int32_t(static_cast<signed char>(text[i]))) * uint32_t(i);
    Text result(std::move(id));
    result.appendFormatted("%04X", unsigned(sum & 0xFFFF));
    return result;
}

void TextLocalizer::clearMissing()
{
    m_missing.clear();
    m_missingIds.clear();
    m_missingAdded = false;
}

void TextLocalizer::translateKey(const Text& key, Text& out)
{
    Text id = lookupId(key);
    Text found;
    if (lookup(id, found) || (key.length() > 0 && key[0] == '*' && lookup(key, found))) {
        out.append(found);
        return;
    }
    out.append(key);
    if (!m_missingIds.insert(id.str()).second)
        return;
    m_missing.append(id).appendChar('\t').append(key).appendNewline();
    m_missingAdded = true;
}

void TextLocalizer::translate(const char* input, Text& out)
{
    out.clear();
    if (!input)
        return;
    int depth = 0;
    std::string key;
    std::string plain;
    auto flushPlain = [&] {
        if (!plain.empty()) {
            out.appendBytes(int(plain.size()), plain.data());
            plain.clear();
        }
    };
    for (const char* p = input; *p; ++p) {
        char c = *p;
        if (c == ']') {
            if (depth == 0)
                key.clear();
            ++depth;
        } else if (c == '[') {
            if (depth == 1) {
                flushPlain();
                translateKey(Text(key), out);
            }
            --depth;
        } else if (depth == 1) {
            key += c;
        } else {
            plain += c;
        }
    }
    flushPlain();
}

const char* TextLocalizer::translateStatic(const char* input)
{
    translate(input, m_staticBuffer);
    return m_staticBuffer.c_str();
}

Text TextLocalizer::dataFolder() const { return m_folder.isEmpty() ? CacheFolders::dataFolder() : m_folder; }

void TextLocalizer::loadLocalisation(const Text& shippedTable, const Preferences& preferences, Groups* groups)
{
    m_folder = CacheFolders::dataFolder();

    Text language;
    if (m_folder.isEmpty() || !language.loadFromFile(Text(m_folder).append(OverrideFileName))) {
        if (preferences.get("public.prefersenglish").toInt() == 0)
            language = tableColumn(Text(Platform::localeLanguage()));
        else
            language = "en";
    }
    setLanguage(language.c_str());

    Text table;
    if (m_folder.isEmpty() || !table.loadFromFile(Text(m_folder).append(TableFileName)))
        table = shippedTable;
    load(table);
    clearMissing();
    if (groups) {
        groups->setTranslator([this](const Text& text) {
            Text out;
            translate(text.c_str(), out);
            return out;
        });
        groups->ensureDefaultGroups();
    }
}

bool TextLocalizer::updateFromService(const Text& announcedVersion, const TableFetch& fetch)
{
    Text reply;
    if (!wantsUpdate(announcedVersion) || !fetch || !fetch(reply))
        return false;
    return acceptUpdate(reply);
}

bool TextLocalizer::wantsUpdate(const Text& announcedVersion)
{
    if (m_updateChecked)
        return false;
    m_updateChecked = true;
    if (announcedVersion.isEmpty())
        return false;
    Text current;
    translate("]*VERSIONTIMESTAMP[", current);
    return !current.field(0, ',').equals(announcedVersion.field(0, ','));
}

bool TextLocalizer::acceptUpdate(const Text& reply)
{
    Text body = reply;
    if (body.left(5).equals("HTTP/")) {
        size_t headersEnd = body.str().find("\r\n\r\n");
        if (headersEnd == std::string::npos)
            return false;
        body = body.mid(int(headersEnd) + 4, body.length());
    }
    if (body.length() < 9)
        return false;
    Text table = body.left(body.length() - 8);
    if (!checksumHex(table).equals(body.right(8)))
        return false;
    Text folder = dataFolder();
    if (!folder.isEmpty())
        table.saveToFile(Text(folder).append(TableFileName));
    load(table);
    clearMissing();
    return true;
}

} // namespace Zumeli
