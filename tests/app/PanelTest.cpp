// The client on the null window system, logged in to a real zumeli-server that runs in this test
// process: the panel's keys, presets and talk button, the account windows, start and quit.
#include "app/ClientApplication.h"
#include "app/ClientPanel.h"
#include "app/ClientWindow.h"
#include "app/Favourites.h"
#include "app/PanelWidgets.h"
#include "app/SingleInstance.h"
#include "engine/Client.h"
#include "engine/Manager.h"
#include "tests/app/ClientFixture.h"
#include "ui/epiUiSystemButton.h"
#include "ui/null/epiNullWindowSystem.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <thread>

using namespace ZumeliApplication;

using PanelTest = ZumeliApplication::Testing::ClientFixture;

TEST_F(PanelTest, AFirstStartOpensTheRegistrationAndCancellingGoesOnAsAGuest)
{
    start({});
    epiWindow* registration = m_app.windowManager()->findWindow(epiFourCC("regi"));
    ASSERT_NE(registration, nullptr);
    EXPECT_EQ(m_system->window(m_main->handle())->title, "Zumeli 3.1.4");
    EXPECT_EQ(m_main->bounds().width(), 560);
    EXPECT_EQ(m_main->bounds().height(), 420);
    EXPECT_FALSE(m_panel->isLoggedIn());

    m_system->clickControl(control(registration, "Canc"));
    m_system->flush();
    ASSERT_TRUE(waitFor([&] { return m_panel->isLoggedIn(); })) << m_panel->infoText();
    EXPECT_EQ(m_app.windowManager()->findWindow(epiFourCC("regi")), nullptr);
    ASSERT_TRUE(tunedTo(1000));
    EXPECT_EQ(text("titl"), "Channel   10.00");
    EXPECT_EQ(text("infc"), "10.00");
    EXPECT_EQ(text("talk"), "TALK");
    EXPECT_EQ(item("stAD")->value(), 0) << "the chosen back end runs";

    // Quitting while connected leaves first; the window closes when the engine has left.
    testing::internal::CaptureStdout();
    m_main->receiveCommand(epiFourCC("quit"), 0, 0);
    EXPECT_TRUE(m_panel->quitPending());
    EXPECT_NE(m_app.windowManager()->findWindow(epiFourCC("main")), nullptr);
    bool closed = waitFor([&] { return m_app.windowManager()->findWindow(epiFourCC("main")) == nullptr; });
    std::string printed = testing::internal::GetCapturedStdout();
    EXPECT_TRUE(closed);
    EXPECT_NE(printed.find("Quitting deferred with disconnect\n"), std::string::npos) << printed;
}

TEST_F(PanelTest, DigitsTuneAfterTheFourthAndAnotherKeyCancelsTheEntry)
{
    startAsGuest();
    ASSERT_TRUE(tunedTo(1000));

    typeKeys("1");
    EXPECT_EQ(text("infc"), "1_.__");
    typeKeys("234");
    ASSERT_TRUE(tunedTo(1234)) << m_panel->currentChannel();
    EXPECT_EQ(text("infc"), "12.34");

    typeKeys("12");
    EXPECT_EQ(text("infc"), "12.__");
    m_system->pressKey(epiPlatformKey::Right, 114);
    m_system->releaseKey(114);
    m_system->flush();
    EXPECT_EQ(text("infc"), "12.34") << "the entry is cancelled and the current channel shown";
    ASSERT_TRUE(tunedTo(1235)) << m_panel->currentChannel();
    EXPECT_EQ(text("infc"), "12.35");
}

TEST_F(PanelTest, AVoiceRelayThatCannotBeReachedBlinksTheCELamp)
{
    // The service sends clients to a voice address where nothing listens: every connection
    // attempt fails and reports transmission trouble.
    m_server.reset();
    Zumeli::ServerConfig config;
    config.web.publicHost = "127.0.0.2";
    m_server = std::make_unique<ServerTest::RunningServer>((m_home / "unreachable.sqlite").string(), config);
    ASSERT_TRUE(m_server->started());
    startAsGuest();
    ASSERT_TRUE(tunedTo(1000));
    ASSERT_TRUE(waitFor([&] { return item("erCE")->value() != 0; })) << text("info");
    EXPECT_EQ(item("noSV")->value(), 0) << "no voice connection";
    EXPECT_TRUE(waitFor([&] { return item("erCE")->value() == 0; }, 3.0)) << "the trouble lamp goes out by itself";
    EXPECT_TRUE(waitFor([&] { return item("erCE")->value() != 0; }, 4.0)) << "and lights again at the next attempt";
}

TEST_F(PanelTest, APresetHeldUnderTwoSecondsSwitchesAndHeldTwoSecondsStores)
{
    startAsGuest({{"ui.favourites", "1200,0,1300"}});
    ASSERT_TRUE(tunedTo(1000));
    const char* shown[] = {"12.00", "13.00", "10.00", "10.00", "10.00", "10.00"};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(text(("pre" + std::to_string(i)).c_str()), shown[i]);

    hold("pre1", 1.9);
    ASSERT_TRUE(tunedTo(1300)) << m_panel->currentChannel();
    EXPECT_EQ(m_panel->favourites().format(), "1200,1300,1000,1000,1000,1000");
    EXPECT_TRUE(dynamic_cast<zumePresetButton*>(item("pre1"))->lamp());

    hold("pre2", 2.0);
    pump(0.5);
    EXPECT_EQ(m_panel->currentChannel(), 1300) << "a stored preset does not switch";
    EXPECT_EQ(m_panel->favourites().format(), "1200,1300,1300,1000,1000,1000");
    EXPECT_EQ(text("pre2"), "13.00");
    Zumeli::Text stored;
    m_app.engine()->getPreferenceText("ui.favourites", stored);
    EXPECT_STREQ(stored.c_str(), "1200,1300,1300,1000,1000,1000");
}

TEST_F(PanelTest, ASecondTalkPressWithinOneAndAHalfSecondsDoesNothing)
{
    startAsGuest();
    ASSERT_TRUE(tunedTo(1000));
    pump(2.0); // the voice connection comes up

    hold("talk", 0.6);
    ASSERT_TRUE(waitFor([&] { return !m_panel->isTalking(); }, 3.0));

    // Pressed again 0.6 s after the first press: ignored.
    m_system->mouseDown(m_main->handle(), centre("talk"));
    m_system->flush();
    EXPECT_FALSE(waitFor([&] { return m_panel->isTalking(); }, 0.7));
    m_system->mouseUp(m_main->handle(), centre("talk"));
    m_system->flush();
    pump(1.6);

    // Once the guard has passed, a press talks again, and the on-air lamp lights at the
    // service's acknowledgement.
    m_system->mouseDown(m_main->handle(), centre("talk"));
    m_system->flush();
    EXPECT_TRUE(waitFor([&] { return m_panel->isTalking(); }, 3.0));
    EXPECT_TRUE(waitFor([&] { return item("enta")->value() == 1; }, 3.0));
    m_system->mouseUp(m_main->handle(), centre("talk"));
    m_system->flush();
    EXPECT_TRUE(waitFor([&] { return !m_panel->isTalking() && item("enta")->value() == 0; }, 3.0));
}

TEST_F(PanelTest, AccountWindowsCheckWhatWasTypedBeforeCallingTheService)
{
    startAsGuest();

    epiWindow* registration = m_app.windowManager()->openWindow(epiFourCC("regi"));
    ASSERT_NE(registration, nullptr);
    EXPECT_EQ(m_system->window(registration->handle())->title, "Create your Zumeli account");
    type(registration, "pas1", "ab cd");
    EXPECT_EQ(m_system->control(control(registration, "pas1"))->text, "abcd") << "no blanks in a password";
    EXPECT_TRUE(m_system->control(control(registration, "pas1"))->desc.password);
    type(registration, "usna", "an user");
    EXPECT_EQ(m_system->control(control(registration, "usna"))->text, "an user");
    m_system->clickControl(control(registration, "GoRe"));
    m_system->flush();
    EXPECT_EQ(m_system->control(control(registration, "stts"))->text, "Choose a password of at least 5 characters.");

    type(registration, "pas1", "e");
    type(registration, "pas2", "abcde");
    type(registration, "emai", "ann.example.org");
    m_system->clickControl(control(registration, "GoRe"));
    m_system->flush();
    EXPECT_EQ(m_system->control(control(registration, "stts"))->text, "Check email field.");
    registration->close();

    epiWindow* change = m_app.windowManager()->openWindow(epiFourCC("pwch"));
    ASSERT_NE(change, nullptr);
    type(change, "pas1", "abcd");
    type(change, "pas2", "abcd");
    m_system->clickControl(control(change, "Okay"));
    m_system->flush();
    EXPECT_EQ(m_system->control(control(change, "stts"))->text, "Password too short.");
    type(change, "pas2", "x");
    m_system->clickControl(control(change, "Okay"));
    m_system->flush();
    EXPECT_EQ(m_system->control(control(change, "stts"))->text, "Check passwords again.");
}

TEST_F(PanelTest, TheDialTunesWhereItComesToRestAndAFlickSpinsItFurther)
{
    startAsGuest();
    ASSERT_TRUE(tunedTo(1000));
    auto* dial = dynamic_cast<UiFrequencyDisplay2*>(item("disp"));
    ASSERT_NE(dial, nullptr);
    const epiPoint at = centre("disp");
    const int pixels = 6; // 'pxCh' of the dial in the layout

    // A slow drag up by three and a half channels, held still, then let go: it creeps to a whole
    // channel and tunes there.
    m_system->mouseDown(m_main->handle(), at);
    m_system->flush();
    for (int step = 1; step <= 7; ++step) {
        pump(0.1);
        m_system->mouseMove(m_main->handle(), {at.x, at.y - step * pixels / 2});
        m_system->flush();
    }
    EXPECT_EQ(text("infc"), "10.04") << "the readout follows the drag (3.5 channels, rounded)";
    pump(0.5);
    m_system->mouseUp(m_main->handle(), {at.x, at.y - 7 * pixels / 2});
    m_system->flush();
    EXPECT_TRUE(dial->isMoving());
    ASSERT_TRUE(tunedTo(1004)) << m_panel->currentChannel();
    EXPECT_FALSE(dial->isMoving());

    // A flick: the last move comes right before the release, so the dial spins on.
    m_system->mouseDown(m_main->handle(), at);
    m_system->flush();
    pump(ZumeliApplication::Testing::Tick);
    m_system->mouseMove(m_main->handle(), {at.x, at.y - 2 * pixels});
    m_system->flush();
    m_system->mouseUp(m_main->handle(), {at.x, at.y - 2 * pixels});
    m_system->flush();
    EXPECT_GT(dial->speed(), 0.0);
    ASSERT_TRUE(waitFor([&] { return !dial->isMoving(); }, 20.0));
    EXPECT_GT(dial->channel(), 1006) << "a flick goes beyond the two channels dragged";
    EXPECT_TRUE(tunedTo(dial->channel()));
}

TEST_F(PanelTest, WithoutAUsableSoundDeviceTheClientStillLogsInAndSaysSo)
{
    // A microphone file that cannot be read: the chosen back end fails and silence stands in.
    ::setenv("ZUMELI_AUDIO", ("file:" + (m_home / "missing.wav").string() + ":" + (m_home / "out.wav").string()).c_str(), 1);
    startAsGuest();
    ASSERT_TRUE(tunedTo(1000));
    EXPECT_FALSE(m_panel->hasSoundDevice());
    EXPECT_EQ(text("info"), "No sound device: running without sound");
    EXPECT_NE(item("stAD")->value(), 0) << "the AD lamp shows the missing device";
}

TEST_F(PanelTest, TheSideWindowsAskThePanelForItsSoundStream)
{
    startAsGuest();
    Zumeli::AudioHardware* hardware = nullptr;
    EXPECT_TRUE(m_panel->receiveCommand(epiFourCC("auhd"), reinterpret_cast<intptr_t>(&hardware), 0));
    ASSERT_NE(hardware, nullptr);
    EXPECT_TRUE(hardware->isOpen()) << "the stream the panel runs";
    EXPECT_GT(hardware->sampleRate(), 0);
}

TEST_F(PanelTest, ASecondStartRaisesTheFirstAndEndsBeforeMakingAnEngineOrAWindow)
{
    SingleInstance running("Zumeli 3.1.4");
    ASSERT_EQ(running.claim(), SingleInstance::Outcome::First);
    start({}, true);
    EXPECT_EQ(m_app.earlyExit(), 0);
    EXPECT_EQ(m_app.engine(), nullptr);
    EXPECT_EQ(m_app.windowManager()->windowCount(), 0);
    EXPECT_TRUE(running.takeRaiseRequest());
}

TEST_F(PanelTest, WithoutAKeyGrabTheTalkKeyWorksInTheFocusedWindowAndThePanelSaysSo)
{
    startAsGuest();
    ASSERT_TRUE(tunedTo(1000));
    pump(2.0);
    // The null window system has no X11 display to grab F9 on.
    EXPECT_EQ(m_panel->hotKey().mode(), HotKeyController::Mode::RealRelease);
    EXPECT_EQ(m_panel->hotKeyNotice(), "The talk key works only while Zumeli has the focus");
    const int f9 = 75; // its usual X key code
    m_system->pressKey(epiPlatformKey::None, f9);
    m_system->flush();
    EXPECT_TRUE(waitFor([&] { return m_panel->isTalking(); }, 3.0));
    EXPECT_EQ(item("talk")->value(), 1) << "the button shows the talk";
    m_system->pressKey(epiPlatformKey::None, f9, true);
    m_system->flush();
    pump(1.0);
    EXPECT_TRUE(m_panel->isTalking()) << "a repeat of the held key changes nothing";
    m_system->releaseKey(f9);
    m_system->flush();
    EXPECT_TRUE(waitFor([&] { return !m_panel->isTalking(); }, 3.0));
    EXPECT_EQ(item("talk")->value(), 0);
}
