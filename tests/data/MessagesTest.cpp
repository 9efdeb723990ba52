#include "data/People.h"
#include "data/ServiceMessageData.h"
#include "data/UserMessagesList.h"
#include "tests/data/TempFolder.h"

#include <gtest/gtest.h>

using namespace Zumeli;

namespace {

std::unique_ptr<UserMessageData> message(const char* text, int sender, bool read = false)
{
    auto m = std::make_unique<UserMessageData>();
    m->text = text;
    m->sender = sender;
    m->recipient = 1;
    m->read = read;
    m->datetime = 1700000000 + sender;
    return m;
}

} // namespace

TEST(UserMessages, HistoryFileBytesAndRoundTrip)
{
    TempFolder temp("history");
    UserMessagesList list;
    list.load(temp.folder());
    list.append(message("hello\tthere\r\nfriend", 5));
    auto group = message("to the group", 1, true);
    group->groupId = 104;
    list.append(std::move(group));

    EXPECT_EQ(list.toHistoryText(), "version1\r\n5\t1\t-1\t0\t1700000005\thellotherefriend\r\n"
                                    "1\t1\t104\t1\t1700000001\tto the group\r\n");
    UserMessagesList back;
    back.load(temp.folder()); // saved by each append
    ASSERT_EQ(back.count(), 2);
    EXPECT_EQ(back[0]->text, "hellotherefriend") << "tabs and line breaks are dropped";
    EXPECT_EQ(back[1]->groupId, 104);
    EXPECT_TRUE(back[1]->read);
    EXPECT_EQ(back.unreadCount(), 1);
}

TEST(UserMessages, HistoryHeaderRules)
{
    UserMessagesList list;
    EXPECT_TRUE(list.fromHistoryText(Text("VERSION1\r\n3\t1\t-1\t1\t9\tx\r\n\r\n")));
    ASSERT_EQ(list.count(), 1) << "the header's letter case is ignored; blank lines carry nothing";
    EXPECT_EQ(list[0]->datetime, 9);
    EXPECT_FALSE(list.fromHistoryText(Text("version2\r\n3\t1\t-1\t1\t9\tx\r\n")));
    EXPECT_TRUE(list.isEmpty());
}

// Every change is in the history file at once: each step is checked on a fresh load of it.
TEST(UserMessages, KeepsAtMost101AndSavesEveryReadStateChange)
{
    TempFolder temp("readstate");
    UserMessagesList list;
    list.load(temp.folder());
    auto saved = [&] {
        UserMessagesList back;
        back.load(temp.folder());
        return back;
    };
    for (int i = 0; i < 101; ++i)
        list.append(message("m", i));
    EXPECT_EQ(list.count(), 101);
    list.append(message("new", 500));
    EXPECT_EQ(list.count(), 101);
    EXPECT_EQ(list[0]->sender, 1) << "the oldest went";
    EXPECT_EQ(list.last()->sender, 500);
    EXPECT_EQ(saved().count(), 101);
    EXPECT_EQ(saved()[0]->sender, 1);

    EXPECT_EQ(list.unreadCount(), 101);
    EXPECT_TRUE(list.markRead(3));
    EXPECT_TRUE(saved()[3]->read);
    EXPECT_EQ(saved().unreadCount(), 100);
    EXPECT_FALSE(list.markRead(3));
    EXPECT_FALSE(list.markRead(101));
    EXPECT_EQ(list.unreadCount(), 100);

    list.markAllRead();
    EXPECT_EQ(list.unreadCount(), 0);
    EXPECT_EQ(saved().unreadCount(), 0);
    EXPECT_EQ(saved().count(), 101);

    list.clearHistory();
    EXPECT_TRUE(list.isEmpty());
    EXPECT_TRUE(saved().isEmpty());
    EXPECT_TRUE(Text::fileExists(list.path())) << "an empty history is saved, not left as it was";
}

// A long history file (only a new message trims it) loads whole and in order; the first message
// that arrives then keeps the newest 100 and adds itself.
TEST(UserMessages, ALongHistoryLoadsWholeAndTrimsAtTheNextMessage)
{
    UserMessagesList written;
    for (int i = 0; i < 250; ++i)
        written.add(message("m", i, i % 2 == 0));
    UserMessagesList list;
    ASSERT_TRUE(list.fromHistoryText(written.toHistoryText()));
    ASSERT_EQ(list.count(), 250);
    for (int i = 0; i < 250; ++i)
        ASSERT_EQ(list[i]->sender, i);
    EXPECT_EQ(list.unreadCount(), 125);
    list.append(message("new", 900));
    ASSERT_EQ(list.count(), 101);
    EXPECT_EQ(list[0]->sender, 150);
    EXPECT_EQ(list[99]->sender, 249);
    EXPECT_EQ(list.last()->sender, 900);
}

TEST(UserMessages, MarkReadPastTheEndDoesNotSave)
{
    TempFolder temp("marks");
    UserMessagesList list;
    list.load(temp.folder());
    list.append(message("m", 3));
    Text::removeFile(list.path());
    EXPECT_FALSE(list.markRead(1));
    EXPECT_FALSE(Text::fileExists(list.path()));
    EXPECT_TRUE(list.markRead(0));
    EXPECT_TRUE(Text::fileExists(list.path()));
}

TEST(UserMessages, ReadFromReplyRecordsSenders)
{
    Text reply("<reply><usermessages>"
               "<message><sender>42</sender><datetime> 1700000000 </datetime><text> a &amp; b &lt;3 </text></message>"
               "<message><sender>7</sender><text>second</text></message>"
               "</usermessages></reply>");
    People people;
    someVector<UserMessageData> incoming;
    EXPECT_EQ(UserMessagesList::readFromReply(XmlChunk(reply).child("reply"), incoming, people), 2);
    ASSERT_EQ(incoming.count(), 2);
    EXPECT_EQ(incoming[0]->text, " a & b <3 ") << "raw, decoded, not trimmed";
    EXPECT_EQ(incoming[0]->datetime, 1700000000);
    EXPECT_FALSE(incoming[0]->read);
    EXPECT_NE(people.find(42), nullptr);
    EXPECT_NE(people.find(7), nullptr);
}

TEST(UserMessages, MessageDocument)
{
    UserMessageData m;
    m.type = UserMessageData::Invitation;
    m.text = "Tom & Jerry <3";
    EXPECT_EQ(UserMessagesList::messageDocument(m, { 5, 6 }),
              "<message>\r\n<type>1</type>\r\n<recipient>\r\n<id>5</id>\r\n<id>6</id>\r\n</recipient>\r\n"
              "<text>Tom%20%26amp;%20Jerry%20%26lt;3</text>\r\n</message>\r\n");
}

TEST(ServiceMessages, ButtonsAndFlags)
{
    Text reply("<servicemessages><message><mainText> Maintenance\r\n tonight </mainText><mainDisconnect>1</mainDisconnect>"
               "<buttons><0><text>Read</text><url>http://example.org/</url><urlInBrowser>1</urlInBrowser></0>"
               "<2><text>Quit</text><quit>1</quit><reconnect>2</reconnect><urlInBrowser>2</urlInBrowser></2></buttons>"
               "</message><message><mainText>second</mainText></message></servicemessages>");
    ServiceMessagesList list;
    EXPECT_EQ(list.readFromReply(XmlChunk(reply)), 2);
    const ServiceMessageData& first = *list[0];
    EXPECT_EQ(first.mainText, "Maintenance tonight");
    EXPECT_TRUE(first.mainDisconnect);
    EXPECT_EQ(first.buttons[0].url, "http://example.org/");
    EXPECT_TRUE(first.buttons[0].urlInBrowser);
    EXPECT_TRUE(first.buttons[2].quit);
    EXPECT_FALSE(first.buttons[2].reconnect) << "only exactly 1 is true";
    EXPECT_FALSE(first.buttons[2].urlInBrowser);
    EXPECT_TRUE(first.buttons[1].text.isEmpty());
    EXPECT_FALSE(list[1]->mainDisconnect);
}
