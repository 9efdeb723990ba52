#include "engine/CommunicationEngine.h"

#include "engine/DetailsReply.h"
#include "engine/EngineCodes.h"
#include "platform/Clock.h"

#include <algorithm>
#include <ctime>

namespace Zumeli {

CommunicationEngine::CommunicationEngine(Manager& manager, IEngineClient& client)
    : m_manager(manager)
    , m_client(client)
    , m_responses(manager.responses)
    , m_voice(manager.responses, manager.audio, manager.session.people, manager.channelEvents, *this, manager.clock)
    , m_pictures(manager.documents)
{
    m_manager.engine = this;
    m_manager.voiceConnection = &m_voice.connection();
    m_manager.channelEvents.setShower([this](const ChannelEvent& event) { m_client.showChannelEvent(event); });
}

CommunicationEngine::~CommunicationEngine()
{
    // A logout on its way gets a moment to reach the service.
    for (int i = 0; i < 200 && !m_detached.empty(); ++i) {
        std::erase_if(m_detached, [](const std::unique_ptr<HttpAsyncPost>& post) { return post->poll(); });
        if (!m_detached.empty())
            Platform::sleepMilliseconds(10);
    }
    for (TaskQueue& queue : m_queues)
        queue.clear();
    m_manager.channelEvents.setShower(nullptr);
    m_manager.voiceConnection = nullptr;
    m_manager.codec = nullptr;
    if (m_manager.engine == this)
        m_manager.engine = nullptr;
}

ChannelElement& CommunicationEngine::currentChannel()
{
    SessionRecord& session = m_manager.session;
    ChannelElement* channel = m_manager.channels.getOrCreate(session.currentChannel);
    session.channel = channel;
    return *channel;
}

void CommunicationEngine::step()
{
    handleRequest();
    m_voice.step(); // audio out, server messages, remote talk, keep-alive, channel events, traffic
    while (m_client.takeReturnedMessage()) { }
    sendOutgoingMessages();
    for (TaskQueue& queue : m_queues)
        queue.advance();
    std::erase_if(m_detached, [](const std::unique_ptr<HttpAsyncPost>& post) { return post->poll(); });
    m_manager.codec = m_voice.codec();
    m_voice.poll();
}

void CommunicationEngine::handleRequest()
{
    ClientMessage request;
    if (!m_manager.requests.take(request))
        return;
    if (!m_voice.loggedIn()) {
        if (request.code == Request::Login) {
            for (TaskQueue& queue : m_queues)
                queue.clear();
            m_leaveAfterLogin = false;
            m_queues[LoginQueue].enqueue(std::make_unique<LoginTask>(*this));
        } else if (request.code == Request::Leave && !m_queues[LoginQueue].isIdle()) {
            m_leaveAfterLogin = true;
        }
        return;
    }
    switch (request.code) {
    case Request::Leave:
        m_voice.leave();
        break;
    case Request::ChangeChannel:
        join(request.value);
        break;
    case Request::TalkOn:
        m_voice.talk(true);
        break;
    case Request::TalkOff:
        m_voice.talk(false);
        break;
    case Request::HeaderImage:
        // The header picture has no transfer of its own: the cache file is used when present.
        break;
    case Request::Smile:
        m_voice.sendSmile(request.value);
        break;
    case Request::AdministrationSaved:
        m_voice.sendChannelSettingsChanged();
        joinCurrentChannel();
        break;
    case Request::Position:
        m_voice.sendPositionText(m_manager.session.positionText);
        break;
    case Request::DoNotDisturb: {
        SessionRecord& session = m_manager.session;
        PeopleEntry* own = session.people.find(session.ownUserId);
        m_queues[ServiceQueue].enqueue(std::make_unique<DoNotDisturbTask>(*this, own && own->dnd));
        break;
    }
    case Request::ChannelPhoto:
        m_queues[ImagePostQueue].enqueue(std::make_unique<PostImageTask>(*this, PictureCache::ChannelPhoto,
                                                                         m_manager.session.currentChannel,
                                                                         m_client.channelPhotoToPost()));
        break;
    case Request::TalkRequest:
        m_voice.sendTalkRequest();
        break;
    default:
        break;
    }
}

void CommunicationEngine::loginReplied(LoginResult result, LoginRecord& record)
{
    switch (result) {
    case LoginSucceeded:
        break;
    case LoginRefused:
        m_leaveAfterLogin = false;
        m_responses.post(Response::LoginRefused);
        return;
    case LoginTooManyUsers:
        m_leaveAfterLogin = false;
        m_responses.post(Response::ServerFull);
        return;
    default:
        if (m_leaveAfterLogin) {
            m_leaveAfterLogin = false;
            m_responses.post(Response::LoggedOut);
            return;
        }
        m_responses.post(Response::LoginFailed);
        return;
    }
    SessionRecord& session = m_manager.session;
    m_client.setServerClockOffset(record.serverTime - long(std::time(nullptr)));
    WebService& sessionEndpoint = m_manager.sessionEndpoint;
    if (!record.address.isEmpty()) {
        sessionEndpoint.host = record.address;
        if (record.port > 0)
            sessionEndpoint.port = record.port;
    }
    if (!record.pathPrefix.isEmpty())
        sessionEndpoint.pathPrefix = record.pathPrefix;
    sessionEndpoint.sessionId = m_manager.loginEndpoint.sessionId;
    session.sessionId = m_manager.loginEndpoint.sessionId;
    session.ownUserId = record.userId;
    session.voiceOptions = record.voiceOptions;
    session.groupsValue = record.groupsValue;
    session.smk = record.smk;
    m_client.setChannelBounds(record.lowestChannel, record.highestChannel);
    readOwnDetails(XmlChunk(record.ownDetails), session.ownUserId, session.people, session.ownDetails);

    int channel = record.channel != 0 ? record.channel : 1000;
    if (record.lowestChannel != 0 && channel < record.lowestChannel)
        channel = record.lowestChannel;
    if (record.highestChannel != 0 && channel > record.highestChannel)
        channel = record.highestChannel;

    if (m_groups) {
        std::vector<int> members;
        m_groups->collectMembers(members);
        session.people.addAll(members);
    }
    m_voice.setSession(uint32_t(session.ownUserId), session.sessionId, session.voiceOptions);
    if (m_leaveAfterLogin) {
        // The user disconnected while waiting: end the new session at once instead of joining.
        m_leaveAfterLogin = false;
        m_voice.leave();
        return;
    }
    m_responses.post(Response::LoggedIn);
    if (m_client.localizationWanted(record.localizationStamp))
        m_queues[ServiceQueue].enqueue(std::make_unique<LocalizationTask>(*this));
    loginDone(channel, record.messagesWaiting);
}

void CommunicationEngine::loginDone(int channel, bool messagesWaiting)
{
    m_voice.setLoggedIn(true);
    if (m_startChannel != 0) {
        channel = m_startChannel;
        m_startChannel = 0;
    }
    join(channel);
    if (messagesWaiting)
        fetchMessages();
}

void CommunicationEngine::join(int number)
{
    ChannelElement* channel = m_manager.channels.getOrCreate(number);
    // Without a known voice server the service must send the whole channel.
    if (channel->address.isEmpty() || channel->port == 0)
        channel->timestamp = 0;
    m_queues[JoinQueue].clear();
    m_queues[JoinQueue].enqueue(std::make_unique<ChangeChannelTask>(*this, *channel, channel->timestamp));
}

void CommunicationEngine::joinReplied(JoinResult result, ChannelElement& channel, int sentTimestamp)
{
    switch (result) {
    case JoinSucceeded: {
        joinedOrFull(channel);
        m_client.setChannelPermission(channel.permissions);
        if (channel.adminId != 0)
            m_manager.session.people.getOrCreate(channel.adminId);
        m_responses.post(Response::ChannelPeopleChanged);
        loadMissingUsers();
        m_voice.connectTo(channel); // codec, channel events, reconnect timer, voice connection
        if (channel.timestamp != sentTimestamp)
            m_manager.channels.save();
        break;
    }
    case JoinInvalidSession:
        m_voice.leave();
        break;
    case JoinChannelFull:
        joinedOrFull(channel);
        m_responses.post(Response::ChannelFull);
        break;
    default:
        m_responses.post(Response::JoinFailed);
        break;
    }
}

// What a join does whether or not the channel had room: it becomes the current channel, the
// old voice connection goes, and its pictures are asked for.
void CommunicationEngine::joinedOrFull(ChannelElement& channel)
{
    SessionRecord& session = m_manager.session;
    session.currentChannel = channel.number;
    session.channel = &channel;
    m_voice.dropConnection();
    loadUserImage(channel.images[ChannelElement::PlateDesktop], PictureIndex::PlateDesktop, channel.number);
    loadUserImage(channel.images[ChannelElement::Icon], PictureIndex::ChannelIcon, channel.number);
    m_responses.post(Response::ChannelChanged, channel.number);
    m_responses.post(Response::ChannelPictures);
}

void CommunicationEngine::forgetRecords()
{
    for (TaskQueue& queue : m_queues)
        queue.clear();
    for (int i = 0; i < QueueCount; ++i)
        m_queues[i].advance(); // deletes the cancelled tasks and their references
    m_voice.forgetChannel();
    m_lookAgainForMissingUsers = false;
    m_manager.session.channel = nullptr;
    m_userPhotos.clear();
}

void CommunicationEngine::fetchMessages() { m_queues[MessageQueue].enqueue(std::make_unique<GetMessagesTask>(*this)); }

void CommunicationEngine::messagesArrived(someVector<UserMessageData>& userMessages, ServiceMessagesList& serviceMessages)
{
    int service = 0;
    for (const auto& message : serviceMessages) {
        if (!m_client.addServiceMessage(*message))
            std::printf("Queue full !  Size %lu write at %lu\n", 50ul, static_cast<unsigned long>(service));
        ++service;
    }
    People& people = m_manager.session.people;
    for (const auto& message : userMessages)
        people.getOrCreate(message->sender);
    people.sortByName();
    if (!userMessages.isEmpty()) {
        m_responses.post(Response::ChannelPeopleChanged);
        loadMissingUsers();
    }
    while (!userMessages.isEmpty())
        m_client.postIncomingMessage(userMessages.takeAt(0));
    if (service > 0)
        m_responses.post(Response::ServiceMessages);
}

void CommunicationEngine::loadMissingUsers()
{
    SessionRecord& session = m_manager.session;
    if (session.channel)
        session.people.addAll(session.channel->presentUsers);
    std::vector<int> missing;
    if (!session.people.missingIds(missing, false))
        return;
    if (m_queues[UserDetailsQueue].isIdle())
        m_queues[UserDetailsQueue].enqueue(std::make_unique<LoadMissingUsersTask>(*this));
    else
        m_lookAgainForMissingUsers = true;
}

void CommunicationEngine::missingUsersLookupFinished()
{
    if (!m_lookAgainForMissingUsers)
        return;
    m_lookAgainForMissingUsers = false;
    // Runs once the finished lookup is gone; it asks for whoever is still missing then.
    m_queues[UserDetailsQueue].enqueue(std::make_unique<LoadMissingUsersTask>(*this));
}

void CommunicationEngine::loadHandheldPlate()
{
    ChannelElement& channel = currentChannel();
    loadUserImage(channel.images[ChannelElement::PlateIPhone], PictureIndex::PlateIPhone, channel.number);
}

void CommunicationEngine::usersLoaded()
{
    People& people = m_manager.session.people;
    people.sortByName();
    people.save();
    m_responses.post(Response::ChannelPeopleChanged);
    updateChannelEvents();
}

void CommunicationEngine::updateChannelEvents()
{
    SessionRecord& session = m_manager.session;
    if (session.channel)
        m_manager.channelEvents.syncPresent(session.channel->presentUsers);
}

void CommunicationEngine::loadUserImage(ChannelElement::Image& record, int type, int paramId)
{
    Text path;
    bool present = false;
    m_pictures.lookup(type, paramId, record.timestamp, path, present);
    if (present) {
        record.path = path;
        return;
    }
    auto sameRecord = [&](const Task* task) {
        auto* load = dynamic_cast<const LoadImageTask*>(task);
        return load && load->record() == &record;
    };
    TaskQueue& images = m_queues[ImageLoadQueue];
    if ((images.current() && images.current()->alive() && sameRecord(images.current()))
        || std::any_of(images.waiting().begin(), images.waiting().end(), [&](const auto& task) { return sameRecord(task.get()); }))
        return;
    images.enqueue(std::make_unique<LoadImageTask>(*this, type, paramId, path, &record, 0));
}

void CommunicationEngine::loadChannelPhoto(uint32_t sender)
{
    if (sender == uint32_t(m_manager.session.ownUserId))
        return;
    m_queues[ImageLoadQueue].enqueue(std::make_unique<LoadImageTask>(*this, PictureCache::ChannelPhoto,
                                                                     m_manager.session.currentChannel,
                                                                     m_pictures.channelPhotoPath(), nullptr, sender));
}

void CommunicationEngine::imageLoaded(ImageReplyResult result, int type, int paramId, const Text& target,
                                      ChannelElement::Image* record, uint32_t sender)
{
    if (result == ImageReplyResult::Failed)
        return;
    if (result == ImageReplyResult::NoPicture) {
        // Nothing was stored: the version stays unrecorded, so the picture is asked for again.
        if (record)
            record->path.clear();
        return;
    }
    if (!record) {
        m_client.channelPhotoReceived(target);
        m_responses.post(Response::PhotoUpdated, int32_t(sender));
        return;
    }
    m_pictures.record(type, paramId, record->timestamp);
    record->path = target;
    if (type == PictureIndex::UserPicture)
        m_responses.post(Response::ChannelPeopleChanged);
    else if (paramId == m_manager.session.currentChannel)
        m_responses.post(Response::ChannelPictures);
}

void CommunicationEngine::imagePosted(bool ok)
{
    if (ok)
        m_voice.sendPhotoChanged();
}

void CommunicationEngine::reloadPeople()
{
    currentChannel();
    m_queues[ServiceQueue].enqueue(std::make_unique<UsersListTask>(*this));
}

void CommunicationEngine::usersListLoaded(bool read)
{
    if (!read)
        m_responses.post(Response::JoinFailed);
    m_responses.post(Response::ChannelPeopleChanged);
    updateChannelEvents();
    loadMissingUsers();
}

void CommunicationEngine::doNotDisturbSaved()
{
    m_voice.sendDetailsChanged();
    m_manager.channelEvents.add(m_manager.session.ownUserId, ChannelEvent::You);
    m_responses.post(Response::ChannelPeopleChanged);
}

bool CommunicationEngine::saveUserDetails(const OwnDetailsChange& change)
{
    SessionRecord& session = m_manager.session;
    return m_manager.sessionEndpoint.saveUserDetails(session.ownUserId, change, session.people, session.ownDetails);
}

void CommunicationEngine::checkWebSession()
{
    m_queues[ServiceQueue].enqueue(std::make_unique<WebSessionCheckTask>(*this));
}

void CommunicationEngine::logout()
{
    WebService& endpoint = m_manager.sessionEndpoint;
    WebRequest request = endpoint.logoutRequest();
    auto post = std::make_unique<HttpAsyncPost>();
    post->start(endpoint.host, endpoint.port, endpoint.pathPrefix, request.path.c_str(), request.fields, nullptr);
    m_detached.push_back(std::move(post));
}

void CommunicationEngine::sendOutgoingMessages()
{
    while (std::unique_ptr<UserMessageData> message = m_client.takeOutgoingMessage()) {
        std::vector<int> recipients;
        if (message->groupId == -1)
            recipients.push_back(message->recipient);
        else
            recipients = groupRecipients(message->groupId);
        if (recipients.empty()) {
            m_client.returnOutgoingMessage(std::move(message));
            continue;
        }
        m_outbox.emplace_back(std::move(message), std::move(recipients));
    }
    // One at a time, oldest first: the send queue would run the newest waiting task first.
    if (!m_outbox.empty() && m_queues[SendQueue].isIdle()) {
        auto [message, recipients] = std::move(m_outbox.front());
        m_outbox.pop_front();
        m_queues[SendQueue].enqueue(std::make_unique<SendMessageTask>(*this, std::move(message), std::move(recipients)));
    }
}

void CommunicationEngine::messageSent(std::unique_ptr<UserMessageData> message, const std::vector<int>& recipients,
                                      bool sent)
{
    if (sent && (message->groupId == -1 || recipients.size() <= 10))
        for (int id : recipients)
            m_voice.sendNewMessages(uint32_t(id));
    m_client.returnOutgoingMessage(std::move(message));
}

std::vector<int> CommunicationEngine::groupRecipients(int groupId) const
{
    const SessionRecord& session = m_manager.session;
    std::vector<int> ids;
    if (groupId == 0) {
        for (const auto& person : session.people)
            ids.push_back(person->id);
    } else if (groupId == 1) {
        if (session.channel)
            ids = session.channel->presentUsers;
    } else if (m_groups) {
        if (int index = m_groups->indexOf(groupId); index >= 0)
            ids = m_groups->at(index)->members;
    }
    std::erase(ids, session.ownUserId);
    std::sort(ids.begin(), ids.end());
    ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
    return ids;
}

} // namespace Zumeli
