#include "WidgetFixture.h"

#include "ui/epiUiSystemButton.h"
#include "ui/epiUiSystemScroll.h"
#include "ui/epiUiScrollHelper.h"
#include "ui/epiUiSystemText.h"
#include "ui/epiWindowManager.h"
#include "ui/null/epiNullWindowSystem.h"

namespace {

using Log = std::vector<std::string>;

// The window 'natv' of native controls, open on the display-free window system.
class NativeControls : public WidgetFixture
{
protected:
    NativeControls()
    {
        system = dynamic_cast<epiNullWindowSystem*>(application.windowSystem());
        window = application.windowManager()->openWindow(epiFourCC("natv"));
        EXPECT_NE(window, nullptr);
        system->flush();
    }

    template<typename Widget = epiUiSystemButton>
    Widget* control(const char* code) const
    {
        return dynamic_cast<Widget*>(window->findChild(epiText(code).toCode()));
    }
    epiControlHandle handle(const char* code) const { return control(code)->nativeControl(); }
    const epiNullWindowSystem::Control& record(const char* code) const { return *system->control(handle(code)); }

    epiNullWindowSystem* system = nullptr;
    epiWindow* window = nullptr;
};

TEST_F(NativeControls, ControlsAreMadeInTheWindowAtTheirPlaces)
{
    EXPECT_EQ(record("okay").desc.kind, epiControlKind::Button);
    EXPECT_EQ(record("okay").desc.frame, epiRect(200, 200, 250, 224));
    EXPECT_EQ(record("okay").text, "OK");
    EXPECT_EQ(record("name").desc.kind, epiControlKind::EditField);
    EXPECT_EQ(record("slid").desc.kind, epiControlKind::ScrollBar);
    EXPECT_TRUE(record("slid").desc.vertical);
    EXPECT_EQ(record("stat").text, "Static");
    EXPECT_FALSE(record("off_").enabled);
    EXPECT_EQ(record("list").items, (std::vector<std::string>{"One", "Two", "dir/Three"}));
    // Moved or hidden with the widget.
    control("stat")->setFrame({20, 190, 140, 206});
    EXPECT_EQ(record("stat").desc.frame, epiRect(20, 190, 140, 206));
    control("stat")->setVisible(false);
    EXPECT_FALSE(record("stat").visible);
}

TEST_F(NativeControls, ANativeButtonClickHitsItLikeABitmapButton)
{
    system->clickControl(handle("okay"));
    system->clickControl(handle("off_"));
    system->flush();
    EXPECT_EQ(takeLog(), Log{"natv:okay"});
    // A bitmap button in the same window, clicked through the window's surface.
    system->mouseDown(window->handle(), {205, 15});
    system->mouseUp(window->handle(), {205, 15});
    system->flush();
    EXPECT_EQ(takeLog(), Log{"natv:bmpb"});
}

TEST_F(NativeControls, EnterAndEscapeClickTheDefaultAndCancelButtons)
{
    system->typeText("\r");
    system->flush();
    EXPECT_EQ(takeLog(), Log{"natv:okay"});
    system->typeText("\x1b");
    system->flush();
    EXPECT_EQ(takeLog(), Log{"natv:canc"});
    control("okay")->setEnabled(false);
    system->typeText("\r");
    system->flush();
    EXPECT_TRUE(takeLog().empty()) << "a disabled default button is not clicked";
}

TEST_F(NativeControls, TheCharacterFilterLetsInOnlyAllowedCharactersUpToTheMaximum)
{
    system->focusControl(handle("name"));
    system->typeText("xa1 b?2c3");
    system->flush();
    EXPECT_EQ(record("name").text, "a1b2c");
    EXPECT_EQ(control("name")->text(), "a1b2c");
    // Every change reached the window as the field's code.
    EXPECT_EQ(takeLog(), Log(5, "natv:name"));

    // Without a filter everything goes in.
    system->focusControl(handle("mail"));
    system->typeText("x@y.z");
    system->flush();
    EXPECT_EQ(control("mail")->text(), "x@y.z");
}

TEST_F(NativeControls, FilterRulesTable)
{
    auto* field = control<epiUiSystemEditText>("mail");
    struct Case
    {
        const char* allowed;
        int maximum;
        const char* current;
        const char* typed;
        const char* accepted;
    };
    for (Case c : {Case{"", 0, "", "any text\r", "any text\r"}, Case{"", 3, "ab", "cdef", "c"},
                   Case{"0123456789", 0, "", "4x2\r", "42"}, Case{"0123456789\r", 0, "", "4x2\r", "42\r"},
                   Case{"abc", 0, "", "a\xc3\xa9" "d", "a\xc3\xa9"}, // é lies outside 32..128: not filtered
                   Case{"", 2, "", "\xc3\xa9\xc3\xa9\xc3\xa9", "\xc3\xa9\xc3\xa9"},
                   Case{"", 0, "", "a\tb", "ab"}}) {
        field->setAttributeText(epiFourCC("Clif"), c.allowed);
        field->setAttribute(epiFourCC("maxC"), c.maximum);
        EXPECT_EQ(field->filter(c.current, c.typed), c.accepted) << c.allowed << " / " << c.typed;
    }
    field->setAttributeText(epiFourCC("Clif"), "");
    field->setAttribute(epiFourCC("maxC"), 0);
    EXPECT_FALSE(field->filterActive());
    field->setAttribute(epiFourCC("autT"), 1);
    EXPECT_TRUE(field->filterActive());
}

TEST_F(NativeControls, TabMovesToTheNextEditFieldAndIsNotInserted)
{
    system->focusControl(handle("name"));
    system->typeText("ab\tq@");
    system->flush();
    EXPECT_EQ(control("name")->text(), "ab");
    EXPECT_EQ(system->focusedControl(window->handle()), handle("mail"));
    EXPECT_EQ(control("mail")->text(), "q@");
    system->typeText("\t");
    system->flush();
    EXPECT_EQ(system->focusedControl(window->handle()), handle("name")) << "round to the first field";
}

TEST_F(NativeControls, CheckBoxAndRadios)
{
    system->clickControl(handle("chck"));
    system->flush();
    EXPECT_EQ(control("chck")->value(), 1);
    system->clickControl(handle("chck"));
    system->flush();
    EXPECT_EQ(control("chck")->value(), 0);
    EXPECT_EQ(takeLog(), (Log{"natv:chck", "natv:chck"}));

    EXPECT_EQ(record("ra_2").desc.radioGroup, handle("ra_1")) << "one native group";
    system->clickControl(handle("ra_2"));
    system->flush();
    EXPECT_EQ(control("ra_2")->value(), 1);
    EXPECT_EQ(control("ra_1")->value(), 0);
    EXPECT_EQ(takeLog(), Log{"natv:ra_2"});
    control("ra_1")->setValue(1);
    EXPECT_EQ(record("ra_1").value, 1);
}

TEST_F(NativeControls, PopupListScrollBarAndProgressBar)
{
    auto* list = control<epiUiSystemPopup>("list");
    system->selectItem(handle("list"), 2);
    system->flush();
    EXPECT_EQ(list->value(), 2);
    EXPECT_EQ(takeLog(), Log{"natv:list"});
    list->setHidesPaths(true);
    EXPECT_EQ(record("list").items, (std::vector<std::string>{"One", "Two"}));
    list->setValue(1);
    EXPECT_EQ(record("list").value, 1);
    list->setValue(7);
    EXPECT_EQ(list->value(), -1);

    auto* bar = control<epiUiSystemScroll>("slid");
    EXPECT_EQ(record("slid").minimum, 0);
    bar->setValue(80);
    EXPECT_EQ(bar->value(), 50);
    EXPECT_EQ(record("slid").value, 50);

    auto* progress = control<epiUiSystemProgressBar>("prog");
    progress->setValue(50);
    EXPECT_EQ(record("prog").value, 250);
}

TEST_F(NativeControls, RollingTextRollsWhenItDoesNotFit)
{
    auto* roll = control<epiUiSystemRollingText>("roll");
    EXPECT_EQ(roll->shownText(), "abcdefgh");
    application.pass(0.2);
    EXPECT_EQ(record("roll").text, "bcdefgh   a");
    application.pass(0.4);
    EXPECT_EQ(roll->shownText(), "defgh   abc");
    roll->setText("ab");
    application.pass(0.4);
    EXPECT_EQ(record("roll").text, "ab") << "a short text stands still";
    EXPECT_EQ(application.timerCount(roll), 0);
}

} // namespace

namespace {

TEST_F(NativeControls, FileDialogsSetThePathFromTheChoice)
{
    epiPath path("/kept");
    system->setNextFileChoice("/home/someone/Music/talk.wav");
    EXPECT_TRUE(path.chooseOpenFile(&application));
    EXPECT_EQ(path, "/home/someone/Music/talk.wav");
    // Cancelled: the path stays.
    EXPECT_FALSE(path.chooseSaveFile(&application));
    EXPECT_EQ(path, "/home/someone/Music/talk.wav");
    system->setNextFileChoice("/" + std::string(5000, 'a'));
    EXPECT_FALSE(path.chooseSaveFile(&application));
    EXPECT_EQ(path, "/home/someone/Music/talk.wav");
    // No window application running and none given: no dialog.
    EXPECT_FALSE(path.chooseOpenFile());
}

} // namespace

namespace {

TEST_F(NativeControls, AScrollingListFollowsANativeScrollBar)
{
    epiUiScrollHelper list;
    list.setApplication(&application);
    ASSERT_TRUE(list.setUp(window, epiFourCC("rows"), 0, epiFourCC("slid"), false));
    EXPECT_EQ(control<epiUiSystemScroll>("slid")->arrowStep(), 20);
    list.setItemCount(6); // 120 pixels of rows in 50
    EXPECT_TRUE(record("slid").enabled);
    EXPECT_EQ(control<epiUiSystemScroll>("slid")->maximum(), 70);
    // The user drags the bar: the control reports its new position.
    control("slid")->controlEvent(handle("slid"), epiControlEvent::ValueChanged, 40);
    EXPECT_EQ(list.scroll().y, 40);
    EXPECT_EQ(list.content()->frame().top, -40);
    EXPECT_EQ(takeLog(), Log{"natv:slid"});
    list.setItemCount(2);
    EXPECT_FALSE(record("slid").enabled);
    list.setApplication(nullptr);
}

} // namespace
