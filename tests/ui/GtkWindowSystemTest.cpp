// The GTK window system on an X display of the test's own (Xvfb), driven with real input from
// xdotool and checked on screenshots taken with ImageMagick's import.
#include "AppFixture.h"
#include "PrivateDisplay.h"

#include "ui/epiMenu.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <thread>

namespace {

// The gallery's resource set (faces, layouts, the menu) plus the generated matrix fonts.
TestFiles galleryFiles()
{
    TestFiles files;
    std::filesystem::path root = std::filesystem::path(ZUMELI_SOURCE_DIR) / "tests/ui/fixtures/gallery";
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root))
        if (entry.is_regular_file())
            files.push_back({"/" + std::filesystem::relative(entry.path(), root).string(),
                             readFileBytes(entry.path().string())});
    std::string fonts = std::string(ZUMELI_GENERATED_RESOURCES) + "/fonts/";
    for (const char* name : {"fontmatrix_AN12.png", "fontmatrix_AN12.xml"})
        files.push_back({std::string("/fonts/") + name, readFileBytes(fonts + name)});
    // A window with a bitmap button straight in it, placed where the test clicks.
    files.push_back({"/layouts/probe.xml",
                     bytesOf(layoutDocument(
                         "prob", "<text>Probe</text><position>40,40</position><size>200,120</size><attributes>" +
                                     layoutAttribute("aupo", "0") + "</attributes><itemslist>" +
                                     layoutItem("iBbt", "push",
                                                "<position>20,30</position><size>64,24</size><attributes>" +
                                                    layoutAttribute("visi", "1") +
                                                    layoutAttribute("irOf", "face_off.png") +
                                                    layoutAttribute("ipOf", "face_pressed.png") + "</attributes>") +
                                     "</itemslist>"))});
    files.push_back({"/layouts/probe_menu.xml",
                     bytesOf(layoutDocument("prmb", "<text>Probe menu</text><position>300,40</position><size>200,"
                                                    "120</size><attributes>" +
                                                        layoutAttribute("aupo", "0") + layoutAttribute("mBar", "1") +
                                                        "</attributes>"))});
    return files;
}

// Logs the commands its widgets send up and the keys it gets.
class ProbeWindow : public epiWindow
{
public:
    bool handleCommand(epiCode command) override
    {
        hits.push_back(command);
        return true;
    }
    void keyDown(int key) override { keys.push_back(key); }
    std::vector<epiCode> hits;
    std::vector<int> keys;
};

// Records what a native control reports; the filter keeps digits only.
class ControlProbe : public epiControlListener
{
public:
    void controlEvent(epiControlHandle, epiControlEvent event, int32_t value) override
    {
        events.push_back({event, value});
    }
    void controlFilterText(epiControlHandle, const std::string&, int, std::string& text) override
    {
        std::string kept;
        for (char c : text)
            if (c >= '0' && c <= '9')
                kept += c;
        text = kept;
    }
    int count(epiControlEvent event) const
    {
        int n = 0;
        for (const auto& [seen, value] : events)
            n += seen == event;
        return n;
    }
    std::vector<std::pair<epiControlEvent, int32_t>> events;
};

class GtkDisplay : public ::testing::Test
{
protected:
    GtkDisplay() : m_pack(galleryFiles(), 31060) {}

    void SetUp() override
    {
        if (!PrivateDisplay::shared().ok())
            GTEST_SKIP() << "Xvfb could not be started";
        unsetenv("ZUMELI_WINDOW_SYSTEM");
        // Without a session bus the accessibility bridge only leaks its D-Bus buffers.
        setenv("NO_AT_BRIDGE", "1", 1);
        m_app.registerKind(epiWindow::kType, [this](epiCode) {
            auto* window = new ProbeWindow;
            m_windows.push_back(window);
            return window;
        });
        ASSERT_TRUE(m_app.init());
        ASSERT_STREQ(m_app.windowSystem()->name(), "gtk");
        ASSERT_TRUE(m_app.resources()->openNativePack(m_pack.identifier()));
    }
    void TearDown() override { m_app.shutdown(); }

    epiWindowManager& manager() { return *m_app.windowManager(); }
    epiWindowSystem& system() { return *m_app.windowSystem(); }

    // Runs loop passes for a while (the window system maps, draws, takes input).
    void pump(double seconds)
    {
        auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
        while (std::chrono::steady_clock::now() < end)
            manager().runPass();
    }
    // Runs a command (xdotool, import) while the loop keeps handling events, then lets the
    // events it caused arrive.
    int runWhilePumping(const std::string& command)
    {
        std::atomic<bool> done{false};
        int status = -1;
        std::thread runner([&] {
            status = std::system((command + " >/dev/null 2>&1").c_str());
            done = true;
        });
        auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (!done && std::chrono::steady_clock::now() < limit)
            manager().runPass();
        runner.join();
        pump(0.3);
        return status;
    }
    // Screen position of a point of a window's client area.
    std::string screenPoint(epiWindow* window, int x, int y)
    {
        epiRect client = system().windowClient(window->handle());
        return std::to_string(client.left + x) + " " + std::to_string(client.top + y);
    }
    void click(epiWindow* window, int x, int y)
    {
        ASSERT_EQ(runWhilePumping("xdotool mousemove " + screenPoint(window, x, y) + " click 1"), 0);
    }
    ProbeWindow* open(const char* code)
    {
        epiWindow* window = manager().openWindow(epiCodeFromText(code));
        pump(0.5);
        return dynamic_cast<ProbeWindow*>(window);
    }

    LinkedTestPack m_pack;
    ManualClockApplication m_app; // records the commands no window took; no timers run here
    std::vector<ProbeWindow*> m_windows;
};

} // namespace

TEST_F(GtkDisplay, WindowFromLayoutAppearsWithItsClientSize)
{
    ProbeWindow* window = open("knob");
    ASSERT_NE(window, nullptr);
    FILE* pipe = popen("xdotool search --name '^Knobs and meters$' getwindowgeometry 2>/dev/null", "r");
    ASSERT_NE(pipe, nullptr);
    char buffer[512] = {};
    size_t length = fread(buffer, 1, sizeof buffer - 1, pipe);
    pclose(pipe);
    std::string geometry(buffer, length);
    EXPECT_NE(geometry.find("Geometry: 320x160"), std::string::npos) << geometry;
    EXPECT_NE(geometry.find("Position: 580,0"), std::string::npos) << geometry;
    EXPECT_EQ(system().windowClient(window->handle()), epiRect(580, 0, 900, 160));
}

TEST_F(GtkDisplay, ClickOnABitmapButtonHitsItAndOutsideDoesNot)
{
    ProbeWindow* window = open("prob");
    ASSERT_NE(window, nullptr);
    click(window, 5, 5);
    EXPECT_TRUE(window->hits.empty());
    click(window, 50, 40);
    EXPECT_EQ(window->hits, std::vector<epiCode>{epiFourCC("push")});
}

TEST_F(GtkDisplay, ScreenshotShowsTheFacesAtTheirPixels)
{
    ProbeWindow* window = open("prob");
    ASSERT_NE(window, nullptr);
    std::string shot = (std::filesystem::temp_directory_path() / ("zumeli-shot-" + std::to_string(getpid()) + ".png"));
    ASSERT_EQ(runWhilePumping("import -window root " + shot), 0);
    epiBitmap screen;
    ASSERT_TRUE(screen.loadPng(shot));
    std::filesystem::remove(shot);
    epiRect client = system().windowClient(window->handle());
    auto at = [&](int x, int y) { return screen.pixel(client.left + x, client.top + y) & 0xFFFFFF; };
    // face_off.png is #3060C0 over the button's 64 x 24 at (20, 30); the window is white.
    EXPECT_EQ(at(20, 30), 0x3060C0u);
    EXPECT_EQ(at(83, 53), 0x3060C0u);
    EXPECT_EQ(at(19, 30), 0xFFFFFFu);
    EXPECT_EQ(at(84, 53), 0xFFFFFFu);
    EXPECT_EQ(at(50, 54), 0xFFFFFFu);
}

TEST_F(GtkDisplay, NativeButtonClickAndFilteredTypingReachTheirListeners)
{
    ProbeWindow* window = open("prob");
    ASSERT_NE(window, nullptr);
    ControlProbe buttonProbe, editProbe;
    epiControlDesc button;
    button.kind = epiControlKind::Button;
    button.frame = {100, 10, 190, 40};
    button.text = "Native";
    button.listener = &buttonProbe;
    epiControlHandle buttonHandle = system().createControl(window->handle(), button);
    epiControlDesc edit;
    edit.kind = epiControlKind::EditField;
    edit.frame = {100, 60, 190, 90};
    edit.listener = &editProbe;
    epiControlHandle editHandle = system().createControl(window->handle(), edit);
    pump(0.3);

    click(window, 145, 25);
    EXPECT_EQ(buttonProbe.count(epiControlEvent::Clicked), 1);
    EXPECT_TRUE(window->hits.empty()); // the bitmap layer under it got nothing

    click(window, 145, 75);
    ASSERT_EQ(runWhilePumping("xdotool type --delay 30 'a1b2c3'"), 0);
    EXPECT_EQ(system().controlText(editHandle), "123");
    EXPECT_EQ(editProbe.count(epiControlEvent::TextChanged), 3);
    EXPECT_EQ(system().focusedControl(window->handle()), editHandle);
    // Setting the text from code sends no change notification.
    system().setControlText(editHandle, "42");
    EXPECT_EQ(editProbe.count(epiControlEvent::TextChanged), 3);
    system().destroyControl(buttonHandle);
    system().destroyControl(editHandle);
}

TEST_F(GtkDisplay, MenuAcceleratorSendsItsCommandAndKeysArriveMapped)
{
    ASSERT_TRUE(m_app.menu()->load(epiFourCC("main")));
    ProbeWindow* window = open("prmb");
    ASSERT_NE(window, nullptr);
    click(window, 100, 60); // the focus
    ASSERT_EQ(runWhilePumping("xdotool key ctrl+q"), 0);
    EXPECT_EQ(m_app.handled, std::vector<epiCode>{epiFourCC("quit")});
    ASSERT_EQ(runWhilePumping("xdotool key ctrl+shift+k Next Prior x"), 0);
    EXPECT_EQ(m_app.handled.back(), epiFourCC("oknb"));
    EXPECT_EQ(window->keys, (std::vector<int>{0x10001, 0x10000, 'x'}));
}

TEST_F(GtkDisplay, ModalWindowDisablesTheOthersUntilItCloses)
{
    ProbeWindow* main = open("prob");
    ASSERT_NE(main, nullptr);
    ControlProbe buttonProbe;
    epiControlDesc button;
    button.kind = epiControlKind::Button;
    button.frame = {100, 10, 190, 40};
    button.text = "Native";
    button.listener = &buttonProbe;
    system().createControl(main->handle(), button);
    epiWindow* modal = open("modl");
    ASSERT_NE(modal, nullptr);
    EXPECT_FALSE(system().isWindowEnabled(main->handle()));
    click(main, 50, 40);
    click(main, 145, 25); // the native layer is disabled too
    EXPECT_TRUE(main->hits.empty());
    EXPECT_EQ(buttonProbe.count(epiControlEvent::Clicked), 0);
    modal->close();
    pump(0.3);
    EXPECT_TRUE(system().isWindowEnabled(main->handle()));
    click(main, 50, 40);
    click(main, 145, 25);
    EXPECT_EQ(main->hits, std::vector<epiCode>{epiFourCC("push")});
    EXPECT_EQ(buttonProbe.count(epiControlEvent::Clicked), 1);
}
