#include "server/WebApi.h"

#include "server/WebHelpers.h"

#include "server/HttpRequest.h"
#include "server/Sessions.h"
#include "server/Store.h"
#include "server/VoiceRelay.h"

#include <algorithm>
#include <unordered_set>

namespace Zumeli {

WebApi::WebApi(Store& store, Sessions& sessions, VoiceRelay* relay, WebApiConfig config)
    : m_store(store)
    , m_sessions(sessions)
    , m_relay(relay)
    , m_config(std::move(config))
    , m_loginsPerAddress(m_config.loginsPerAddressPerMinute, m_config.loginsPerAddressPerMinute)
    , m_failuresPerAccount(m_config.failedLoginsBeforeWait, 1)
    , m_failuresPerAddress(m_config.failedLoginsBeforeWait * 4, 4)
    , m_messagesPerSender(m_config.messagesPerSenderPerMinute, m_config.messagesPerSenderPerMinute)
{
}

size_t WebApi::guestLimit() const
{
    return std::max<size_t>(1, size_t(double(m_config.maxSessions) * m_config.guestShare));
}

void WebApi::endSession(const std::string& which)
{
    endSessions({ which }); // a copy: the caller's text may live in the session that goes
}

void WebApi::endSessions(const std::vector<std::string>& ids)
{
    std::vector<int> guests;
    std::unordered_set<std::string> ended;
    for (const std::string& id : ids) {
        Session* session = m_sessions.peek(id);
        if (!session)
            continue;
        if (session->guest)
            guests.push_back(session->userId);
        m_sessions.remove(id);
        ended.insert(id);
    }
    if (m_relay && !ended.empty())
        m_relay->sessionsEnded(ended);
    if (!guests.empty())
        m_store.removeGuests(guests);
}

std::vector<std::string> WebApi::expireSessions(int64_t nowMs)
{
    // A bounded number a second: thousands of guests idle at once go over several seconds
    // rather than in one long pass of the loop.
    constexpr size_t MaxPerSweep = 256;
    std::vector<std::string> ended = m_sessions.expired(nowMs);
    // Guests idle for a minute make room before their share runs out.
    if (ended.size() < MaxPerSweep && m_sessions.guestCount() * 5 >= guestLimit() * 4) {
        std::vector<std::string> idle = m_sessions.idleGuests(nowMs, m_config.idleGuestMs);
        ended.insert(ended.end(), idle.begin(), idle.end());
    }
    if (ended.size() > MaxPerSweep)
        ended.resize(MaxPerSweep);
    endSessions(ended);
    return ended;
}

WebApi::Reply WebApi::xml(const XmlReply& body, int status)
{
    return { status, httpResponse(status, XmlType, body.str()) };
}

WebApi::Reply WebApi::refusal(int status)
{
    const char* error = status == 413 ? "REQUEST TOO LARGE"
        : status == 408                 ? "TIMEOUT"
        : status == 503                 ? "SERVER BUSY"
                                        : "BAD REQUEST";
    return xml(XmlReply::fail(error), status);
}

struct Call {
    const char* path;
    WebApi::Handler handler;
    size_t maxBody; // the whole form body; a longer request is refused before it is read
};

namespace {

constexpr size_t Small = 1024;

} // namespace

const Call* WebApi::findCall(const std::string& requestPath) const
{
    // Every call with the largest body a well-behaved client sends it (texts escaped for the form
    // take up to nine bytes per character).
    static const Call Calls[] = {
        { "login.php", &WebApi::login, 4096 },
        { "Register/Register.php", &WebApi::registerUser, 4096 },
        { "joinChannel.php", &WebApi::joinChannel, Small },
        { "KeepAlive.php", &WebApi::keepAlive, Small },
        { "Logout.php", &WebApi::logout, Small },
        { "getUsersList.php", &WebApi::usersList, Small },
        { "LoadUsersDetails.php", &WebApi::usersDetails, 8 * 1024 },
        { "TMS_Send.php", &WebApi::sendMessage, 48 * 1024 },
        { "TMS_Get.php", &WebApi::getMessages, Small },
        { "XML_Send.php", &WebApi::xmlSend, 200 * 1024 },
        { "XML_Get.php", &WebApi::xmlGet, Small },
        { "SaveImage.php", &WebApi::saveImage, 0 }, // from the configured picture size
        { "LoadImage.php", &WebApi::loadImage, Small },
        { "SaveUserDetails.php", &WebApi::saveUserDetails, 4096 },
        { "GetAdmin.php", &WebApi::getAdmin, Small },
        { "SaveAdmin.php", &WebApi::saveAdmin, 320 * 1024 },
        { "AdminChannel.php", &WebApi::adminChannel, Small },
        { "SearchChannel.php", &WebApi::searchChannel, Small },
        { "ChangePassword.php", &WebApi::changePassword, Small },
        { "GetUserChannelStatus.php", &WebApi::userChannelStatus, Small },
    };
    std::string_view path = requestPath;
    if (!m_config.pathPrefix.empty() && path.substr(0, m_config.pathPrefix.size()) == m_config.pathPrefix)
        path.remove_prefix(m_config.pathPrefix.size());
    if (path.substr(0, 2) != "7/")
        return nullptr;
    path.remove_prefix(2);
    for (const Call& call : Calls)
        if (path == call.path)
            return &call;
    return nullptr;
}

size_t WebApi::bodyLimit(const std::string& path) const
{
    const Call* call = findCall(path);
    if (!call)
        return Small; // refused anyway; no reason to read a large body first
    return call->handler == &WebApi::saveImage ? 2 * m_config.maxImageBytes + 4096 : call->maxBody;
}

WebApi::Reply WebApi::handle(const HttpRequest& request, int64_t nowMs, uint32_t source)
{
    m_source = source;
    const Call* call = findCall(request.path());
    if (!call)
        return xml(XmlReply::fail("UNKNOWN CALL"), 404);
    if (request.method() != "POST")
        return xml(XmlReply::fail("POST ONLY"), 405);
    if (request.body().size() > bodyLimit(request.path()))
        return refusal(413);
    if (call->handler == &WebApi::saveImage) {
        // The picture's megabytes are neither decoded nor copied here (see saveImage).
        std::string others;
        m_picture = FormData::takeRaw(request.body(), "data", others);
        Reply reply = saveImage(FormData(others), nowMs);
        m_picture = {};
        return reply;
    }
    FormData form(request.body());
    return (this->*call->handler)(form, nowMs);
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
