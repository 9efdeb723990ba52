// The talk key on Wayland through the desktop portal's global shortcuts, against the fake portal
// of tests/app/fake_portal.py on a private session bus (the test runs under it; see
// tests/app/CMakeLists.txt). The client runs on the null window system, logged in to a real
// zumeli-server in this process.
#include "app/ClientPanel.h"
#include "app/PortalHotKey.h"
#include "tests/app/ClientFixture.h"

#include <gio/gio.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

using namespace ZumeliApplication;

namespace {

// Calls a method of the fake portal's test interface; the strings it returns, if any.
std::vector<std::string> callFake(const char* method, GVariant* parameters = nullptr)
{
    std::vector<std::string> strings;
    GError* error = nullptr;
    GDBusConnection* bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, &error);
    EXPECT_NE(bus, nullptr) << (error ? error->message : "");
    if (!bus) {
        g_clear_error(&error);
        return strings;
    }
    GVariant* reply = g_dbus_connection_call_sync(bus, "org.freedesktop.portal.Desktop", "/org/freedesktop/portal/desktop",
                                                  "org.zumeli.test.FakePortal", method, parameters, nullptr,
                                                  G_DBUS_CALL_FLAGS_NONE, 5000, nullptr, &error);
    EXPECT_NE(reply, nullptr) << method << ": " << (error ? error->message : "");
    if (reply) {
        if (g_variant_is_of_type(reply, G_VARIANT_TYPE("(as)"))) {
            GVariantIter* iter = nullptr;
            const char* text = nullptr;
            g_variant_get(reply, "(as)", &iter);
            while (g_variant_iter_loop(iter, "&s", &text))
                strings.push_back(text);
            g_variant_iter_free(iter);
        }
        g_variant_unref(reply);
    }
    g_clear_error(&error);
    g_object_unref(bus);
    return strings;
}

class PortalHotKeyTest : public ZumeliApplication::Testing::ClientFixture {
protected:
    void SetUp() override
    {
        if (!std::getenv("ZUMELI_FAKE_PORTAL"))
            GTEST_SKIP() << "runs under tests/app/fake_portal.py (ctest -R app.portal_hotkey)";
        ClientFixture::SetUp();
        ::setenv("WAYLAND_DISPLAY", "wayland-zumeli-test", 1);
    }
    void TearDown() override
    {
        ::unsetenv("WAYLAND_DISPLAY");
        if (std::getenv("ZUMELI_FAKE_PORTAL")) {
            ClientFixture::TearDown();
            callFake("SetMode", g_variant_new("(s)", "bind"));
        }
    }
    PortalHotKey::State portalState() const { return m_panel->portalHotKey().state(); }
};

} // namespace

TEST_F(PortalHotKeyTest, PressAndReleaseOfTheShortcutStartAndEndATalkWithoutFocus)
{
    startAsGuest();
    ASSERT_TRUE(tunedTo(1000));
    ASSERT_TRUE(waitFor([&] { return portalState() == PortalHotKey::State::Bound; }, 5.0))
        << m_panel->portalHotKey().failure();
    EXPECT_EQ(callFake("Bound"), std::vector<std::string> { "talk=F9" }) << "one shortcut, F9 preferred";
    EXPECT_EQ(m_panel->hotKeyNotice(), "") << "no focus needed";
    EXPECT_EQ(m_panel->hotKey().mode(), HotKeyController::Mode::RealRelease);

    // Another program has the focus; the portal still reports the shortcut.
    m_system->activate(0);
    pump(2.0); // past the guard between two talks
    callFake("Press");
    ASSERT_TRUE(waitFor([&] { return m_panel->isTalking(); }, 3.0)) << "the press started a talk";
    EXPECT_EQ(item("talk")->value(), 1);
    pump(1.5);
    EXPECT_TRUE(m_panel->isTalking()) << "a held shortcut keeps the talk: the release ends it";
    callFake("Release");
    EXPECT_TRUE(waitFor([&] { return !m_panel->isTalking(); }, 3.0)) << "the release ended the talk";
    EXPECT_EQ(item("talk")->value(), 0);

    // The key in our focused window does nothing of itself: only the portal speaks for it.
    m_system->activate(m_main->handle());
    pump(2.0);
    m_system->pressKey(epiPlatformKey::None, 75);
    m_system->flush();
    pump(0.5);
    EXPECT_FALSE(m_panel->isTalking());
    m_system->releaseKey(75);
    m_system->flush();

    // The portal's session is closed with the panel.
    m_main->receiveCommand(epiFourCC("quit"), 0, 0);
    ASSERT_TRUE(waitFor([&] { return m_app.windowManager()->findWindow(epiFourCC("main")) == nullptr; }));
    EXPECT_EQ(callFake("Bound"), (std::vector<std::string> { "talk=F9", "closed" }));
}

// The user dismissed the binding, or the desktop's portal has no global shortcuts.
class PortalFallbackTest : public PortalHotKeyTest, public ::testing::WithParamInterface<const char*> {
};

TEST_P(PortalFallbackTest, WithoutABoundShortcutTheFocusedWindowHearsTheKey)
{
    callFake("SetMode", g_variant_new("(s)", GetParam()));
    startAsGuest();
    ASSERT_TRUE(tunedTo(1000));
    ASSERT_TRUE(waitFor([&] { return portalState() == PortalHotKey::State::Failed; }, 5.0));
    EXPECT_TRUE(waitFor([&] { return m_panel->hotKeyNotice() == "The talk key works only while Zumeli has the focus"; }, 2.0));
    pump(2.0);
    m_system->pressKey(epiPlatformKey::None, 75);
    m_system->flush();
    EXPECT_TRUE(waitFor([&] { return m_panel->isTalking(); }, 3.0));
    m_system->releaseKey(75);
    m_system->flush();
    EXPECT_TRUE(waitFor([&] { return !m_panel->isTalking(); }, 3.0));
}

INSTANTIATE_TEST_SUITE_P(Portal, PortalFallbackTest, ::testing::Values("refuse", "absent"));
