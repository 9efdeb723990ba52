#include "engine/ServiceDocuments.h"

#include "data/Groups.h"

namespace Zumeli {

namespace {

Text& line(Text& xml, const char* text) { return xml.append(text).appendNewline(); }

} // namespace

Text ServiceDocuments::userDetails(int ownUserId, const Text& sessionId, const Text& token, const OwnDetailsChange& change)
{
    Text xml;
    line(xml, "<userData>");
    xml.appendIntElement("userID", ownUserId, true);
    xml.appendElement("sessionID", sessionId, true);
    xml.appendElement("ur", token, true);
    if (change.doNotDisturb)
        xml.appendIntElement("doNotDisturb", *change.doNotDisturb ? 1 : 0, true);
    if (change.mail)
        xml.appendEscapedElement("mail", *change.mail, true);
    if (change.tmsmode)
        xml.appendIntElement("tmsmode", *change.tmsmode, true);
    if (change.gpsmode)
        xml.appendIntElement("gpsmode", *change.gpsmode, true);
    if (change.imgmode)
        xml.appendIntElement("imgmode", *change.imgmode, true);
    if (change.apnmode)
        xml.appendIntElement("apnmode", *change.apnmode, true);
    return line(xml, "</userData>");
}

Text ServiceDocuments::reportAbuse(int userId)
{
    Text xml;
    line(xml, "<reportAbuse>");
    xml.appendIntElement("ui", userId, true);
    return line(xml, "</reportAbuse>");
}

Text ServiceDocuments::serviceRequest(int ownUserId, const Text& request, const Text& machineId)
{
    Text xml;
    line(xml, "<serviceRequest>");
    xml.appendIntElement("ui", ownUserId, true);
    xml.appendEscapedElement("sv", request, true);
    xml.appendElement("ma", machineId, true);
    return line(xml, "</serviceRequest>");
}

Text ServiceDocuments::cancelServiceRequest(const Text& machineId)
{
    Text xml;
    line(xml, "<cancelRequestService>");
    xml.appendElement("ma", machineId, true);
    return line(xml, "</cancelRequestService>");
}

Text ServiceDocuments::channelSubscription(int channel, bool subscribed)
{
    Text xml;
    line(xml, "<sub>");
    xml.appendIntElement("ch", channel, true);
    xml.appendIntElement("st", subscribed ? 1 : 0, true);
    return line(xml, "</sub>");
}

Text ServiceDocuments::subscriptionMessage(int channel, const Text& text)
{
    Text xml;
    line(xml, "<subMsg>");
    xml.appendIntElement("ch", channel, true);
    if (!text.isEmpty())
        xml.appendEscapedElement("text", text, true);
    return line(xml, "</subMsg>");
}

Text ServiceDocuments::buyChannel(int ownUserId, int channel, const Text& machineId)
{
    Text xml;
    line(xml, "<channelData>");
    xml.appendIntElement("ui", ownUserId, true);
    xml.appendIntElement("ch", channel, true);
    xml.appendElement("ma", machineId, true);
    return line(xml, "</channelData>");
}

Text ServiceDocuments::userGroups(const Groups& groups)
{
    Text xml("<zumeligroups>");
    xml.appendIntElement("version", Groups::Version, true);
    xml.appendIntElement("signature", groups.signature(), true);
    xml.append("<groups>");
    for (const auto& group : groups) {
        xml.append("<group>");
        xml.appendEscapedElement("name", group->name, true);
        xml.appendIntElement("id", group->id, true);
        xml.append("<items>");
        for (int member : group->members)
            xml.appendIntElement("id", member, true);
        xml.append("</items>");
        xml.append("</group>");
    }
    xml.append("</groups>");
    xml.append("</zumeligroups>");
    return xml;
}

} // namespace Zumeli
