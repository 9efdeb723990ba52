#pragma once

#include "data/AdministrationDocument.h"
#include "data/ServiceMessageData.h"
#include "server/Database.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace Zumeli {

struct UserRecord {
    int id = 0;
    std::string name; // empty for guests
    std::string password; // salted hash of the password digest the client sends (see PasswordHash.h)
    std::string mail;
    bool guest = false;
    int detailsVersion = 1;
    int imageVersion = 0;
    bool dnd = false;
    bool staff = false;
    int tmsmode = 0;
    int gpsmode = 0;
    int imgmode = 0;
    int apnmode = 0;
    int lastChannel = 0;
    int groupsSignature = 0;
};

struct ChannelRecord {
    int number = 0;
    int64_t version = 0; // changes whenever the channel's data changes
    int codec = 9;
    std::string name;
    int adminId = 0;
    int phonePlateVersion = 0;
    int desktopPlateVersion = 0;
    int pictureVersion = 0;
};

struct StoredMessage {
    int sender = 0;
    int type = 0;
    int64_t datetime = 0;
    std::string text; // plain text, entities already decoded
    int64_t id = 0;   // in the store, once stored
};

struct WaitingServiceMessage {
    int64_t id = 0;
    ServiceMessageData data;
};

// Changes to a user's details; unset fields stay as they are.
struct DetailsChange {
    std::optional<bool> dnd;
    std::optional<std::string> mail;
    std::optional<int> tmsmode, gpsmode, imgmode, apnmode;
};

// Everything the service keeps: accounts, channels with their administration, messages waiting
// for their addressees, service messages, pictures, subscriptions and reports. One SQLite
// database, shared with the operator commands.
class Store {
public:
    static constexpr int FirstChannel = 100;
    static constexpr int LastChannel = 1999;

    bool open(const std::string& path);
    Database& database() { return m_db; }

    // Guests live only as long as their sessions; a restart ends those, so their rows go, with
    // their lists, subscriptions, mailboxes and picture (messages they sent stay).
    bool removeGuests();
    bool removeGuests(const std::vector<int>& userIds);

    std::optional<UserRecord> userById(int id);
    std::optional<UserRecord> userByName(const std::string& name); // letter case ignored
    bool mailTaken(const std::string& mail);
    // The password is the client's digest; only its salted hash is stored.
    int createUser(const std::string& name, const std::string& password, const std::string& mail,
                   const std::string& language);
    int createGuest();
    bool setPassword(int userId, const std::string& password);
    // Applies the changes and bumps the details version when something changed.
    bool changeDetails(int userId, const DetailsChange& change);
    bool setLastChannel(int userId, int channel);
    bool setGroups(int userId, const std::string& document, int signature);

    // The channel, created with the default codec on first use; nullopt outside 100..1999.
    std::optional<ChannelRecord> channel(int number);
    void setDefaultCodec(int codec) { m_defaultCodec = codec; }
    bool setChannelSettings(int number, std::optional<int> codec, std::optional<std::string> name);
    AdministrationDocument adminDocument(int number);
    bool saveAdminDocument(int number, const AdministrationDocument& document);
    bool setAdministrator(int number, int userId); // 0 releases
    std::vector<int> channelsWithAdmin(int userId);

    static constexpr size_t DefaultMailboxLimit = 500;
    // Stores the message; past the limit the recipient's oldest messages go, with a notice.
    bool addMessage(int recipient, const StoredMessage& message, size_t mailboxLimit = DefaultMailboxLimit);
    // The oldest waiting messages of the user, at most maxCount and (but for the first) maxBytes
    // of text; more tells whether others wait. They stay until deleted: a fetch deletes them only
    // once the client has the whole reply.
    std::vector<StoredMessage> waitingMessages(int recipient, size_t maxCount, size_t maxBytes, bool& more);
    bool deleteMessages(const std::vector<int64_t>& ids);
    bool queueServiceMessage(int recipient, const ServiceMessageData& message);
    std::vector<WaitingServiceMessage> waitingServiceMessages(int recipient, size_t maxCount, bool& more);
    bool deleteServiceMessages(const std::vector<int64_t>& ids);
    bool hasWaitingMessages(int recipient);

    // Stores the picture and returns its new version (0 on failure).
    int saveImage(int type, int paramId, const std::vector<uint8_t>& bytes);
    std::optional<std::vector<uint8_t>> loadImage(int type, int paramId);
    struct ImageRef {
        int64_t row = 0;
        size_t size = 0;
    };
    std::optional<ImageRef> findImage(int type, int paramId);
    // Appends count bytes of the picture from offset; false when it changed or went meanwhile.
    bool readImage(const ImageRef& image, size_t offset, size_t count, std::string& out);

    bool setSubscription(int userId, int channel, bool on);
    bool isSubscribed(int userId, int channel);
    std::vector<int> subscribers(int channel);

    bool addReport(const std::string& kind, int userId, const std::string& text);

private:
    bool createSchema();
    int insertUser(const char* columns, const char* values, const std::function<void(Statement&)>& bind);
    bool removeGuestsWhere(const std::string& selection);
    bool deleteRows(const char* sql, const std::vector<int64_t>& ids, const char* secondSql = nullptr);
    bool bumpChannel(int number);

    Database m_db;
    int m_defaultCodec = 9;
};

} // namespace Zumeli
