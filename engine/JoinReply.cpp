#include "engine/JoinReply.h"

#include "data/ChannelElement.h"
#include "data/People.h"
#include "engine/ServiceReply.h"

#include <algorithm>
#include <cstdio>
#include <tuple>
#include <vector>

namespace Zumeli {

namespace {

using PersonState = std::tuple<int, int, std::string, bool>;

std::vector<PersonState> snapshot(const People& people)
{
    std::vector<PersonState> state;
    state.reserve(size_t(people.count()));
    for (const auto& entry : people)
        state.emplace_back(entry->id, entry->ts, entry->name.str(), entry->loaded);
    std::sort(state.begin(), state.end());
    return state;
}

void readCommon(const XmlChunk& xml, ChannelElement& channel, People& people)
{
    if (ServiceReply::hasElement(xml, "ul"))
        readUserList(xml.child("ul"), channel, people);
    xml.readBool("ad", channel.ad);
    xml.readBool("sub", channel.sub);
}

void readChangedChannel(const XmlChunk& xml, ChannelElement& channel)
{
    channel.numberDisplay = ChannelElement::displayNumber(channel.number);
    xml.readText("ip", channel.address);
    xml.readInt("port", channel.port);
    xml.readInt("codec", channel.codec);
    xml.readInt("pts", channel.images[ChannelElement::PlateIPhone].timestamp);
    xml.readInt("dts", channel.images[ChannelElement::PlateDesktop].timestamp);
    xml.readInt("its", channel.images[ChannelElement::Icon].timestamp);
    xml.readInt("pe", channel.permissions);
    xml.readText("cn", channel.name);
    xml.readText("cd", channel.description);
    xml.readText("dd", channel.details);
    xml.readText("ww", channel.extraText);
    xml.readText("dt", channel.descriptionDesktop);
    xml.readInt("cy", channel.cy);
    xml.readInt("lang", channel.lang);
    xml.readBool("hn", channel.hideNumberOnPlates);
    xml.readInt("ca", channel.adminId);
    xml.readInt("ts", channel.timestamp);
}

} // namespace

bool readUserList(const XmlChunk& ul, ChannelElement& channel, People& people)
{
    const std::vector<PersonState> before = snapshot(people);
    // Entities decode to markup characters only, never to the blanks and commas that separate
    // the entries, so the whole list can be decoded at once.
    Text list;
    list.decodeEntities(ul.trimmedText());
    channel.presentUsers.clear();
    people.addChannelUsers(list, &channel.presentUsers);
    return snapshot(people) != before;
}

JoinResult readJoinReply(const Text& reply, ChannelElement& channel, People& people)
{
    XmlChunk xml(reply);
    if (ServiceReply::statusIs(xml, "OK")) {
        xml.readInt("pe", channel.permissions);
        readCommon(xml, channel, people);
        return JoinSucceeded;
    }
    if (ServiceReply::statusIs(xml, "UP")) {
        readChangedChannel(xml, channel);
        readCommon(xml, channel, people);
        std::printf("aInfo.mTimeStamp: %d\n", channel.timestamp);
        return JoinSucceeded;
    }
    if (ServiceReply::statusIs(xml, "FAIL")) {
        if (ServiceReply::textIs(xml, "errorString", "INVALID SESSION"))
            return JoinInvalidSession;
        if (ServiceReply::textIs(xml, "errorString", "FULL")) {
            xml.readInt("pe", channel.permissions);
            return JoinChannelFull;
        }
        return JoinRefused;
    }
    return JoinBadReply;
}

} // namespace Zumeli
