#include "data/ChannelsList.h"

#include "data/Checksum.h"
#include "data/XmlChunk.h"

namespace Zumeli {

Text ChannelElement::displayNumber(int number)
{
    Text display;
    display.setFormatted("%02d.%02d", number / 100, number % 100);
    return display;
}

ChannelElement* ChannelsList::find(int number) const
{
    for (const auto& channel : *this)
        if (channel->number == number)
            return channel.get();
    return nullptr;
}

ChannelElement* ChannelsList::getOrCreate(int number)
{
    if (ChannelElement* channel = find(number))
        return channel;
    auto channel = std::make_unique<ChannelElement>();
    channel->number = number;
    channel->numberDisplay = ChannelElement::displayNumber(number);
    channel->name.setFormatted("Canal   %02d.%02d", number / 100, number % 100);
    return add(std::move(channel));
}

Text ChannelsList::toCacheText() const
{
    Text xml("<zumeli><version>1</version><channelslist>");
    for (const auto& c : *this) {
        xml.append("<channel>");
        xml.appendIntElement("number", c->number, true);
        xml.appendElement("numberdisplay", c->numberDisplay, true);
        xml.appendElement("name", c->name, true);
        xml.appendElement("description", c->description, true);
        xml.appendElement("descriptionDesktop", c->descriptionDesktop, true);
        xml.appendElement("details", c->details, true);
        xml.appendIntElement("timestamp", c->timestamp, true);
        xml.appendIntElement("platedesktoptimestamp", c->images[ChannelElement::PlateDesktop].timestamp, true);
        xml.appendElement("platedesktoppath", c->images[ChannelElement::PlateDesktop].path, true);
        xml.appendIntElement("plateiphonetimestamp", c->images[ChannelElement::PlateIPhone].timestamp, true);
        xml.appendElement("plateiphonepath", c->images[ChannelElement::PlateIPhone].path, true);
        xml.appendIntElement("icontimestamp", c->images[ChannelElement::Icon].timestamp, true);
        xml.appendElement("iconpath", c->images[ChannelElement::Icon].path, true);
        xml.appendIntElement("permissions", c->permissions, true);
        xml.appendIntElement("codec", c->codec, true);
        xml.appendIntElement("port", c->port, true);
        xml.appendIntElement("hidenumberonplates", c->hideNumberOnPlates ? 1 : 0, true);
        xml.appendElement("address", c->address, true);
        xml.appendIntElement("adminid", c->adminId, true);
        xml.appendIntElement("cy", c->cy, true);
        xml.appendIntElement("lang", c->lang, true);
        xml.append("</channel>");
    }
    xml.append("</channelslist></zumeli>");
    appendChecksumTrailer(xml);
    return xml;
}

bool ChannelsList::fromCacheText(const Text& text)
{
    clear();
    if (!checkChecksumTrailer(text))
        return false;
    XmlChunk root = XmlChunk(text).child("zumeli");
    if (root.childLong("version") != Version)
        return false;
    XmlChunkEnumerator channels(root.child("channelslist"), "channel");
    XmlChunk c;
    while (channels.next(c)) {
        auto channel = std::make_unique<ChannelElement>();
        auto textOf = [&](const char* name) { return c.child(name).trimmedText(); };
        auto number = [&](const char* name) { return int(c.childLong(name)); };
        channel->number = number("number");
        channel->numberDisplay = textOf("numberdisplay");
        channel->name = textOf("name");
        channel->description = textOf("description");
        channel->descriptionDesktop = textOf("descriptionDesktop");
        channel->details = textOf("details");
        channel->address = textOf("address");
        channel->images[ChannelElement::PlateDesktop].path = textOf("platedesktoppath");
        channel->images[ChannelElement::PlateIPhone].path = textOf("plateiphonepath");
        channel->images[ChannelElement::Icon].path = textOf("iconpath");
        channel->timestamp = number("timestamp");
        channel->adminId = number("adminid");
        channel->permissions = number("permissions");
        channel->codec = number("codec");
        channel->port = number("port");
        channel->cy = number("cy");
        channel->lang = number("lang");
        channel->images[ChannelElement::PlateDesktop].timestamp = number("platedesktoptimestamp");
        channel->images[ChannelElement::PlateIPhone].timestamp = number("plateiphonetimestamp");
        channel->images[ChannelElement::Icon].timestamp = number("icontimestamp");
        channel->hideNumberOnPlates = number("hidenumberonplates") != 0;
        // Without a known voice server the record must be refreshed at the next join.
        if (channel->timestamp == 0 || channel->port == 0)
            channel->timestamp = -1;
        add(std::move(channel));
    }
    return true;
}

void ChannelsList::load(const Text& cacheFolder)
{
    m_path = cacheFolder;
    m_path.append(FileName);
    clear();
    Text text;
    if (text.loadFromFile(m_path))
        fromCacheText(text);
}

bool ChannelsList::save() const { return toCacheText().saveToFile(m_path); }

} // namespace Zumeli
