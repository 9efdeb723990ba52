#pragma once

#include "app/DigitEntry.h"
#include "app/Favourites.h"
#include "app/HotKeyController.h"
#include "app/MessageArrivals.h"
#include "app/PortalHotKey.h"
#include "app/X11HotKeyGrab.h"
#include "audio/AudioHardware.h"
#include "engine/IClientDelegate.h"
#include "ui/epiUiBitmapView.h"
#include "ui/epiUiTimered.h"

#include <functional>
#include <memory>
#include <string>

namespace Zumeli {
class AudioStreamKeeper;
class Client;
class IClient;
}

namespace ZumeliApplication {

class Localizer;
class TalkHistoryWindow;
class UiFrequencyDisplay2;

// The walkie-talkie face of the main window ('pane'): channel readout and dial, presets, talk
// button and hot key, smiles, sliders, switches, lamps and status lines. It is the engine's
// delegate, steps the engine 30 times a second, and owns the sound stream and the hot key.
class ClientPanel : public epiUiBitmapViewContainer, public Zumeli::IClientDelegate, public HotKeyController::Delegate
{
public:
    static constexpr epiCode kKind = epiFourCC("zPan");
    static constexpr double RefreshSeconds = 1.0 / 30;
    static constexpr int StreamCheckTicks = 30;
    static constexpr const char* HotKeyPreference = "ui.talkhotkey";
    static constexpr const char* DefaultHotKey = "F9";
    // The sound device name of "no device" in the settings: the null back end runs.
    static constexpr const char* NullDevice = "null";

    ClientPanel();
    ~ClientPanel() override;

    // Starts the panel when its window opens: lamps, delegate, refresh, favourites, sound, hot key,
    // then the login or the registration window.
    void start(Zumeli::Client* client, Localizer* localizer);
    // Closing: the stream and the hot key go.
    void stop();
    // The window may close once the engine has left (the first request asks it to leave).
    bool mayClose();
    // Every key event of the main window passes here first (the focused hot key).
    bool windowKeyEvent(bool down, bool repeat, int scanCode);

    bool handleCommand(epiCode code) override;
    bool receiveCommand(epiCode code, intptr_t value, intptr_t extra) override;
    void keyDown(int key) override;
    void keyUp(int key) override;

    // State the tests read.
    int currentChannel() const { return m_channel; }
    const Favourites& favourites() const { return m_favourites; }
    bool isLoggedIn() const { return m_loggedIn; }
    bool isTalking() const { return m_talking; }
    const std::string& infoText() const { return m_info; }
    HotKeyController& hotKey() { return m_hotKey; }
    MessageArrivals& arrivals() { return m_arrivals; }
    const PortalHotKey& portalHotKey() const { return m_portal; }
    const std::string& hotKeyNotice() const { return m_hotKeyNotice; }
    bool hasSoundDevice() const;
    // What the info line keeps saying: no sound device, or a talk key that works only focused.
    std::string standingNotice();
    // A refresh tick, as the timer runs it.
    void refresh();
    void setQuitHandler(std::function<void()> handler) { m_quitHandler = std::move(handler); }
    bool quitPending() const { return m_quitPending; }
    // Asks the engine to leave and quits once it has (at once when it is not connected).
    void quitWithDisconnect();

    // --- IClientDelegate
    void onLoggedIn() override;
    void onLoggedOut() override;
    void onLoginFailed() override;
    void onLoginRefused() override;
    void onServerFull() override;
    void onReconnecting() override;
    void onChannelChanged(int channel) override;
    void onTalkGranted() override;
    void onTalkEnded() override;
    void onTalkAcknowledged() override;
    void onTalkAllowed() override;
    void onTalkForbidden() override;
    void onChannelStateChanged() override;
    void onVoiceConnection(bool up) override;
    void onTraffic(bool active) override;
    void onVoiceConnected(bool connected) override;
    void onMessagesArrived() override;
    void onUnused() override {}
    void onRecordedAudio(const float*, int32_t) override {}
    void onLinkQuality(float quality) override;
    void onChannelAccess() override;
    void onJoinFailed() override;
    void onTransmissionTrouble() override;
    void onChannelFull() override;
    void onChannelEvent(const Zumeli::ChannelEvent& event) override;
    void onUserPositionChanged(int) override {}
    // The photo window shows the channel's new photo.
    void onPhotoUpdated(int) override { notifyWindow(epiFourCC("phot"), epiFourCC("refr")); }
    void onUserMessagesChanged() override;
    void onTalkRequest(int user) override;
    void onTalkAllowedQuietly() override {}
    void onPositionRequested(Zumeli::Text&) override {}
    void onPositionSent(const Zumeli::Text&) override {}

    // --- HotKeyController::Delegate
    void hotKeyDown() override;
    void hotKeyUp() override;

private:
    class RefreshTimer : public epiUiTimered
    {
    public:
        explicit RefreshTimer(ClientPanel& panel) : m_panel(panel) {}
        void timerFired() override { m_panel.refresh(); }

    private:
        ClientPanel& m_panel;
    };

    epiUbo* item(const char* code) const;
    void setItemText(const char* code, const std::string& text);
    void setLamp(const char* code, bool on);
    bool itemOn(const char* code) const;
    void setInfo(const std::string& text);
    std::string tr(const char* marked);

    void changeChannel(int channel);
    void showChannelEntry(const std::string& text);
    void clearChannelLines();
    void loadFavourites();
    void saveFavourites();
    void showFavourites();
    void presetHit(int index);
    void talkDown();
    void talkUp();
    void setHoldMode(bool hold);
    void setDoNotDisturb(bool on);
    void applyAutoTalk(bool on);
    void applyPlayThrough(bool on);
    void setMachineIdentity();
    void openStream();
    void closeStream();
    void registerHotKey();
    void unregisterHotKey();
    // The key works only while our window has the focus; the user is told once.
    void useFocusedHotKey(int key);
    void showMessage(const char* marked);
    void openWindowFor(epiCode window, epiCode command, intptr_t id);
    // The user's administration window for this channel, or the request for one.
    void openAdministration();
    void notifyWindow(epiCode window, epiCode command);
    TalkHistoryWindow* talkHistory() const;
    // The main window is on the screen and has the focus.
    bool mainWindowShown() const;
    double clock() const;

    Zumeli::Client* m_client = nullptr;
    Localizer* m_localizer = nullptr;
    Zumeli::AudioHardware m_hardware;
    std::unique_ptr<Zumeli::AudioStreamKeeper> m_keeper;
    HotKeyController m_hotKey;
    X11HotKeyGrab m_grab;
    PortalHotKey m_portal;   // the key on Wayland, through the desktop portal
    int m_portalKey = 0;     // the function key the portal binds
    int m_focusKeyCode = 0; // X key code of the hot key when only the focused window sees it
    std::string m_hotKeyNotice;
    RefreshTimer m_refresh;
    UiFrequencyDisplay2* m_dial = nullptr;

    Favourites m_favourites;
    DigitEntry m_entry;
    int m_channel = 1000;
    int m_lowest = 100;
    int m_highest = 1999;
    std::string m_info;
    bool m_started = false;
    bool m_loggedIn = false;
    bool m_talking = false;
    bool m_firstChangeAfterLogin = false;
    bool m_quitPending = false;
    bool m_left = true;
    int m_ticks = 0;
    std::function<void()> m_quitHandler;
    MessageArrivals m_arrivals;
};

} // namespace ZumeliApplication
