#pragma once

#include "data/AdministrationDocument.h"
#include "server/FormData.h"
#include "server/WebReply.h"

#include <cstdint>
#include <string>

namespace Zumeli {

class HttpRequest;
class Sessions;
class Store;
class VoiceRelay;
struct Session;
struct UserRecord;

struct WebApiConfig {
    std::string publicHost = "127.0.0.1"; // voice server address given to clients
    int voicePort = 9995;
    std::string pathPrefix;               // before "7/", e.g. "zumeli/"
    std::string localizationPath;         // table served as "localizationDatabase"; empty: none
    size_t maxSessions = 10000;
    size_t maxImageBytes = 4 * 1024 * 1024;
    size_t maxMessageBytes = 4000;
    size_t maxRecipients = 200;
};

// The web service: one reply per request for every call under "7/". Replies are HTTP/1.0 with a
// body of top-level XML elements ("status", "errorString", ...), pictures after
// "Content-Type: image/jpeg\r\n\r\n". The voice relay, when given, hears about sessions that end
// or move and about new messages.
class WebApi {
public:
    struct Reply {
        int status = 200;
        std::string bytes; // the whole HTTP response
    };

    WebApi(Store& store, Sessions& sessions, VoiceRelay* relay, WebApiConfig config);

    Reply handle(const HttpRequest& request, int64_t nowMs);
    // The reply to a request that could not be read.
    static Reply refusal(int status);

    // Who may join and talk, from the channel's administration.
    struct Access {
        bool admitted = true;
        int permission = 0; // "pe": 0 talk and listen, 1 listen only
    };
    static Access accessFor(const AdministrationDocument& document, int adminId, int userId, bool guest);

    // Registration checks, also answered by the "checkUserName" and "checkMail" services.
    static bool validUserName(const std::string& name);
    static bool validMail(const std::string& mail);
    static bool validDigest(const std::string& digest);

    // The table's version as announced in the login reply ("lot"): the first field of the
    // "*VERSIONTIMESTAMP" item; empty without a table.
    std::string localizationVersion();

private:
    using Handler = Reply (WebApi::*)(const FormData&, int64_t);

    Reply login(const FormData& form, int64_t nowMs);
    Reply registerUser(const FormData& form, int64_t nowMs);
    Reply joinChannel(const FormData& form, int64_t nowMs);
    Reply keepAlive(const FormData& form, int64_t nowMs);
    Reply logout(const FormData& form, int64_t nowMs);
    Reply usersList(const FormData& form, int64_t nowMs);
    Reply usersDetails(const FormData& form, int64_t nowMs);
    Reply sendMessage(const FormData& form, int64_t nowMs);
    Reply getMessages(const FormData& form, int64_t nowMs);
    Reply xmlSend(const FormData& form, int64_t nowMs);
    Reply xmlGet(const FormData& form, int64_t nowMs);
    Reply saveImage(const FormData& form, int64_t nowMs);
    Reply loadImage(const FormData& form, int64_t nowMs);
    Reply saveUserDetails(const FormData& form, int64_t nowMs);
    Reply getAdmin(const FormData& form, int64_t nowMs);
    Reply saveAdmin(const FormData& form, int64_t nowMs);
    Reply adminChannel(const FormData& form, int64_t nowMs);
    Reply searchChannel(const FormData& form, int64_t nowMs);
    Reply changePassword(const FormData& form, int64_t nowMs);
    Reply userChannelStatus(const FormData& form, int64_t nowMs);

    Session* session(const FormData& form, int64_t nowMs);
    std::string userName(const UserRecord& user) const;
    std::string usersListText(int channel);
    std::string ownDetails(const UserRecord& user);
    bool isAdminOrCoadmin(int channel, int userId);
    int storeMessage(int sender, int recipient, int type, const std::string& text);

    static Reply xml(const XmlReply& body, int status = 200);

    Store& m_store;
    Sessions& m_sessions;
    VoiceRelay* m_relay;
    WebApiConfig m_config;
    std::string m_localizationVersion;
    int64_t m_localizationStamp = -1; // modification time of the table last read
};

} // namespace Zumeli
