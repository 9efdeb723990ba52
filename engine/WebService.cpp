// The endpoint and the request builders of the form calls.

#include "engine/WebService.h"

#include "data/AdministrationDocument.h"
#include "engine/HttpBlockingPost.h"
#include "engine/LoginRecord.h"
#include "engine/PasswordDigest.h"
#include "engine/ServiceDocuments.h"

#include <cstdint>
#include <cstdlib>

namespace Zumeli {

WebService::WebService(const Text& serviceHost, int servicePort, const Text& prefix)
    : host(serviceHost)
    , port(servicePort)
    , pathPrefix(prefix)
{
}

void WebService::setAddress(const ServiceAddress& address)
{
    host = address.host;
    port = address.port;
    pathPrefix = address.pathPrefix;
}

void WebService::adoptLogin(const LoginRecord& login)
{
    if (!login.address.isEmpty()) {
        host = login.address;
        if (login.port > 0)
            port = login.port;
    }
    if (!login.pathPrefix.isEmpty())
        pathPrefix = login.pathPrefix;
    sessionId = login.sessionId;
}

const Text& WebService::refreshToken()
{
    // Unsigned, so the product wraps instead of overflowing.
    uint32_t first = uint32_t(std::rand());
    uint32_t second = uint32_t(std::rand());
    requestToken.setFormatted("%08X", unsigned(first * second));
    return requestToken;
}

bool WebService::isLoginEndpointCall(const WebRequest& request)
{
    if (request.path.equals("7/login.php") || request.path.equals("7/Register/Register.php"))
        return true;
    if (!request.path.equals("7/XML_Send.php"))
        return false;
    for (const FormField& field : request.fields.fields())
        if (field.name.equals("kind"))
            return field.value.equals("checkUserName") || field.value.equals("checkMail");
    return false;
}

bool WebService::post(const WebRequest& request, Text& reply) const
{
    return postForText(host, port, pathPrefix, request.path.c_str(), request.fields, reply, m_timeLimitMs);
}

WebRequest WebService::loginRequest(const LoginRecord& login)
{
    refreshToken();
    WebRequest request { "7/login.php", {} };
    request.fields.addUserText("us", login.userName)
        .add("pw", login.passwordDigest)
        .add("an", Text(login.anonymous ? "1" : "0"))
        .add("mi", login.machineId)
        .add("ms", login.platform)
        .add("mc", Text("-"))
        .add("ai", login.identity)
        .add("ur", requestToken)
        .addUserText("ln", login.language)
        .add("apn", login.notificationToken);
    return request;
}

WebRequest WebService::registerRequest(const LoginRecord& login)
{
    refreshToken();
    WebRequest request { "7/Register/Register.php", {} };
    request.fields.addUserText("user", login.userName)
        .add("password", login.passwordDigest)
        .addUserText("mail", login.mail)
        .addUserText("lang", login.language)
        .add("mi", login.machineId)
        .add("ms", login.platform)
        .add("ai", login.identity)
        .add("ur", requestToken);
    return request;
}

WebRequest WebService::joinRequest(int channel, int lastTimestamp)
{
    refreshToken();
    WebRequest request { "7/joinChannel.php", {} };
    request.fields.add("ch", long(channel)).add("sid", sessionId).add("ur", requestToken).add("ts", long(lastTimestamp));
    return request;
}

WebRequest WebService::keepAliveRequest()
{
    refreshToken();
    WebRequest request { "7/KeepAlive.php", {} };
    request.fields.add("sessionID", sessionId).add("ur", requestToken);
    return request;
}

WebRequest WebService::logoutRequest() const
{
    WebRequest request { "7/Logout.php", {} };
    request.fields.add("sessionID", sessionId);
    return request;
}

WebRequest WebService::usersListRequest()
{
    refreshToken();
    WebRequest request { "7/getUsersList.php", {} };
    request.fields.add("sessionID", sessionId).add("ur", requestToken);
    return request;
}

WebRequest WebService::usersDetailsRequest(const std::vector<int>& userIds)
{
    refreshToken();
    Text ids;
    for (size_t i = 0; i < userIds.size(); ++i) {
        if (i > 0)
            ids.appendComma();
        ids.appendLong(userIds[i]);
    }
    WebRequest request { "7/LoadUsersDetails.php", {} };
    request.fields.add("ul", ids).add("ur", requestToken);
    return request;
}

WebRequest WebService::sendMessageRequest(const Text& messageDocument)
{
    refreshToken();
    WebRequest request { "7/TMS_Send.php", {} };
    request.fields.add("sessionID", sessionId).add("ur", requestToken).add("data", messageDocument);
    return request;
}

WebRequest WebService::getMessagesRequest()
{
    refreshToken();
    WebRequest request { "7/TMS_Get.php", {} };
    request.fields.add("sessionID", sessionId).add("ur", requestToken);
    return request;
}

WebRequest WebService::xmlSendRequest(const char* kind, const Text& data)
{
    refreshToken();
    WebRequest request { "7/XML_Send.php", {} };
    request.fields.add("sessionID", sessionId).add("ur", requestToken).add("data", data).add("kind", Text(kind));
    return request;
}

WebRequest WebService::xmlGetRequest(const char* kind)
{
    refreshToken();
    WebRequest request { "7/XML_Get.php", {} };
    request.fields.add("sessionID", sessionId).add("ur", requestToken).add("kind", Text(kind));
    return request;
}

WebRequest WebService::saveImageRequest(int imageType, int paramId, const Text& imageBytes)
{
    refreshToken();
    Text hex;
    hex.setHex(imageBytes.data(), imageBytes.length());
    WebRequest request { "7/SaveImage.php", {} };
    request.fields.add("sessionID", sessionId)
        .add("ur", requestToken)
        .add("imagetype", long(imageType))
        .add("paramid", long(paramId))
        .add("data", hex);
    return request;
}

WebRequest WebService::loadImageRequest(int imageType, int paramId)
{
    refreshToken();
    WebRequest request { "7/LoadImage.php", {} };
    request.fields.add("sessionID", sessionId)
        .add("ur", requestToken)
        .add("imagetype", long(imageType))
        .add("paramid", long(paramId));
    return request;
}

WebRequest WebService::saveUserDetailsRequest(int ownUserId, const OwnDetailsChange& change)
{
    refreshToken(); // the document carries "ur"
    WebRequest request { "7/SaveUserDetails.php", {} };
    request.fields.add("data", ServiceDocuments::userDetails(ownUserId, sessionId, requestToken, change));
    return request;
}

WebRequest WebService::getAdminRequest() const
{
    WebRequest request { "7/GetAdmin.php", {} };
    request.fields.add("sessionID", sessionId);
    return request;
}

WebRequest WebService::saveAdminRequest(const AdministrationDocument& document) const
{
    WebRequest request { "7/SaveAdmin.php", {} };
    request.fields.add("sessionID", sessionId).add("data", document.toXml());
    return request;
}

WebRequest WebService::adminChannelRequest(bool release) const
{
    WebRequest request { "7/AdminChannel.php", {} };
    request.fields.add("sessionID", sessionId).add("release", Text(release ? "1" : "0"));
    return request;
}

WebRequest WebService::searchChannelRequest(bool upward)
{
    refreshToken();
    WebRequest request { "7/SearchChannel.php", {} };
    request.fields.add("sessionID", sessionId).add("direction", Text(upward ? "1" : "0")).add("ur", requestToken);
    return request;
}

WebRequest WebService::changePasswordRequest(const Text& newPassword) const
{
    WebRequest request { "7/ChangePassword.php", {} };
    request.fields.add("sessionID", sessionId).add("newPassword", passwordDigest(newPassword));
    return request;
}

WebRequest WebService::userChannelStatusRequest() const
{
    WebRequest request { "7/GetUserChannelStatus.php", {} };
    request.fields.add("sessionID", sessionId);
    return request;
}

} // namespace Zumeli
