#pragma once

#include "data/Groups.h"
#include "engine/EngineTasks.h"
#include "engine/IEngineClient.h"
#include "engine/ImageReply.h"
#include "engine/IVoiceSessionHost.h"
#include "engine/Manager.h"
#include "engine/PictureCache.h"
#include "engine/Task.h"
#include "engine/VoiceSession.h"

#include <deque>
#include <map>
#include <vector>

namespace Zumeli {

// The network side of the engine, run once per Client step on the main thread: it takes the
// Client's requests, keeps the web session as background tasks (login, join, user details,
// messages, pictures), runs the voice session, and answers on the response ring. No web call
// made by a task blocks the step; the few blocking calls (logout, keep-alive check, message
// send, own details) are named where they are made.
class CommunicationEngine final : public IVoiceSessionHost {
public:
    // The task queues, in the order they advance. Outgoing text messages go one at a time, in
    // the order written; the service queue carries the calls the voice session and the login
    // trigger (web session check, people list, do-not-disturb, localisation table).
    enum Queue {
        LoginQueue,
        JoinQueue,
        ImageLoadQueue,
        UserDetailsQueue,
        ImagePostQueue,
        MessageQueue,
        SendQueue,
        ServiceQueue,
        QueueCount
    };

    CommunicationEngine(Manager& manager, IEngineClient& client);
    ~CommunicationEngine() override;

    void step();

    // The channel to join after the next login instead of the one the login reply proposes.
    void setStartChannel(int channel) { m_startChannel = channel; }
    // The user's groups (owned by the Client): group messages go to their members.
    void setGroups(const Groups* groups) { m_groups = groups; }
    bool loggedIn() const { return m_voice.loggedIn(); }

    // Call before the channel list or the people list is cleared (another user logs in): drops
    // every task and every reference into the old records.
    void forgetRecords();

    // Joins a channel (the join task replaces any waiting join).
    void join(int channel);
    void fetchMessages() override;
    // Asks for the details of people known only by id. While a lookup runs, one more follows it,
    // so people who arrive meanwhile get their names too.
    void loadMissingUsers() override;
    void missingUsersLookupFinished();
    // The channel's plate for handheld clients, fetched only for the administration window.
    void loadHandheldPlate();
    // Shows a picture from the cache, or fetches it once (a load of the same record already
    // waiting or running is not repeated).
    void loadUserImage(ChannelElement::Image& record, int type, int paramId);
    // The channel photo another user shared.
    void loadChannelPhoto(uint32_t sender) override;
    void reloadPeople() override;
    bool saveUserDetails(const OwnDetailsChange& change);

    // What the tasks report.
    void loginReplied(LoginResult result, LoginRecord& record);
    void joinReplied(JoinResult result, ChannelElement& channel, int sentTimestamp);
    void messagesArrived(someVector<UserMessageData>& userMessages, ServiceMessagesList& serviceMessages);
    void usersLoaded();
    void usersListLoaded(bool read);
    void doNotDisturbSaved();
    void messageSent(std::unique_ptr<UserMessageData> message, const std::vector<int>& recipients, bool sent);
    void imageLoaded(ImageReplyResult result, int type, int paramId, const Text& target, ChannelElement::Image* record,
                     uint32_t sender);
    void imagePosted(bool ok);

    Manager& manager() { return m_manager; }
    IEngineClient& client() { return m_client; }
    VoiceSession& voice() { return m_voice; }
    TaskQueue& queue(Queue which) { return m_queues[which]; }
    PictureCache& pictures() { return m_pictures; }
    // The photo record of a user, kept by the engine.
    ChannelElement::Image& userPhoto(int userId) { return m_userPhotos[userId]; }

    // IVoiceSessionHost
    void checkWebSession() override;
    void logout() override;
    bool userUpdatesDisabled() const override { return m_client.userUpdatesDisabled(); }
    void joinCurrentChannel() override { join(m_manager.session.currentChannel); }
    void setLinkQuality(float quality) override { m_client.setLinkQuality(quality); }
    void setCurrentTalker(uint32_t user) override { m_client.setCurrentTalker(user); }

private:
    void handleRequest();
    void loginDone(int channel, bool messagesWaiting);
    void joinedOrFull(ChannelElement& channel);
    void sendOutgoingMessages();
    // The user ids a message to a group goes to: everybody known (0), the channel's people (1)
    // or a group's members; never the sender.
    std::vector<int> groupRecipients(int groupId) const;
    void updateChannelEvents();
    ChannelElement& currentChannel();

    Manager& m_manager;
    IEngineClient& m_client;
    ResponseMessages& m_responses;
    VoiceSession m_voice;
    PictureCache m_pictures;
    int m_startChannel = 0;
    bool m_lookAgainForMissingUsers = false;
    // The user disconnected while the login was still running: log out as soon as it answers.
    bool m_leaveAfterLogin = false;
    const Groups* m_groups = nullptr;
    TaskQueue m_queues[QueueCount];
    // Messages taken from the Client, with their recipients, waiting for the send queue.
    std::deque<std::pair<std::unique_ptr<UserMessageData>, std::vector<int>>> m_outbox;
    // Calls nobody waits for (logout): polled until done, given a short grace at the end.
    std::vector<std::unique_ptr<HttpAsyncPost>> m_detached;
    std::map<int, ChannelElement::Image> m_userPhotos;
};

} // namespace Zumeli
