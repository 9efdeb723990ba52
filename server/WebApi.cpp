#include "server/WebApi.h"

#include "data/Checksum.h"
#include "data/People.h"
#include "data/XmlChunk.h"
#include "server/HttpRequest.h"
#include "server/Log.h"
#include "server/PasswordHash.h"
#include "server/Sessions.h"
#include "server/Store.h"
#include "server/VoiceRelay.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <ctime>
#include <set>
#include <sys/stat.h>

namespace Zumeli {

namespace {

const char* const XmlType = "text/xml; charset=utf-8";

int hexNibble(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// Strict: an even number of hexadecimal digits, nothing else.
bool decodeHex(const std::string& hex, std::vector<uint8_t>& out)
{
    if (hex.size() % 2 != 0)
        return false;
    out.resize(hex.size() / 2);
    for (size_t i = 0; i < out.size(); ++i) {
        int high = hexNibble(hex[2 * i]);
        int low = hexNibble(hex[2 * i + 1]);
        if (high < 0 || low < 0)
            return false;
        out[i] = uint8_t(high * 16 + low);
    }
    return true;
}

long chunkLong(const XmlChunk& chunk, const char* name, long fallback)
{
    long value = fallback;
    if (!parseLong(chunk.child(name).rawText().str(), value))
        return fallback;
    return value;
}

// Text of a document element sent by a client: raw, entities decoded.
std::string chunkText(const XmlChunk& chunk, const char* name)
{
    Text decoded;
    decoded.decodeEntities(chunk.child(name).rawText());
    return decoded.str();
}

bool contains(const std::vector<int>& ids, int id) { return std::find(ids.begin(), ids.end(), id) != ids.end(); }

std::string channelDisplay(int number)
{
    char text[32];
    std::snprintf(text, sizeof text, "%02d.%02d", number / 100, number % 100);
    return text;
}

} // namespace

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

bool WebApi::validUserName(const std::string& name)
{
    if (name.size() < 3 || name.size() > 24 || !std::isalpha(uint8_t(name[0])))
        return false;
    for (char c : name)
        if (!std::isalnum(uint8_t(c)) && c != '_' && c != '-' && c != '.')
            return false;
    // Names the service uses itself.
    for (const char* reserved : { "anonymous", "guest", "admin", "administrator" })
        if (strcasecmp(name.c_str(), reserved) == 0)
            return false;
    return true;
}

bool WebApi::validMail(const std::string& mail)
{
    size_t at = mail.find('@');
    if (mail.size() < 5 || mail.size() > 120 || at == std::string::npos || at == 0 || mail.find('@', at + 1) != std::string::npos)
        return false;
    size_t dot = mail.find('.', at);
    if (dot == std::string::npos || dot == at + 1 || dot + 1 >= mail.size() || mail.back() == '.')
        return false;
    for (char c : mail)
        if (uint8_t(c) <= 0x20 || uint8_t(c) >= 0x7F || std::strchr("<>&\"',;()[]\\", c))
            return false;
    return true;
}

bool WebApi::validDigest(const std::string& digest)
{
    return digest.size() == 8 && std::all_of(digest.begin(), digest.end(), [](char c) { return std::isxdigit(uint8_t(c)); });
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

std::string WebApi::localizationVersion()
{
    // The operator may replace the table while the server runs; it is read again when it changed.
    struct stat info {};
    if (m_config.localizationPath.empty() || ::stat(m_config.localizationPath.c_str(), &info) != 0) {
        m_localizationVersion.clear();
        m_localizationStamp = -1;
        return m_localizationVersion;
    }
    int64_t stamp = int64_t(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
    if (stamp == m_localizationStamp)
        return m_localizationVersion;
    m_localizationStamp = stamp;
    m_localizationVersion.clear();
    Text table;
    if (!table.loadFromFile(Text(m_config.localizationPath)))
        return m_localizationVersion;
    XmlChunkEnumerator items(XmlChunk(table).child("language"), "item");
    XmlChunk item;
    while (items.next(item)) {
        if (item.child("lookup_id").trimmedText().equals("*VERSIONTIMESTAMP")) {
            m_localizationVersion = item.child("en").rawText().field(0, ',').str();
            break;
        }
    }
    return m_localizationVersion;
}

WebApi::Reply WebApi::login(const FormData& form, int64_t nowMs)
{
    if (m_sessions.size() >= m_config.maxSessions) {
        Log::warn("login refused: %zu sessions", m_sessions.size());
        return xml(XmlReply::fail("TOO MANY USERS").number("tmu", 1));
    }
    std::optional<UserRecord> user;
    if (form.value("an").equals("1")) {
        int id = m_store.createGuest();
        if (id)
            user = m_store.userById(id);
        if (!user)
            return xml(XmlReply::fail("SERVER ERROR"), 500);
    } else {
        user = m_store.userByName(form.value("us").str());
        if (!user || !passwordMatches(form.value("pw").str(), user->password))
            return xml(XmlReply::fail("WRONG USER OR PASSWORD"));
    }
    Session& session = m_sessions.create(user->id, user->guest, nowMs);
    int channel = user->lastChannel >= Store::FirstChannel && user->lastChannel <= Store::LastChannel ? user->lastChannel : 1000;
    XmlReply reply = XmlReply::ok();
    reply.text("sessionID", session.id)
        .number("ch", channel)
        .number("uid", user->id)
        .number("rl", Store::FirstChannel)
        .number("rh", Store::LastChannel)
        .number("msg", m_store.hasWaitingMessages(user->id) ? 1 : 0)
        .number("ugs", user->groupsSignature)
        .number("st", int64_t(std::time(nullptr)))
        .text("smk", "")
        .text("lot", localizationVersion())
        .number("sop", 3) // keep-alive and no Nagle delay on the voice connection
        .raw("sud", ownDetails(*user));
    Log::info("login user %d%s", user->id, user->guest ? " (guest)" : ""); // never the session id: it is a credential
    return xml(reply);
}

WebApi::Reply WebApi::registerUser(const FormData& form, int64_t)
{
    std::string name = form.value("user").str();
    std::string password = form.value("password").str();
    std::string mail = form.value("mail").str();
    if (!validUserName(name))
        return xml(XmlReply::fail("INVALID USER NAME"));
    if (!validDigest(password))
        return xml(XmlReply::fail("INVALID PASSWORD"));
    if (!validMail(mail))
        return xml(XmlReply::fail("INVALID MAIL"));
    if (m_store.userByName(name))
        return xml(XmlReply::fail("USER NAME IN USE"));
    if (m_store.mailTaken(mail))
        return xml(XmlReply::fail("MAIL IN USE"));
    int id = m_store.createUser(name, password, mail, form.value("lang").left(8).str());
    if (!id)
        return xml(XmlReply::fail("USER NAME IN USE"));
    Log::info("registered user %d %s", id, name.c_str());
    return xml(XmlReply::ok().number("uid", id));
}

WebApi::Access WebApi::accessFor(const AdministrationDocument& d, int adminId, int userId, bool guest)
{
    Access access;
    if (adminId == 0 || userId == adminId || contains(d.coadmins, userId))
        return access;
    bool excluded = contains(d.excluded, userId);
    bool talker = contains(d.restricted, userId);
    bool listener = contains(d.listenOnly, userId);
    switch (d.accessMode) {
    case AdministrationDocument::EveryoneSomeListenOnly:
        access.admitted = !excluded;
        access.permission = listener ? 1 : 0;
        break;
    case AdministrationDocument::EveryoneListensSomeTalk:
        access.admitted = !excluded;
        access.permission = talker ? 0 : 1;
        break;
    case AdministrationDocument::ListedTalkersAndListeners:
        access.admitted = talker || listener;
        access.permission = talker ? 0 : 1;
        break;
    case AdministrationDocument::ListedTalkersOnly:
        access.admitted = talker;
        break;
    case AdministrationDocument::RegisteredUsers:
        access.admitted = !guest && !excluded;
        access.permission = listener ? 1 : 0;
        break;
    default:
        break; // everyone talks and listens
    }
    return access;
}

WebApi::Reply WebApi::joinChannel(const FormData& form, int64_t nowMs)
{
    Session* session = this->session(form, nowMs);
    if (!session)
        return xml(XmlReply::fail("INVALID SESSION"));
    long number = form.number("ch", 0);
    auto channel = m_store.channel(int(number));
    if (!channel)
        return xml(XmlReply::fail("INVALID CHANNEL"));
    AdministrationDocument admin = m_store.adminDocument(channel->number);
    Access access = accessFor(admin, channel->adminId, session->userId, session->guest);
    if (!access.admitted)
        return xml(XmlReply::fail("ACCESS DENIED").number("pe", 2));
    if (channel->adminId != 0 && admin.limit > 0 && session->userId != channel->adminId
        && !m_sessions.isUserIn(session->userId, channel->number)
        && m_sessions.usersIn(channel->number).size() >= size_t(admin.limit))
        return xml(XmlReply::fail("FULL").number("pe", access.permission));

    m_sessions.join(*session, channel->number, access.permission);
    m_store.setLastChannel(session->userId, channel->number);
    if (m_relay)
        m_relay->sessionJoined(session->id, channel->number, access.permission);

    bool unchanged = form.has("ts") && form.number("ts", -1) == channel->version;
    XmlReply reply;
    reply.text("status", unchanged ? "OK" : "UP");
    if (!unchanged) {
        std::string name = !admin.title.isEmpty() ? admin.title.str()
            : !channel->name.empty()              ? channel->name
                                                  : "Canal   " + channelDisplay(channel->number);
        reply.text("ip", m_config.publicHost)
            .number("port", m_config.voicePort)
            .number("codec", channel->codec)
            .number("pts", channel->phonePlateVersion)
            .number("dts", channel->desktopPlateVersion)
            .number("its", channel->pictureVersion)
            .text("cn", name)
            .text("cd", admin.description.str())
            .text("dd", admin.descriptionDesktop.str())
            .text("ww", admin.web.str())
            .text("dt", admin.details.str())
            .number("cy", admin.cy)
            .number("lang", admin.lang)
            .number("hn", admin.hideNumberOnPlates)
            .number("ca", channel->adminId)
            .number("ts", channel->version);
    }
    reply.number("pe", access.permission)
        .text("ul", usersListText(channel->number))
        .number("ad", channel->adminId == session->userId ? 1 : 0)
        .number("sub", m_store.isSubscribed(session->userId, channel->number) ? 1 : 0);
    Log::info("join user %d channel %d pe %d", session->userId, channel->number, access.permission);
    return xml(reply);
}

WebApi::Reply WebApi::keepAlive(const FormData& form, int64_t nowMs)
{
    return xml(session(form, nowMs) ? XmlReply::ok() : XmlReply::fail("INVALID SESSION"));
}

WebApi::Reply WebApi::logout(const FormData& form, int64_t nowMs)
{
    Session* session = this->session(form, nowMs);
    if (!session)
        return xml(XmlReply::fail("INVALID SESSION"));
    std::string id = session->id;
    Log::info("logout user %d", session->userId);
    m_sessions.remove(id);
    if (m_relay)
        m_relay->sessionEnded(id);
    return xml(XmlReply::ok());
}

WebApi::Reply WebApi::usersList(const FormData& form, int64_t nowMs)
{
    Session* session = this->session(form, nowMs);
    if (!session)
        return xml(XmlReply::fail("INVALID SESSION"));
    return xml(XmlReply::ok().text("ul", usersListText(session->channel)));
}

// The client asks for details without a session: names are public within the service.
WebApi::Reply WebApi::usersDetails(const FormData& form, int64_t)
{
    std::string list = form.value("ul").str();
    std::set<int> seen;
    std::string users;
    size_t position = 0;
    while (position <= list.size() && seen.size() < 500) {
        size_t comma = list.find(',', position);
        std::string item = list.substr(position, comma == std::string::npos ? std::string::npos : comma - position);
        position = comma == std::string::npos ? list.size() + 1 : comma + 1;
        long id = 0;
        if (!parseLong(item, id) || id <= 0 || id > INT32_MAX || !seen.insert(int(id)).second)
            continue;
        auto user = m_store.userById(int(id));
        if (!user)
            continue;
        XmlReply entry;
        entry.number("id", user->id)
            .text("na", userName(*user))
            .number("ts", user->detailsVersion)
            .number("its", user->imageVersion)
            .number("stf", user->staff)
            .number("dnd", user->dnd);
        users += "<us>" + entry.str() + "</us>\r\n";
    }
    return xml(XmlReply::ok().raw("ud", "\r\n" + users));
}

int WebApi::storeMessage(int sender, int recipient, int type, const std::string& text)
{
    StoredMessage message { sender, type, int64_t(std::time(nullptr)), text };
    if (!m_store.addMessage(recipient, message))
        return 0;
    if (m_relay)
        m_relay->notifyNewMessages(recipient, uint32_t(sender));
    return 1;
}

WebApi::Reply WebApi::sendMessage(const FormData& form, int64_t nowMs)
{
    Session* session = this->session(form, nowMs);
    if (!session)
        return xml(XmlReply::fail("INVALID SESSION"));
    Text data = form.value("data");
    XmlChunk message = XmlChunk(data).child("message");
    if (message.isEmpty())
        return xml(XmlReply::fail("BAD MESSAGE"));
    std::string text = chunkText(message, "text");
    if (text.size() > m_config.maxMessageBytes)
        return xml(XmlReply::fail("MESSAGE TOO LONG"));
    int type = chunkLong(message, "type", 0) == 1 ? 1 : 0;
    std::vector<int> recipients;
    XmlChunkEnumerator ids(message.child("recipient"), "id");
    XmlChunk id;
    while (ids.next(id) && recipients.size() < m_config.maxRecipients) {
        long value = 0;
        if (parseLong(id.rawText().str(), value) && value > 0 && value <= INT32_MAX && !contains(recipients, int(value))
            && m_store.userById(int(value)))
            recipients.push_back(int(value));
    }
    if (recipients.empty())
        return xml(XmlReply::fail("NO RECIPIENT"));
    int stored = 0;
    for (int recipient : recipients)
        stored += storeMessage(session->userId, recipient, type, text);
    Log::info("message from user %d to %d recipients", session->userId, stored);
    return xml(XmlReply::ok().number("sent", stored));
}

WebApi::Reply WebApi::getMessages(const FormData& form, int64_t nowMs)
{
    Session* session = this->session(form, nowMs);
    if (!session)
        return xml(XmlReply::fail("INVALID SESSION"));
    std::string users;
    for (const auto& message : m_store.takeMessages(session->userId)) {
        XmlReply entry;
        entry.number("sender", message.sender)
            .number("datetime", message.datetime)
            .number("type", message.type)
            .text("text", message.text);
        users += "<message>\r\n" + entry.str() + "</message>\r\n";
    }
    std::string service;
    for (const auto& message : m_store.takeServiceMessages(session->userId)) {
        std::string buttons;
        for (int slot = 0; slot < 4; ++slot) {
            const auto& b = message.buttons[slot];
            if (b.text.isEmpty() && b.url.isEmpty())
                continue;
            XmlReply button;
            button.text("text", b.text.str())
                .text("url", b.url.str())
                .number("urlInBrowser", b.urlInBrowser)
                .number("reconnect", b.reconnect)
                .number("quit", b.quit);
            std::string tag = std::to_string(slot);
            buttons += "<" + tag + ">\r\n" + button.str() + "</" + tag + ">\r\n";
        }
        XmlReply entry;
        entry.text("mainText", message.mainText.str())
            .number("mainDisconnect", message.mainDisconnect)
            .raw("buttons", "\r\n" + buttons);
        service += "<message>\r\n" + entry.str() + "</message>\r\n";
    }
    return xml(XmlReply::ok().raw("usermessages", "\r\n" + users).raw("servicemessages", "\r\n" + service));
}

WebApi::Reply WebApi::xmlSend(const FormData& form, int64_t nowMs)
{
    std::string kind = form.value("kind").str();
    Text data = form.value("data");
    auto result = [](int s) { return XmlReply().number("s", s); };
    if (kind == "checkUserName") {
        std::string name = data.str();
        return xml(result(validUserName(name) && !m_store.userByName(name) ? 1 : 0));
    }
    if (kind == "checkMail")
        return xml(result(validMail(data.str()) && !m_store.mailTaken(data.str()) ? 1 : 0));

    Session* session = this->session(form, nowMs);
    if (!session)
        return xml(result(0).text("status", "FAIL").text("errorString", "INVALID SESSION"));
    XmlChunk document(data);
    if (kind == "reportAbuse") {
        long reported = chunkLong(document.child("reportAbuse"), "ui", 0);
        return xml(result(m_store.addReport(kind, session->userId, std::to_string(reported)) ? 1 : 0));
    }
    if (kind == "requestService" || kind == "cancelRequestService") {
        std::string text = data.left(2000).str();
        return xml(result(m_store.addReport(kind, session->userId, text) ? 1 : 0));
    }
    if (kind == "channelSubscription") {
        XmlChunk sub = document.child("sub");
        long channel = chunkLong(sub, "ch", 0);
        bool on = chunkLong(sub, "st", 0) == 1;
        bool done = m_store.channel(int(channel)) && m_store.setSubscription(session->userId, int(channel), on);
        return xml(result(done ? 1 : 0).number("channelSubscriptionResult", done ? 1 : 0));
    }
    if (kind == "subscriptionMessage") {
        long channel = chunkLong(document.child("subMsg"), "ch", 0);
        if (!m_store.channel(int(channel)))
            return xml(result(0).number("msgResult", 0));
        int sent = 0;
        for (int subscriber : m_store.subscribers(int(channel)))
            if (subscriber != session->userId)
                sent += storeMessage(session->userId, subscriber, 1, "Invitation to channel " + channelDisplay(int(channel)));
        return xml(result(1).number("msgResult", 1).number("sent", sent));
    }
    if (kind == "usergroups") {
        if (data.length() > 64 * 1024)
            return xml(result(0));
        long signature = chunkLong(document.child("zumeligroups"), "signature", 0);
        return xml(result(m_store.setGroups(session->userId, data.str(), int(signature)) ? 1 : 0));
    }
    if (kind == "buyChannel")
        return xml(result(0).text("errorString", "NOT OFFERED"));
    if (kind == "geo_city" || kind == "geo_latlng")
        return xml(result(0).text("status", "FAIL").text("errorString", "NOT AVAILABLE"));
    return xml(result(0).text("errorString", "UNKNOWN KIND"));
}

WebApi::Reply WebApi::xmlGet(const FormData& form, int64_t nowMs)
{
    if (!session(form, nowMs))
        return xml(XmlReply::fail("INVALID SESSION"));
    if (!form.value("kind").equals("localizationDatabase"))
        return xml(XmlReply::fail("UNKNOWN KIND"));
    Text table;
    if (m_config.localizationPath.empty() || !table.loadFromFile(Text(m_config.localizationPath)) || table.isEmpty())
        return xml(XmlReply::fail("NOT AVAILABLE"));
    std::string body = table.str() + checksumHex(table).str();
    return { 200, httpResponse(200, XmlType, body) };
}

WebApi::Reply WebApi::saveImage(const FormData& form, int64_t nowMs)
{
    Session* session = this->session(form, nowMs);
    if (!session)
        return xml(XmlReply::fail("INVALID SESSION"));
    long type = form.number("imagetype", -1);
    long param = form.number("paramid", -1);
    std::string hex = form.value("data").str();
    if (hex.size() > 2 * m_config.maxImageBytes)
        return xml(XmlReply::fail("IMAGE TOO LARGE"), 413);
    std::vector<uint8_t> bytes;
    if (hex.empty() || !decodeHex(hex, bytes))
        return xml(XmlReply::fail("BAD IMAGE DATA"));
    bool allowed = false;
    if (type == 2) {
        allowed = param == session->userId && !session->guest;
    } else if (type == 0 || type == 1 || type == 3) {
        // Channel pictures: the administration, or any registered member of a free channel.
        auto channel = m_store.channel(int(param));
        allowed = channel && !session->guest
            && (channel->adminId == 0 ? session->channel == channel->number : isAdminOrCoadmin(channel->number, session->userId));
    } else if (type == 4) {
        allowed = session->channel == param; // the photo shared with the channel one is in
    }
    if (!allowed)
        return xml(XmlReply::fail("NOT ALLOWED"), 403);
    int version = m_store.saveImage(int(type), int(param), bytes);
    if (!version)
        return xml(XmlReply::fail("SERVER ERROR"), 500);
    Log::info("image type %ld id %ld saved by user %d (%zu bytes, version %d)", type, param, session->userId,
              bytes.size(), version);
    return xml(XmlReply::ok().number("postimageresult", 1).number("version", version));
}

WebApi::Reply WebApi::loadImage(const FormData& form, int64_t nowMs)
{
    if (!session(form, nowMs))
        return xml(XmlReply().text("loadimage", "INVALID SESSION"), 403);
    auto bytes = m_store.loadImage(int(form.number("imagetype", -1)), int(form.number("paramid", -1)));
    if (!bytes)
        return xml(XmlReply().text("loadimage", "NOT FOUND"), 404);
    std::string_view body(reinterpret_cast<const char*>(bytes->data()), bytes->size());
    return { 200, httpResponse(200, "image/jpeg", body) };
}

WebApi::Reply WebApi::saveUserDetails(const FormData& form, int64_t nowMs)
{
    Text data = form.value("data");
    XmlChunk document = XmlChunk(data).child("userData");
    Session* session = m_sessions.find(document.child("sessionID").trimmedText().str(), nowMs);
    if (!session)
        return xml(XmlReply::fail("INVALID SESSION"));
    if (chunkLong(document, "userID", session->userId) != session->userId)
        return xml(XmlReply::fail("WRONG USER"));
    DetailsChange change;
    auto number = [&](const char* name, std::optional<int>& out) {
        long value = 0;
        XmlChunk child = document.child(name);
        if (child.start != document.start && parseLong(child.rawText().str(), value))
            out = int(value);
    };
    std::optional<int> dnd;
    number("doNotDisturb", dnd);
    if (dnd)
        change.dnd = *dnd != 0;
    number("tmsmode", change.tmsmode);
    number("gpsmode", change.gpsmode);
    number("imgmode", change.imgmode);
    number("apnmode", change.apnmode);
    XmlChunk mail = document.child("mail");
    if (mail.start != document.start && !session->guest) {
        std::string address = chunkText(document, "mail");
        if (!validMail(address))
            return xml(XmlReply::fail("INVALID MAIL"));
        change.mail = address;
    }
    if (!m_store.changeDetails(session->userId, change))
        return xml(XmlReply::fail("SERVER ERROR"), 500);
    auto user = m_store.userById(session->userId);
    if (!user)
        return xml(XmlReply::fail("SERVER ERROR"), 500);
    return xml(XmlReply::ok().raw("sud", ownDetails(*user)));
}

bool WebApi::isAdminOrCoadmin(int channel, int userId)
{
    auto record = m_store.channel(channel);
    if (!record || record->adminId == 0)
        return false;
    return record->adminId == userId || contains(m_store.adminDocument(channel).coadmins, userId);
}

WebApi::Reply WebApi::getAdmin(const FormData& form, int64_t nowMs)
{
    // The client takes a reply whose body is just "FAIL" as a refusal.
    const Reply refused { 403, httpResponse(403, "text/plain", "FAIL") };
    Session* session = this->session(form, nowMs);
    if (!session || session->channel == 0)
        return refused;
    auto channel = m_store.channel(session->channel);
    if (!channel)
        return refused;
    AdministrationDocument d = m_store.adminDocument(channel->number);
    // Only the administration sees who is listed.
    bool insider = isAdminOrCoadmin(channel->number, session->userId);
    XmlReply document;
    document.text(AdministrationDocument::TitleElement, d.title.str())
        .text("DescriptionDesktop", d.descriptionDesktop.str())
        .text("Description", d.description.str())
        .text("Web", d.web.str())
        .text("details", d.details.str())
        .number("Administrated", d.administrated)
        .number("AccessWithAdminPermission", d.accessWithAdminPermission)
        .number("AccessWithAdminPresent", d.accessWithAdminPresent)
        .number("ChannelNameAndAdminAreReserverd", d.nameAndAdminReserved)
        .number("ChannelAccessMode", d.accessMode)
        .number("UserCredits", d.userCredits)
        .number("BellEnableCoadmins", d.bellEnableCoadmins)
        .number("BellEnableAll", d.bellEnableAll)
        .number("BellEnableBreak", d.bellEnableBreak)
        .number("HideNumberOnPlates", d.hideNumberOnPlates)
        .number("cy", d.cy)
        .number("lang", d.lang)
        .number("type", d.type)
        .number("limit", d.limit);
    auto list = [&](const char* name, const std::vector<int>& ids) {
        std::string entries = "\r\n";
        if (insider) {
            for (int id : ids) {
                auto user = m_store.userById(id);
                entries += "<id>" + std::to_string(id) + "," + xmlEscape(user ? userName(*user) : "") + "</id>\r\n";
            }
        }
        document.raw(name, entries);
    };
    list("listenOnly", d.listenOnly);
    list("coadmin", d.coadmins);
    list("restricted", d.restricted);
    list("excluded", d.excluded);
    XmlReply reply = XmlReply::ok();
    reply.raw("document", "\r\n<administration>\r\n" + document.str() + "</administration>\r\n");
    return xml(reply);
}

WebApi::Reply WebApi::saveAdmin(const FormData& form, int64_t nowMs)
{
    Session* session = this->session(form, nowMs);
    if (!session || session->channel == 0)
        return xml(XmlReply::fail("INVALID SESSION"));
    auto channel = m_store.channel(session->channel);
    if (!channel || !isAdminOrCoadmin(channel->number, session->userId))
        return xml(XmlReply::fail("NOT ADMINISTRATOR"), 403);
    AdministrationDocument stored = m_store.adminDocument(channel->number);
    AdministrationDocument d = stored;
    People people;
    d.fromXml(Text("<document>").append(form.value("data")).append("</document>"), people);
    // What the administration does not decide here stays as it was.
    d.administrated = stored.administrated;
    d.userCredits = stored.userCredits;
    if (session->userId != channel->adminId)
        d.coadmins = stored.coadmins; // co-administrators do not appoint each other
    if (d.accessMode < 0 || d.accessMode > 5)
        d.accessMode = 0;
    if (d.limit < 0)
        d.limit = 0;
    for (auto* ids : { &d.coadmins, &d.restricted, &d.listenOnly, &d.excluded }) {
        std::vector<int> clean;
        for (int id : *ids)
            if (id > 0 && !contains(clean, id) && clean.size() < 1000)
                clean.push_back(id);
        *ids = clean;
    }
    for (Text* text : { &d.title, &d.description, &d.descriptionDesktop, &d.web, &d.details })
        if (text->length() > 4000)
            text->truncate(4000);
    if (!m_store.saveAdminDocument(channel->number, d))
        return xml(XmlReply::fail("SERVER ERROR"), 500);
    Log::info("administration of channel %d saved by user %d", channel->number, session->userId);
    return xml(XmlReply::ok());
}

WebApi::Reply WebApi::adminChannel(const FormData& form, int64_t nowMs)
{
    Session* session = this->session(form, nowMs);
    if (!session || session->channel == 0)
        return xml(XmlReply::fail("INVALID SESSION"));
    auto channel = m_store.channel(session->channel);
    if (!channel)
        return xml(XmlReply::fail("INVALID CHANNEL"));
    if (form.value("release").equals("1")) {
        if (channel->adminId != session->userId)
            return xml(XmlReply::fail("NOT ADMINISTRATOR"));
        m_store.setAdministrator(channel->number, 0);
        Log::info("user %d released channel %d", session->userId, channel->number);
        return xml(XmlReply::ok());
    }
    if (session->guest)
        return xml(XmlReply::fail("REGISTERED USERS ONLY"));
    if (channel->adminId != 0 && channel->adminId != session->userId)
        return xml(XmlReply::fail("ALREADY ADMINISTRATED"));
    if (!m_store.setAdministrator(channel->number, session->userId))
        return xml(XmlReply::fail("SERVER ERROR"), 500);
    Log::info("user %d administers channel %d", session->userId, channel->number);
    return xml(XmlReply::ok());
}

WebApi::Reply WebApi::searchChannel(const FormData& form, int64_t nowMs)
{
    Session* session = this->session(form, nowMs);
    if (!session)
        return xml(XmlReply::fail("INVALID SESSION"));
    bool upward = !form.value("direction").equals("0");
    std::vector<int> active = m_sessions.activeChannels();
    active.erase(std::remove(active.begin(), active.end(), session->channel), active.end());
    if (active.empty())
        return xml(XmlReply::fail("NO ACTIVE CHANNEL"));
    // The next one in the chosen direction, going round at the ends.
    int found = 0;
    if (upward) {
        auto it = std::upper_bound(active.begin(), active.end(), session->channel);
        found = it != active.end() ? *it : active.front();
    } else {
        auto it = std::lower_bound(active.begin(), active.end(), session->channel);
        found = it != active.begin() ? *(it - 1) : active.back();
    }
    return xml(XmlReply::ok().number("channel", found));
}

WebApi::Reply WebApi::changePassword(const FormData& form, int64_t nowMs)
{
    Session* session = this->session(form, nowMs);
    if (!session)
        return xml(XmlReply::fail("INVALID SESSION"));
    std::string digest = form.value("newPassword").str();
    if (session->guest || !validDigest(digest))
        return xml(XmlReply::fail("INVALID PASSWORD"));
    return xml(m_store.setPassword(session->userId, digest) ? XmlReply::ok() : XmlReply::fail("SERVER ERROR"));
}

WebApi::Reply WebApi::userChannelStatus(const FormData& form, int64_t nowMs)
{
    Session* session = this->session(form, nowMs);
    if (!session || session->channel == 0)
        return xml(XmlReply::fail("INVALID SESSION"));
    auto channel = m_store.channel(session->channel);
    if (!channel)
        return xml(XmlReply::fail("INVALID CHANNEL"));
    AdministrationDocument d = m_store.adminDocument(channel->number);
    bool coadmin = channel->adminId != 0 && contains(d.coadmins, session->userId);
    return xml(XmlReply::ok()
                   .number("isAdmin", channel->adminId == session->userId ? 1 : 0)
                   .number("isCoadmin", coadmin ? 1 : 0)
                   .number("channelAdministrated", channel->adminId != 0 ? 1 : 0)
                   .number("type", d.type));
}

} // namespace Zumeli
