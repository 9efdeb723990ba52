#pragma once
// The client on the null window system, logged in to a real zumeli-server that runs in the test
// process. Test files of the desktop client's windows derive their fixtures from ClientFixture.
#include "app/ClientApplication.h"
#include "app/ClientPanel.h"
#include "app/ClientWindow.h"
#include "app/Favourites.h"
#include "engine/Client.h"
#include "engine/Manager.h"
#include "tests/server/ServerFixture.h"
#include "ui/null/epiNullWindowSystem.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <thread>
#include <unistd.h>

namespace ZumeliApplication::Testing {

constexpr double Tick = 1.0 / 30;

class ManualClockClient : public ClientApplication {
public:
    double now() const override { return clock; }
    double clock = 1000.0;
};

class ClientFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_home = std::filesystem::temp_directory_path() / ("zumeli-panel-" + std::to_string(getpid()));
        std::filesystem::remove_all(m_home);
        std::filesystem::create_directories(m_home / "config");
        std::filesystem::create_directories(m_home / "data");
        ::setenv("HOME", m_home.c_str(), 1);
        ::setenv("XDG_CONFIG_HOME", (m_home / "config").c_str(), 1);
        ::setenv("XDG_DATA_HOME", (m_home / "data").c_str(), 1);
        ::setenv("XDG_RUNTIME_DIR", m_home.c_str(), 1);
        ::setenv("ZUMELI_AUDIO", "null", 1);
        ::unsetenv("WAYLAND_DISPLAY"); // the talk key takes the X11 or focused path
        ::unsetenv("ZUMELI_SERVICE_HOST");
        ::unsetenv("ZUMELI_SERVICE_PORT");
        m_server = std::make_unique<ServerTest::RunningServer>((m_home / "zumeli.sqlite").string());
        ASSERT_TRUE(m_server->started());
    }

    void TearDown() override
    {
        if (m_started) {
            m_app.afterLoop();
            m_app.shutdown();
        }
        m_server.reset();
        std::filesystem::remove_all(m_home);
    }

    // Starts the client with these stored settings (besides the service address).
    void start(std::vector<std::pair<std::string, std::string>> settings, bool singleInstance = false)
    {
        settings.push_back({"private.service.host", "127.0.0.1"});
        settings.push_back({"private.service.port", std::to_string(m_server->webPort())});
        std::string prefs = "<settings>\r\n<archive>";
        for (auto& [key, value] : settings)
            prefs += "<item><name>" + key + "</name><data>" + value + "</data></item>";
        prefs += "</archive>\r\n</settings>\r\n";
        m_prefsPath = (m_home / "client.prefs").string();
        std::ofstream(m_prefsPath) << prefs;

        auto system = std::make_unique<epiNullWindowSystem>();
        m_system = system.get();
        m_app.useWindowSystem(std::move(system));
        m_app.setSingleInstanceCheck(singleInstance);
        ASSERT_TRUE(m_app.init());
        m_started = true;
        std::vector<std::string> arguments = {".", "-prefspath", m_prefsPath};
        std::vector<char*> argv;
        for (std::string& argument : arguments)
            argv.push_back(argument.data());
        m_app.prepare(int(argv.size()), argv.data());
        if (m_app.earlyExit())
            return;
        auto* window = dynamic_cast<ClientWindow*>(m_app.windowManager()->findWindow(epiFourCC("main")));
        ASSERT_NE(window, nullptr);
        m_main = window;
        m_panel = window->panel();
        ASSERT_NE(m_panel, nullptr);
        m_system->activate(m_main->handle());
    }

    // Runs the loop for a while: the manual clock and the real one move together, so the
    // engine (on the real clock of its sound stream) and the panel's timers both advance.
    void pump(double seconds)
    {
        double end = m_app.clock + seconds;
        while (m_app.clock < end - 1e-9) {
            m_app.clock = std::min(end, m_app.clock + Tick);
            m_system->flush();
            m_app.scanTimers();
            std::this_thread::sleep_for(std::chrono::milliseconds(33));
        }
    }
    bool waitFor(const std::function<bool()>& condition, double seconds = 10.0)
    {
        for (double waited = 0; waited < seconds; waited += Tick) {
            if (condition())
                return true;
            pump(Tick);
        }
        return condition();
    }
    // A first start: the registration window is cancelled, the client goes on as a guest.
    void startAsGuest(std::vector<std::pair<std::string, std::string>> settings = {})
    {
        start(std::move(settings));
        epiWindow* registration = m_app.windowManager()->findWindow(epiFourCC("regi"));
        ASSERT_NE(registration, nullptr);
        m_system->clickControl(control(registration, "Canc"));
        m_system->flush();
        m_system->activate(m_main->handle());
        ASSERT_TRUE(waitFor([&] { return m_panel->isLoggedIn(); })) << m_panel->infoText();
    }
    // The engine reported the channel and the panel shows it.
    bool tunedTo(int channel)
    {
        std::string title = "Channel   " + channelText(channel);
        return waitFor([&] { return m_panel->currentChannel() == channel && text("titl") == title; });
    }
    epiUbo* item(const char* code) const { return m_panel->findChild(epiCodeFromText(code)); }
    std::string text(const char* code) const { return item(code) ? item(code)->text().c_str() : "?"; }
    epiPoint centre(const char* code) const
    {
        const epiRect& frame = item(code)->frame();
        return {(frame.left + frame.right) / 2, (frame.top + frame.bottom) / 2};
    }
    // Holds the pointer on an item for `seconds` of the application's clock.
    void hold(const char* code, double seconds)
    {
        m_system->mouseDown(m_main->handle(), centre(code));
        m_system->flush();
        pump(seconds);
        m_system->mouseUp(m_main->handle(), centre(code));
        m_system->flush();
    }
    void typeKeys(const std::string& keys)
    {
        m_system->typeText(keys);
        m_system->flush();
    }
    epiControlHandle control(epiWindow* window, const char* code)
    {
        auto* owner = dynamic_cast<epiNativeControlOwner*>(window->findChild(epiCodeFromText(code)));
        return owner ? owner->nativeControl() : 0;
    }
    void type(epiWindow* window, const char* code, const std::string& text)
    {
        m_system->activate(window->handle());
        m_system->focusControl(control(window, code));
        m_system->typeText(text);
        m_system->flush();
    }

    std::filesystem::path m_home;
    std::unique_ptr<ServerTest::RunningServer> m_server;
    ManualClockClient m_app;
    epiNullWindowSystem* m_system = nullptr;
    ClientWindow* m_main = nullptr;
    ClientPanel* m_panel = nullptr;
    std::string m_prefsPath;
    bool m_started = false;
};


} // namespace ZumeliApplication::Testing
