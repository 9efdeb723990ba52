// The channel administration windows and the people selector on the null window system, against
// a real zumeli-server in the test process: the claim, the editor's states, bells and credit
// line, lists edited by ticking people, the family editor's limit, and what the server then does.
#include "app/AdministrationWindows.h"
#include "app/PeopleSelector.h"
#include "data/Preferences.h"
#include "tests/app/ClientFixture.h"

#include <gtest/gtest.h>

#include <map>
#include "ui/epiResources.h"

using namespace ZumeliApplication;
using namespace ServerTest;

namespace {

const char* const ModeHelp[] = {
    "Everyone can talk and listen.",
    "Everyone can talk and listen except some people who can listen but not talk. Some people cannot have access.",
    "Everyone can listen but only someone can talk. Some people cannot have access. ",
    "Only specified people can talk and listen, and others specified people can only listen. Unlisted people will "
    "have no access.",
    "Only specified people can talk and listen. Unlisted people will have no access.",
    "All registered users can talk and listen except some people who can listen but not talk. Some people cannot "
    "have access. Guests have no access.",
};

class AdministrationTest : public Testing::ClientFixture
{
protected:
    static std::string digest() { return Zumeli::checksumHex(Zumeli::Text("secret")).str(); }

    // An account of the service, logged in through the web API and present in `channel`.
    WebUser person(const std::string& name, int channel = 1000)
    {
        int port = m_server->webPort();
        EXPECT_TRUE(registerAccount(port, name, digest(), name + "%40example.org")) << name;
        auto user = login(port, name, digest());
        EXPECT_TRUE(user) << name;
        if (!user)
            return {};
        EXPECT_NE(statusOf(user->join(channel)), "FAIL") << name;
        m_people[name] = *user;
        return *user;
    }
    int idOf(const std::string& name) { return m_people[name].id; }

    // The desktop client logged in with a new account and tuned to 10.00.
    void startAs(const std::string& name)
    {
        int port = m_server->webPort();
        ASSERT_TRUE(registerAccount(port, name, digest(), name + "%40example.org"));
        start({{"public.isregisteredlogin", "1"},
               {"private.username", name},
               {"private.password", Zumeli::Preferences::scramblePassword(Zumeli::Text("secret")).c_str()}});
        ASSERT_TRUE(waitFor([&] { return m_panel->isLoggedIn(); })) << m_panel->infoText();
        ASSERT_TRUE(tunedTo(1000));
    }

    template<typename W = epiWindow> W* window(const char* code)
    {
        return dynamic_cast<W*>(m_app.windowManager()->findWindow(epiCodeFromText(code)));
    }
    static epiUbo* child(epiWindow* window, const char* code) { return window->findChild(epiCodeFromText(code)); }
    static std::string textOf(epiWindow* window, const char* code)
    {
        epiUbo* item = child(window, code);
        return item ? item->text().c_str() : "?";
    }
    static bool enabled(epiWindow* window, const char* code) { return child(window, code)->isEnabled(); }
    static int valueOf(epiWindow* window, const char* code) { return child(window, code)->value(); }
    void click(epiWindow* window, const char* code)
    {
        m_system->clickControl(control(window, code));
        m_system->flush();
    }
    void choose(epiWindow* window, const char* code, int index)
    {
        m_system->selectItem(control(window, code), index);
        m_system->flush();
    }

    // The panel's 'admi', as the menu gives it; the editor that opens has read its document.
    AdministrationWindow* openEditor(const char* code = "admi")
    {
        m_panel->receiveCommand(epiFourCC("admi"), 0, 0);
        auto* editor = window<AdministrationWindow>(code);
        if (editor)
            waitFor([&] { return editor->isLoaded(); }, 3.0);
        return editor && editor->isLoaded() ? editor : nullptr;
    }
    // The request window, its claim, and the editor that follows.
    AdministrationWindow* claim()
    {
        m_panel->receiveCommand(epiFourCC("admi"), 0, 0);
        epiWindow* request = window("admr");
        if (!request || !waitFor([&] { return enabled(request, "Adrq"); }, 2.0))
            return nullptr;
        click(request, "Adrq");
        auto* editor = window<AdministrationWindow>("admi");
        if (editor)
            waitFor([&] { return editor->isLoaded(); }, 3.0);
        return editor && editor->isLoaded() ? editor : nullptr;
    }
    PeopleSelector* edit(epiWindow* editor, const char* button)
    {
        click(editor, button);
        return window<PeopleSelector>("peos");
    }
    static int rowOf(PeopleSelector* selector, const std::string& name)
    {
        const auto& entries = selector->people().entries;
        for (size_t i = 0; i < entries.size(); ++i)
            if (entries[i].name == name)
                return int(i);
        return -1;
    }
    void tick(PeopleSelector* selector, std::initializer_list<const char*> names)
    {
        for (int i = 0; i < selector->rowCount(); ++i)
            selector->rowItem(i, "enab")->setValue(0);
        for (const char* name : names) {
            int row = rowOf(selector, name);
            ASSERT_GE(row, 0) << name;
            selector->rowItem(row, "enab")->setValue(1);
        }
    }

    std::map<std::string, WebUser> m_people;
};

TEST(PeopleList, SortsByNameWithoutLetterCaseAndKeepsEqualNamesInOrder)
{
    struct Case {
        std::vector<std::string> names;
        std::vector<std::string> sorted;
    };
    const Case cases[] = {
        {{"bob", "Alice"}, {"Alice", "bob"}},
        {{"Carl", "alice", "Bob", "ann"}, {"alice", "ann", "Bob", "Carl"}},
        {{"b", "B", "a"}, {"a", "b", "B"}},
        {{"Zoe", "zoe", "ZOE"}, {"Zoe", "zoe", "ZOE"}},
        {{"ab", "a"}, {"a", "ab"}},
        {{}, {}},
    };
    for (const Case& c : cases) {
        PeopleList list;
        for (size_t i = 0; i < c.names.size(); ++i)
            list.add(int(i + 1), false, false, [&](int id, std::string& name, std::string&) { name = c.names[size_t(id - 1)]; });
        list.sortByName();
        std::vector<std::string> shown;
        for (const PeopleElem& entry : list.entries)
            shown.push_back(entry.name);
        EXPECT_EQ(shown, c.sorted);
    }
}

TEST(PeopleList, AnIdMetAgainOnlyGainsFlags)
{
    PeopleList list;
    int described = 0;
    auto describe = [&](int id, std::string& name, std::string& extra) {
        ++described;
        name = "user" + std::to_string(id);
        extra = "x";
    };
    list.add(7, true, false, describe);  // present
    list.add(7, false, true, describe);  // and listed
    list.add(7, false, false, describe); // and known
    list.add(8, false, false, describe);
    ASSERT_EQ(list.entries.size(), 2u);
    EXPECT_TRUE(list.entries[0].online);
    EXPECT_TRUE(list.entries[0].selected);
    EXPECT_FALSE(list.entries[1].online || list.entries[1].selected);
    EXPECT_EQ(described, 2);
}

TEST(AccessLists, EachModeUsesItsLists)
{
    // talkers, listeners, not admitted
    const AccessLists expected[] = {
        {false, false, false}, {false, true, true}, {true, false, true},
        {true, true, false},   {true, false, false}, {false, true, true},
    };
    for (int mode = 0; mode < 6; ++mode)
        EXPECT_EQ(AccessLists::forMode(mode), expected[mode]) << "mode " << mode;
    EXPECT_EQ(AccessLists::forMode(9), AccessLists{}) << "an unknown mode uses no list";
}

TEST_F(AdministrationTest, TheRequestClaimsAndTheEditorFollowsModesBellsAndTheCreditLine)
{
    startAs("Owner");
    m_panel->receiveCommand(epiFourCC("admi"), 0, 0);
    epiWindow* request = window("admr");
    ASSERT_NE(request, nullptr) << "a user who does not administer the channel is offered the request";
    EXPECT_EQ(m_system->window(request->handle())->title, "Channel administration");
    EXPECT_FALSE(enabled(request, "Adrq"));
    EXPECT_FALSE(enabled(request, "Bucr"));
    EXPECT_TRUE(enabled(request, "Canc"));
    pump(0.2);
    EXPECT_EQ(textOf(request, "info"), "Channel   10.00 Canal   10.00\nThis channel is free to administer.");
    EXPECT_TRUE(enabled(request, "Adrq"));
    EXPECT_TRUE(enabled(request, "Bucr"));

    click(request, "Adrq");
    EXPECT_EQ(window("admr"), nullptr);
    auto* editor = window<AdministrationWindow>("admi");
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(textOf(editor, "adin"), "Getting info...");
    for (const char* item : {"Okay", "chti", "acop", "edi1", "edi2", "perm", "pero"})
        EXPECT_FALSE(enabled(editor, item)) << item;
    pump(0.4);
    EXPECT_FALSE(editor->isLoaded()) << "the document is read half a second after opening";
    ASSERT_TRUE(waitFor([&] { return editor->isLoaded(); }, 1.0));
    EXPECT_EQ(textOf(editor, "chin"), "Channel   10.00");
    for (const char* item : {"Okay", "chti", "acop", "edi1", "advi", "help"})
        EXPECT_TRUE(enabled(editor, item)) << item;
    EXPECT_FALSE(enabled(editor, "perm"));
    EXPECT_FALSE(enabled(editor, "pero"));

    // The credit line: 1 less while the channel is marked administered.
    EXPECT_EQ(valueOf(editor, "doad"), 1);
    EXPECT_EQ(textOf(editor, "adin"), "Administration credits: 0");
    click(editor, "doad");
    EXPECT_EQ(textOf(editor, "adin"), "Administration credits: 1");
    click(editor, "doad");
    EXPECT_EQ(textOf(editor, "adin"), "Administration credits: 0");

    // The selected mode decides which list groups can be edited, and the help text.
    struct Groups {
        bool talkers, listeners, notAdmitted;
    };
    const Groups groups[] = {{false, false, false}, {false, true, true}, {true, false, true},
                             {true, true, false},   {true, false, false}, {false, true, true}};
    for (int mode = 0; mode < 6; ++mode) {
        choose(editor, "acop", mode);
        EXPECT_EQ(textOf(editor, "help"), ModeHelp[mode]) << mode;
        for (const char* item : {"reta", "peta", "edi2"})
            EXPECT_EQ(enabled(editor, item), groups[mode].talkers) << "mode " << mode << " " << item;
        for (const char* item : {"reli", "peli", "edi3"})
            EXPECT_EQ(enabled(editor, item), groups[mode].listeners) << "mode " << mode << " " << item;
        for (const char* item : {"reex", "peex", "edi4"})
            EXPECT_EQ(enabled(editor, item), groups[mode].notAdmitted) << "mode " << mode << " " << item;
        EXPECT_TRUE(enabled(editor, "edi1")) << "co-administrators in every mode";
    }

    // The bells: the co-administrators' bell off takes everyone's with it; everyone's on brings it.
    struct Bell {
        const char* click;
        int coadmins, everyone;
    };
    const Bell bells[] = {{"beev", 1, 1}, {"beco", 0, 0}, {"beco", 1, 0}, {"beev", 1, 1}, {"beev", 1, 0},
                          {"bebr", 1, 0}, {"beco", 0, 0}};
    for (const Bell& b : bells) {
        click(editor, b.click);
        EXPECT_EQ(valueOf(editor, "beco"), b.coadmins) << "after " << b.click;
        EXPECT_EQ(valueOf(editor, "beev"), b.everyone) << "after " << b.click;
    }
    EXPECT_EQ(valueOf(editor, "bebr"), 1);

    // Giving the administration up hands the panel its command again: the request comes back.
    m_app.postCommand(editor, epiFourCC("rela"), 0, 0);
    ASSERT_TRUE(waitFor([&] { return window("admr") != nullptr; }, 2.0));
    EXPECT_EQ(window("admi"), nullptr);
    pump(0.2);
    EXPECT_TRUE(enabled(window("admr"), "Adrq")) << textOf(window("admr"), "info");
}

TEST_F(AdministrationTest, ListsTickedInTheSelectorAreSavedAndTheServerEnforcesThem)
{
    for (const char* name : {"Alice", "Bobby", "Carla", "Dave"})
        person(name);
    startAs("Owner");
    AdministrationWindow* editor = claim();
    ASSERT_NE(editor, nullptr);
    choose(editor, "acop", 3);

    PeopleSelector* selector = edit(editor, "edi2");
    ASSERT_NE(selector, nullptr);
    EXPECT_EQ(m_system->window(selector->handle())->title, "Allowed talkers");
    ASSERT_GE(rowOf(selector, "Alice"), 0);
    EXPECT_EQ(selector->rowItem(rowOf(selector, "Alice"), "onli")->value(), 1) << "Alice is in the channel";
    EXPECT_EQ(selector->rowItem(0, "inde")->text(), epiText("1"));
    // A real click on the tick box.
    epiUbo* box = selector->rowItem(rowOf(selector, "Alice"), "enab");
    epiPoint centre = box->toAncestor(box->bounds().referencePoint(8), selector);
    m_system->mouseDown(selector->handle(), centre);
    m_system->mouseUp(selector->handle(), centre);
    m_system->flush();
    EXPECT_EQ(box->value(), 1);
    testing::internal::CaptureStdout();
    click(selector, "Okay");
    std::string printed = testing::internal::GetCapturedStdout();
    EXPECT_NE(printed.find("Workset selected: " + std::to_string(idOf("Alice")) + "\n"), std::string::npos) << printed;
    EXPECT_EQ(window("peos"), nullptr);
    EXPECT_EQ(textOf(editor, "peta"), "Alice");

    selector = edit(editor, "edi3");
    ASSERT_NE(selector, nullptr);
    tick(selector, {"Bobby", "Alice"});
    click(selector, "Okay");
    EXPECT_EQ(textOf(editor, "peli"), "Alice Bobby") << "in the selector's order, by name";
    // The not-admitted list is not used in mode 3, but mode 1 uses it; Carla goes there.
    choose(editor, "acop", 1);
    selector = edit(editor, "edi4");
    ASSERT_NE(selector, nullptr);
    tick(selector, {"Carla"});
    click(selector, "Canc");
    EXPECT_EQ(textOf(editor, "peex"), "") << "cancel changes nothing";
    selector = edit(editor, "edi4");
    tick(selector, {"Carla"});
    click(selector, "Okay");
    choose(editor, "acop", 3);
    click(editor, "Okay");
    ASSERT_EQ(window("admi"), nullptr) << textOf(editor, "adin");

    // The server holds the decision: each role's join and "pe".
    struct Role {
        const char* name;
        const char* pe; // "-": refused
    };
    for (const Role& r : {Role{"Alice", "0"}, Role{"Bobby", "1"}, Role{"Carla", "-"}, Role{"Dave", "-"}}) {
        std::string reply = m_people[r.name].join(1000);
        if (std::string(r.pe) == "-")
            EXPECT_EQ(element(reply, "errorString"), "ACCESS DENIED") << r.name;
        else
            EXPECT_EQ(element(reply, "pe"), r.pe) << r.name;
    }

    // Opened again: the lists come back, Alice (in two lists) is known once, and a person who is
    // present and listed shows online and ticked.
    editor = openEditor();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(valueOf(editor, "acop"), 3);
    EXPECT_EQ(textOf(editor, "peta"), "Alice");
    EXPECT_EQ(textOf(editor, "peli"), "Alice Bobby");
    EXPECT_EQ(textOf(editor, "peex"), "Carla");
    EXPECT_EQ(std::count(editor->knownIds().begin(), editor->knownIds().end(), idOf("Alice")), 1);
    EXPECT_EQ(editor->knownIds().size(), 3u);
    selector = edit(editor, "edi3");
    ASSERT_NE(selector, nullptr);
    int alice = rowOf(selector, "Alice");
    ASSERT_GE(alice, 0);
    EXPECT_EQ(selector->rowItem(alice, "onli")->value(), 1);
    EXPECT_EQ(selector->rowItem(alice, "enab")->value(), 1);
    int carla = rowOf(selector, "Carla");
    ASSERT_GE(carla, 0);
    EXPECT_EQ(selector->rowItem(carla, "enab")->value(), 0) << "not admitted, not a listener";
    // Closing the editor takes the selector with it.
    click(editor, "Canc");
    EXPECT_EQ(window("peos"), nullptr);
}

TEST_F(AdministrationTest, TheFamilyEditorFollowsModeFourAndTakesFivePeopleAtMost)
{
    for (const char* name : {"Alice", "Bobby", "Carla", "Dave", "Erin", "Frank", "Helper"})
        person(name);
    startAs("Owner");
    AdministrationWindow* editor = claim();
    ASSERT_NE(editor, nullptr);
    PeopleSelector* selector = edit(editor, "edi1");
    ASSERT_NE(selector, nullptr);
    tick(selector, {"Helper"});
    click(selector, "Okay");
    click(editor, "Okay");
    ASSERT_EQ(window("admi"), nullptr);
    // A co-administrator makes the channel a family channel.
    ASSERT_EQ(statusOf(m_people["Helper"].call("SaveAdmin.php", "data=<administration><type>1</type>"
                                                                "</administration>&")),
              "OK");

    auto* family = openEditor("adfc");
    ASSERT_NE(family, nullptr) << "the panel opens the family editor for a channel of type 1";
    EXPECT_EQ(window("admi"), nullptr);
    EXPECT_EQ(textOf(family, "chtl"), "Family Channel");
    for (int mode : {0, 3, 5}) {
        choose(family, "acop", mode);
        EXPECT_EQ(textOf(family, "help"), ModeHelp[4]) << mode;
        EXPECT_TRUE(enabled(family, "edi2")) << mode;
        EXPECT_FALSE(enabled(family, "edi3")) << mode;
        EXPECT_FALSE(enabled(family, "edi4")) << mode;
    }

    selector = edit(family, "edi2");
    ASSERT_NE(selector, nullptr);
    tick(selector, {"Alice", "Bobby", "Carla", "Dave", "Erin", "Frank"});
    click(selector, "Okay");
    epiWindow* message = window("smsg");
    ASSERT_NE(message, nullptr) << "six are one too many";
    EXPECT_EQ(textOf(message, "text"), "You can select only 5 people.");
    EXPECT_TRUE(family->document().restricted.empty());
    EXPECT_EQ(window("peos"), selector) << "the selector stays open";
    click(message, "Done");
    tick(selector, {"Alice", "Bobby", "Carla", "Dave", "Erin"});
    click(selector, "Okay");
    EXPECT_EQ(window("peos"), nullptr);
    EXPECT_EQ(textOf(family, "peta"), "Alice Bobby Carla Dave Erin");

    choose(family, "acop", 0);
    click(family, "Okay");
    ASSERT_EQ(window("adfc"), nullptr);
    // Saved: the mode selected, not the one the states follow.
    std::string admin = element(element(m_people["Helper"].call("GetAdmin.php", ""), "document"), "administration");
    EXPECT_EQ(element(admin, "ChannelAccessMode"), "0");
    EXPECT_EQ(element(admin, "type"), "1");
    for (const char* name : {"Alice", "Erin"})
        EXPECT_NE(element(admin, "restricted").find(std::to_string(idOf(name)) + ","), std::string::npos) << name;
    EXPECT_EQ(element(admin, "restricted").find(std::to_string(idOf("Frank")) + ","), std::string::npos);
}

TEST_F(AdministrationTest, AStrangerReadsNothingAndAFailedSaveSaysWhy)
{
    WebUser owner = person("Owner1");
    ASSERT_EQ(statusOf(owner.call("AdminChannel.php", "release=0&")), "OK");
    startAs("Stranger");
    m_panel->receiveCommand(epiFourCC("admi"), 0, 0);
    epiWindow* request = window("admr");
    ASSERT_NE(request, nullptr);
    pump(0.2);
    EXPECT_EQ(textOf(request, "info"), "Channel   10.00 Canal   10.00\nChannel administered by Owner1.");
    EXPECT_FALSE(enabled(request, "Adrq")) << "the channel has an administrator";
    EXPECT_TRUE(enabled(request, "Bucr"));
    click(request, "Canc");

    // Opened anyway, the editor gets no document: the service refuses it.
    auto* editor = dynamic_cast<AdministrationWindow*>(m_app.windowManager()->openWindow(epiFourCC("admi")));
    ASSERT_NE(editor, nullptr);
    pump(0.7);
    EXPECT_FALSE(editor->isLoaded());
    EXPECT_NE(textOf(editor, "adin"), "Getting info...");
    for (const char* item : {"Okay", "chti", "acop", "edi1", "edi2", "edi3", "edi4"})
        EXPECT_FALSE(enabled(editor, item)) << item;
    EXPECT_TRUE(editor->document().coadmins.empty());
    click(editor, "Canc");

    // The owner lets go; the stranger takes the channel, and a save that cannot reach the
    // service keeps the window open with the reason.
    ASSERT_EQ(statusOf(owner.call("AdminChannel.php", "release=1&")), "OK");
    editor = claim();
    ASSERT_NE(editor, nullptr);
    // Taken away meanwhile, the channel's settings are refused: the window stays open and says so.
    Zumeli::Text released;
    ASSERT_TRUE(m_app.engine()->releaseAdministration(released));
    click(editor, "Okay");
    EXPECT_EQ(window("admi"), editor);
    EXPECT_EQ(textOf(editor, "adin"), "Error: the service did not keep the settings");
    ASSERT_TRUE(m_app.engine()->claimAdministration(released)) << "claimed again";
    m_server.reset(); // its ports close: the save cannot connect
    click(editor, "Okay");
    EXPECT_EQ(window("admi"), editor);
    EXPECT_EQ(textOf(editor, "adin").rfind("Error: ", 0), 0u) << textOf(editor, "adin");
}

} // namespace
