// The blocking forms of the form calls: build, send and read in one go.

#include "engine/WebService.h"

#include "data/AdministrationDocument.h"
#include "data/ChannelElement.h"
#include "data/People.h"
#include "data/ServiceMessageData.h"
#include "data/UserMessagesList.h"
#include "engine/DetailsReply.h"
#include "engine/HttpBlockingPost.h"
#include "engine/ImageReply.h"
#include "engine/LoginRecord.h"
#include "engine/MessagesReply.h"
#include "engine/ServiceReply.h"

#include <cstdio>

namespace Zumeli {

namespace {

bool statusOk(const Text& reply) { return ServiceReply::statusIs(XmlChunk(reply), "OK"); }

} // namespace

LoginResult WebService::login(LoginRecord& record)
{
    Text reply;
    if (!post(loginRequest(record), reply))
        return LoginBadReply;
    return readLoginReply(reply, record, *this);
}

int WebService::registerUser(const LoginRecord& record, Text& errorText)
{
    Text reply;
    if (!post(registerRequest(record), reply))
        return 2;
    XmlChunk xml(reply);
    if (ServiceReply::statusIs(xml, "OK"))
        return 0;
    if (ServiceReply::statusIs(xml, "FAIL")) {
        xml.readText("errorString", errorText);
        return 1;
    }
    return 2;
}

JoinResult WebService::join(ChannelElement& channel, People& people)
{
    Text reply;
    if (!post(joinRequest(channel.number, channel.timestamp), reply))
        return JoinBadReply;
    return readJoinReply(reply, channel, people);
}

bool WebService::keepAlive()
{
    Text reply;
    return post(keepAliveRequest(), reply) && statusOk(reply);
}

void WebService::logout()
{
    Text reply;
    post(logoutRequest(), reply);
}

int WebService::getUsersList(ChannelElement& channel, People& people)
{
    Text reply;
    if (!post(usersListRequest(), reply))
        return 2;
    XmlChunk xml(reply);
    if (!ServiceReply::hasElement(xml, "ul"))
        return 2;
    readUserList(xml.child("ul"), channel, people);
    return 0;
}

int WebService::loadUsersDetails(const std::vector<int>& userIds, People& people)
{
    Text reply;
    if (!post(usersDetailsRequest(userIds), reply))
        return -1;
    return readUserDetails(reply, people);
}

bool WebService::sendMessage(const UserMessageData& message, const std::vector<int>& recipients)
{
    Text reply;
    return post(sendMessageRequest(UserMessagesList::messageDocument(message, recipients)), reply);
}

int WebService::getMessages(someVector<UserMessageData>& userMessages, ServiceMessagesList& serviceMessages,
                            People& people)
{
    Text reply;
    if (!post(getMessagesRequest(), reply))
        return -1;
    return readMessagesReply(reply, userMessages, serviceMessages, people);
}

bool WebService::saveImage(int imageType, int paramId, const Text& imageBytes)
{
    Text reply;
    return post(saveImageRequest(imageType, paramId, imageBytes), reply)
        && ServiceReply::hasElement(XmlChunk(reply), "postimageresult");
}

bool WebService::saveImageFile(int imageType, int paramId, const Text& filePath)
{
    Text bytes;
    if (!bytes.loadFromFile(filePath))
        return false;
    return saveImage(imageType, paramId, bytes);
}

bool WebService::loadImage(int imageType, int paramId, const Text& targetPath)
{
    Text reply;
    if (!post(loadImageRequest(imageType, paramId), reply))
        return false;
    return readImageReply(reply, targetPath) != ImageReplyResult::Failed;
}

bool WebService::saveUserDetails(int ownUserId, const OwnDetailsChange& change, People& people, OwnDetails& own)
{
    Text reply;
    if (!post(saveUserDetailsRequest(ownUserId, change), reply))
        return false;
    std::printf("message %s", reply.c_str());
    XmlChunk xml(reply);
    if (!ServiceReply::statusIs(xml, "OK"))
        return false;
    if (ServiceReply::hasElement(xml, "sud"))
        readOwnDetails(xml.child("sud"), ownUserId, people, own);
    return true;
}

int WebService::getAdmin(AdministrationDocument& document, People& people)
{
    Text reply;
    if (!post(getAdminRequest(), reply))
        return 2;
    Text body = ServiceReply::body(reply);
    if (XmlChunk(body).trimmedText().equalsIgnoreCase("FAIL"))
        return 1;
    // Without the document the reader would empty the four lists, and saving them back would
    // wipe the channel's lists on the service.
    XmlChunk xml(reply);
    if (!ServiceReply::hasElement(xml, "document") || !ServiceReply::hasElement(xml.child("document"), "administration"))
        return 2;
    document.fromXml(reply, people);
    return 0;
}

bool WebService::saveAdmin(const AdministrationDocument& document)
{
    // A refusal must not pass for a save: the window would close as if the settings were kept.
    Text reply;
    return post(saveAdminRequest(document), reply) && !ServiceReply::statusIs(XmlChunk(reply), "FAIL");
}

bool WebService::adminChannel(bool release)
{
    Text reply;
    return post(adminChannelRequest(release), reply) && statusOk(reply);
}

bool WebService::searchChannel(bool upward, int& channel)
{
    Text reply;
    if (!post(searchChannelRequest(upward), reply) || !statusOk(reply))
        return false;
    XmlChunk xml(reply);
    if (!ServiceReply::hasElement(xml, "channel"))
        return false;
    channel = int(xml.childLong("channel"));
    return true;
}

bool WebService::changePassword(const Text& newPassword)
{
    Text reply;
    return post(changePasswordRequest(newPassword), reply) && statusOk(reply);
}

bool WebService::getUserChannelStatus(ChannelStatus& status)
{
    Text reply;
    if (!post(userChannelStatusRequest(), reply) || !statusOk(reply))
        return false;
    XmlChunk xml(reply);
    status.isAdmin = xml.childLong("isAdmin") == 1;
    status.isCoadmin = xml.childLong("isCoadmin") == 1;
    status.channelAdministrated = xml.childLong("channelAdministrated") == 1;
    status.type = int(xml.childLong("type"));
    return true;
}

} // namespace Zumeli
