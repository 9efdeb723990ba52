// The widget family on the GTK window system, on an X display of the test program's own:
// input comes from xdotool as a person would give it, and what the screen shows is read back
// from a screenshot of the root window.
#include "PrivateDisplay.h"
#include "WidgetFixture.h"

#include "ui/epiUiSystemButton.h"
#include "ui/epiWindowManager.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

namespace {

using Log = std::vector<std::string>;

std::unique_ptr<epiWindowSystem> gtkOrNothing()
{
    if (std::system("command -v xdotool >/dev/null 2>&1") != 0 || !PrivateDisplay::shared().ok())
        return nullptr;
    unsetenv("ZUMELI_WINDOW_SYSTEM");
    // No accessibility bus on a private display (its bridge also keeps memory until exit).
    setenv("NO_AT_BRIDGE", "1", 1);
    return epiMakeGtkWindowSystem();
}

class GtkWidgets : public WidgetFixture
{
protected:
    GtkWidgets() : WidgetFixture(gtkOrNothing()) {}

    void SetUp() override
    {
        if (!application.windowSystem() || std::string(application.windowSystem()->name()) != "gtk")
            GTEST_SKIP() << "no Xvfb or no xdotool";
        window = application.windowManager()->openWindow(epiFourCC("natv"));
        ASSERT_NE(window, nullptr);
        pump(0.5);
        ASSERT_TRUE(findPosition());
    }
    void TearDown() override
    {
        if (window)
            window->close();
        pump(0.1);
    }

    // Handles the window system's events for a while, as the loop would.
    void pump(double seconds)
    {
        auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
        epiWindowSystem* system = application.windowSystem();
        while (std::chrono::steady_clock::now() < end) {
            while (system->dispatchOneEvent()) {
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }

    // Handles events until `done` holds, for 5 s at the most (a loaded machine is slow to deliver).
    template<typename Done>
    bool pumpUntil(Done done)
    {
        auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (!done() && std::chrono::steady_clock::now() < end)
            pump(0.02);
        return done();
    }
    epiText textOf(const char* code) const { return window->findChild(epiText(code).toCode())->text(); }

    // The window's place on the screen, from the X server.
    bool findPosition()
    {
        FILE* out = popen("xdotool search --onlyvisible --name '^Native controls$' getwindowgeometry --shell 2>/dev/null", "r");
        if (!out)
            return false;
        char line[128];
        bool x = false, y = false;
        while (fgets(line, sizeof line, out)) {
            x |= std::sscanf(line, "X=%d", &m_origin.x) == 1;
            y |= std::sscanf(line, "Y=%d", &m_origin.y) == 1;
        }
        pclose(out);
        return x && y;
    }

    void xdotool(const std::string& arguments)
    {
        ASSERT_EQ(std::system(("timeout 10 xdotool " + arguments).c_str()), 0) << arguments;
    }
    // Clicks the middle of the widget `code` of the window.
    void clickOn(const char* code)
    {
        epiUbo* widget = window->findChild(epiText(code).toCode());
        epiPoint at = widget->toAncestor(widget->bounds().referencePoint(8), window);
        xdotool("mousemove " + std::to_string(m_origin.x + at.x) + " " + std::to_string(m_origin.y + at.y) +
                " click 1");
        pump(0.3);
    }
    // A screenshot of the whole screen.
    epiBitmap screenshot()
    {
        std::string file = std::string(ZUMELI_TEST_OUTPUT) + "/gtk_widgets_screen.png";
        epiBitmap shot;
        if (std::system(("timeout 20 import -window root " + file).c_str()) == 0)
            shot.loadPng(file);
        return shot;
    }

    epiWindow* window = nullptr;
    epiPoint m_origin;
};

TEST_F(GtkWidgets, ClicksOnANativeAndABitmapButtonHitThem)
{
    clickOn("okay");
    clickOn("off_");
    clickOn("bmpb");
    pumpUntil([&] { return log.size() >= 2; });
    pump(0.2);
    EXPECT_EQ(takeLog(), (Log{"natv:okay", "natv:bmpb"})) << "the disabled button takes no click";
}

TEST_F(GtkWidgets, TypedTextReachesTheEditFieldThroughItsFilter)
{
    clickOn("name");
    xdotool("type --delay 30 'xa1 b?2c3'");
    pumpUntil([&] { return textOf("name") == "a1b2c"; });
    pump(0.2);
    EXPECT_EQ(textOf("name"), "a1b2c");
    EXPECT_EQ(takeLog(), Log(5, "natv:name"));
    // Tab goes on to the next field and is not typed.
    xdotool("key Tab");
    xdotool("type --delay 30 'q@'");
    pumpUntil([&] { return textOf("mail") == "q@"; });
    EXPECT_EQ(textOf("name"), "a1b2c");
    EXPECT_EQ(textOf("mail"), "q@");
    takeLog();
    // Enter in a field clicks the window's default button.
    xdotool("key Return");
    pumpUntil([&] { return !log.empty(); });
    EXPECT_EQ(takeLog(), Log{"natv:okay"});
}

TEST_F(GtkWidgets, TheScreenShowsTheBitmapFaceInsideItsRectangleOnly)
{
    pump(0.5); // the first paint
    epiBitmap shot = screenshot();
    ASSERT_FALSE(shot.isEmpty());
    epiRect face = window->findChild(epiFourCC("bmpb"))->frame();
    auto at = [&](int32_t x, int32_t y) { return shot.pixel(m_origin.x + x, m_origin.y + y) | 0xFF000000u; };
    EXPECT_EQ(at(face.left, face.top), kReleasedOff);
    EXPECT_EQ(at(face.right - 1, face.bottom - 1), kReleasedOff);
    EXPECT_NE(at(face.right, face.top), kReleasedOff);
    EXPECT_NE(at(face.left, face.bottom), kReleasedOff);
}

} // namespace
