#pragma once

#include "audio/AudioHardware.h"
#include "audio/ClientAudio.h"
#include "data/Groups.h"
#include "data/TextLocalizer.h"
#include "data/UserMessagesList.h"
#include "engine/HandoverRing.h"
#include "engine/IClient.h"
#include "engine/IClientDelegate.h"
#include "engine/IEngineClient.h"
#include "voice/SecondsTimer.h"

#include <array>
#include <atomic>
#include <memory>
#include <utility>

namespace Zumeli {

class CommunicationEngine;
class Manager;

// Who this installation is, as the login tells the service.
struct MachineIdentity {
    Text address = "0.0.0.0";
    Text hardwareAddress = "none";
    Text applicationVersion = "3.1.0.0-100720-123200-";
    Text platform = "noplatform";
    Text identifier = "noidentifier";
};

// The one object through which the application drives the engine. Requests go to the
// communication engine on the request ring; its responses come back on the response ring and
// become delegate calls in step(), one per step, on the main thread. Text messages pass between
// the two sides as owned records on handover rings. The audio device reaches the Client only
// through processAudio, which runs the audio path and advances the audio clock every timer of
// the engine runs on.
class Client final : public IClient, public IEngineClient, public IAudioProcessor {
public:
    static constexpr int LowestChannel = 100;
    static constexpr int HighestChannel = 1999;
    static constexpr int ReconnectSteps = 150;
    static constexpr float TalkGuardSeconds = 1.5f;
    static constexpr size_t IncomingCapacity = 100;
    static constexpr size_t OutgoingCapacity = 10;
    static constexpr size_t ReturnCapacity = 50;
    static constexpr size_t ServiceCapacity = 50;

    // Uses the manager's preferences as they are (the application loads them first) and keeps
    // its lists in cacheFolder (ending with '/'; empty: the user's cache folder).
    explicit Client(Manager& manager, const Text& cacheFolder = Text());
    ~Client() override;
    Client(const Client&) = delete;
    Client& operator=(const Client&) = delete;

    // Where the sound clips come from (not owned); they load at the next device rate.
    void setSoundProvider(ISoundFileProvider* provider) { m_audio.setSoundProvider(provider); }
    ClientAudio& audio() { return m_audio; }
    CommunicationEngine& engine() { return *m_engine; }
    TextLocalizer& localizer() { return m_localizer; }
    bool talkAllowed() const { return m_talkAllowed; }
    // The joined channel lets this user talk (its "pe" is 0), whoever holds the floor now.
    bool talkPermitted() const { return m_channelPermission == 0; }
    bool talkGranted() const { return m_talkGranted; }
    int reconnectCounter() const { return m_reconnectCounter; }
    long serverClockOffset() const { return m_serverClockOffset; }

    // --- IClient
    bool getPreferenceText(const char* key, Text& out) override;
    bool setPreferenceNumber(const char* key, const Text& number) override;
    bool setPreferenceText(const char* key, const Text& text) override;
    void reloadSettings() override;
    void setLogin(const Text& userName, const Text& password) override;
    void getLogin(Text& userName, Text& password) override;
    void connect() override;
    void disconnect() override;
    bool changePassword(const Text& newPassword) override;
    bool setMail(const Text& mail) override;
    void changeChannel(int channel) override;
    void nextChannel() override { searchChannel(true); }
    void previousChannel() override { searchChannel(false); }
    void talkPressed() override;
    void talkReleased() override;
    void setDelegate(IClientDelegate* delegate) override { m_delegate = delegate; }
    void step(int unused = 0) override;
    void reserved18() override { }
    void setDeviceRate(int32_t rate) override;
    void processAudio(float* samples, int32_t count) override;
    bool getUserName(int userId, Text& out) override;
    bool getUserRecord(int userId, PeopleEntry& out) override;
    bool getPendingValue(int64_t& out) override;
    void setOutputGain(float gain) override;
    void setInputGain(float gain) override;
    float getOutputGain() override { return m_audio.outputVolume(); }
    float getInputGain() override { return m_audio.inputGain(); }
    float getInputLevel() override;
    float getOutputLevel() override;
    float getBufferLevel() override;
    bool registerUser(const Text& userName, const Text& password, const Text& mail, Text& errorText) override;
    int reserved32() override { return 0; }
    bool getUserChannelStatus(ChannelStatus& out) override;
    bool claimAdministration(Text& out) override { return administrate(false, out); }
    bool releaseAdministration(Text& out) override { return administrate(true, out); }
    bool loadAdministration(AdministrationDocument& document, Text& out) override;
    bool saveAdministration(const AdministrationDocument& document, Text& out) override;
    void getChannelBounds(int& current, int& lowest, int& highest) override;
    void sendChannelSignal(int index) override;
    void setDoNotDisturb(bool on) override;
    bool getChannelHeaderImage(Text& path) override;
    bool getChannelEntry(int channel, ChannelElement& out) override;
    bool getCurrentChannelRecord(ChannelElement& out) override;
    void getOwnUserDetails(OwnDetails& out) override;
    void getPeopleIds(std::vector<int>& out) override;
    void setMachineIdentity(const Text& applicationName, const Text& version, const Text& deviceId) override;
    void getAutoTalkSettings(int32_t& enabled, float& activateLevel, float& activateTime, float& deactivateLevel,
                             float& deactivateTime) override;
    void setAutoTalkSettings(int32_t enabled, float activateLevel, float activateTime, float deactivateLevel,
                             float deactivateTime) override;
    float getAutoTalkLevel() override { return m_audio.detector().level(); }
    float getSessionTime() override { return runningSeconds(m_sessionTimer); }
    float getVoiceTime() override { return runningSeconds(m_voiceTimer); }
    bool startPlayback() override { return m_audio.requestReplay(); }
    void setAudioDelegate(IClientAudioDelegate* delegate) override { m_audio.setAudioDelegate(delegate); }
    void setPosition(const Text& position) override;
    int getOwnUserId() override;
    bool saveOwnPhoto(const Text& imageBytes) override;
    bool saveImage(int imageType, const Text& imageBytes) override;
    bool reserved58() override { return true; }
    void setChannelPhotoPath(const Text& path) override;
    bool getChannelPhotoPath(Text& out) override;
    void getCacheFolder(Text& out) override;
    void setLocalizedText(const Text& key, const Text& value) override;
    void loadLocalization(const Text& table) override;
    void setStartChannel(int channel) override;
    bool fetchText(const Text& host, int port, const Text& path, Text& out) override;
    bool reserved66(const Text&) override { return false; }
    bool takeServiceMessage(ServiceMessageData& out) override;
    void refreshPeople() override;
    bool sendMessageToUser(const Text& text, int userId) override;
    bool inviteUser(int userId) override;
    bool sendMessageToGroup(const Text& text, int groupId) override;
    bool inviteGroup(int groupId) override;
    int getMessageCount() override { return m_userMessages.count(); }
    int getUnreadMessageCount() override { return m_userMessages.unreadCount(); }
    bool getMessage(int index, UserMessageData& out) override;
    void markMessageRead(int index) override;
    void notifyMessages() override;
    void markAllMessagesRead() override;
    int getGroupCount() override { return m_groups.count() + 2; }
    int getGroupId(int index) override;
    bool isGroup(int id) override { return m_groups.hasGroup(id); }
    bool getGroupName(int id, Text& out) override;
    void renameGroup(int id, const Text& name) override { m_groups.setGroupName(id, name); }
    int addGroup(const Text& name) override { return m_groups.createGroup(name); }
    void removeGroup(int id) override { m_groups.removeGroup(id); }
    int getGroupSize(int id) override;
    int getGroupMember(int id, int index) override;
    void addGroupMember(int id, int userId) override;
    void removeGroupMember(int id, int userId) override { m_groups.removeMember(id, userId); }
    bool isGroupMember(int id, int userId) override { return m_groups.isMember(id, userId); }
    bool saveGroups() override;
    bool saveNotificationMode(int mode) override;
    bool saveMessageMode(int mode) override;
    bool savePhotoMode(int mode) override;
    bool savePositionMode(int mode) override;
    bool getSessionFlag(int index) override;
    void reserved97() override { }
    bool buyChannel(int channel) override;
    bool lookupPosition(Text& latlng, Text& city) override;
    bool resolvePosition(Text& latlng, Text& city) override;
    bool reportAbuse(int userId) override;
    bool checkUserName(const Text& name) override;
    bool checkMail(const Text& mail) override;
    bool requestService(const Text& request, ServiceRequestAnswer& answer) override;
    bool cancelRequestService(const Text& request) override;
    bool subscribeChannel(bool subscribed, Text& out) override;
    bool sendSubscriptionMessage(const Text& text, Text& out) override;

    // Beyond the interface: a reserved operation, and handing a record back for freeing.
    bool reserved108() { return false; }
    void releaseRecord(std::unique_ptr<UserMessageData> record);

    // --- IEngineClient
    void setServerClockOffset(long seconds) override { m_serverClockOffset = seconds; }
    void setChannelBounds(int lowest, int highest) override;
    // The join's "pe": talking is allowed only with 0. Applied quietly: a join is no sign that
    // the floor has just become free.
    void setChannelPermission(int permission) override
    {
        m_channelPermission = permission;
        setTalkAllowed(permission == 0, true);
    }
    bool localizationWanted(const Text& stamp) override { return m_localizer.wantsUpdate(stamp); }
    void localizationArrived(const Text& reply) override { m_localizer.acceptUpdate(reply); }
    bool addServiceMessage(const ServiceMessageData& message) override;
    void postIncomingMessage(std::unique_ptr<UserMessageData> message) override;
    std::unique_ptr<UserMessageData> takeOutgoingMessage() override { return m_outgoing.take(); }
    void returnOutgoingMessage(std::unique_ptr<UserMessageData> message) override;
    std::unique_ptr<UserMessageData> takeReturnedMessage() override { return m_handedBack.take(); }
    Text channelPhotoToPost() const override { return m_channelPhotoPath; }
    void channelPhotoReceived(const Text& path) override { m_channelPhotoPath = path; }
    void setLinkQuality(float quality) override { m_linkQuality = quality; }
    void setCurrentTalker(uint32_t user) override { m_currentTalker = user; }
    void showChannelEvent(const ChannelEvent& event) override { m_currentEvent = event; }
    bool userUpdatesDisabled() const override { return m_noPeopleUpdates; }
    Text machineId() const override { return m_identity.identifier; }
    Text platformText() const override { return m_identity.platform; }
    Text identityText() const override;
    Text language() const override;

    // --- IAudioProcessor
    bool setAudioRate(int32_t rate) override;

    // The age text of a message time (service clock) at a local time.
    static Text ageText(long messageTime, long serverClockOffset, long now);

private:
    void handleResponse();
    void countReconnect();
    void takeIncomingMessages();
    void runAutoTalk();
    void runPositionTimer();
    void restartPositionTimer();
    void setTalkAllowed(bool allowed, bool quiet);
    void selectServer(const Text& userName);
    void searchChannel(bool upward);
    bool administrate(bool release, Text& out);
    bool saveDetail(const OwnDetailsChange& change);
    bool saveMode(std::optional<int> OwnDetailsChange::*field, int mode);
    bool queueMessage(const Text& text, int userId, int groupId, int type);
    float runningSeconds(const SecondsTimer& timer) const;
    // Calls the delegate when there is one.
    template<typename... Parameters, typename... Arguments>
    void notify(void (IClientDelegate::*callback)(Parameters...), Arguments&&... arguments)
    {
        if (m_delegate)
            (m_delegate->*callback)(std::forward<Arguments>(arguments)...);
    }

    Manager& m_manager;
    IClientDelegate* m_delegate = nullptr;
    ClientAudio m_audio;
    std::unique_ptr<CommunicationEngine> m_engine;
    UserMessagesList m_userMessages;
    HandoverRing<UserMessageData> m_incoming { IncomingCapacity };
    HandoverRing<UserMessageData> m_outgoing { OutgoingCapacity };
    HandoverRing<UserMessageData> m_returned { ReturnCapacity };
    // Received records the Client has copied, on their way back to the engine.
    HandoverRing<UserMessageData> m_handedBack { IncomingCapacity };
    std::array<ServiceMessageData, ServiceCapacity> m_serviceMessages;
    size_t m_serviceRead = 0;
    size_t m_serviceWritten = 0;
    Text m_channelPhotoPath;
    Text m_cacheFolder;

    bool m_sessionWanted = false;
    bool m_talkAllowed = true;
    bool m_talkGranted = false;
    bool m_talkRequested = false;
    bool m_talkButtonUsed = false;
    bool m_settingsChanged = false;
    // The sound switches live in the audio path (m_audio); this one is the engine's.
    bool m_noPeopleUpdates = false;
    int32_t m_reconnectCounter = -1;
    int m_lowestChannel = LowestChannel;
    int m_highestChannel = HighestChannel;
    int m_channelPermission = 0;

    MachineIdentity m_identity;
    Text m_positionText;
    int m_positionMode = 0;
    int m_positionPeriod = 60;

    TextLocalizer m_localizer;
    Groups m_groups;
    SecondsTimer m_talkGuard;
    SecondsTimer m_sessionTimer;
    SecondsTimer m_voiceTimer;
    SecondsTimer m_positionTimer;
    long m_serverClockOffset = 0;
    float m_linkQuality = 0;
    uint32_t m_currentTalker = 0;
    ChannelEvent m_currentEvent;
};

} // namespace Zumeli
