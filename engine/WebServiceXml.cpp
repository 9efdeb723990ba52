// The XML service channel ("7/XML_Send.php", "7/XML_Get.php") and the localisation check.

#include "engine/WebService.h"

#include "data/TextLocalizer.h"
#include "engine/ServiceDocuments.h"
#include "engine/ServiceReply.h"

#include <cstdio>

namespace Zumeli {

namespace {

// True when the reply's "s" is exactly 1.
bool granted(const Text& reply, const char* wrapper = nullptr)
{
    bool present = false;
    return ServiceReply::serviceResult(XmlChunk(reply), wrapper, present) == 1 && present;
}

// True when the reply has an "s" that is not 0.
bool notRefused(const Text& reply)
{
    bool present = false;
    return ServiceReply::serviceResult(XmlChunk(reply), nullptr, present) != 0 && present;
}

} // namespace

bool WebService::xmlSend(const char* kind, const Text& data, bool userText, Text& reply)
{
    WebRequest request;
    if (userText) {
        refreshToken();
        request.path = "7/XML_Send.php";
        request.fields.add("sessionID", sessionId)
            .add("ur", requestToken)
            .addUserText("data", data)
            .add("kind", Text(kind));
    } else {
        request = xmlSendRequest(kind, data);
    }
    std::printf("%s\n", data.c_str());
    bool sent = post(request, reply);
    std::printf("+++++++++++++++++++++++\n");
    std::printf("%s", reply.c_str());
    std::printf("-----------------------\n");
    return sent;
}

bool WebService::checkUserName(const Text& name)
{
    Text reply;
    return xmlSend("checkUserName", name, true, reply) && granted(reply);
}

bool WebService::checkMail(const Text& mail)
{
    Text reply;
    return xmlSend("checkMail", mail, true, reply) && granted(reply);
}

bool WebService::reportAbuse(int userId)
{
    Text reply;
    return xmlSend("reportAbuse", ServiceDocuments::reportAbuse(userId), false, reply) && notRefused(reply);
}

bool WebService::requestService(int ownUserId, const Text& request, const Text& machineId, ServiceRequestAnswer& answer)
{
    Text reply;
    if (!xmlSend("requestService", ServiceDocuments::serviceRequest(ownUserId, request, machineId), false, reply))
        return false;
    if (granted(reply))
        return true;
    bool present = false;
    if (ServiceReply::serviceResult(XmlChunk(reply), nullptr, present) == 0 && present) {
        XmlChunk message = XmlChunk(reply).child("msg");
        message.readText("mainText", answer.message);
        XmlChunk buttons = message.child("buttons");
        buttons.child("0").readText("text", answer.buttons[0]);
        buttons.child("1").readText("text", answer.buttons[1]);
    }
    return false;
}

bool WebService::cancelRequestService(const Text& machineId)
{
    Text reply;
    return xmlSend("cancelRequestService", ServiceDocuments::cancelServiceRequest(machineId), false, reply)
        && granted(reply);
}

bool WebService::channelSubscription(int channel, bool subscribed)
{
    Text reply;
    return xmlSend("channelSubscription", ServiceDocuments::channelSubscription(channel, subscribed), false, reply)
        && granted(reply, "channelSubscriptionResult");
}

bool WebService::subscriptionMessage(int channel, const Text& text)
{
    Text reply;
    return xmlSend("subscriptionMessage", ServiceDocuments::subscriptionMessage(channel, text), false, reply)
        && granted(reply, "msgResult");
}

bool WebService::buyChannel(int ownUserId, int channel, const Text& machineId)
{
    Text reply;
    return xmlSend("buyChannel", ServiceDocuments::buyChannel(ownUserId, channel, machineId), false, reply)
        && notRefused(reply);
}

bool WebService::sendUserGroups(const Groups& groups)
{
    Text reply;
    return xmlSend("usergroups", ServiceDocuments::userGroups(groups), false, reply);
}

bool WebService::geoLookup(const char* kind, const Text& value, Text& latlng, Text& cityOut)
{
    Text reply;
    if (!xmlSend(kind, value, true, reply))
        return false;
    XmlChunk xml(reply);
    if (!ServiceReply::statusIs(xml, "OK"))
        return false;
    xml.readText("latlng", latlng);
    xml.readText("city", cityOut);
    return true;
}

bool WebService::lookupCity(const Text& city, Text& latlng, Text& cityOut)
{
    return geoLookup("geo_city", city, latlng, cityOut);
}

bool WebService::lookupPosition(const Text& coordinates, Text& latlng, Text& cityOut)
{
    return geoLookup("geo_latlng", coordinates, latlng, cityOut);
}

bool WebService::xmlGet(const char* kind, Text& reply) { return post(xmlGetRequest(kind), reply); }

bool WebService::checkLocalization(TextLocalizer& localizer, const Text& announcedVersion)
{
    return localizer.updateFromService(announcedVersion,
                                       [this](Text& reply) { return xmlGet("localizationDatabase", reply); });
}

} // namespace Zumeli
