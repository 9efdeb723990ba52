#pragma once

#include "data/Text.h"
#include "engine/HttpLimits.h"
#include "engine/LoginReply.h"
#include "engine/JoinReply.h"
#include "engine/OwnDetails.h"
#include "engine/ServiceConfig.h"
#include "engine/WebRequest.h"

#include <cstdint>
#include <vector>

namespace Zumeli {

struct AdministrationDocument;
struct ChannelElement;
class Groups;
struct LoginRecord;
class People;
class ServiceMessagesList;
class TextLocalizer;
struct UserMessageData;
template<typename T> class someVector;

// What the service tells about the user's rights on the current channel.
struct ChannelStatus {
    bool isAdmin = false;
    bool isCoadmin = false;
    bool channelAdministrated = false;
    int type = 0;
};

// The service's answer to a service request that it did not grant at once: a message for the
// user with two button labels.
struct ServiceRequestAnswer {
    Text message;
    Text buttons[2];
};

// One endpoint of the web service: where its calls go (host, port, path prefix) and the session
// they belong to. The engine keeps two: the login endpoint (login, registration, name and mail
// checks) and the session endpoint (everything else), which a login may move.
//
// Every call has a request builder (the path and the fields in the order sent) and, for the
// calls that background tasks make, a reply reader of its own (LoginReply.h, JoinReply.h,
// DetailsReply.h, MessagesReply.h, ImageReply.h); the blocking forms below build, send with
// postForText and read in one go.
//
// Field values: identifiers, numbers, digests, tokens and documents travel as they are; plain
// values that carry what a user typed are percent-encoded (FormFields::addUserText); texts a
// user typed inside a document are escaped with Text::escapeForForm when the document is built.
class WebService {
public:
    WebService() = default;
    WebService(const Text& host, int port, const Text& pathPrefix = Text());

    Text host;
    int port = ServiceConfig::DefaultPort;
    Text pathPrefix;
    Text sessionId;
    Text requestToken;

    void setAddress(const ServiceAddress& address);
    // The session endpoint after a successful login: the reply's address (with its port, when
    // given) and path prefix replace the endpoint's when they are not empty, and the login's
    // session becomes this endpoint's.
    void adoptLogin(const LoginRecord& login);
    // A fresh cache breaker: "%08X" of the product of two successive rand() values. Every
    // builder whose call sends "ur" calls it first.
    const Text& refreshToken();

    // The bound on each blocking call.
    void setTimeLimit(int milliseconds) { m_timeLimitMs = milliseconds; }

    // Whether a call belongs on the login endpoint: the login, the registration and the name
    // and mail checks; every other call goes to the session endpoint.
    static bool isLoginEndpointCall(const WebRequest& request);

    // Sends a request and waits for the whole reply. False (reply empty) when the call did not
    // connect or nothing came back.
    bool post(const WebRequest& request, Text& reply) const;

    // --- Request builders of the form calls.
    WebRequest loginRequest(const LoginRecord& login);
    WebRequest registerRequest(const LoginRecord& login);
    WebRequest joinRequest(int channel, int lastTimestamp);
    WebRequest keepAliveRequest();
    WebRequest logoutRequest() const;
    WebRequest usersListRequest();
    WebRequest usersDetailsRequest(const std::vector<int>& userIds);
    WebRequest sendMessageRequest(const Text& messageDocument);
    WebRequest getMessagesRequest();
    WebRequest xmlSendRequest(const char* kind, const Text& data);
    WebRequest xmlGetRequest(const char* kind);
    WebRequest saveImageRequest(int imageType, int paramId, const Text& imageBytes);
    WebRequest loadImageRequest(int imageType, int paramId);
    WebRequest saveUserDetailsRequest(int ownUserId, const OwnDetailsChange& change);
    WebRequest getAdminRequest() const;
    WebRequest saveAdminRequest(const AdministrationDocument& document) const;
    WebRequest adminChannelRequest(bool release) const;
    WebRequest searchChannelRequest(bool upward);
    WebRequest changePasswordRequest(const Text& newPassword) const;
    WebRequest userChannelStatusRequest() const;

    // --- Blocking forms.
    LoginResult login(LoginRecord& login);
    // 0 registered; 1 refused, with the service's "errorString" in errorText; 2 failed.
    int registerUser(const LoginRecord& login, Text& errorText);
    JoinResult join(ChannelElement& channel, People& people);
    bool keepAlive();
    void logout();
    // 0: the channel's users were read from "ul"; 2: the call failed or the reply had no "ul".
    int getUsersList(ChannelElement& channel, People& people);
    // How many people were read; -1 when the call failed.
    int loadUsersDetails(const std::vector<int>& userIds, People& people);
    // True when the call went through (the reply is not read).
    bool sendMessage(const UserMessageData& message, const std::vector<int>& recipients);
    // How many messages were read; -1 when the call failed.
    int getMessages(someVector<UserMessageData>& userMessages, ServiceMessagesList& serviceMessages, People& people);
    // True when the reply holds "postimageresult".
    bool saveImage(int imageType, int paramId, const Text& imageBytes);
    // The same with the bytes of a file; false when the file cannot be read.
    bool saveImageFile(int imageType, int paramId, const Text& filePath);
    // The image reply reader on the reply; false when the call failed.
    bool loadImage(int imageType, int paramId, const Text& targetPath);
    // On "OK" the own details are read from the reply's "sud".
    bool saveUserDetails(int ownUserId, const OwnDetailsChange& change, People& people, OwnDetails& own);
    // 0 read; 1 the service answered "FAIL"; 2 the call failed or carried no document (the
    // document is then left as it was).
    int getAdmin(AdministrationDocument& document, People& people);
    bool saveAdmin(const AdministrationDocument& document);
    bool adminChannel(bool release);
    // True with the next active channel above (or below) the current one.
    bool searchChannel(bool upward, int& channel);
    bool changePassword(const Text& newPassword);
    bool getUserChannelStatus(ChannelStatus& status);

    // --- The XML service channel. Each writes its request, then the reply between the lines
    // "+++++++++++++++++++++++" and "-----------------------", on the standard output.
    bool checkUserName(const Text& name);
    bool checkMail(const Text& mail);
    bool reportAbuse(int userId);
    // True when granted; otherwise the service's message and button labels land in answer.
    bool requestService(int ownUserId, const Text& request, const Text& machineId, ServiceRequestAnswer& answer);
    bool cancelRequestService(const Text& machineId);
    bool channelSubscription(int channel, bool subscribed);
    bool subscriptionMessage(int channel, const Text& text);
    bool buyChannel(int ownUserId, int channel, const Text& machineId);
    // True when the call went through (the reply is not read).
    bool sendUserGroups(const Groups& groups);
    // "geo_city" with a city name or "geo_latlng" with coordinates; on "OK" both texts are set.
    bool lookupCity(const Text& city, Text& latlng, Text& cityOut);
    bool lookupPosition(const Text& coordinates, Text& latlng, Text& cityOut);

    // "7/XML_Get.php": the whole reply text; false when the call failed.
    bool xmlGet(const char* kind, Text& reply);
    // Once per run after the first successful login, with the login's "lot": when it differs
    // from the table's version, fetches "localizationDatabase" and, when its digest checks, saves
    // and loads it. True when the table was replaced.
    bool checkLocalization(TextLocalizer& localizer, const Text& announcedVersion);

private:
    // Sends an XML service request with its trace lines; false when the call failed.
    bool xmlSend(const char* kind, const Text& data, bool userText, Text& reply);
    bool geoLookup(const char* kind, const Text& value, Text& latlng, Text& cityOut);

    int m_timeLimitMs = HttpLimits::BlockingRequestMs;
};

} // namespace Zumeli
