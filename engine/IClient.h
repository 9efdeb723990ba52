#pragma once

#include "data/ChannelElement.h"
#include "data/PeopleEntry.h"
#include "data/ServiceMessageData.h"
#include "data/Text.h"
#include "data/UserMessageData.h"
#include "engine/OwnDetails.h"
#include "engine/WebService.h"

#include <cstdint>
#include <vector>

namespace Zumeli {

class IClientAudioDelegate;
class IClientDelegate;
struct AdministrationDocument;

// Everything the application asks of the engine, on its main thread. The operations keep the
// order of the engine's original interface (the reserved ones included), so the numbering used
// in bug reports and traces stays the same. Operations that call the web service directly wait
// for its answer and report failure only by their result.
class IClient {
public:
    virtual ~IClient() = default;

    // --- Preferences and login (1-10)
    virtual bool getPreferenceText(const char* key, Text& out) = 0;
    virtual bool setPreferenceNumber(const char* key, const Text& number) = 0;
    virtual bool setPreferenceText(const char* key, const Text& text) = 0;
    virtual void reloadSettings() = 0;
    virtual void setLogin(const Text& userName, const Text& password) = 0;
    virtual void getLogin(Text& userName, Text& password) = 0;
    virtual void connect() = 0;
    virtual void disconnect() = 0;
    virtual bool changePassword(const Text& newPassword) = 0;
    virtual bool setMail(const Text& mail) = 0;

    // --- Channel and talk (11-17)
    virtual void changeChannel(int channel) = 0;
    virtual void nextChannel() = 0;
    virtual void previousChannel() = 0;
    virtual void talkPressed() = 0;
    virtual void talkReleased() = 0;
    virtual void setDelegate(IClientDelegate* delegate) = 0;
    virtual void step(int unused) = 0;
    virtual void reserved18() = 0;

    // --- Audio (19-30)
    virtual void setDeviceRate(int32_t rate) = 0;
    virtual void processAudio(float* samples, int32_t count) = 0;
    virtual bool getUserName(int userId, Text& out) = 0;
    virtual bool getUserRecord(int userId, PeopleEntry& out) = 0;
    virtual bool getPendingValue(int64_t& out) = 0;
    virtual void setOutputGain(float gain) = 0;
    virtual void setInputGain(float gain) = 0;
    virtual float getOutputGain() = 0;
    virtual float getInputGain() = 0;
    virtual float getInputLevel() = 0;
    virtual float getOutputLevel() = 0;
    virtual float getBufferLevel() = 0;

    // --- Account and channel administration (31-45)
    virtual bool registerUser(const Text& userName, const Text& password, const Text& mail, Text& errorText) = 0;
    virtual int reserved32() = 0;
    virtual bool getUserChannelStatus(ChannelStatus& out) = 0;
    virtual bool claimAdministration(Text& out) = 0;
    virtual bool releaseAdministration(Text& out) = 0;
    virtual bool loadAdministration(AdministrationDocument& document, Text& out) = 0;
    virtual bool saveAdministration(const AdministrationDocument& document, Text& out) = 0;
    virtual void getChannelBounds(int& current, int& lowest, int& highest) = 0;
    virtual void sendChannelSignal(int index) = 0;
    virtual void setDoNotDisturb(bool on) = 0;
    virtual bool getChannelHeaderImage(Text& path) = 0;
    virtual bool getChannelEntry(int channel, ChannelElement& out) = 0;
    virtual bool getCurrentChannelRecord(ChannelElement& out) = 0;
    virtual void getOwnUserDetails(OwnDetails& out) = 0;
    virtual void getPeopleIds(std::vector<int>& out) = 0;

    // --- Identity, voice activation, timers, recorder (46-55)
    virtual void setMachineIdentity(const Text& applicationName, const Text& version, const Text& deviceId) = 0;
    virtual void getAutoTalkSettings(int32_t& enabled, float& activateLevel, float& activateTime,
                                     float& deactivateLevel, float& deactivateTime) = 0;
    virtual void setAutoTalkSettings(int32_t enabled, float activateLevel, float activateTime, float deactivateLevel,
                                     float deactivateTime) = 0;
    virtual float getAutoTalkLevel() = 0;
    virtual float getSessionTime() = 0;
    virtual float getVoiceTime() = 0;
    virtual bool startPlayback() = 0;
    virtual void setAudioDelegate(IClientAudioDelegate* delegate) = 0;
    virtual void setPosition(const Text& position) = 0;
    virtual int getOwnUserId() = 0;

    // --- Pictures, cache, localisation (56-66)
    virtual bool saveOwnPhoto(const Text& imageBytes) = 0;
    virtual bool saveImage(int imageType, const Text& imageBytes) = 0;
    virtual bool reserved58() = 0;
    virtual void setChannelPhotoPath(const Text& path) = 0;
    virtual bool getChannelPhotoPath(Text& out) = 0;
    virtual void getCacheFolder(Text& out) = 0;
    virtual void setLocalizedText(const Text& key, const Text& value) = 0;
    // The table text the application read (its data folder's copy or the shipped one).
    virtual void loadLocalization(const Text& table) = 0;
    virtual void setStartChannel(int channel) = 0;
    virtual bool fetchText(const Text& host, int port, const Text& path, Text& out) = 0;
    virtual bool reserved66(const Text& unused) = 0;

    // --- Messages (67-78)
    virtual bool takeServiceMessage(ServiceMessageData& out) = 0;
    virtual void refreshPeople() = 0;
    // 69-72 are true when the message went to the engine; false (and nothing added to the
    // messages) when the outgoing queue is full.
    virtual bool sendMessageToUser(const Text& text, int userId) = 0;
    virtual bool inviteUser(int userId) = 0;
    virtual bool sendMessageToGroup(const Text& text, int groupId) = 0;
    virtual bool inviteGroup(int groupId) = 0;
    virtual int getMessageCount() = 0;
    virtual int getUnreadMessageCount() = 0;
    virtual bool getMessage(int index, UserMessageData& out) = 0;
    virtual void markMessageRead(int index) = 0;
    virtual void notifyMessages() = 0;
    virtual void markAllMessagesRead() = 0;

    // --- Groups (79-91)
    virtual int getGroupCount() = 0;
    virtual int getGroupId(int index) = 0;
    virtual bool isGroup(int id) = 0;
    virtual bool getGroupName(int id, Text& out) = 0;
    virtual void renameGroup(int id, const Text& name) = 0;
    virtual int addGroup(const Text& name) = 0;
    virtual void removeGroup(int id) = 0;
    virtual int getGroupSize(int id) = 0;
    virtual int getGroupMember(int id, int index) = 0;
    virtual void addGroupMember(int id, int userId) = 0;
    virtual void removeGroupMember(int id, int userId) = 0;
    virtual bool isGroupMember(int id, int userId) = 0;
    virtual bool saveGroups() = 0;

    // --- User details and service documents (92-107)
    virtual bool saveNotificationMode(int mode) = 0;
    virtual bool saveMessageMode(int mode) = 0;
    virtual bool savePhotoMode(int mode) = 0;
    virtual bool savePositionMode(int mode) = 0;
    virtual bool getSessionFlag(int index) = 0;
    virtual void reserved97() = 0;
    virtual bool buyChannel(int channel) = 0;
    virtual bool lookupPosition(Text& latlng, Text& city) = 0;
    virtual bool resolvePosition(Text& latlng, Text& city) = 0;
    virtual bool reportAbuse(int userId) = 0;
    virtual bool checkUserName(const Text& name) = 0;
    virtual bool checkMail(const Text& mail) = 0;
    virtual bool requestService(const Text& request, ServiceRequestAnswer& answer) = 0;
    virtual bool cancelRequestService(const Text& request) = 0;
    virtual bool subscribeChannel(bool subscribed, Text& out) = 0;
    virtual bool sendSubscriptionMessage(const Text& text, Text& out) = 0;
};

} // namespace Zumeli
