#include "data/Preferences.h"

#include "data/XmlChunk.h"

#include <cstdio>
#include <vector>

namespace Zumeli {

namespace {

// Mirrors digits (0<->9) and letters (a<->z, A<->Z); every other byte stays. Its own inverse.
char mirror(char c)
{
    if (c >= '0' && c <= '9')
        return char('9' - (c - '0'));
    if (c >= 'a' && c <= 'z')
        return char('z' - (c - 'a'));
    if (c >= 'A' && c <= 'Z')
        return char('Z' - (c - 'A'));
    return c;
}

} // namespace

Text Preferences::escapeMarkup(const Text& text)
{
    if (!text.contains('<') && !text.contains('&'))
        return text;
    const std::string& in = text.str();
    std::string out;
    out.reserve(in.size() + 8);
    for (size_t i = 0; i < in.size(); ++i) {
        if (in[i] == '<')
            out += "&lt;";
        else if (in[i] == '&' && (in.compare(i, 4, "&lt;") == 0 || in.compare(i, 5, "&amp;") == 0))
            out += "&amp;";
        else
            out += in[i];
    }
    return Text(std::move(out));
}

Text Preferences::unescapeMarkup(const Text& text)
{
    if (!text.contains('&'))
        return text;
    const std::string& in = text.str();
    std::string out;
    out.reserve(in.size());
    for (size_t i = 0; i < in.size();) {
        if (in.compare(i, 4, "&lt;") == 0) {
            out += '<';
            i += 4;
        } else if (in.compare(i, 5, "&amp;") == 0) {
            out += '&';
            i += 5;
        } else {
            out += in[i++];
        }
    }
    return Text(std::move(out));
}

Text Preferences::defaultPath()
{
    Text folder;
    folder.setDocumentsFolder();
    if (folder.isEmpty())
        return {};
    return folder.append(FileName);
}

void Preferences::resetToDefaults()
{
    m_archive.clear();
    setDefault("private.username", "");
    setDefault("private.password", "");
}

void Preferences::loadFromText(const Text& fileText)
{
    resetToDefaults();
    XmlChunk settings = XmlChunk(fileText).child("settings");
    if (settings.isEmpty())
        return;
    Archive read;
    read.fromXml(settings);
    m_archive.clear();
    for (const Archive::Pair& pair : read.pairs()) {
        Text key = unescapeMarkup(pair.name);
        if (!m_archive.contains(key.c_str())) // a repeated key: the first one counts
            m_archive.set(key.c_str(), unescapeMarkup(pair.data));
    }
    // A file without them still answers the two login keys.
    setDefault("private.username", "");
    setDefault("private.password", "");
}

void Preferences::load(const PreferencesStartup& startup)
{
    m_path = defaultPath();
    if (startup.prefsPath) {
        const Text& option = *startup.prefsPath;
        if (option.length() > 0 && option[0] == '/')
            m_path = option;
        else if (!m_path.isEmpty())
            m_path.append(option);
    }

    Text contents;
    if (!m_path.isEmpty() && contents.loadFromFile(m_path))
        loadFromText(contents);
    else
        resetToDefaults();

    if (startup.user) {
        m_archive.set("public.isregisteredlogin", "1");
        m_archive.set("private.username", *startup.user);
    }
    if (startup.pass)
        setPassword(*startup.pass);
}

Text Preferences::fileText() const
{
    Archive written;
    for (const Archive::Pair& pair : m_archive.pairs())
        written.set(escapeMarkup(pair.name).c_str(), escapeMarkup(pair.data));
    Text text("<settings>\r\n");
    text.append(written.toXml());
    text.append("</settings>\r\n");
    return text;
}

bool Preferences::save() const
{
    if (m_path.isEmpty()) {
        std::printf(" error saving file\n");
        return false;
    }
    return fileText().saveToFile(m_path, true);
}

bool Preferences::set(const char* key, const Text& value)
{
    m_archive.set(key, value);
    return save();
}

bool Preferences::setFloat(const char* key, float value)
{
    m_archive.setFloat(key, value);
    return save();
}

void Preferences::setDefault(const char* key, const Text& value)
{
    if (!m_archive.contains(key))
        m_archive.set(key, value);
}

Text Preferences::password() const { return unscramblePassword(get("private.password")); }

bool Preferences::setPassword(const Text& password) { return set("private.password", scramblePassword(password)); }

void Preferences::addEngineDefaults()
{
    static const char* const defaults[][2] = {
        { "private.volumein", "1.0" },
        { "private.volumeout", "1.0" },
        { "private.autotalk.on", "0" },
        { "private.autotalk.activate.level", "0.4" },
        { "private.autotalk.activate.time", "0.0" },
        { "private.autotalk.deactivate.level", "0.3" },
        { "private.autotalk.deactivate.time", "0.5" },
        { "public.playthru", "0" },
        { "public.cbsounds", "1" },
        { "public.messagereceivedfeed", "0" },
        { "ui.favourites", "1000,1001,1002,1003,1004,1005" },
    };
    for (const auto& pair : defaults)
        setDefault(pair[0], pair[1]);
}

Text Preferences::scramblePassword(const Text& password)
{
    Text hex;
    hex.setHex(password.data(), password.length());
    const int n = hex.length();
    const int half = n / 2;
    std::string stored(size_t(n), '\0');
    for (int i = 0; i < half; ++i) {
        stored[size_t(2 * i)] = mirror(hex[i]);
        stored[size_t(2 * i + 1)] = mirror(hex[half + i]);
    }
    return Text(std::move(stored));
}

Text Preferences::unscramblePassword(const Text& stored)
{
    const int n = stored.length();
    if (n % 2 != 0)
        return {};
    const int half = n / 2;
    std::string hex(size_t(n), '\0');
    for (int i = 0; i < half; ++i) {
        hex[size_t(i)] = mirror(stored[2 * i]);
        hex[size_t(half + i)] = mirror(stored[2 * i + 1]);
    }
    std::vector<char> bytes(size_t(half) + 1);
    int count = Text(std::move(hex)).hexDecode(bytes.data(), half);
    return Text(bytes.data(), count);
}

} // namespace Zumeli
