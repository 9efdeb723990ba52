#include "engine/Client.h"

#include "data/CacheFolders.h"
#include "engine/ClientPreferencesView.h"
#include "engine/CommunicationEngine.h"
#include "engine/EngineCodes.h"
#include "engine/Manager.h"
#include "engine/ServiceConfig.h"
#include "platform/Locale.h"

#include <cstdio>
#include <ctime>
#include <sys/utsname.h>

namespace Zumeli {

namespace {

Text platformDescription()
{
    utsname name {};
    if (::uname(&name) != 0)
        return "noplatform";
    Text text;
    text.setFormatted("%s %s %s", name.sysname, name.release, name.machine);
    return text;
}

} // namespace

Client::Client(Manager& manager, const Text& cacheFolder)
    : m_manager(manager)
    , m_audio(manager.audio)
{
    // Every timer of the engine runs on the audio clock: it must be in place before the engine.
    const AudioClock* clock = m_audio.audioClock();
    m_manager.setClock(clock);
    for (SecondsTimer* timer : { &m_talkGuard, &m_sessionTimer, &m_voiceTimer, &m_positionTimer })
        timer->setTimeSource(clock);
    m_audio.detector().setTimeSource(clock);

    Preferences& preferences = m_manager.preferences;
    m_manager.setServiceAddress(ServiceConfig::production(preferences));
    m_manager.session.currentChannel = 1000;

    m_cacheFolder = cacheFolder.isEmpty() ? CacheFolders::cacheFolder() : cacheFolder;
    if (!m_cacheFolder.isEmpty()) {
        m_manager.openCache(m_cacheFolder);
        m_userMessages.load(m_cacheFolder);
        m_groups.load(m_cacheFolder);
    }
    m_groups.ensureDefaultGroups();

    m_engine = std::make_unique<CommunicationEngine>(m_manager, *this);
    m_engine->setGroups(&m_groups);

    m_identity.platform = platformDescription();

    // Gains 1.0, sounds on, play-through and message sound off, voice activation off.
    preferences.addEngineDefaults();
    ClientPreferencesView view(preferences);
    m_audio.loadGains(view);
    m_audio.detector().load(view);
    reloadSettings();

    m_engine->voice().setCodec(9);
    setDeviceRate(44100);
    selectServer(preferences.userName());
}

Client::~Client()
{
    m_engine.reset();
    // The next run starts from what this one learnt: names, channels and their voice servers.
    if (!m_cacheFolder.isEmpty()) {
        m_manager.session.people.save();
        m_manager.channels.save();
    }
    if (m_settingsChanged) {
        Preferences& preferences = m_manager.preferences;
        preferences.setFloat("private.volumein", m_audio.inputGain());
        preferences.setFloat("private.volumeout", m_audio.outputVolume());
        ClientPreferencesView view(preferences);
        m_audio.detector().save(view);
    }
}

// --- Preferences and login

bool Client::getPreferenceText(const char* key, Text& out)
{
    out = m_manager.preferences.get(key);
    return m_manager.preferences.contains(key);
}

bool Client::setPreferenceNumber(const char* key, const Text& number)
{
    Text value;
    value.setFormatted("%ld", number.toLong());
    return m_manager.preferences.set(key, value);
}

bool Client::setPreferenceText(const char* key, const Text& text) { return m_manager.preferences.set(key, text); }

void Client::reloadSettings()
{
    Preferences& preferences = m_manager.preferences;
    m_audio.loadSwitches(ClientPreferencesView(preferences));
    m_noPeopleUpdates = preferences.get("public.disableusersupdates").toLong() != 0;

    m_positionPeriod = preferences.contains("public.gps.updatetime") ? int(preferences.get("public.gps.updatetime").toLong()) : 60;
    std::printf("%d\n", m_positionPeriod);
    m_positionText = preferences.get("public.gps.position");
    m_positionMode = int(preferences.get("public.gps.positionmode").toLong());
}

void Client::setLogin(const Text& userName, const Text& password)
{
    Preferences& preferences = m_manager.preferences;
    bool changed = !preferences.userName().equals(userName);
    preferences.setUserName(userName);
    preferences.setPassword(password);
    selectServer(userName);
    if (!changed)
        return;
    // The engine holds references into the lists: it lets go of them first.
    m_engine->forgetRecords();
    m_manager.session.channel = nullptr;
    // Saved empty, so that after a crash the old user's channels and names never load for this one.
    m_manager.channels.clear();
    m_manager.channels.save();
    m_manager.session.channel = m_manager.channels.getOrCreate(m_manager.session.currentChannel);
    m_manager.session.people.clear();
    m_manager.session.people.save();
    m_userMessages.clear();
    m_userMessages.save();
}

void Client::getLogin(Text& userName, Text& password)
{
    userName = m_manager.preferences.userName();
    password = m_manager.preferences.password();
}

void Client::connect()
{
    reloadSettings();
    m_sessionWanted = true;
    m_manager.requests.post(Request::Login);
}

void Client::disconnect()
{
    m_sessionWanted = false;
    m_manager.requests.post(Request::Leave);
}

void Client::selectServer(const Text& userName)
{
    ServiceAddress address = ServiceConfig::forUser(m_manager.preferences, userName);
    m_manager.loginEndpoint.setAddress(address);
    m_manager.sessionEndpoint.setAddress(address);
}

// --- Channel and talk

void Client::changeChannel(int channel)
{
    channel = std::max(channel, m_lowestChannel);
    channel = std::min(channel, m_highestChannel);
    m_manager.requests.post(Request::ChangeChannel, channel);
}

void Client::searchChannel(bool upward)
{
    int channel = 0;
    if (m_manager.sessionEndpoint.searchChannel(upward, channel)) {
        changeChannel(channel);
        return;
    }
    // Nothing found: refresh the display as a channel change would.
    m_manager.responses.post(Response::ChannelChanged, m_manager.session.currentChannel);
    m_manager.responses.post(Response::ChannelPictures);
    m_manager.responses.post(Response::ChannelPeopleChanged);
}

void Client::setChannelBounds(int lowest, int highest)
{
    if (lowest != 0)
        m_lowestChannel = lowest;
    if (highest != 0)
        m_highestChannel = highest;
}

void Client::getChannelBounds(int& current, int& lowest, int& highest)
{
    current = m_manager.session.currentChannel;
    lowest = m_lowestChannel;
    highest = m_highestChannel;
}

void Client::talkPressed()
{
    bool accepted = !m_talkGuard.isRunning() || m_talkGuard.expired();
    m_talkGuard.start(TalkGuardSeconds);
    if (!accepted)
        return;
    m_talkButtonUsed = true;
    if (m_talkAllowed) {
        if (m_audio.signalsOn())
            m_audio.playStartTalk();
        m_manager.requests.post(Request::TalkOn);
        m_talkRequested = true;
    } else {
        m_manager.requests.post(Request::TalkRequest);
    }
}

void Client::talkReleased()
{
    if (!m_talkButtonUsed)
        return;
    if (m_talkAllowed && (m_talkGranted || m_talkRequested)) {
        if (m_audio.signalsOn())
            m_audio.playEndTalk();
        m_manager.requests.post(Request::TalkOff);
        m_talkRequested = false;
    }
}

void Client::setTalkAllowed(bool allowed, bool quiet)
{
    if (allowed == m_talkAllowed)
        return;
    m_talkAllowed = allowed;
    m_audio.detector().setAllowed(allowed);
    if (!allowed)
        notify(&IClientDelegate::onTalkForbidden);
    else if (quiet)
        notify(&IClientDelegate::onTalkAllowedQuietly);
    else
        notify(&IClientDelegate::onTalkAllowed);
}

// --- The periodic step

void Client::step(int)
{
    handleResponse();
    countReconnect();
    takeIncomingMessages();
    while (m_returned.take()) { }
    m_engine->step();
    runAutoTalk();
    runPositionTimer();
}

void Client::handleResponse()
{
    ClientMessage response;
    if (!m_manager.responses.take(response))
        return;
    switch (response.code) {
    case Response::LoggedIn:
        m_audio.playSound(ClientAudio::Sound::Online);
        m_sessionTimer.start(1e9f);
        notify(&IClientDelegate::onLoggedIn);
        m_reconnectCounter = -1;
        restartPositionTimer();
        break;
    case Response::LoggedOut:
    case Response::LoginFailed:
        if (response.code == Response::LoggedOut) {
            m_sessionTimer.stop();
            m_positionTimer.stop();
            notify(&IClientDelegate::onLoggedOut);
        } else {
            notify(&IClientDelegate::onLoginFailed);
        }
        if (m_sessionWanted && m_reconnectCounter != 0)
            m_reconnectCounter = 0;
        break;
    case Response::LoginRefused:
        notify(&IClientDelegate::onLoginRefused);
        m_reconnectCounter = -1;
        break;
    case Response::ServerFull:
        notify(&IClientDelegate::onServerFull);
        m_reconnectCounter = -1;
        break;
    case Response::ChannelChanged:
        restartPositionTimer();
        notify(&IClientDelegate::onChannelChanged, response.value);
        break;
    case Response::TalkStarted:
        m_talkGranted = true;
        notify(&IClientDelegate::onTalkGranted);
        break;
    case Response::RemoteTalkTimedOut:
    case Response::RemoteTalkEnded:
        m_talkRequested = false;
        setTalkAllowed(m_channelPermission == 0, false);
        break;
    case Response::TalkStopped:
        m_talkGranted = false;
        m_talkRequested = false;
        notify(&IClientDelegate::onTalkEnded);
        break;
    case Response::RemoteTalkStarted:
        m_talkRequested = false;
        setTalkAllowed(false, false);
        break;
    case Response::ChannelPeopleChanged:
        notify(&IClientDelegate::onChannelStateChanged);
        break;
    case Response::VoiceConnectionUp:
    case Response::VoiceConnectionLost:
        notify(&IClientDelegate::onVoiceConnection, response.code == Response::VoiceConnectionUp);
        break;
    case Response::TrafficBegan:
    case Response::TrafficEnded:
        notify(&IClientDelegate::onTraffic, response.code == Response::TrafficBegan);
        break;
    case Response::HelloAccepted:
        m_voiceTimer.start(1e9f);
        m_audio.playSound(ClientAudio::Sound::Online);
        notify(&IClientDelegate::onVoiceConnected, true);
        break;
    case Response::VoiceConnectionDown:
        m_voiceTimer.stop();
        notify(&IClientDelegate::onVoiceConnected, false);
        break;
    case Response::ChannelPictures:
        notify(&IClientDelegate::onChannelAccess);
        break;
    case Response::LinkQuality:
        notify(&IClientDelegate::onLinkQuality, m_linkQuality);
        break;
    case Response::JoinFailed:
        notify(&IClientDelegate::onJoinFailed);
        break;
    case Response::TransmissionTrouble:
        notify(&IClientDelegate::onTransmissionTrouble);
        break;
    case Response::PlaySmile:
        m_audio.playSmile(response.value);
        break;
    case Response::TalkAcknowledged:
        if (m_talkGranted)
            notify(&IClientDelegate::onTalkAcknowledged);
        if (m_audio.signalsOn())
            m_audio.playAckTalk();
        break;
    case Response::ServiceMessages:
        notify(&IClientDelegate::onMessagesArrived);
        break;
    case Response::ChannelEvent:
        notify(&IClientDelegate::onChannelEvent, m_currentEvent);
        break;
    case Response::PositionChanged:
        notify(&IClientDelegate::onUserPositionChanged, response.value);
        break;
    case Response::PhotoUpdated:
        notify(&IClientDelegate::onPhotoUpdated, response.value);
        break;
    case Response::TalkRequested:
        notify(&IClientDelegate::onTalkRequest, response.value);
        break;
    case Response::ChannelFull:
        notify(&IClientDelegate::onChannelFull);
        break;
    default:
        break;
    }
}

void Client::countReconnect()
{
    if (m_reconnectCounter == -1 || !m_sessionWanted)
        return;
    ++m_reconnectCounter;
    if (m_reconnectCounter % ReconnectSteps != 0)
        return;
    notify(&IClientDelegate::onReconnecting);
    m_manager.requests.post(Request::Login);
}

void Client::runAutoTalk()
{
    AutoTalkDetector& detector = m_audio.detector();
    if (!detector.enabled)
        return;
    if (detector.shouldStart())
        talkPressed();
    else if (detector.shouldStop())
        talkReleased();
}

void Client::runPositionTimer()
{
    if (!m_positionTimer.expired())
        return;
    if (m_positionMode == 1)
        notify(&IClientDelegate::onPositionRequested, m_positionText);
    setPosition(m_positionText);
    notify(&IClientDelegate::onPositionSent, m_positionText);
    restartPositionTimer();
}

void Client::restartPositionTimer()
{
    int mode = m_manager.session.ownDetails.gpsmode;
    std::printf("STORED MODE = %d\n", mode);
    if (mode == 2 || !m_manager.session.flag(2))
        return;
    std::printf("starting timer: %d\n", m_positionPeriod);
    if (m_positionPeriod > 0) {
        std::printf("timer is starting now...\n");
        m_positionTimer.start(float(m_positionPeriod));
    }
}

float Client::runningSeconds(const SecondsTimer& timer) const
{
    return timer.isRunning() ? timer.sinceStart() : -1.0f;
}

// --- Audio

void Client::setDeviceRate(int32_t rate) { m_audio.setAudioRate(rate); }

bool Client::setAudioRate(int32_t rate) { return m_audio.setAudioRate(rate); }

void Client::processAudio(float* samples, int32_t count) { m_audio.processAudio(samples, count); }

bool Client::getPendingValue(int64_t& out)
{
    out = m_manager.audio.talk.captureEnd();
    return out != AudioTalkLink::NoCaptureEnd;
}

void Client::setOutputGain(float gain)
{
    m_audio.setOutputVolume(gain);
    m_settingsChanged = true;
}

void Client::setInputGain(float gain)
{
    m_audio.setInputGain(gain);
    m_settingsChanged = true;
}

float Client::getInputLevel() { return m_manager.audio.captureMeter.level(); }

float Client::getOutputLevel() { return m_manager.audio.receiveMeter.level(); }

float Client::getBufferLevel() { return m_manager.audio.receive.fillLevel(); }

void Client::getAutoTalkSettings(int32_t& enabled, float& activateLevel, float& activateTime, float& deactivateLevel,
                                 float& deactivateTime)
{
    const AutoTalkDetector& detector = m_audio.detector();
    enabled = detector.enabled ? 1 : 0;
    activateLevel = detector.activateLevel;
    activateTime = detector.activateTime;
    deactivateLevel = detector.deactivateLevel;
    deactivateTime = detector.deactivateTime;
}

void Client::setAutoTalkSettings(int32_t enabled, float activateLevel, float activateTime, float deactivateLevel,
                                 float deactivateTime)
{
    AutoTalkDetector& detector = m_audio.detector();
    detector.enabled = enabled != 0;
    detector.activateLevel = activateLevel;
    detector.activateTime = activateTime;
    detector.deactivateLevel = deactivateLevel;
    detector.deactivateTime = deactivateTime;
    detector.reset();
    m_settingsChanged = true;
}

void Client::sendChannelSignal(int index)
{
    if (index < 0 || index >= ClientAudio::SmileCount)
        return;
    m_audio.playSmile(index);
    m_manager.requests.post(Request::Smile, index);
}

// --- People and channels

bool Client::getUserName(int userId, Text& out) { return m_manager.session.people.displayName(userId, out); }

bool Client::getUserRecord(int userId, PeopleEntry& out)
{
    if (userId <= 0)
        return false;
    const PeopleEntry* entry = m_manager.session.people.find(userId);
    if (!entry)
        return false;
    out = *entry;
    return true;
}

bool Client::getChannelEntry(int channel, ChannelElement& out)
{
    const ChannelElement* entry = m_manager.channels.find(channel);
    if (!entry)
        return false;
    out = *entry;
    return true;
}

bool Client::getCurrentChannelRecord(ChannelElement& out)
{
    return getChannelEntry(m_manager.session.currentChannel, out);
}

void Client::getOwnUserDetails(OwnDetails& out) { out = m_manager.session.ownDetails; }

void Client::getPeopleIds(std::vector<int>& out) { m_manager.session.people.allIds(out); }

int Client::getOwnUserId() { return m_manager.session.ownUserId; }

bool Client::getSessionFlag(int index) { return m_manager.session.flag(index); }

void Client::refreshPeople()
{
    m_manager.session.people.sortByName();
    notify(&IClientDelegate::onChannelStateChanged);
}

void Client::setDoNotDisturb(bool on)
{
    SessionRecord& session = m_manager.session;
    if (PeopleEntry* own = session.people.getOrCreate(session.ownUserId))
        own->dnd = on;
    m_manager.requests.post(Request::DoNotDisturb);
}

void Client::setPosition(const Text& position)
{
    Text text = position.isEmpty() ? Text("0,0") : position;
    text.append(m_positionMode == 1 ? ",0" : ",1");
    m_manager.session.positionText = text;
    m_manager.requests.post(Request::Position);
}

void Client::setMachineIdentity(const Text& applicationName, const Text& version, const Text& deviceId)
{
    m_identity.applicationVersion = version;
    m_identity.identifier = deviceId;
    m_identity.platform = Text(applicationName).append(" on ").append(platformDescription());
}

Text Client::identityText() const
{
    return Text(m_identity.hardwareAddress).append(":").append(m_identity.address).append(":").append(m_identity.applicationVersion);
}

Text Client::language() const
{
    if (!m_localizer.language().isEmpty())
        return m_localizer.language();
    return Text(Platform::localeLanguage());
}

// --- Pictures, cache, localisation

bool Client::getChannelHeaderImage(Text& path)
{
    path = m_engine->pictures().headerImagePath(m_manager.session.currentChannel);
    if (Text::fileExists(path))
        return true;
    m_manager.requests.post(Request::HeaderImage);
    return false;
}

void Client::setChannelPhotoPath(const Text& path)
{
    if (!m_manager.session.flag(1))
        return;
    m_channelPhotoPath = path;
    m_manager.requests.post(Request::ChannelPhoto);
}

bool Client::getChannelPhotoPath(Text& out)
{
    out = m_channelPhotoPath;
    return !out.isEmpty();
}

void Client::getCacheFolder(Text& out) { out = m_engine->pictures().folder(); }

void Client::setLocalizedText(const Text& key, const Text& value) { m_localizer.setText(key, value); }

void Client::loadLocalization(const Text& table)
{
    m_localizer.loadLocalisation(table, m_manager.preferences, &m_groups);
}

void Client::setStartChannel(int channel) { m_engine->setStartChannel(channel); }

} // namespace Zumeli
