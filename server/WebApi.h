#pragma once

#include "data/AdministrationDocument.h"
#include "server/FormData.h"
#include "server/RateLimit.h"
#include "server/WebReply.h"

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace Zumeli {

struct Call;
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
    double guestShare = 0.5;               // of maxSessions; the rest is kept for registered users
    int64_t idleGuestMs = 60 * 1000;       // guests idle this long go when their share is nearly used
    int loginsPerAddressPerMinute = 64;    // with a burst of as many
    int failedLoginsBeforeWait = 5;        // per account and per address; then one try a minute
    size_t maxImageBytes = 4 * 1024 * 1024;
    size_t maxMessageBytes = 4000;
    size_t maxRecipients = 200;
    size_t mailboxLimit = 500;          // messages waiting per user; the oldest go first
    int messagesPerSenderPerMinute = 200; // copies (one per recipient), with a burst of as many
    int64_t invitationIntervalMs = 10 * 60 * 1000; // between two invitations of a channel's subscribers
};

// The web service: one reply per request for every call under "7/". Replies are HTTP/1.0 with a
// body of top-level XML elements ("status", "errorString", ...), pictures after
// "Content-Type: image/jpeg\r\n\r\n". The voice relay, when given, hears about sessions that end
// or move and about new messages.
class WebApi {
public:
    struct Reply {
        Reply() = default;
        Reply(int status, std::string bytes)
            : status(status)
            , bytes(std::move(bytes))
        {
        }

        int status = 200;
        std::string bytes; // the whole HTTP response
        // Run when the client has read the whole reply and closed its side, never otherwise.
        std::function<void()> delivered;
        // When set, the rest of the body: appends the next piece to its argument each time the
        // bytes before it are out.
        std::function<int(std::string&)> stream;
        // When set, the reply is this job's, run away from the event loop (see BackgroundWork).
        std::function<Reply()> background;
    };
    enum { StreamFailed = -1, StreamDone = 0, StreamMore = 1 };

    WebApi(Store& store, Sessions& sessions, VoiceRelay* relay, WebApiConfig config);

    // A second connection to the same database, used only by background jobs; without it
    // everything runs on the loop.
    void setBackgroundStore(Store* store) { m_backgroundStore = store; }

    // source: the peer's IPv4 address (network order), for the limits kept per address.
    Reply handle(const HttpRequest& request, int64_t nowMs, uint32_t source = 0);
    // The largest body the call of this path accepts; known as soon as the request's head is read.
    size_t bodyLimit(const std::string& path) const;
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

    // Ends the sessions idle too long (and, when the guests' share is nearly used, guests idle
    // for a minute), with their voice connections and the rows of ended guests. The ids ended.
    std::vector<std::string> expireSessions(int64_t nowMs);
    // Ends sessions: their voice connections close and guests' rows go.
    void endSession(const std::string& id);
    void endSessions(const std::vector<std::string>& ids);

    using Handler = Reply (WebApi::*)(const FormData&, int64_t);

private:
    const Call* findCall(const std::string& path) const;

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

    size_t guestLimit() const;
    void applyAdministration(int channel, int adminId, const AdministrationDocument& document);
    // A refused join: the session is no longer in any channel.
    void leaveChannel(Session& session);

    Store& m_store;
    Store* m_backgroundStore = nullptr;
    Sessions& m_sessions;
    VoiceRelay* m_relay;
    WebApiConfig m_config;
    std::string m_localizationVersion;
    int64_t m_localizationStamp = -1; // modification time of the table last read
    uint32_t m_source = 0;             // address of the request being handled
    std::string_view m_picture;        // SaveImage: its "data" field, still encoded, during the call
    RateLimit m_loginsPerAddress;
    RateLimit m_failuresPerAccount;
    RateLimit m_failuresPerAddress;
    RateLimit m_messagesPerSender;
    std::map<int, int64_t> m_lastInvitationMs; // by channel
};

} // namespace Zumeli
