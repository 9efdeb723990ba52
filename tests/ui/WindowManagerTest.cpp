// Windows and the window manager on the null window system: opening from layouts, placement,
// sizing limits, closing and quitting, modal windows, input routing and command dispatch.
#include "AppFixture.h"

#include "ui/epiKeyboard.h"
#include "ui/epiModalWindow.h"

namespace {

const TestFiles kWindows = {
    {"/layouts/fixed.xml", bytesOf(windowLayout("fixd", 300, 200, layoutAttribute("RszX", "0") +
                                                                     layoutAttribute("MszY", "150") +
                                                                     layoutAttribute("XszY", "400")))},
    {"/layouts/placed.xml",
     bytesOf(windowLayout("plcd", 120, 80, layoutAttribute("aupo", "0") + layoutAttribute("grBl", "1")))},
    {"/layouts/hidden.xml", bytesOf(windowLayout("hidn", 50, 50, layoutAttribute("visi", "0")))},
    {"/layouts/drop.xml", bytesOf(windowLayout("drop", 100, 60, layoutAttribute("ReDr", "1")))},
    {"/layouts/modal.xml", bytesOf(windowLayout("modl", 100, 60, layoutAttribute("Modl", "1")))},
    {"/layouts/boxes.xml",
     bytesOf(windowLayout("boxs", 100, 100, "",
                          layoutItem("ubob", "left", "<position>0,0</position><size>50,100</size><attributes>" +
                                                         layoutAttribute("visi", "1") + "</attributes>") +
                              layoutItem("ubob", "rght", "<position>50,0</position><size>50,100</size><attributes>" +
                                                             layoutAttribute("visi", "1") + "</attributes>")))},
};

class Windows : public AppFixture
{
protected:
    Windows() : AppFixture(kWindows) {}
};

// Paints a colour over its frame and records the mouse events it gets.
class Patch : public epiUbo
{
public:
    void drawSelf(epiBitmap& target, epiPoint origin, const epiRect& rect) override
    {
        epiRect area = rect;
        area.offset(origin.x, origin.y);
        target.fill(area, colour);
    }
    bool mouseDown(const epiPoint& point) override { return log("down", point), captureMouse(), true; }
    bool mouseUp(const epiPoint& point) override { return log("up", point), releaseMouse(), true; }
    bool mouseDragged(const epiPoint& point) override { return log("drag", point), true; }
    void log(const char* what, const epiPoint& point)
    {
        events.push_back(std::string(what) + " " + std::to_string(point.x) + "," + std::to_string(point.y));
    }
    uint32_t colour = 0xFF2040C0;
    std::vector<std::string> events;
};

// A window that takes the commands named in `accepted`.
class CommandWindow : public epiWindow
{
public:
    bool receiveCommand(epiCode code, intptr_t, intptr_t) override
    {
        received.push_back(code);
        return code == accepted;
    }
    epiCode accepted = 0;
    std::vector<epiCode> received;
};

} // namespace

TEST_F(Windows, WindowFromLayoutGetsItsClientSizeTitleAndCascadePosition)
{
    epiWindow* window = open("plai");
    ASSERT_NE(window, nullptr);
    const epiNullWindowSystem::Window* native = m_system->window(window->handle());
    ASSERT_NE(native, nullptr);
    EXPECT_EQ(native->client, epiRect(64, 64, 264, 164));
    EXPECT_EQ(native->title, "plai window");
    EXPECT_TRUE(native->visible);
    EXPECT_EQ(manager().findWindow(epiFourCC("plai")), window);
    EXPECT_EQ(window->className(), "epiWndClass_0000");
    EXPECT_EQ(manager().nextWindowClassName(), "epiWndClass_0001");

    epiWindow* placed = open("plcd"); // 'aupo' off keeps the layout's position
    ASSERT_NE(placed, nullptr);
    EXPECT_EQ(m_system->window(placed->handle())->client, epiRect(100, 100, 220, 180)); // the default corner
    EXPECT_EQ(open("nope"), nullptr);
}

TEST_F(Windows, CascadeRunsThroughNineteenPositionsAndTheTwentiethStartsAgain)
{
    epiRect rect(0, 0, 30, 20);
    std::vector<epiPoint> corners;
    for (int i = 0; i < 20; ++i) {
        manager().nextCascadePosition(rect);
        corners.push_back({rect.left, rect.top});
        EXPECT_EQ(rect.width(), 30);
        EXPECT_EQ(rect.height(), 20);
    }
    EXPECT_EQ(corners[0], epiPoint(64, 64));
    EXPECT_EQ(corners[1], epiPoint(96, 80));
    EXPECT_EQ(corners[18], epiPoint(640, 352));
    EXPECT_EQ(corners[19], epiPoint(64, 64));
}

TEST_F(Windows, WindowWithoutWidthResizingKeepsItsWidthAndRespectsLimits)
{
    epiWindow* window = open("fixd");
    ASSERT_NE(window, nullptr);
    m_system->sizeWindow(window->handle(), 420, 120); // width refused, height below the minimum
    settle();
    EXPECT_EQ(window->frame().width(), 300);
    EXPECT_EQ(window->frame().height(), 150);
    EXPECT_EQ(window->bitmap().width(), 300);
    EXPECT_EQ(window->bitmap().height(), 150);
    m_system->sizeWindow(window->handle(), 300, 900); // above the maximum
    settle();
    EXPECT_EQ(window->frame().height(), 400);

    struct Case
    {
        const char* attribute;
        int value;
        int32_t proposedWidth, proposedHeight, width, height;
    };
    const Case cases[] = {
        {"RszY", 0, 500, 500, 500, 200}, {"MszX", 350, 200, 200, 350, 200},
        {"XszX", 250, 400, 200, 250, 200}, {"XszX", 0, 999, 200, 999, 200}, // 0: no limit
    };
    for (const Case& c : cases) {
        epiWindow probe;
        probe.setFrame({0, 0, 300, 200});
        probe.setAttribute(epiCodeFromText(c.attribute), c.value);
        int32_t width = c.proposedWidth, height = c.proposedHeight;
        probe.limitSize(width, height);
        EXPECT_EQ(width, c.width) << c.attribute;
        EXPECT_EQ(height, c.height) << c.attribute;
    }
}

TEST_F(Windows, ClosingTheLastWindowEndsTheLoopButNotBefore)
{
    epiWindow* first = open("plai");
    epiWindow* second = open("plcd");
    ASSERT_TRUE(first && second);
    epiWindowHandle firstHandle = first->handle();
    m_system->requestClose(firstHandle);
    settle();
    EXPECT_EQ(m_system->window(firstHandle), nullptr);
    EXPECT_EQ(manager().windowCount(), 1);
    EXPECT_TRUE(manager().isRunning());

    m_system->requestClose(second->handle());
    manager().runLoop(); // returns once the close request has been handled
    EXPECT_EQ(manager().windowCount(), 0);
    EXPECT_FALSE(manager().isRunning());
}

TEST_F(Windows, CanCloseFalseKeepsTheWindowOpen)
{
    struct Stubborn : epiWindow
    {
        bool canClose() override { return false; }
    };
    m_app.registerKind(epiWindow::kType, [](epiCode) { return new Stubborn; });
    epiWindow* window = open("plai");
    ASSERT_NE(window, nullptr);
    m_system->requestClose(window->handle());
    settle();
    EXPECT_EQ(manager().windowCount(), 1);
}

TEST_F(Windows, QuitCommandOfAnyObjectReachesTheWindowManager)
{
    epiWindow* window = open("boxs");
    ASSERT_NE(window, nullptr);
    epiUbo* box = window->findChild(epiFourCC("left"));
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(box->handleCommand(epiFourCC("quit")));
    EXPECT_FALSE(manager().isRunning());
}

TEST_F(Windows, HiddenLayoutOpensWithoutShowing)
{
    epiWindow* window = open("hidn");
    ASSERT_NE(window, nullptr);
    EXPECT_FALSE(m_system->window(window->handle())->visible);
}

TEST_F(Windows, ModalWindowDisablesTheOthersUntilItCloses)
{
    epiWindow* main = open("plai");
    epiWindow* other = open("plcd");
    ASSERT_TRUE(main && other);
    manager().bringToFront(main);
    epiWindow* modal = open("modl");
    ASSERT_NE(modal, nullptr);
    EXPECT_FALSE(m_system->isWindowEnabled(main->handle()));
    EXPECT_FALSE(m_system->isWindowEnabled(other->handle()));
    EXPECT_TRUE(m_system->isWindowEnabled(modal->handle()));
    EXPECT_EQ(main->disableCount(), 1);

    // Clicks on a disabled window go nowhere; the modal one closes normally.
    m_system->requestClose(main->handle());
    settle();
    EXPECT_EQ(manager().windowCount(), 3);
    m_system->requestClose(modal->handle());
    settle();
    EXPECT_TRUE(m_system->isWindowEnabled(main->handle()));
    EXPECT_TRUE(m_system->isWindowEnabled(other->handle()));
    EXPECT_EQ(m_system->foregroundWindow(), main->handle()); // the owner is brought to the front
}

TEST_F(Windows, DisableCountNestsAndOnlyTheEdgesReachTheWindowSystem)
{
    epiWindow* window = open("plai");
    ASSERT_NE(window, nullptr);
    window->setEnabledByOthers(false);
    window->setEnabledByOthers(false);
    window->setEnabledByOthers(true);
    EXPECT_FALSE(m_system->isWindowEnabled(window->handle()));
    window->setEnabledByOthers(true);
    EXPECT_TRUE(m_system->isWindowEnabled(window->handle()));
    window->setEnabledByOthers(true); // not below zero
    window->setEnabledByOthers(false);
    EXPECT_FALSE(m_system->isWindowEnabled(window->handle()));
}

TEST_F(Windows, ModalWindowClassRunsANestedLoopUntilClosed)
{
    epiWindow* main = open("plai");
    ASSERT_NE(main, nullptr);
    auto* dialog = new epiModalWindow;
    dialog->makeCounted();
    dialog->setApplication(&m_app);
    dialog->init();
    dialog->setFrame({0, 0, 80, 40});
    dialog->create();
    // The user closes it from inside the nested loop: a timer stands in for the click.
    struct Closer : epiUiTimered
    {
        void timerFired() override { system->requestClose(target); }
        epiNullWindowSystem* system;
        epiWindowHandle target;
    } closer;
    closer.setApplication(&m_app);
    closer.system = m_system;
    closer.target = dialog->handle();
    closer.startOneShotTimer(0.0);
    m_app.clock += 0.01;
    dialog->show(); // returns when the dialog has been closed
    EXPECT_EQ(dialog->handle(), 0u);
    EXPECT_EQ(manager().windowCount(), 1);
    EXPECT_TRUE(m_system->isWindowEnabled(main->handle()));
    EXPECT_TRUE(manager().isRunning());
}

TEST_F(Windows, PaintDrawsTheTreeOverTheBackgroundAndShowsIt)
{
    epiWindow* window = open("plcd"); // black background
    ASSERT_NE(window, nullptr);
    auto* patch = new Patch;
    patch->makeCounted();
    ASSERT_TRUE(window->addChild(patch));
    patch->setFrame({10, 20, 40, 50});
    patch->setVisible(true, false);
    window->invalidate(window->bounds());
    settle();
    const epiBitmap& shown = m_system->window(window->handle())->shown;
    ASSERT_EQ(shown.width(), 120);
    EXPECT_EQ(shown.pixel(10, 20), patch->colour);
    EXPECT_EQ(shown.pixel(39, 49), patch->colour);
    EXPECT_EQ(shown.pixel(40, 50), 0xFF000000u);
    EXPECT_EQ(shown.pixel(9, 20), 0xFF000000u);
}

TEST_F(Windows, MouseInputReachesTheWidgetUnderThePointerAndTheCaptureHoldsIt)
{
    epiWindow* window = open("plcd");
    ASSERT_NE(window, nullptr);
    auto* patch = new Patch;
    patch->makeCounted();
    ASSERT_TRUE(window->addChild(patch));
    patch->setFrame({10, 10, 30, 30});
    patch->setVisible(true, false);
    m_system->mouseDown(window->handle(), {15, 12});
    m_system->mouseMove(window->handle(), {100, 70}); // dragged far outside, still captured
    m_system->mouseUp(window->handle(), {100, 70});
    m_system->mouseDown(window->handle(), {5, 5}); // outside: nobody
    settle();
    EXPECT_EQ(patch->events, (std::vector<std::string>{"down 5,2", "drag 90,60", "up 90,60"}));
    EXPECT_EQ(m_app.keyboard()->lastMouseAction(), epiFourCC("mLdn"));
}

TEST_F(Windows, MenuCommandsGoToTheFrontWindowThenTheFirstThenTheApplication)
{
    std::vector<CommandWindow*> windows;
    m_app.registerKind(epiWindow::kType, [&windows](epiCode) {
        auto* window = new CommandWindow;
        windows.push_back(window);
        return window;
    });
    ASSERT_NE(open("plai"), nullptr);
    ASSERT_NE(open("plcd"), nullptr);
    ASSERT_EQ(windows.size(), 2u);
    windows[0]->accepted = epiFourCC("frst");
    windows[1]->accepted = epiFourCC("frnt");
    manager().bringToFront(windows[1]);

    EXPECT_TRUE(manager().dispatchCommand(epiFourCC("frnt")));
    EXPECT_TRUE(windows[0]->received.empty());
    EXPECT_TRUE(manager().dispatchCommand(epiFourCC("frst")));
    EXPECT_EQ(windows[0]->received.size(), 1u);
    EXPECT_TRUE(manager().dispatchCommand(epiFourCC("appl")));
    EXPECT_EQ(m_app.handled, std::vector<epiCode>{epiFourCC("appl")});
}

TEST_F(Windows, ShowOrOpenBringsAnOpenWindowForwardInsteadOfOpeningAnother)
{
    epiWindow* first = manager().showOrOpenWindow(epiFourCC("plai"));
    ASSERT_NE(first, nullptr);
    ASSERT_NE(open("plcd"), nullptr);
    EXPECT_EQ(manager().showOrOpenWindow(epiFourCC("plai")), first);
    EXPECT_EQ(manager().windowCount(), 2);
    EXPECT_EQ(manager().frontWindow(), first);
    manager().closeWindow(epiFourCC("plai"));
    EXPECT_EQ(manager().findWindow(epiFourCC("plai")), nullptr);
}

TEST_F(Windows, AnimationTicksEveryFortyMillisecondsWithElapsedTimeAndCount)
{
    struct Animated : epiUiTimered
    {
        void animationTick(double elapsed, int ticks) override { seen.push_back({elapsed, ticks}); }
        std::vector<std::pair<double, int>> seen;
    } animated;
    animated.setApplication(&m_app);
    animated.startAnimation();
    advance(0.125);
    ASSERT_EQ(animated.seen.size(), 3u);
    EXPECT_EQ(animated.seen[2].second, 3);
    EXPECT_NEAR(animated.seen[2].first, 0.121, 0.002);
    animated.restartAnimation();
    advance(0.04);
    EXPECT_EQ(animated.seen.back().second, 1);
    animated.stopAnimation();
    EXPECT_FALSE(manager().isAnimating(&animated));
    EXPECT_EQ(m_app.timerCount(&manager()), 0); // the list's timer stops with the last entry
}

TEST_F(Windows, DroppedFilesArriveAsPathsWithThePointOnlyWhereAccepted)
{
    struct DropWindow : epiWindow
    {
        void filesDropped(const epiText& path, const epiPoint& point) override
        {
            dropped.push_back(path.str() + "@" + std::to_string(point.x) + "," + std::to_string(point.y));
        }
        std::vector<std::string> dropped;
    };
    std::vector<DropWindow*> made;
    m_app.registerKind(epiWindow::kType, [&made](epiCode) {
        made.push_back(new DropWindow);
        return made.back();
    });
    ASSERT_NE(open("plai"), nullptr);
    ASSERT_NE(open("drop"), nullptr);
    for (DropWindow* window : made)
        m_system->dropFiles(window->handle(), {"/tmp/a.wav", "/tmp/b c.wav"}, {3, 4});
    settle();
    EXPECT_TRUE(made[0]->dropped.empty()); // 'ReDr' off
    EXPECT_EQ(made[1]->dropped, (std::vector<std::string>{"/tmp/a.wav@3,4", "/tmp/b c.wav@3,4"}));
}

TEST_F(Windows, ApplicationFocusHooksIgnoreMovesBetweenItsOwnWindows)
{
    epiWindow* first = open("plai");
    epiWindow* second = open("plcd");
    ASSERT_TRUE(first && second);
    epiWindowManager& manager = *m_app.windowManager();
    m_system->activate(first->handle());
    settle();
    EXPECT_TRUE(manager.isApplicationActive());
    m_system->activate(second->handle()); // out of the first, into the second
    settle();
    advance(0.1);
    EXPECT_TRUE(manager.isApplicationActive());
    m_system->activate(0); // another program
    settle();
    EXPECT_TRUE(manager.isApplicationActive()); // not before the focus settles
    advance(0.06);
    EXPECT_FALSE(manager.isApplicationActive());
    m_system->activate(first->handle());
    settle();
    EXPECT_TRUE(manager.isApplicationActive());
}

TEST_F(Windows, FileDialogsSetThePathFromTheChoice)
{
    epiPath path("/keep/this.wav");
    EXPECT_FALSE(path.chooseOpenFile()); // cancelled
    EXPECT_EQ(path, "/keep/this.wav");
    m_system->setNextFileChoice("/tmp/chosen file.wav");
    EXPECT_TRUE(path.chooseSaveFile());
    EXPECT_EQ(path, "/tmp/chosen file.wav");
}

TEST_F(Windows, CursorsMissingProgramCursorsChangeNothingAndHidingKeepsTheChoice)
{
    epiWindow* window = open("plai");
    ASSERT_NE(window, nullptr);
    auto shown = [&] { return m_system->window(window->handle())->cursor; };
    manager().setCursor(epiWindowManager::kWaitCursor);
    EXPECT_EQ(shown(), epiCursorShape::Wait);
    manager().setCursor(3); // no program cursor 3
    EXPECT_EQ(shown(), epiCursorShape::Wait);
    manager().setCursorShape(3, epiCursorShape::Hand);
    manager().setCursor(3);
    EXPECT_EQ(shown(), epiCursorShape::Hand);
    manager().hideCursor();
    EXPECT_EQ(shown(), epiCursorShape::Hidden);
    manager().setCursor(epiWindowManager::kArrowCursor); // chosen while hidden
    EXPECT_EQ(shown(), epiCursorShape::Hidden);
    manager().showCursor(-1);
    EXPECT_EQ(shown(), epiCursorShape::Arrow);
    manager().showCursor(3);
    EXPECT_EQ(shown(), epiCursorShape::Hand);
}
