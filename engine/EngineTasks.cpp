#include "engine/EngineTasks.h"

#include "data/UserMessagesList.h"
#include "data/XmlChunk.h"
#include "engine/CommunicationEngine.h"
#include "engine/DetailsReply.h"
#include "engine/ImageReply.h"
#include "engine/JoinReply.h"
#include "engine/LoginReply.h"
#include "engine/MessagesReply.h"
#include "engine/ServiceReply.h"
#include "engine/WebService.h"

namespace Zumeli {

void HttpPostTask::post(WebService& endpoint, const WebRequest& request)
{
    m_request = std::make_unique<HttpAsyncPost>();
    m_request->start(endpoint.host, endpoint.port, endpoint.pathPrefix, request.path.c_str(), request.fields, this);
}

void LoginTask::start()
{
    Manager& manager = m_engine.manager();
    Preferences& preferences = manager.preferences;
    if (preferences.get("public.isregisteredlogin").toLong() != 0)
        m_record.setAccount(preferences.userName(), preferences.password());
    else
        m_record.setGuest();
    IEngineClient& client = m_engine.client();
    m_record.machineId = client.machineId();
    m_record.platform = client.platformText();
    m_record.identity = client.identityText();
    m_record.language = client.language();
    m_record.notificationToken = preferences.get("public.apntoken");
    post(manager.loginEndpoint, manager.loginEndpoint.loginRequest(m_record));
}

void LoginTask::replyText(const Text& reply)
{
    LoginResult result = readLoginReply(reply, m_record, m_engine.manager().loginEndpoint);
    m_engine.loginReplied(result, m_record);
    finish();
}

void LoginTask::failure()
{
    m_engine.loginReplied(LoginBadReply, m_record);
    finish();
}

void ChangeChannelTask::start()
{
    Manager& manager = m_engine.manager();
    post(manager.sessionEndpoint, manager.sessionEndpoint.joinRequest(m_channel.number, m_sentTimestamp));
}

void ChangeChannelTask::replyText(const Text& reply)
{
    JoinResult result = readJoinReply(reply, m_channel, m_engine.manager().session.people);
    m_engine.joinReplied(result, m_channel, m_sentTimestamp);
    finish();
}

void GetMessagesTask::start()
{
    Manager& manager = m_engine.manager();
    post(manager.sessionEndpoint, manager.sessionEndpoint.getMessagesRequest());
}

void GetMessagesTask::replyText(const Text& reply)
{
    someVector<UserMessageData> userMessages;
    ServiceMessagesList serviceMessages;
    readMessagesReply(reply, userMessages, serviceMessages, m_engine.manager().session.people);
    m_engine.messagesArrived(userMessages, serviceMessages);
    finish();
}

void LoadMissingUsersTask::start()
{
    std::vector<int> missing;
    Manager& manager = m_engine.manager();
    if (!manager.session.people.missingIds(missing, false)) {
        finish();
        return;
    }
    post(manager.sessionEndpoint, manager.sessionEndpoint.usersDetailsRequest(missing));
}

void LoadMissingUsersTask::replyText(const Text& reply)
{
    readUserDetails(reply, m_engine.manager().session.people);
    m_engine.usersLoaded();
    finish();
}

void LoadMissingUsersTask::onFinished() { m_engine.missingUsersLookupFinished(); }

void LoadImageTask::start()
{
    Manager& manager = m_engine.manager();
    post(manager.sessionEndpoint, manager.sessionEndpoint.loadImageRequest(m_type, m_paramId));
}

void LoadImageTask::replyData(const std::vector<uint8_t>& reply)
{
    ImageReplyResult result = readImageReply(reply.data(), reply.size(), m_target);
    m_engine.imageLoaded(result, m_type, m_paramId, m_target, m_record, m_sender);
    finish();
}

void PostImageTask::start()
{
    Text bytes;
    if (!bytes.loadFromFile(m_file)) {
        finish();
        return;
    }
    Manager& manager = m_engine.manager();
    post(manager.sessionEndpoint, manager.sessionEndpoint.saveImageRequest(m_type, m_paramId, bytes));
}

void PostImageTask::replyText(const Text& reply)
{
    m_engine.imagePosted(reply.str().find("postimageresult") != std::string::npos);
    finish();
}

} // namespace Zumeli

namespace Zumeli {

SendMessageTask::SendMessageTask(CommunicationEngine& engine, std::unique_ptr<UserMessageData> message,
                                 std::vector<int> recipients)
    : HttpPostTask(engine)
    , m_message(std::move(message))
    , m_recipients(std::move(recipients))
{
}

void SendMessageTask::start()
{
    WebService& endpoint = m_engine.manager().sessionEndpoint;
    post(endpoint, endpoint.sendMessageRequest(UserMessagesList::messageDocument(*m_message, m_recipients)));
}

void SendMessageTask::replyText(const Text&)
{
    m_sent = true;
    finish();
}

void SendMessageTask::onFinished() { m_engine.messageSent(std::move(m_message), m_recipients, m_sent); }

void WebSessionCheckTask::start()
{
    WebService& endpoint = m_engine.manager().sessionEndpoint;
    post(endpoint, endpoint.keepAliveRequest());
}

void WebSessionCheckTask::replyText(const Text& reply)
{
    m_alive = ServiceReply::statusIs(XmlChunk(reply), "OK");
    finish();
}

void WebSessionCheckTask::onFinished() { m_engine.voice().webSessionChecked(m_alive); }

void UsersListTask::start()
{
    WebService& endpoint = m_engine.manager().sessionEndpoint;
    post(endpoint, endpoint.usersListRequest());
}

void UsersListTask::replyText(const Text& reply)
{
    XmlChunk xml(reply);
    if (ServiceReply::hasElement(xml, "ul")) {
        Manager& manager = m_engine.manager();
        ChannelElement* channel = manager.channels.getOrCreate(manager.session.currentChannel);
        readUserList(xml.child("ul"), *channel, manager.session.people);
        m_read = true;
    }
    finish();
}

void UsersListTask::onFinished() { m_engine.usersListLoaded(m_read); }

void DoNotDisturbTask::start()
{
    Manager& manager = m_engine.manager();
    OwnDetailsChange change;
    change.doNotDisturb = m_doNotDisturb;
    post(manager.sessionEndpoint, manager.sessionEndpoint.saveUserDetailsRequest(manager.session.ownUserId, change));
}

void DoNotDisturbTask::replyText(const Text& reply)
{
    Manager& manager = m_engine.manager();
    SessionRecord& session = manager.session;
    XmlChunk xml(reply);
    if (ServiceReply::statusIs(xml, "OK") && ServiceReply::hasElement(xml, "sud"))
        readOwnDetails(xml.child("sud"), session.ownUserId, session.people, session.ownDetails);
    finish();
}

void DoNotDisturbTask::onFinished() { m_engine.doNotDisturbSaved(); }

void LocalizationTask::start()
{
    WebService& endpoint = m_engine.manager().sessionEndpoint;
    post(endpoint, endpoint.xmlGetRequest("localizationDatabase"));
}

void LocalizationTask::replyText(const Text& reply)
{
    m_engine.client().localizationArrived(reply);
    finish();
}

} // namespace Zumeli
