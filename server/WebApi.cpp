#include "server/WebApi.h"

#include "server/WebHelpers.h"

#include "server/HttpRequest.h"
#include "server/Sessions.h"
#include "server/Store.h"

namespace Zumeli {

WebApi::WebApi(Store& store, Sessions& sessions, VoiceRelay* relay, WebApiConfig config)
    : m_store(store)
    , m_sessions(sessions)
    , m_relay(relay)
    , m_config(std::move(config))
{
}

WebApi::Reply WebApi::xml(const XmlReply& body, int status)
{
    return { status, httpResponse(status, XmlType, body.str()) };
}

WebApi::Reply WebApi::refusal(int status)
{
    return xml(XmlReply::fail(status == 413 ? "REQUEST TOO LARGE" : status == 408 ? "TIMEOUT" : "BAD REQUEST"), status);
}

WebApi::Reply WebApi::handle(const HttpRequest& request, int64_t nowMs)
{
    static const std::pair<const char*, Handler> calls[] = {
        { "login.php", &WebApi::login },
        { "Register/Register.php", &WebApi::registerUser },
        { "joinChannel.php", &WebApi::joinChannel },
        { "KeepAlive.php", &WebApi::keepAlive },
        { "Logout.php", &WebApi::logout },
        { "getUsersList.php", &WebApi::usersList },
        { "LoadUsersDetails.php", &WebApi::usersDetails },
        { "TMS_Send.php", &WebApi::sendMessage },
        { "TMS_Get.php", &WebApi::getMessages },
        { "XML_Send.php", &WebApi::xmlSend },
        { "XML_Get.php", &WebApi::xmlGet },
        { "SaveImage.php", &WebApi::saveImage },
        { "LoadImage.php", &WebApi::loadImage },
        { "SaveUserDetails.php", &WebApi::saveUserDetails },
        { "GetAdmin.php", &WebApi::getAdmin },
        { "SaveAdmin.php", &WebApi::saveAdmin },
        { "AdminChannel.php", &WebApi::adminChannel },
        { "SearchChannel.php", &WebApi::searchChannel },
        { "ChangePassword.php", &WebApi::changePassword },
        { "GetUserChannelStatus.php", &WebApi::userChannelStatus },
    };
    std::string path = request.path();
    if (!m_config.pathPrefix.empty() && path.compare(0, m_config.pathPrefix.size(), m_config.pathPrefix) == 0)
        path.erase(0, m_config.pathPrefix.size());
    if (path.compare(0, 2, "7/") != 0)
        return xml(XmlReply::fail("UNKNOWN CALL"), 404);
    path.erase(0, 2);
    for (const auto& [name, handler] : calls) {
        if (path == name) {
            if (request.method() != "POST")
                return xml(XmlReply::fail("POST ONLY"), 405);
            FormData form(request.body());
            return (this->*handler)(form, nowMs);
        }
    }
    return xml(XmlReply::fail("UNKNOWN CALL"), 404);
}

Session* WebApi::session(const FormData& form, int64_t nowMs)
{
    Text id = form.has("sessionID") ? form.value("sessionID") : form.value("sid");
    if (id.isEmpty())
        return nullptr;
    return m_sessions.find(id.str(), nowMs);
}


// Guests have no name; the client shows "GUEST" as "Guest".
std::string WebApi::userName(const UserRecord& user) const { return user.guest ? "GUEST" : user.name; }

std::string WebApi::usersListText(int channel)
{
    std::string list;
    for (int id : m_sessions.usersIn(channel)) {
        auto user = m_store.userById(id);
        if (!user)
            continue;
        if (!list.empty())
            list += ' ';
        list += std::to_string(id) + "," + std::to_string(user->detailsVersion) + "," + userName(*user);
    }
    return list;
}

std::string WebApi::ownDetails(const UserRecord& user)
{
    XmlReply details;
    details.text("na", userName(user))
        .number("ts", user.detailsVersion)
        .number("its", user.imageVersion)
        .number("stf", user.staff)
        .number("dnd", user.dnd)
        .number("authorized", user.guest ? 0 : 1)
        .text("mail", user.mail)
        .number("tmsmode", user.tmsmode)
        .number("gpsmode", user.gpsmode)
        .number("imgmode", user.imgmode)
        .number("apnmode", user.apnmode);
    return "\r\n" + details.str();
}


} // namespace Zumeli
