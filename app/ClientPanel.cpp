#include "app/ClientPanel.h"

#include "app/Localizer.h"
#include "app/PanelWidgets.h"
#include "app/Version.h"
#include "audio/AudioBackendChoice.h"
#include "audio/AudioStreamKeeper.h"
#include "engine/Client.h"
#include "platform/Browser.h"
#include "ui/epiApplication.h"
#include "ui/epiKeyboard.h"
#include "ui/epiWindow.h"
#include "ui/epiWindowManager.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <random>

namespace ZumeliApplication {

namespace {

constexpr const char* PresetCodes[Favourites::Count] = {"pre0", "pre1", "pre2", "pre3", "pre4", "pre5"};
// A quit that the engine never confirms (a service that went away) happens anyway after this long.
constexpr double QuitDeadlineSeconds = 3.0;
// Sliders: gain = value × 0.005 and volume = value × 0.002, so 1.0 sits at 200 and 500.
constexpr int32_t SliderMaximum = 1000;

epiCode fourCC(const char* text) { return epiCodeFromText(text); }

} // namespace

ClientPanel::ClientPanel() : m_hotKey(*this), m_refresh(*this) {}

ClientPanel::~ClientPanel() { stop(); }

double ClientPanel::clock() const { return application() ? application()->now() : 0; }

epiUbo* ClientPanel::item(const char* name) const { return findChild(fourCC(name)); }

void ClientPanel::setItemText(const char* name, const std::string& text)
{
    if (epiUbo* widget = item(name)) {
        widget->setText(epiText(text.c_str()));
        widget->invalidate();
    }
}

void ClientPanel::setLamp(const char* name, bool on)
{
    epiUbo* widget = item(name);
    if (auto* lamp = dynamic_cast<UiStatusBlinker*>(widget))
        lamp->setLit(on);
    else if (widget)
        widget->setValue(on ? 1 : 0);
}

bool ClientPanel::itemOn(const char* name) const
{
    epiUbo* widget = item(name);
    return widget && widget->value() != 0;
}

std::string ClientPanel::tr(const char* marked) { return m_localizer ? m_localizer->text(marked) : marked; }

void ClientPanel::setInfo(const std::string& text)
{
    m_info = text;
    setItemText("info", text);
}

bool ClientPanel::hasSoundDevice() const { return m_keeper && !m_keeper->onStandIn(); }

std::string ClientPanel::standingNotice()
{
    if (m_keeper && m_keeper->onStandIn())
        return tr("]No sound device: running without sound[");
    return m_hotKeyNotice;
}

// ----- start and stop -----

void ClientPanel::start(Zumeli::Client* client, Localizer* localizer)
{
    if (m_started || !client)
        return;
    m_started = true;
    m_client = client;
    m_localizer = localizer;
    m_loggedIn = m_talking = m_firstChangeAfterLogin = false;

    // The layout's texts carry markers: the user sees them translated.
    for (int i = 0; i < childCount(); ++i) {
        epiUbo* child = childAt(i);
        if (std::string(child->text().c_str()).find(']') != std::string::npos)
            child->setText(epiText(tr(child->text().c_str()).c_str()));
    }
    if (epiUbo* talk = item("talk"))
        talk->setText(epiText(tr("]*PUSH_TO_TALK_BUTTON[").c_str()));
    for (const char* slider : {"inpV", "outV"})
        if (epiUbo* widget = item(slider))
            widget->setAttribute(fourCC("max_"), SliderMaximum);
    for (const char* lamp : {"noSV", "noCH", "noCD", "stAD"})
        setLamp(lamp, false);
    setLamp("paDS", true);
    if (epiUbo* held = item("talh"))
        held->setVisible(false);
    showChannelEntry(channelText(m_channel));

    m_dial = dynamic_cast<UiFrequencyDisplay2*>(item("disp"));
    if (m_dial) {
        m_dial->setRange(m_lowest, m_highest);
        m_dial->setChannel(m_channel);
        m_dial->setListener([this](int channel, bool settled) {
            if (settled)
                changeChannel(channel);
            else
                showChannelEntry(channelText(channel));
        });
    }
    // Keys reach the panel whichever of its widgets was clicked.
    if (epiUbo* root = this; root->parent())
        root->parent()->pushKeyTarget(this);

    m_client->setDelegate(this);
    m_refresh.setApplication(application());
    m_refresh.startTimer(RefreshSeconds, false, true);

    loadFavourites();
    showFavourites();
    setMachineIdentity();

    int32_t enabled = 0;
    float level = 0, activate = 0, deactivateLevel = 0, deactivate = 0;
    m_client->getAutoTalkSettings(enabled, level, activate, deactivateLevel, deactivate);
    if (epiUbo* box = item("atko"))
        box->setValue(enabled ? 1 : 0);
    Zumeli::Text playThrough;
    m_client->getPreferenceText("public.playthru", playThrough);
    if (epiUbo* box = item("thru"))
        box->setValue(std::atoi(playThrough.c_str()) != 0 ? 1 : 0);

    openStream();
    registerHotKey();
    if (application()) {
        m_arrivals.setTranslator([this](const char* marked) { return tr(marked); });
        m_arrivals.start(m_client, application()->windowManager(), makeDesktopNotifier());
    }

    Zumeli::Text registered;
    m_client->getPreferenceText("public.isregisteredlogin", registered);
    if (registered == Zumeli::Text("1")) {
        m_client->connect();
    } else if (application() && application()->windowManager()) {
        if (!application()->windowManager()->showOrOpenWindow(fourCC("regi")))
            m_client->connect(); // no registration window in this skin: go on as a guest
    }
}

void ClientPanel::stop()
{
    if (!m_started)
        return;
    m_started = false;
    m_refresh.cancelAllTimers();
    unregisterHotKey();
    closeStream();
    m_arrivals.stop();
    if (m_client)
        m_client->setDelegate(nullptr);
    if (parent())
        parent()->popKeyTarget(this);
}

void ClientPanel::setMachineIdentity()
{
    // A part made once per installation from the time and a random number, kept in "session_last".
    Zumeli::Text stored;
    m_client->getPreferenceText("session_last", stored);
    if (stored.length() < 16) {
        std::random_device device;
        char made[32];
        std::snprintf(made, sizeof made, "%08X%08X", unsigned(std::time(nullptr)), unsigned(device()));
        stored = Zumeli::Text(made);
        m_client->setPreferenceText("session_last", stored);
    }
    Zumeli::Text deviceId("linux-");
    deviceId.append(stored.c_str());
    m_client->setMachineIdentity(Zumeli::Text(ApplicationName), Zumeli::Text(LongVersionText), deviceId);
}

// ----- sound -----

void ClientPanel::openStream()
{
    std::string error;
    auto choice = Zumeli::AudioBackendChoice::fromEnvironment(&error);
    if (!choice) {
        std::printf("ZUMELI_AUDIO: %s; using the sound card\n", error.c_str());
        choice = Zumeli::AudioBackendChoice {};
    }
    Zumeli::Text input, output;
    m_client->getPreferenceText("audiodevice.input", input);
    m_client->getPreferenceText("audiodevice.output", output);
    // The settings' "no device": silence in real time, so the engine's clock still runs.
    if (choice->kind == Zumeli::AudioBackendChoice::Kind::PortAudio &&
        (input == Zumeli::Text(NullDevice) || output == Zumeli::Text(NullDevice)))
        choice->kind = Zumeli::AudioBackendChoice::Kind::Null;
    m_keeper = std::make_unique<Zumeli::AudioStreamKeeper>(
        m_hardware, m_client, [choice = *choice](bool afterFailure) { return choice.create(afterFailure); });
    m_keeper->setDevices(input.c_str(), output.c_str());
    if (!m_keeper->start()) {
        std::printf("%s\n", m_keeper->status().c_str());
        setInfo(standingNotice());
    }
    m_hardware.setMuted(itemOn("mute"));
}

void ClientPanel::closeStream()
{
    if (m_keeper)
        m_keeper->stop();
    m_keeper.reset();
}

// ----- hot key -----

void ClientPanel::registerHotKey()
{
    unregisterHotKey();
    Zumeli::Text name;
    if (!m_client->getPreferenceText(HotKeyPreference, name) || name.isEmpty()) {
        m_client->setPreferenceText(HotKeyPreference, Zumeli::Text(DefaultHotKey));
        name = Zumeli::Text(DefaultHotKey);
    }
    int key = HotKeyController::functionKeyNumber(name.c_str());
    if (key == 0)
        return;
    auto handler = [this](bool pressed) {
        if (pressed)
            m_hotKey.pressed(clock(), false);
        else
            m_hotKey.released(clock());
    };
    // A Wayland session hands keys to the focused window only; its desktop portal can report a
    // global shortcut, press and release. The binding completes (or fails) on later refreshes.
    if (PortalHotKey::waylandSession()
        && m_portal.bind(name.c_str(), tr("]*PUSH_TO_TALK_BUTTON["), handler)) {
        m_portalKey = key;
        m_hotKey.setMode(HotKeyController::Mode::RealRelease);
        return;
    }
    if (PortalHotKey::waylandSession())
        std::printf("Talk key: %s\n", m_portal.failure().c_str());
    if (m_grab.grab(key, handler)) {
        m_hotKey.setRepeatDelay(m_grab.repeatDelaySeconds());
        m_hotKey.setMode(m_grab.detectableRelease() ? HotKeyController::Mode::RealRelease
                                                    : HotKeyController::Mode::Deadline);
        return;
    }
    useFocusedHotKey(key);
}

void ClientPanel::useFocusedHotKey(int key)
{
    // No grab (no X11, or another program holds the key): the key works while our window has
    // the focus, and the user is told once.
    m_focusKeyCode = X11HotKeyGrab::keyCodeOf(key);
    if (m_focusKeyCode == 0)
        m_focusKeyCode = key <= 10 ? 66 + key : 84 + key; // the usual X key codes of F1-F10, F11, F12
    m_hotKey.setMode(HotKeyController::Mode::RealRelease);
    if (m_hotKeyNotice.empty()) {
        m_hotKeyNotice = tr("]The talk key works only while Zumeli has the focus[");
        setInfo(m_hotKeyNotice);
    }
}

void ClientPanel::unregisterHotKey()
{
    m_hotKey.reset();
    m_grab.ungrab();
    m_portal.unbind();
    m_portalKey = 0;
    m_focusKeyCode = 0;
    m_hotKey.setMode(HotKeyController::Mode::Off);
}

bool ClientPanel::windowKeyEvent(bool down, bool repeat, int scanCode)
{
    if (m_focusKeyCode == 0 || scanCode != m_focusKeyCode)
        return false;
    if (down)
        m_hotKey.pressed(clock(), repeat);
    else
        m_hotKey.released(clock());
    return true;
}

void ClientPanel::hotKeyDown()
{
    if (epiUbo* talk = item("talk"))
        talk->setValue(1);
    talkDown();
}

void ClientPanel::hotKeyUp()
{
    if (epiUbo* talk = item("talk"))
        talk->setValue(0);
    talkUp();
}

// ----- the refresh -----

void ClientPanel::refresh()
{
    if (!m_client)
        return;
    m_client->step(0);
    m_portal.poll();
    if (m_portalKey != 0 && m_portal.state() == PortalHotKey::State::Failed) {
        // The desktop said no (or the user dismissed the binding): the focused window still hears the key.
        std::printf("Talk key: %s\n", m_portal.failure().c_str());
        int key = m_portalKey;
        m_portalKey = 0;
        useFocusedHotKey(key);
    }
    m_hotKey.check(clock());
    if (++m_ticks % StreamCheckTicks == 0 && m_keeper && m_keeper->check())
        std::printf("%s\n", m_keeper->status().c_str());
    // The AD lamp stays lit while the stream runs on the silent stand-in for a missing device.
    if (itemOn("stAD") != !hasSoundDevice())
        setLamp("stAD", !hasSoundDevice());
    if (m_quitPending && m_quitHandler && m_ticks > QuitDeadlineSeconds / RefreshSeconds) {
        std::printf("Quitting without the service's answer\n");
        m_quitPending = false;
        m_quitHandler();
    }
}

// ----- talk -----

void ClientPanel::talkDown()
{
    if (m_client)
        m_client->talkPressed();
}

void ClientPanel::talkUp()
{
    if (m_client)
        m_client->talkReleased();
}

void ClientPanel::setHoldMode(bool hold)
{
    epiUbo* talk = item("talk");
    epiUbo* held = item("talh");
    if (talk)
        talk->setVisible(!hold);
    if (held) {
        held->setVisible(hold);
        held->setValue(0);
    }
    if (talk)
        talk->setValue(0);
    talkUp();
}

// ----- channels -----

void ClientPanel::showChannelEntry(const std::string& text) { setItemText("infc", text); }

void ClientPanel::clearChannelLines()
{
    setItemText("peop", "");
    setItemText("chat", "");
    setLamp("last", false);
}

void ClientPanel::changeChannel(int channel)
{
    clearChannelLines();
    m_entry.clear();
    if (m_client)
        m_client->changeChannel(channel);
}

void ClientPanel::loadFavourites()
{
    Zumeli::Text stored;
    if (!m_client->getPreferenceText(Favourites::PreferenceKey, stored) || stored.isEmpty())
        stored = Zumeli::Text(Favourites::DefaultText);
    m_favourites = Favourites::parse(stored.c_str());
}

void ClientPanel::saveFavourites()
{
    if (m_client)
        m_client->setPreferenceText(Favourites::PreferenceKey, Zumeli::Text(m_favourites.format().c_str()));
}

void ClientPanel::showFavourites()
{
    for (int i = 0; i < Favourites::Count; ++i) {
        epiUbo* widget = item(PresetCodes[i]);
        if (!widget)
            continue;
        widget->setText(epiText(channelText(m_favourites.channels[size_t(i)]).c_str()));
        if (auto* preset = dynamic_cast<zumePresetButton*>(widget))
            preset->setLamp(m_favourites.channels[size_t(i)] == m_channel);
        widget->invalidate();
    }
}

void ClientPanel::presetHit(int index)
{
    auto* preset = dynamic_cast<zumePresetButton*>(item(PresetCodes[index]));
    if (preset && preset->action() == zumePresetButton::Action::Store) {
        m_favourites.channels[size_t(index)] = m_channel;
        saveFavourites();
        showFavourites();
        notifyWindow(fourCC("chLi"), fourCC("refr"));
        return;
    }
    changeChannel(m_favourites.channels[size_t(index)]);
}

// ----- switches -----

void ClientPanel::setDoNotDisturb(bool on)
{
    if (epiUbo* box = item("nodi"))
        box->setValue(on ? 1 : 0);
    if (epiUbo* box = item("mute"))
        box->setValue(on ? 1 : 0);
    m_hardware.setMuted(on);
    if (m_client)
        m_client->setDoNotDisturb(on);
}

void ClientPanel::applyAutoTalk(bool on)
{
    if (application() && application()->windowManager()) {
        if (epiWindow* window = application()->windowManager()->findWindow(fourCC("autk"))) {
            window->receiveCommand(fourCC("atko"), on ? 1 : 0, 0);
            return;
        }
    }
    int32_t enabled = 0;
    float level = 0, activate = 0, deactivateLevel = 0, deactivate = 0;
    m_client->getAutoTalkSettings(enabled, level, activate, deactivateLevel, deactivate);
    m_client->setAutoTalkSettings(on ? 1 : 0, level, activate, deactivateLevel, deactivate);
}

void ClientPanel::applyPlayThrough(bool on)
{
    m_client->setPreferenceNumber("public.playthru", Zumeli::Text(on ? "1" : "0"));
    m_client->reloadSettings();
}

// ----- commands and keys -----

bool ClientPanel::handleCommand(epiCode command)
{
    if (!m_client)
        return epiUiBitmapViewContainer::handleCommand(command);
    for (int i = 0; i < Favourites::Count; ++i)
        if (command == fourCC(PresetCodes[i])) {
            presetHit(i);
            return true;
        }
    for (int i = 0; i < 8; ++i) {
        char smile[5] = {'s', 'm', 'i', char('0' + i), 0};
        if (command == fourCC(smile)) {
            m_client->sendChannelSignal(i);
            return true;
        }
    }
    epiUbo* sender = hitChild();
    int32_t value = sender ? sender->value() : 0;
    switch (command) {
    case epiFourCC("talk"): value ? talkDown() : talkUp(); return true;
    case epiFourCC("talh"): value ? talkDown() : talkUp(); return true;
    case epiFourCC("hold"): setHoldMode(value != 0); return true;
    case epiFourCC("fidc"): changeChannel(m_channel - 1); return true;
    case epiFourCC("fiin"): changeChannel(m_channel + 1); return true;
    case epiFourCC("scdc"): clearChannelLines(); m_client->previousChannel(); return true;
    case epiFourCC("scin"): clearChannelLines(); m_client->nextChannel(); return true;
    case epiFourCC("inpV"): m_client->setInputGain(float(value) * 0.005f); return true;
    case epiFourCC("outV"): m_client->setOutputGain(float(value) * 0.002f); return true;
    case epiFourCC("mute"): m_hardware.setMuted(value != 0); return true;
    case epiFourCC("nodi"): setDoNotDisturb(value != 0); return true;
    case epiFourCC("atko"): applyAutoTalk(value != 0); return true;
    case epiFourCC("thru"): applyPlayThrough(value != 0); return true;
    case epiFourCC("last"):
        m_client->startPlayback();
        setLamp("last", false);
        return true;
    default: return epiUiBitmapViewContainer::handleCommand(command);
    }
}

bool ClientPanel::receiveCommand(epiCode command, intptr_t value, intptr_t extra)
{
    switch (command) {
    case epiFourCC("faac"): changeChannel(int(value)); return true;
    case epiFourCC("brow"):
        if (value)
            Zumeli::Platform::openUrl(reinterpret_cast<const char*>(value));
        return true;
    case epiFourCC("disp"): showChannelEntry(channelText(int(value))); return true;
    case epiFourCC("appf"): return true;
    case epiFourCC("auhd"):
        // The side windows (audio test, player, recorder, spectrum) ask for the panel's stream:
        // value points at the AudioHardware pointer to fill.
        if (value)
            *reinterpret_cast<Zumeli::AudioHardware**>(value) = &m_hardware;
        return true;
    case epiFourCC("flpl"):
        m_hardware.setPlayer(reinterpret_cast<Zumeli::IAudioPlayerHook*>(value));
        return true;
    case epiFourCC("aucl"):
        // A window that needs the sound device for itself (the audio test): the panel leaves the
        // channel and closes its stream until 'prrl' opens it again.
        if (m_client)
            m_client->disconnect();
        unregisterHotKey();
        closeStream();
        return true;
    case epiFourCC("prrl"):
        closeStream();
        openStream();
        registerHotKey();
        m_client->connect();
        return true;
    case epiFourCC("setp"):
        // The settings change the devices and the key: leave, and let go of both while the
        // settings window is open; it sends 'prrl' when it closes.
        if (!application() || !application()->windowManager())
            return false;
        if (!application()->windowManager()->findWindow(command)) {
            m_client->disconnect();
            unregisterHotKey();
            closeStream();
        }
        if (!application()->windowManager()->showOrOpenWindow(command))
            receiveCommand(epiFourCC("prrl"), 0, 0);
        return true;
    case epiFourCC("quit"): quitWithDisconnect(); return true;
    // Windows that prepare a message, an invitation or an abuse report for a user or a group.
    case epiFourCC("mesg"):
    case epiFourCC("Gmes"): openWindowFor(epiFourCC("nume"), command, value); return true;
    case epiFourCC("bell"):
    case epiFourCC("Gbel"): openWindowFor(epiFourCC("nuin"), command, value); return true;
    case epiFourCC("uabu"): openWindowFor(epiFourCC("nuab"), command, value); return true;
    case epiFourCC("admi"): openAdministration(); return true;
    default: break;
    }
    // A command named after one of the panel's items works as the item would.
    if (findChild(command) && handleCommand(command))
        return true;
    return epiUiBitmapViewContainer::receiveCommand(command, value, extra);
}

void ClientPanel::keyDown(int key)
{
    if (!m_client)
        return;
    if (key >= '0' && key <= '9') {
        if (auto channel = m_entry.add(key - '0'))
            changeChannel(*channel);
        else
            showChannelEntry(m_entry.display());
        return;
    }
    // Any other key ends a typed entry.
    if (!m_entry.isEmpty()) {
        m_entry.clear();
        showChannelEntry(channelText(m_channel));
    }
    switch (key) {
    case ' ': talkDown(); break;
    case '\t': m_talking ? talkUp() : talkDown(); break;
    case epiKeyboard::kLeft: changeChannel(m_channel - 1); break;
    case epiKeyboard::kRight: changeChannel(m_channel + 1); break;
    case epiKeyboard::kUp: clearChannelLines(); m_client->previousChannel(); break;
    case epiKeyboard::kDown: clearChannelLines(); m_client->nextChannel(); break;
    default:
        if (key >= 'A' && key <= 'D')
            changeChannel(m_favourites.channels[size_t(key - 'A')]);
        else if (key >= 'a' && key <= 'd')
            changeChannel(m_favourites.channels[size_t(key - 'a')]);
        break;
    }
}

void ClientPanel::keyUp(int key)
{
    // Space is held to talk, like the button.
    if (key == ' ' && m_client)
        talkUp();
}

// ----- quitting -----

bool ClientPanel::mayClose()
{
    if (!m_client || m_left)
        return true;
    quitWithDisconnect();
    return false;
}

void ClientPanel::quitWithDisconnect()
{
    if (!m_client || m_left) {
        if (m_quitHandler)
            m_quitHandler();
        return;
    }
    if (m_quitPending)
        return;
    m_quitPending = true;
    m_ticks = 0;
    m_client->disconnect();
}

// ----- windows -----

void ClientPanel::notifyWindow(epiCode window, epiCode command)
{
    if (!application() || !application()->windowManager())
        return;
    if (epiWindow* open = application()->windowManager()->findWindow(window))
        open->receiveCommand(command, 0, 0);
}

void ClientPanel::openWindowFor(epiCode window, epiCode command, intptr_t id)
{
    if (!application() || !application()->windowManager())
        return;
    // The window learns whom it is for from the command that opened it.
    if (epiWindow* open = application()->windowManager()->showOrOpenWindow(window))
        open->receiveCommand(command, id, 0);
}

void ClientPanel::openAdministration()
{
    if (!m_client || !application() || !application()->windowManager())
        return;
    Zumeli::ChannelStatus status;
    epiCode window = epiFourCC("admr");
    if (m_client->getUserChannelStatus(status) && (status.isAdmin || status.isCoadmin))
        window = status.type == 1 ? epiFourCC("adfc") : epiFourCC("admi");
    // One of the three at a time: after a claim or a release the one that applied before goes.
    for (epiCode other : {epiFourCC("admr"), epiFourCC("admi"), epiFourCC("adfc")})
        if (other != window)
            application()->windowManager()->closeWindow(other);
    application()->windowManager()->showOrOpenWindow(window);
}

void ClientPanel::showMessage(const char* marked)
{
    if (!application() || !application()->windowManager())
        return;
    epiWindow* window = application()->windowManager()->openWindow(fourCC("smsg"));
    if (!window)
        return;
    if (epiUbo* text = window->findChild(fourCC("text")))
        text->setText(epiText(tr(marked).c_str()));
    if (epiUbo* done = window->findChild(fourCC("Done")))
        done->setText(epiText(tr("]Done[").c_str()));
}

} // namespace ZumeliApplication
