// The menu bar from menu documents, accelerators, the key mapping and the edit-field focus ring.
#include "AppFixture.h"

#include "ui/epiClipboard.h"
#include "ui/epiKeyboard.h"
#include "ui/epiMenu.h"
#include "ui/epiUiEventsBase.h"

#include <atomic>
#include <thread>

namespace {

const char* kMenuDocument =
    "<epi><version>4</version><content><name>main</name><version>1</version><menulist>"
    "<item><text>]File[</text><menulist>"
    "<item><text>]About[</text><name>abou</name></item>"
    "<item><isseparator>1</isseparator></item>"
    "<item><text>]Quit[</text><name>quit</name><shortcut><char>q</char></shortcut></item>"
    "</menulist></item>"
    "<item><text>]Talk[</text><menulist>"
    "<item><text>]Record[</text><name>reco</name><shortcut><ascii>82</ascii><modifiers><shift>1</shift>"
    "<option>1</option></modifiers></shortcut></item>"
    "<item><text>]More[</text><menulist><item><text>]Deep[</text><name>deep</name></item></menulist></item>"
    "</menulist></item>"
    "</menulist></content></epi>";

const TestFiles kFiles = {
    {"/menus/mainmenu.xml", bytesOf(kMenuDocument)},
    {"/layouts/menu.xml", bytesOf(windowLayout("mwin", 200, 100, layoutAttribute("mBar", "1")))},
};

class Menus : public AppFixture
{
protected:
    Menus() : AppFixture(kFiles) {}
};

// Records the keys it receives.
class KeyWindow : public epiWindow
{
public:
    void keyDown(int key) override { keys.push_back("down " + std::to_string(key)); }
    void keyRepeat(int key) override { keys.push_back("repeat " + std::to_string(key)); }
    void keyUp(int key) override { keys.push_back("up " + std::to_string(key)); }
    bool receiveCommand(epiCode code, intptr_t, intptr_t) override
    {
        commands.push_back(code);
        return code != epiFourCC("quit"); // 'quit' goes on to the application
    }
    std::vector<std::string> keys;
    std::vector<epiCode> commands;
};

// A stand-in for a native edit field: a widget of type 'iSet' that owns a native control.
class EditProbe : public epiUbo, public epiNativeControlOwner
{
public:
    epiCode typeCode() const override { return epiFourCC("iSet"); }
    void create() override
    {
        auto* window = dynamic_cast<epiWindow*>(parent());
        epiControlDesc desc;
        desc.kind = epiControlKind::EditField;
        desc.frame = frame();
        desc.text = text().str();
        m_control = window->windowSystem()->createControl(window->handle(), desc);
    }
    epiControlHandle nativeControl() const override { return m_control; }

private:
    epiControlHandle m_control = 0;
};

} // namespace

TEST_F(Menus, MenuDocumentBuildsTheBarWithSeparatorsSubMenusAndAcceleratorLabels)
{
    epiMenu& menu = *m_app.menu();
    ASSERT_TRUE(menu.load(epiFourCC("main")));
    const std::vector<epiMenu::Item>& items = menu.items();
    ASSERT_EQ(items.size(), 4u);
    EXPECT_EQ(items[0].identifier, 10000);
    EXPECT_EQ(items[0].code, epiFourCC("abou"));
    EXPECT_EQ(items[1].label, "]Quit[\tCtrl+Q"); // lower-case q shown and accepted as Q
    EXPECT_EQ(items[2].label, "]Record[\tCtrl+Shift+Alt+R");
    EXPECT_EQ(items[3].code, epiFourCC("deep"));
    EXPECT_EQ(menu.commandForIdentifier(10001), epiFourCC("quit"));
    EXPECT_EQ(menu.acceleratorCommand('Q', false, false), 10001);
    EXPECT_EQ(menu.acceleratorCommand('Q', true, false), 0);
    EXPECT_EQ(menu.acceleratorCommand('R', true, true), 10002);

    const epiNullWindowSystem::Menu* bar = m_system->menu(menu.menuBar());
    ASSERT_NE(bar, nullptr);
    ASSERT_EQ(bar->items.size(), 2u);
    EXPECT_EQ(bar->items[0].label, "]File[");
    const epiNullWindowSystem::Menu* file = m_system->menu(bar->items[0].submenu);
    ASSERT_NE(file, nullptr);
    ASSERT_EQ(file->items.size(), 3u);
    EXPECT_TRUE(file->items[1].separator);
    EXPECT_EQ(file->items[2].accelerator.key, static_cast<uint32_t>('Q'));
    const epiNullWindowSystem::Menu* talk = m_system->menu(bar->items[1].submenu);
    ASSERT_NE(talk, nullptr);
    EXPECT_NE(m_system->menu(talk->items[1].submenu), nullptr);

    EXPECT_FALSE(menu.load(epiFourCC("none")));
    EXPECT_TRUE(menu.items().empty());
}

TEST_F(Menus, LocalizeLabelSeesEveryItemText)
{
    struct Translating : epiMenu
    {
        epiText localizeLabel(const epiText& text) override
        {
            epiText out = "<";
            out.append(text);
            out.append(">");
            return out;
        }
    } menu;
    menu.setApplication(&m_app);
    ASSERT_TRUE(menu.load(epiFourCC("main")));
    EXPECT_EQ(menu.items()[1].label, "<]Quit[>\tCtrl+Q");
    EXPECT_EQ(m_system->menu(m_system->menu(menu.menuBar())->items[0].submenu)->items[0].label, "<]About[>");
    menu.shutdown();
}

TEST_F(Menus, ControlQFromTheMenuDocumentSendsQuitThroughTheWindowManager)
{
    ASSERT_TRUE(m_app.menu()->load(epiFourCC("main")));
    KeyWindow* window = nullptr;
    m_app.registerKind(epiWindow::kType, [&window](epiCode) { return window = new KeyWindow; });
    ASSERT_NE(open("mwin"), nullptr);
    EXPECT_EQ(m_system->window(window->handle())->menuBar, m_app.menu()->menuBar());

    m_system->typeText("q"); // without control: a plain key
    settle();
    EXPECT_EQ(window->keys, (std::vector<std::string>{"down 113", "up 113"}));
    EXPECT_TRUE(window->commands.empty());

    m_system->typeText("q", true);
    settle();
    EXPECT_EQ(window->commands, std::vector<epiCode>{epiFourCC("quit")});
    EXPECT_EQ(m_app.handled, std::vector<epiCode>{epiFourCC("quit")}); // no window took it
    EXPECT_EQ(window->keys.size(), 2u);                                  // the accelerator ate the key

    m_system->chooseMenuItem(window->handle(), 10000); // a click on "About"
    settle();
    EXPECT_EQ(window->commands.back(), epiFourCC("abou"));
}

TEST_F(Menus, PageKeysHomeEndAndArrowsMapToToolkitKeysAndTheirReleases)
{
    KeyWindow* window = nullptr;
    m_app.registerKind(epiWindow::kType, [&window](epiCode) { return window = new KeyWindow; });
    ASSERT_NE(open("plai"), nullptr);
    m_system->pressKey(epiPlatformKey::PageDown, 117);
    m_system->pressKey(epiPlatformKey::PageDown, 117, true);
    m_system->releaseKey(117);
    m_system->pressKey(epiPlatformKey::PageUp, 112);
    m_system->releaseKey(112);
    m_system->pressKey(epiPlatformKey::End, 115);
    m_system->releaseKey(115);
    m_system->pressKey(epiPlatformKey::Left, 113);
    m_system->releaseKey(113);
    m_system->pressKey(epiPlatformKey::Delete, 119);
    m_system->releaseKey(119);
    m_system->releaseKey(119); // a release without a press sends nothing
    settle();
    EXPECT_EQ(window->keys, (std::vector<std::string>{"down 65537", "repeat 65537", "up 1", "down 65536",
                                                      "down 65539", "up 3", "down 28", "up 28", "down 8", "up 8"}));
}

TEST_F(Menus, KeyboardTablesFollowTheScanCodes)
{
    epiKeyboard keyboard;
    struct Case
    {
        epiPlatformKey key;
        int toolkit;
    };
    const Case cases[] = {{epiPlatformKey::PageUp, 0x10000}, {epiPlatformKey::PageDown, 0x10001},
                          {epiPlatformKey::Home, 0x10002},   {epiPlatformKey::End, 0x10003},
                          {epiPlatformKey::Left, 28},        {epiPlatformKey::Right, 29},
                          {epiPlatformKey::Up, 30},          {epiPlatformKey::Down, 31},
                          {epiPlatformKey::Delete, 8},       {epiPlatformKey::None, 0}};
    for (const Case& c : cases)
        EXPECT_EQ(epiKeyboard::toolkitKey(c.key), c.toolkit);

    epiKeyEvent enter;
    enter.character = 13;
    enter.scanCode = 36;
    EXPECT_EQ(keyboard.translate(enter).key, 13);
    EXPECT_EQ(keyboard.scanEntry(36), 13);
    epiKeyEvent shiftOnly; // a key with neither a mapping nor a character
    shiftOnly.scanCode = 50;
    EXPECT_EQ(keyboard.translate(shiftOnly).kind, epiKeyboard::Delivery::None);
    epiKeyEvent release;
    release.down = false;
    release.scanCode = 36;
    EXPECT_EQ(keyboard.translate(release).key, 13);
    EXPECT_EQ(keyboard.scanEntry(36), 0);
}

TEST_F(Menus, TabMovesTheFocusAlongTheEditFieldsInARing)
{
    std::string items;
    const char* names[] = {"edt1", "labl", "edt2", "edt3"};
    for (const char* name : names) {
        std::string kind = std::string(name) == "labl" ? "ubob" : "tEdt";
        items += layoutItem(kind, name, "<text>" + std::string(name) + "</text><size>60,20</size>");
    }
    m_app.registerKind(epiFourCC("tEdt"), [](epiCode) { return new EditProbe; });
    epiWindow* window = nullptr;
    {
        // The layout is written into a set of its own: the fixture's pack is fixed at start.
        LinkedTestPack pack({{"/layouts/form.xml", bytesOf(windowLayout("form", 200, 100, "", items))}}, 31051);
        ASSERT_TRUE(m_app.resources()->openNativePack(pack.identifier()));
        window = manager().openWindow(epiFourCC("form"));
    }
    ASSERT_NE(window, nullptr);
    auto control = [window](const char* code) {
        return dynamic_cast<EditProbe*>(window->findChild(epiCodeFromText(code)))->nativeControl();
    };
    m_system->focusControl(control("edt1"));
    std::vector<epiControlHandle> visited;
    for (int i = 0; i < 4; ++i) {
        m_system->typeText("\t");
        settle();
        visited.push_back(m_system->focusedControl(window->handle()));
    }
    EXPECT_EQ(visited, (std::vector<epiControlHandle>{control("edt2"), control("edt3"), control("edt1"),
                                                       control("edt2")}));
    const epiNullWindowSystem::Control* focused = m_system->control(control("edt2"));
    EXPECT_EQ(focused->selectionEnd, 4); // its whole text is selected
    m_system->typeText("x"); // typing replaces the selection
    settle();
    EXPECT_EQ(m_system->controlText(control("edt2")), "x");
}

TEST_F(Menus, ClipboardKeepsText)
{
    epiText text;
    EXPECT_FALSE(m_app.clipboard()->text(text));
    m_app.clipboard()->setText("Kanal 10.00 \xE2\x9C\x93");
    ASSERT_TRUE(m_app.clipboard()->text(text));
    EXPECT_EQ(text, "Kanal 10.00 \xE2\x9C\x93");
}

TEST(WindowApplication, CommandLineSplitsAtBlanksAndKeepsQuotedFieldsWhole)
{
    using Fields = std::vector<std::string>;
    EXPECT_EQ(epiWindowApplication::splitCommandLine(""), Fields{"."});
    EXPECT_EQ(epiWindowApplication::splitCommandLine("-user  anna -pass \"two words\" x"),
              (Fields{".", "-user", "anna", "-pass", "two words", "x"}));
    EXPECT_EQ(epiWindowApplication::splitCommandLine("-prefspath \"/tmp/unclosed"),
              (Fields{".", "-prefspath", "/tmp/unclosed"}));
}

TEST(WindowApplication, RunPassesTheFieldsToMainAndOnlyOneApplicationRuns)
{
    struct Recording : epiWindowApplication
    {
        int main(int argc, char** argv) override
        {
            for (int i = 0; i < argc; ++i)
                seen.push_back(argv[i]);
            return 7;
        }
        std::vector<std::string> seen;
    } app;
    EXPECT_EQ(app.run("-user \"a b\""), 7);
    EXPECT_EQ(app.seen, (std::vector<std::string>{".", "-user", "a b"}));

}

TEST(WindowApplication, LifeCycleRunsTheLoopUntilTheLastWindowClosesAndRefusesASecondApplication)
{
    // Closes its window from a timer, as a user would from inside the loop.
    struct Closer : epiUiTimered
    {
        void timerFired() override { window->close(); }
        epiWindow* window = nullptr;
    };
    struct Lifecycle : epiWindowApplication
    {
        void prepare(int argc, char** argv) override
        {
            arguments = argc > 1 ? argv[1] : "";
            pendingDuringPrepare = argumentCount();
            auto* window = new epiWindow;
            window->makeCounted();
            window->setApplication(this);
            window->init();
            window->create();
            window->show();
            closer.setApplication(this);
            closer.window = window;
            closer.startOneShotTimer(0.01);
            epiWindowApplication other;
            other.useWindowSystem(epiMakeNullWindowSystem());
            secondResult = other.main(0, nullptr);
        }
        void afterLoop() override { afterLoopWindows = windowManager()->windowCount(); }
        Closer closer;
        std::string arguments;
        int pendingDuringPrepare = 0;
        int secondResult = 0;
        int afterLoopWindows = -1;
    } app;
    app.useWindowSystem(epiMakeNullWindowSystem());
    const char* argv[] = {"zumeli-test", "-user", nullptr};
    EXPECT_EQ(app.main(2, const_cast<char**>(argv)), 0);
    EXPECT_EQ(app.arguments, "-user");
    EXPECT_EQ(app.pendingDuringPrepare, 2);
    EXPECT_EQ(app.argumentCount(), 0); // forgotten after prepare
    EXPECT_EQ(app.secondResult, 1);
    EXPECT_EQ(app.afterLoopWindows, 0);
    EXPECT_EQ(app.windowManager(), nullptr); // shut down
    EXPECT_EQ(epiWindowApplication::current(), nullptr);
}

TEST(PeriodicTimer, TicksOnItsOwnThreadUntilStopped)
{
    struct Counter : epiApplicationObject
    {
        void tick() override
        {
            ++ticks;
            thread = std::this_thread::get_id();
        }
        std::atomic<int> ticks{0};
        std::thread::id thread;
    } counter;
    epiUiEventsBase base;
    EXPECT_FALSE(base.startPeriodicTimer(0, &counter));
    ASSERT_TRUE(base.startPeriodicTimer(0.005, &counter));
    while (counter.ticks < 3)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    base.stopPeriodicTimer();
    int stopped = counter.ticks;
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_EQ(counter.ticks, stopped);
    EXPECT_NE(counter.thread, std::this_thread::get_id());
}
