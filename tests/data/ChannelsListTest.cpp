#include "data/ChannelsList.h"
#include "data/Checksum.h"
#include "tests/data/TempFolder.h"

#include <gtest/gtest.h>

using namespace Zumeli;

TEST(ChannelsList, GetOrCreateGivesTheDefaults)
{
    ChannelsList list;
    ChannelElement* channel = list.getOrCreate(705);
    EXPECT_EQ(channel->numberDisplay, "07.05");
    EXPECT_EQ(channel->name, "Canal   07.05");
    EXPECT_EQ(channel->permissions, 2);
    EXPECT_EQ(channel->timestamp, -1);
    EXPECT_EQ(channel->extraNumber, 1);
    EXPECT_EQ(list.getOrCreate(705), channel);
    EXPECT_EQ(list.count(), 1);
    EXPECT_EQ(list.find(1000), nullptr);
    EXPECT_EQ(ChannelElement::displayNumber(1234), "12.34");
}

TEST(ChannelsList, CacheFileBytesAreExact)
{
    ChannelsList list;
    ChannelElement* c = list.getOrCreate(1000);
    c->name = "Plaza";
    c->timestamp = 17;
    c->address = "voice.example";
    c->port = 9995;
    c->codec = 9;
    c->images[ChannelElement::Icon] = { "channel_1000.jpg", 4 };
    c->hideNumberOnPlates = true;
    c->cy = 3;
    Text body("<zumeli><version>1</version><channelslist><channel><number>1000</number>\r\n"
              "<numberdisplay>10.00</numberdisplay>\r\n<name>Plaza</name>\r\n<description></description>\r\n"
              "<descriptionDesktop></descriptionDesktop>\r\n<details></details>\r\n<timestamp>17</timestamp>\r\n"
              "<platedesktoptimestamp>0</platedesktoptimestamp>\r\n<platedesktoppath></platedesktoppath>\r\n"
              "<plateiphonetimestamp>0</plateiphonetimestamp>\r\n<plateiphonepath></plateiphonepath>\r\n"
              "<icontimestamp>4</icontimestamp>\r\n<iconpath>channel_1000.jpg</iconpath>\r\n"
              "<permissions>2</permissions>\r\n<codec>9</codec>\r\n<port>9995</port>\r\n"
              "<hidenumberonplates>1</hidenumberonplates>\r\n<address>voice.example</address>\r\n"
              "<adminid>0</adminid>\r\n<cy>3</cy>\r\n<lang>0</lang>\r\n</channel></channelslist></zumeli>");
    Text expected = body;
    appendChecksumTrailer(expected);
    EXPECT_EQ(list.toCacheText(), expected);
}

TEST(ChannelsList, SaveAndLoadRoundTrip)
{
    TempFolder temp("channels");
    ChannelsList list;
    list.load(temp.folder());
    EXPECT_TRUE(list.isEmpty()) << "no file yet";
    for (int number : { 1000, 705, 1999 }) {
        ChannelElement* c = list.getOrCreate(number);
        c->port = 9995;
        c->timestamp = number;
        c->address = "127.0.0.1";
        c->description = "desc of " + std::to_string(number);
        c->images[ChannelElement::PlateDesktop] = { "plateDesktop_1.jpg", 2 };
        c->images[ChannelElement::PlateIPhone] = { "plateIPhone_1.jpg", 3 };
        c->lang = 5;
        c->adminId = 77;
    }
    ASSERT_TRUE(list.save());

    ChannelsList back;
    back.load(temp.folder());
    ASSERT_EQ(back.count(), 3);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(*back[i], *list[i]) << i;
}

TEST(ChannelsList, RecordsWithoutAVoiceServerAreRefreshed)
{
    ChannelsList list;
    list.getOrCreate(1)->timestamp = 55; // port 0
    ChannelElement* known = list.getOrCreate(2);
    known->port = 9995;
    known->timestamp = 0;
    ChannelElement* good = list.getOrCreate(3);
    good->port = 9995;
    good->timestamp = 8;
    ChannelsList back;
    ASSERT_TRUE(back.fromCacheText(list.toCacheText()));
    EXPECT_EQ(back.find(1)->timestamp, -1);
    EXPECT_EQ(back.find(2)->timestamp, -1);
    EXPECT_EQ(back.find(3)->timestamp, 8);
}

TEST(ChannelsList, DamagedOrForeignFilesAreIgnored)
{
    ChannelsList list;
    list.getOrCreate(1000)->port = 1;
    Text good = list.toCacheText();

    Text lowerCase = good;
    std::string bytes = lowerCase.str();
    for (size_t i = bytes.size() - 8; i < bytes.size(); ++i)
        bytes[i] = char(tolower(bytes[i]));
    ASSERT_NE(bytes, good.str()) << "the checksum must hold letters for this case";

    std::string altered = good.str();
    altered[30] = 'X';

    Text otherVersion("<zumeli><version>2</version><channelslist><channel><number>5</number></channel></channelslist></zumeli>");
    appendChecksumTrailer(otherVersion);

    const Text cases[] = { Text(bytes), Text(altered), good.left(good.length() - 3), otherVersion, Text(""), Text("\r") };
    for (const Text& file : cases) {
        ChannelsList back;
        back.getOrCreate(42);
        EXPECT_FALSE(back.fromCacheText(file));
        EXPECT_TRUE(back.isEmpty());
    }
}

TEST(ChannelsList, ANameWithATagBreaksOnlyThatField)
{
    ChannelsList list;
    ChannelElement* c = list.getOrCreate(1000);
    c->name = "a<b>c";
    c->port = 9995;
    c->codec = 9;
    ChannelsList back;
    ASSERT_TRUE(back.fromCacheText(list.toCacheText()));
    ASSERT_EQ(back.count(), 1);
    EXPECT_EQ(back[0]->codec, 9);
    EXPECT_EQ(back[0]->number, 1000);
}
