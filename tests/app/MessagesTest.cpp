// The talk history, the favourite channels, the message box, the service messages and the
// windows that write to someone, on the null window system against a real zumeli-server.
#include "app/ChannelsWindow.h"
#include "app/MessageArrivals.h"
#include "app/MessageWindow.h"
#include "app/MessagesBoxWindow.h"
#include "app/NewMessageWindows.h"
#include "app/TalkHistoryWindow.h"
#include "engine/Client.h"
#include "engine/Manager.h"
#include "tests/app/ClientFixture.h"
#include "ui/epiUiBitmapButton.h"
#include "ui/epiUiBitmapImage.h"
#include "ui/epiUiBitmapText.h"
#include "data/PictureIndex.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

using namespace ZumeliApplication;

namespace {

constexpr int Marta = 7701;

class MessagesTest : public ZumeliApplication::Testing::ClientFixture
{
protected:
    void SetUp() override
    {
        ClientFixture::SetUp();
        // Addresses the client opens land in a file instead of a browser.
        std::filesystem::create_directories(m_home / "bin");
        m_opened = m_home / "opened.txt";
        std::ofstream opener(m_home / "bin" / "xdg-open");
        opener << "#!/bin/sh\necho \"$1\" >> " << m_opened.string() << "\n";
        opener.close();
        std::filesystem::permissions(m_home / "bin" / "xdg-open", std::filesystem::perms::owner_all);
        m_path = std::getenv("PATH") ? std::getenv("PATH") : "";
        ::setenv("PATH", ((m_home / "bin").string() + ":" + m_path).c_str(), 1);
    }
    void TearDown() override
    {
        ::setenv("PATH", m_path.c_str(), 1);
        ClientFixture::TearDown();
    }

    Zumeli::Client& engine() { return *m_app.engine(); }
    template<typename Window>
    Window* open(const char* code)
    {
        m_main->receiveCommand(epiCodeFromText(code), 0, 0);
        return dynamic_cast<Window*>(m_app.windowManager()->findWindow(epiCodeFromText(code)));
    }
    template<typename Window>
    Window* find(const char* code)
    {
        return dynamic_cast<Window*>(m_app.windowManager()->findWindow(epiCodeFromText(code)));
    }
    static std::string textOf(epiUbo* parent, const char* code)
    {
        epiUbo* child = parent ? parent->findChild(epiCodeFromText(code)) : nullptr;
        return child ? child->text().c_str() : "?";
    }
    static uint32_t colourOf(epiUbo* parent, const char* code)
    {
        auto* text = dynamic_cast<epiUiBitmapText*>(parent->findChild(epiCodeFromText(code)));
        return text ? text->colour() : 0;
    }
    static void click(epiUbo* parent, const char* code)
    {
        auto* button = dynamic_cast<epiUiBitmapButton*>(parent->findChild(epiCodeFromText(code)));
        ASSERT_NE(button, nullptr) << code;
        button->click();
    }
    // A text message from Marta, as the engine hands received ones over.
    void receive(const std::string& text)
    {
        Zumeli::Manager::instance().session.people.setDetails(Marta, "Marta", 1, 0, false, false);
        auto message = std::make_unique<Zumeli::UserMessageData>();
        message->text = Zumeli::Text(text.c_str());
        message->sender = Marta;
        // Five seconds ago on the service's clock.
        message->datetime = int(std::time(nullptr) + engine().serverClockOffset() - 5);
        int before = engine().getMessageCount();
        engine().postIncomingMessage(std::move(message));
        ASSERT_TRUE(waitFor([&] { return engine().getMessageCount() == before + 1; }));
    }
    std::string openedAddresses()
    {
        waitFor([&] { return std::filesystem::exists(m_opened); }, 3.0);
        std::ifstream file(m_opened);
        std::stringstream all;
        all << file.rdbuf();
        return all.str();
    }

    std::filesystem::path m_opened;
    std::string m_path;
};

// ----- the talk history -----

TEST_F(MessagesTest, TheTalkHistoryLogsTalksAndRequestsFromThePanelWhileOpen)
{
    startAsGuest();
    ASSERT_TRUE(tunedTo(1000));
    // Closed: nothing is logged, nothing breaks.
    m_panel->onTalkRequest(4242);

    auto* history = open<TalkHistoryWindow>("tahi");
    ASSERT_NE(history, nullptr);
    int64_t now = 1'700'000'000;
    history->setClock([&] { return now; });
    const auto& lines = history->lines().lines();
    EXPECT_TRUE(lines.empty());

    m_panel->onTalkRequest(4242);                                       // a request: "Yields"
    now += 5;
    m_panel->onChannelEvent({0, 0, Zumeli::ChannelEvent::Talking, 4242, 0});  // someone talks ...
    now += 10;
    m_panel->onTalkAcknowledged();                                      // ... and we talk without a stop
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[1].duration, "00:10") << "the second talk ends the first";
    EXPECT_EQ(lines[0].duration, "");
    now += 75;
    m_panel->onTalkEnded();
    EXPECT_EQ(lines[0].duration, "01:15");
    m_panel->onTalkAllowed(); // the floor is free: nothing runs, nothing changes
    EXPECT_EQ(lines[2].duration, "Yields") << "a request is never closed";

    EXPECT_EQ(lines[1].name, "unknown");
    EXPECT_EQ(lines[1].role, "");
    Zumeli::Text own;
    engine().getUserName(engine().getOwnUserId(), own);
    EXPECT_EQ(lines[0].name, own.c_str());
    EXPECT_EQ(lines[0].started, TalkList::formatStart(1'700'000'015));

    // The rows show the lines, newest first.
    ASSERT_EQ(history->rows()->itemCount(), 3);
    epiUbo* newest = history->rows()->item(0);
    EXPECT_EQ(textOf(newest, "dura"), "01:15");
    EXPECT_EQ(textOf(newest, "name"), own.c_str());
    EXPECT_EQ(textOf(history->rows()->item(1), "name"), "Unknown") << "an unknown talker, in the words of the table (whose ids fold letter case)";
    EXPECT_EQ(textOf(history->rows()->item(2), "dura"), "Yields");
}

TEST(TalkListTest, KeepsAHundredLinesAndFormatsDurations)
{
    TalkList list;
    for (int i = 0; i < 101; ++i)
        list.addLine(TalkElem {}, 1000 + i);
    ASSERT_EQ(list.lines().size(), TalkList::MaxLines);
    EXPECT_EQ(list.lines().front().startTime, 1100);
    EXPECT_EQ(list.lines().back().startTime, 1001) << "the 101st line pushed the first out";
    EXPECT_EQ(list.lines().back().duration, "00:01");

    // A request between talks: closing finds the newest running talk below it.
    TalkList mixed;
    mixed.addLine(TalkElem {}, 0);
    TalkElem request;
    request.request = true;
    mixed.addLine(request, 30);
    EXPECT_TRUE(mixed.closeLine(3725));
    EXPECT_EQ(mixed.lines()[1].duration, "62:05") << "an hour and more counts whole minutes";
    EXPECT_EQ(mixed.lines()[0].duration, "Yields");
    EXPECT_FALSE(mixed.closeLine(4000));
}

TEST_F(MessagesTest, SideWindowsKeepTheirFrameInThePreferences)
{
    startAsGuest();
    auto* history = open<TalkHistoryWindow>("tahi");
    ASSERT_NE(history, nullptr);
    history->setFrame(epiRect::fromSize(321, 123, 500, 400));
    history->close();
    Zumeli::Text stored;
    ASSERT_TRUE(engine().getPreferenceText("ui.windowpositionandsize.talkhistory", stored));
    EXPECT_STREQ(stored.c_str(), "321,123,500,400");
    history = open<TalkHistoryWindow>("tahi");
    ASSERT_NE(history, nullptr);
    EXPECT_EQ(history->frame(), epiRect::fromSize(321, 123, 500, 400));

    epiRect frame;
    for (const char* bad : {"", "1,2,3", "1,2,0,4", "1,2,3,4x", "a,b,c,d"})
        EXPECT_FALSE(SideWindow::parseFrame(bad, frame)) << bad;
}

// ----- the favourite channels -----

TEST_F(MessagesTest, FavouritesListTheirChannelsAndAClickTunesAndMarks)
{
    startAsGuest({{"ui.favourites", "1200,0,1300"}});
    ASSERT_TRUE(tunedTo(1000));
    m_panel->receiveCommand(epiFourCC("faac"), 1300, 0);
    ASSERT_TRUE(tunedTo(1300));

    auto* window = open<ChannelsWindow>("chLi");
    ASSERT_NE(window, nullptr);
    ChannelsPane* pane = window->pane();
    ASSERT_NE(pane, nullptr);
    EXPECT_EQ(pane->favourites(), (std::vector<int> {1200, 1300}));
    ASSERT_EQ(pane->rows()->itemCount(), 2);
    epiUbo* first = pane->rows()->item(0);
    epiUbo* second = pane->rows()->item(1);
    EXPECT_EQ(textOf(first, "numb"), "") << "never joined: no record, an empty row";
    EXPECT_EQ(textOf(second, "numb"), "13.00");
    EXPECT_FALSE(first->findChild(epiFourCC("usic"))->isVisible()) << "no icon";
    EXPECT_EQ(first->findChild(epiFourCC("acch"))->value(), 0);
    EXPECT_EQ(second->findChild(epiFourCC("acch"))->value(), 1) << "the current channel is marked";

    click(first, "acch");
    ASSERT_TRUE(tunedTo(1200));
    first = pane->rows()->item(0);
    second = pane->rows()->item(1);
    EXPECT_EQ(first->findChild(epiFourCC("acch"))->value(), 1);
    EXPECT_EQ(second->findChild(epiFourCC("acch"))->value(), 0);
    EXPECT_EQ(textOf(first, "numb"), "12.00") << "joined now: the record is known";

    window->close();
    Zumeli::Text stored;
    EXPECT_TRUE(engine().getPreferenceText("ui.windowpositionsize.channels", stored));
    EXPECT_FALSE(stored.isEmpty());
    EXPECT_EQ(ChannelsPane::favouritesOf("x,0,,1234,abc,-5"), (std::vector<int> {1234, -5}));
}

// ----- icons from the picture cache -----

// A 48 × 24 JPEG, all red.
const unsigned char RedJpeg[] = {
  0xff, 0xd8, 0xff, 0xe0, 0x00, 0x10, 0x4a, 0x46, 0x49, 0x46, 0x00, 0x01,
  0x01, 0x00, 0x00, 0x01, 0x00, 0x01, 0x00, 0x00, 0xff, 0xdb, 0x00, 0x43,
  0x00, 0x03, 0x02, 0x02, 0x03, 0x02, 0x02, 0x03, 0x03, 0x03, 0x03, 0x04,
  0x03, 0x03, 0x04, 0x05, 0x08, 0x05, 0x05, 0x04, 0x04, 0x05, 0x0a, 0x07,
  0x07, 0x06, 0x08, 0x0c, 0x0a, 0x0c, 0x0c, 0x0b, 0x0a, 0x0b, 0x0b, 0x0d,
  0x0e, 0x12, 0x10, 0x0d, 0x0e, 0x11, 0x0e, 0x0b, 0x0b, 0x10, 0x16, 0x10,
  0x11, 0x13, 0x14, 0x15, 0x15, 0x15, 0x0c, 0x0f, 0x17, 0x18, 0x16, 0x14,
  0x18, 0x12, 0x14, 0x15, 0x14, 0xff, 0xdb, 0x00, 0x43, 0x01, 0x03, 0x04,
  0x04, 0x05, 0x04, 0x05, 0x09, 0x05, 0x05, 0x09, 0x14, 0x0d, 0x0b, 0x0d,
  0x14, 0x14, 0x14, 0x14, 0x14, 0x14, 0x14, 0x14, 0x14, 0x14, 0x14, 0x14,
  0x14, 0x14, 0x14, 0x14, 0x14, 0x14, 0x14, 0x14, 0x14, 0x14, 0x14, 0x14,
  0x14, 0x14, 0x14, 0x14, 0x14, 0x14, 0x14, 0x14, 0x14, 0x14, 0x14, 0x14,
  0x14, 0x14, 0x14, 0x14, 0x14, 0x14, 0x14, 0x14, 0x14, 0x14, 0x14, 0x14,
  0x14, 0x14, 0xff, 0xc0, 0x00, 0x11, 0x08, 0x00, 0x18, 0x00, 0x30, 0x03,
  0x01, 0x11, 0x00, 0x02, 0x11, 0x01, 0x03, 0x11, 0x01, 0xff, 0xc4, 0x00,
  0x15, 0x00, 0x01, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
  0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x07, 0xff, 0xc4, 0x00, 0x14,
  0x10, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
  0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xff, 0xc4, 0x00, 0x16, 0x01, 0x01,
  0x01, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
  0x00, 0x00, 0x00, 0x00, 0x07, 0x08, 0xff, 0xc4, 0x00, 0x14, 0x11, 0x01,
  0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
  0x00, 0x00, 0x00, 0x00, 0xff, 0xda, 0x00, 0x0c, 0x03, 0x01, 0x00, 0x02,
  0x11, 0x03, 0x11, 0x00, 0x3f, 0x00, 0x86, 0x25, 0xed, 0xd6, 0x00, 0x00,
  0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x03, 0xff,
  0xd9
};

TEST_F(MessagesTest, AChannelIconSentToTheServiceShowsInTheFavourites)
{
    start({{"ui.favourites", "1200,1300"}});
    epiWindow* registration = m_app.windowManager()->findWindow(epiFourCC("regi"));
    ASSERT_NE(registration, nullptr);
    registration->close();
    Zumeli::Text error;
    ASSERT_TRUE(engine().registerUser("Iconmaker", "secret1", "icons@example.org", error)) << error.c_str();
    engine().setLogin("Iconmaker", "secret1");
    engine().setPreferenceNumber("public.isregisteredlogin", "1");
    engine().connect();
    ASSERT_TRUE(waitFor([&] { return m_panel->isLoggedIn(); }));
    m_panel->receiveCommand(epiFourCC("faac"), 1200, 0);
    ASSERT_TRUE(tunedTo(1200));
    Zumeli::Text jpeg(reinterpret_cast<const char*>(RedJpeg), int(sizeof RedJpeg));
    ASSERT_TRUE(engine().saveImage(Zumeli::PictureIndex::ChannelIcon, jpeg));
    // Joining again brings the icon's new version, and the engine fetches it into its cache.
    m_panel->receiveCommand(epiFourCC("faac"), 1300, 0);
    ASSERT_TRUE(tunedTo(1300));
    m_panel->receiveCommand(epiFourCC("faac"), 1200, 0);
    ASSERT_TRUE(tunedTo(1200));

    auto* window = open<ChannelsWindow>("chLi");
    ASSERT_NE(window, nullptr);
    auto icon = [&] { return dynamic_cast<epiUiBitmapImage*>(window->pane()->rows()->item(0)->findChild(epiFourCC("usic"))); };
    ASSERT_TRUE(waitFor([&] {
        window->receiveCommand(epiFourCC("refr"), 0, 0);
        return icon()->isVisible();
    }, 10.0)) << "the icon arrived in the cache";
    epiBitmap* bitmap = icon()->face(0);
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(bitmap->width(), 32) << "fitted into the icon size, the aspect kept";
    EXPECT_EQ(bitmap->height(), 16);
    uint32_t middle = bitmap->pixel(16, 8);
    EXPECT_GT((middle >> 16) & 0xFF, 180u) << std::hex << middle;
    EXPECT_LT((middle >> 8) & 0xFF, 80u) << std::hex << middle;
    EXPECT_FALSE(window->pane()->rows()->item(1)->findChild(epiFourCC("usic"))->isVisible()) << "13.00 has none";
}

// ----- the message box -----

TEST_F(MessagesTest, AnUnreadMessageIsBlueUntilClickedAndALinkOpensWithHttp)
{
    startAsGuest();
    receive("Hello there");
    receive("www.example.org/plan,see this");
    auto* box = open<MessagesBoxWindow>("mebx");
    ASSERT_NE(box, nullptr);
    MessagesBoxPane* pane = box->pane();
    ASSERT_EQ(pane->rows()->itemCount(), 2);

    epiUbo* row = pane->rows()->item(0);
    epiUbo* from = row->findChild(epiFourCC("mefr"));
    EXPECT_TRUE(from->isVisible());
    EXPECT_FALSE(row->findChild(epiFourCC("meto"))->isVisible());
    EXPECT_EQ(textOf(from, "user"), "From Marta");
    EXPECT_EQ(textOf(from, "mess"), "Hello there");
    EXPECT_EQ(textOf(from, "time"), "one minute ago");
    EXPECT_TRUE(pane->hasTimer()) << "the ages are set again every 90 s";
    EXPECT_EQ(colourOf(from, "user"), epiUiBitmapText::parseColour("0,0,200"));
    EXPECT_EQ(colourOf(from, "mess"), epiUiBitmapText::parseColour("0,0,0"));

    click(from, "hime");
    EXPECT_EQ(colourOf(from, "user"), epiUiBitmapText::parseColour("0,0,0"));
    Zumeli::UserMessageData message;
    ASSERT_TRUE(engine().getMessage(0, message));
    EXPECT_TRUE(message.read);

    epiUbo* link = pane->rows()->item(1)->findChild(epiFourCC("mefr"));
    EXPECT_EQ(colourOf(link, "mess"), epiUiBitmapText::parseColour("0,0,200")) << "a link";
    click(link, "balo");
    EXPECT_EQ(openedAddresses(), "http://www.example.org/plan\n");
    ASSERT_TRUE(engine().getMessage(1, message));
    EXPECT_TRUE(message.read);
    EXPECT_EQ(MessagesBoxPane::linkAddress("https://a.b/c"), "https://a.b/c");
    EXPECT_FALSE(MessagesBoxPane::isLink("see www.example.org"));
}

TEST_F(MessagesTest, SentMessagesShowToWhomAndTheBoxWritesToTheConversationsPerson)
{
    startAsGuest();
    int group = engine().addGroup(Zumeli::Text("Hikers"));
    ASSERT_TRUE(engine().sendMessageToGroup(Zumeli::Text("Up at six"), group));
    receive("Shall we go?");
    auto* box = open<MessagesBoxWindow>("mebx");
    ASSERT_NE(box, nullptr);
    MessagesBoxPane* pane = box->pane();
    ASSERT_EQ(pane->rows()->itemCount(), 2);
    epiUbo* to = pane->rows()->item(0)->findChild(epiFourCC("meto"));
    EXPECT_TRUE(to->isVisible());
    EXPECT_FALSE(pane->rows()->item(0)->findChild(epiFourCC("mefr"))->isVisible());
    EXPECT_EQ(textOf(to, "user"), "To Hikers");
    EXPECT_EQ(colourOf(to, "user"), epiUiBitmapText::parseColour("0,0,0")) << "own messages are read";

    // Without a chosen row the line writes to the newest message's person.
    EXPECT_EQ(textOf(box, "whom"), "To Marta");
    type(box, "edit", "Yes, at six");
    m_system->clickControl(control(box, "Send"));
    m_system->flush();
    ASSERT_EQ(engine().getMessageCount(), 3);
    Zumeli::UserMessageData sent;
    ASSERT_TRUE(engine().getMessage(2, sent));
    EXPECT_STREQ(sent.text.c_str(), "Yes, at six");
    EXPECT_EQ(sent.recipient, Marta);
    EXPECT_EQ(pane->rows()->itemCount(), 3) << "the box follows the history";
    EXPECT_EQ(textOf(pane->rows()->item(2)->findChild(epiFourCC("meto")), "user"), "To Marta");

    // 'mesg' from a received row asks the panel for a new message to its sender.
    click(pane->rows()->item(1)->findChild(epiFourCC("mefr")), "mesg");
    auto* write = find<AskNewUserMessageWindow>("nume");
    ASSERT_NE(write, nullptr);
    EXPECT_EQ(write->target(), Marta);
    EXPECT_EQ(textOf(write, "whom"), "To Marta");
}

// ----- writing, inviting, reporting -----

TEST_F(MessagesTest, TheWindowsThatWriteToSomeoneSendToAUserOrAGroup)
{
    startAsGuest();
    receive("hi");
    int group = engine().addGroup(Zumeli::Text("Crew"));

    m_panel->receiveCommand(epiFourCC("Gmes"), group, 0);
    auto* write = find<AskNewUserMessageWindow>("nume");
    ASSERT_NE(write, nullptr);
    EXPECT_TRUE(write->toGroup());
    EXPECT_EQ(textOf(write, "whom"), "To Crew");
    type(write, "edit", "Meeting at noon");
    m_system->clickControl(control(write, "Send"));
    m_system->flush();
    EXPECT_EQ(find<AskNewUserMessageWindow>("nume"), nullptr) << "sent: the window closes";
    Zumeli::UserMessageData last;
    ASSERT_TRUE(engine().getMessage(engine().getMessageCount() - 1, last));
    EXPECT_EQ(last.groupId, group);
    EXPECT_STREQ(last.text.c_str(), "Meeting at noon");

    m_panel->receiveCommand(epiFourCC("bell"), Marta, 0);
    auto* invite = find<AskNewUserInvitationWindow>("nuin");
    ASSERT_NE(invite, nullptr);
    EXPECT_NE(textOf(invite, "text").find("10.00"), std::string::npos) << textOf(invite, "text");
    m_system->clickControl(control(invite, "Send"));
    m_system->flush();
    ASSERT_TRUE(engine().getMessage(engine().getMessageCount() - 1, last));
    EXPECT_EQ(last.type, Zumeli::UserMessageData::Invitation);
    EXPECT_EQ(last.recipient, Marta);

    m_panel->receiveCommand(epiFourCC("uabu"), Marta, 0);
    auto* report = find<AskReportUserAbuse>("nuab");
    ASSERT_NE(report, nullptr);
    EXPECT_NE(textOf(report, "text").find("Marta"), std::string::npos);
    m_system->clickControl(control(report, "Canc"));
    m_system->flush();
    EXPECT_EQ(find<AskReportUserAbuse>("nuab"), nullptr);
}

// ----- service messages -----

TEST_F(MessagesTest, ServiceMessagesOpenAWindowEachAndTheirButtonsFollowTheirRules)
{
    startAsGuest();
    Zumeli::ServiceMessageData closing;
    closing.mainText = "The service restarts at midnight.";
    closing.buttons[1].text = "Details";
    closing.buttons[1].url = "http://127.0.0.1:1/details"; // fetched, and nobody answers
    Zumeli::ServiceMessageData renewing;
    renewing.mainText = "Your session was renewed.";
    renewing.buttons[0].text = "Renew";
    renewing.buttons[0].url = "www.example.org/renew";
    renewing.buttons[0].urlInBrowser = true;
    renewing.buttons[0].reconnect = true;
    renewing.mainDisconnect = true;
    ASSERT_TRUE(engine().addServiceMessage(closing));
    ASSERT_TRUE(engine().addServiceMessage(renewing));
    m_panel->onMessagesArrived();
    ASSERT_TRUE(waitFor([&] { return !m_panel->isLoggedIn(); })) << "a message may ask to leave the service";

    std::vector<MessageWindow*> windows;
    for (int i = 0; i < m_app.windowManager()->windowCount(); ++i)
        if (auto* window = dynamic_cast<MessageWindow*>(m_app.windowManager()->windowAt(i)))
            windows.push_back(window);
    ASSERT_EQ(windows.size(), 2u);
    MessageWindow* first = windows[0];
    MessageWindow* second = windows[1];
    EXPECT_EQ(textOf(first, "text"), "The service restarts at midnight.");
    EXPECT_TRUE(first->findChild(epiFourCC("but0"))->isVisible());
    EXPECT_EQ(textOf(first, "but0"), "Done") << "an empty first button only closes";
    EXPECT_TRUE(first->findChild(epiFourCC("but1"))->isVisible());
    EXPECT_FALSE(first->findChild(epiFourCC("but2"))->isVisible());
    EXPECT_FALSE(first->findChild(epiFourCC("Done"))->isVisible());
    EXPECT_NE(first->frame().left, second->frame().left) << "stepped so that both show";

    // The fetch fails: the window stays open. The empty address closes it.
    EXPECT_FALSE(first->press(1));
    EXPECT_EQ(m_app.windowManager()->windowCount(), 3);
    m_system->clickControl(control(first, "but0"));
    m_system->flush();
    EXPECT_EQ(m_app.windowManager()->windowCount(), 2);

    // Browser, then a new login, then closing.
    m_system->clickControl(control(second, "but0"));
    m_system->flush();
    EXPECT_EQ(m_app.windowManager()->windowCount(), 1);
    EXPECT_EQ(openedAddresses(), "http://www.example.org/renew\n");
    ASSERT_TRUE(waitFor([&] { return m_panel->isLoggedIn(); })) << "logged in again";
}

// ----- desktop notifications -----

class RecordingNotifier : public MessageNotifier
{
public:
    explicit RecordingNotifier(std::vector<std::string>& shown) : m_shown(shown) {}
    void show(const std::string& title, const std::string& body) override { m_shown.push_back(title + ": " + body); }

private:
    std::vector<std::string>& m_shown;
};

TEST_F(MessagesTest, AMessageArrivingWhileTheMainWindowIsAwayIsAnnouncedAndTheClickOpensTheBox)
{
    startAsGuest();
    std::vector<std::string> shown;
    m_panel->arrivals().setNotifier(std::make_unique<RecordingNotifier>(shown));
    m_system->activate(m_main->handle());
    receive("seen on the panel");
    EXPECT_TRUE(shown.empty()) << "the main window has the focus";

    m_system->activate(0);
    receive("are you there?");
    ASSERT_EQ(shown, (std::vector<std::string> {"Marta: are you there?"}));
    ASSERT_EQ(find<MessagesBoxWindow>("mebx"), nullptr);
    m_panel->arrivals().notifier()->activated();
    EXPECT_NE(find<MessagesBoxWindow>("mebx"), nullptr);

    // Own messages are not announced.
    m_system->activate(0);
    ASSERT_TRUE(engine().sendMessageToUser(Zumeli::Text("yes"), Marta));
    EXPECT_EQ(shown.size(), 1u);
}

} // namespace
