#include "data/Archive.h"

#include <gtest/gtest.h>

using namespace Zumeli;

TEST(Archive, SetReplacesInPlaceAndAppendsNewNames)
{
    Archive archive;
    archive.set("a", "1");
    archive.set("b", "2");
    archive.set("a", Text("3"));
    ASSERT_EQ(archive.count(), 2);
    EXPECT_EQ(archive.pairs()[0].name, "a");
    EXPECT_EQ(archive.pairs()[0].data, "3");
    EXPECT_EQ(archive.get("b"), "2");
    EXPECT_EQ(archive.get("missing"), "");
    EXPECT_FALSE(archive.contains("A")) << "names are exact";
    archive.setFloat("f", 0.5f);
    EXPECT_EQ(archive.get("f"), "0.5000");
    EXPECT_FLOAT_EQ(archive.getFloat("f"), 0.5f);
}

TEST(Archive, XmlFormAndRoundTrip)
{
    Archive archive;
    archive.set("ui.x", "10");
    archive.set("name", " spaced \r\n");
    Text xml = archive.toXml();
    EXPECT_EQ(xml, "<archive><item><name>ui.x</name>\r\n<data>10</data>\r\n</item>"
                   "<item><name>name</name>\r\n<data> spaced \r\n</data>\r\n</item></archive>");

    Archive back;
    back.set("stale", "x");
    back.fromXml(XmlChunk(xml));
    ASSERT_EQ(back.count(), 2);
    EXPECT_EQ(back.get("name"), " spaced \r\n") << "values are read raw, untrimmed";
    EXPECT_FALSE(back.contains("stale"));

    Archive broken;
    broken.set("x", "y");
    broken.fromXml(XmlChunk(Text("<archive><item><name>a")));
    EXPECT_EQ(broken.count(), 0) << "a damaged document gives an empty list";
}
