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
    clickOn("bmpb");
    clickOn("off_");
    EXPECT_EQ(takeLog(), (Log{"natv:okay", "natv:bmpb"}));
}

TEST_F(GtkWidgets, TypedTextReachesTheEditFieldThroughItsFilter)
{
    clickOn("name");
    xdotool("type --delay 30 'xa1 b?2c3'");
    pump(0.3);
    EXPECT_EQ(window->findChild(epiFourCC("name"))->text(), "a1b2c");
    EXPECT_EQ(takeLog(), Log(5, "natv:name"));
    // Tab goes on to the next field and is not typed.
    xdotool("key Tab");
    xdotool("type --delay 30 'q@'");
    pump(0.3);
    EXPECT_EQ(window->findChild(epiFourCC("name"))->text(), "a1b2c");
    EXPECT_EQ(window->findChild(epiFourCC("mail"))->text(), "q@");
    takeLog();
    // Enter in a field clicks the window's default button.
    xdotool("key Return");
    pump(0.3);
    EXPECT_EQ(takeLog(), Log{"natv:okay"});
}

TEST_F(GtkWidgets, TheScreenShowsTheBitmapFaceInsideItsRectangleOnly)
{
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
