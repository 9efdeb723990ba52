#include "engine/EngineTasks.h"

#include "data/XmlChunk.h"
#include "engine/CommunicationEngine.h"
#include "engine/DetailsReply.h"
#include "engine/ImageReply.h"
#include "engine/JoinReply.h"
#include "engine/LoginReply.h"
#include "engine/MessagesReply.h"
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
