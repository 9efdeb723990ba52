#include "server/WebApi.h"

#include "server/Log.h"
#include "server/PasswordHash.h"
#include "server/Sessions.h"
#include "server/Store.h"
#include "server/VoiceRelay.h"
#include "server/WebHelpers.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <ctime>
#include <set>
#include <strings.h>

namespace Zumeli {

bool WebApi::validUserName(const std::string& name)
{
    if (name.size() < 3 || name.size() > 24 || !std::isalpha(uint8_t(name[0])))
        return false;
    for (char c : name)
        if (!std::isalnum(uint8_t(c)) && c != '_' && c != '-' && c != '.')
            return false;
    // Names the service uses itself.
    for (const char* reserved : {"anonymous", "guest", "admin", "administrator"})
        if (strcasecmp(name.c_str(), reserved) == 0)
            return false;
    return true;
}

bool WebApi::validMail(const std::string& mail)
{
    size_t at = mail.find('@');
    if (mail.size() < 5 || mail.size() > 120 || at == std::string::npos || at == 0 ||
        mail.find('@', at + 1) != std::string::npos)
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
    return digest.size() == 8 &&
           std::all_of(digest.begin(), digest.end(), [](char c) { return std::isxdigit(uint8_t(c)); });
}
WebApi::Reply WebApi::login(const FormData& form, int64_t nowMs)
{
    if (!m_loginsPerAddress.take(m_source, nowMs)) {
        Log::warn("login refused: too many from one address");
        return xml(XmlReply::fail("TOO MANY ATTEMPTS"));
    }
    bool guest = form.value("an").equals("1");
    // Guests have a share of the sessions of their own, so registered users always find room.
    if (m_sessions.size() >= m_config.maxSessions || (guest && m_sessions.guestCount() >= guestLimit())) {
        Log::warn("login refused: %zu sessions, %zu of them guests", m_sessions.size(),
                  m_sessions.guestCount());
        return xml(XmlReply::fail("TOO MANY USERS").number("tmu", 1));
    }
    std::optional<UserRecord> user;
    if (guest) {
        int id = m_store.createGuest();
        if (id)
            user = m_store.userById(id);
        if (!user)
            return xml(XmlReply::fail("SERVER ERROR"), 500);
    } else {
        std::string name = form.value("us").str();
        uint64_t account = textKey(name.data(), name.size());
        // After a few wrong passwords an account, and an address, get one try a minute.
        if (!m_failuresPerAccount.available(account, nowMs) ||
            !m_failuresPerAddress.available(m_source, nowMs))
            return xml(XmlReply::fail("TOO MANY ATTEMPTS"));
        user = m_store.userByName(name);
        if (!user || !passwordMatches(form.value("pw").str(), user->password)) {
            m_failuresPerAccount.take(account, nowMs);
            m_failuresPerAddress.take(m_source, nowMs);
            return xml(XmlReply::fail("WRONG USER OR PASSWORD"));
        }
    }
    Session& session = m_sessions.create(user->id, user->guest, nowMs);
    int channel = user->lastChannel >= Store::FirstChannel && user->lastChannel <= Store::LastChannel
                      ? user->lastChannel
                      : 1000;
    XmlReply reply = XmlReply::ok();
    reply.text("sessionID", session.id)
        .number("ch", channel)
        .number("uid", user->id)
        .number("rl", Store::FirstChannel)
        .number("rh", Store::LastChannel)
        .number("msg", m_store.hasWaitingMessages(user->id) ? 1 : 0)
        // The client reads the session's permissions from the digits of "ugs": digit 1 lets the
        // user share channel photos (not guests), digit 2 would ask for position reports, which
        // this service does not collect.
        .text("ugs", user->guest ? "000" : "010")
        .number("st", int64_t(std::time(nullptr)))
        .text("smk", "")
        .text("lot", localizationVersion())
        .number("sop", 3) // keep-alive and no Nagle delay on the voice connection
        .raw("sud", ownDetails(*user));
    Log::info("login user %d%s", user->id,
              user->guest ? " (guest)" : ""); // never the session id: it is a credential
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
WebApi::Reply WebApi::keepAlive(const FormData& form, int64_t nowMs)
{
    return xml(session(form, nowMs) ? XmlReply::ok() : XmlReply::fail("INVALID SESSION"));
}

WebApi::Reply WebApi::logout(const FormData& form, int64_t nowMs)
{
    Session* session = this->session(form, nowMs);
    if (!session)
        return xml(XmlReply::fail("INVALID SESSION"));
    Log::info("logout user %d", session->userId);
    endSession(session->id);
    return xml(XmlReply::ok());
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
        std::string item =
            list.substr(position, comma == std::string::npos ? std::string::npos : comma - position);
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
        // As at registration, one account per mail address.
        auto own = m_store.userById(session->userId);
        if (own && strcasecmp(own->mail.c_str(), address.c_str()) != 0 && m_store.mailTaken(address))
            return xml(XmlReply::fail("MAIL IN USE"));
        change.mail = address;
    }
    if (!m_store.changeDetails(session->userId, change))
        return xml(XmlReply::fail("SERVER ERROR"), 500);
    auto user = m_store.userById(session->userId);
    if (!user)
        return xml(XmlReply::fail("SERVER ERROR"), 500);
    return xml(XmlReply::ok().raw("sud", ownDetails(*user)));
}
WebApi::Reply WebApi::changePassword(const FormData& form, int64_t nowMs)
{
    Session* session = this->session(form, nowMs);
    if (!session)
        return xml(XmlReply::fail("INVALID SESSION"));
    std::string digest = form.value("newPassword").str();
    if (session->guest || !validDigest(digest))
        return xml(XmlReply::fail("INVALID PASSWORD"));
    if (!m_store.setPassword(session->userId, digest))
        return xml(XmlReply::fail("SERVER ERROR"));
    // Whoever else was logged in with the old password is logged out.
    for (const std::string& other : m_sessions.sessionsOf(session->userId, session->id))
        endSession(other);
    return xml(XmlReply::ok());
}

} // namespace Zumeli
