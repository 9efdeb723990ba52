#include "data/XmlChunk.h"

#include <gtest/gtest.h>

using namespace Zumeli;

namespace {

Text childOf(const char* xml, const char* name)
{
    XmlChunk chunk;
    chunk.setFromCString(xml);
    return chunk.child(name).rawText();
}

} // namespace

TEST(XmlChunk, ChildFindsOnlyTopLevelElements)
{
    struct Case {
        const char* xml;
        const char* name;
        const char* content;
    };
    const Case cases[] = {
        { "<b><a>1</a></b><a>2</a>", "a", "2" },           // the inner a goes with b
        { "<a><a>x</a></a>", "a", "<a>x</a>" },            // same-name nesting by depth
        { "<x>1</x><y> 2 </y>", "y", " 2 " },
        { "<?xml version=\"1.0\"?><!-- c --><r>v</r>", "r", "v" },
        { "<r id=\"7\" k='a'>v</r>", "r", "v" },              // attributes are not interpreted
        { "<R>v</R>", "r", "" },                             // names are case-sensitive
        { "<ab>1</ab><a>2</a>", "a", "2" },                  // whole names only
        { "<a><b/></a>", "b", "" },                          // grandchildren are not found
        { "<b><c>open</b><a>1</a>", "a", "1" },              // other names inside b are passed over
        { "<c>never closed<a>1</a>", "a", "" },              // a malformed element stops the search
        { "<a>unclosed", "a", "" },
        { "", "a", "" },
        { "<", "a", "" },
        { "</", "a", "" },
        { "<a>1</a/><a>2</a>", "a", "1" },                  // "</a/>" still closes a
        { "<a x='>'>v</a>", "a", "'>v" },                    // a '>' in an attribute ends the tag
    };
    for (const Case& c : cases)
        EXPECT_EQ(childOf(c.xml, c.name), c.content) << c.xml;
}

TEST(XmlChunk, SelfClosingElementsAreFoundEmpty)
{
    for (const char* xml : { "<flag/>", "<flag />", "<other/><flag/>" }) {
        XmlChunk chunk;
        chunk.setFromCString(xml);
        XmlChunk flag = chunk.child("flag");
        EXPECT_TRUE(flag.isEmpty()) << xml;
        EXPECT_NE(flag.start, chunk.start + 0) << "placed after the name, not at the start: " << xml;
        long value = 42;
        EXPECT_FALSE(chunk.readLong("flag", value));
        EXPECT_EQ(value, 42);
    }
}

TEST(XmlChunk, MissingChildIsAnEmptyChunkAtTheStart)
{
    Text xml("<a>1</a>");
    XmlChunk chunk(xml);
    XmlChunk missing = chunk.child("zz");
    EXPECT_TRUE(missing.isEmpty());
    EXPECT_EQ(missing.start, xml.data());
}

TEST(XmlChunk, TrimmedText)
{
    struct Case {
        const char* in;
        const char* out;
    };
    const Case cases[] = {
        { "  one\r\n   two  ", "one two" }, { "\t\n x", "x" }, { "a\nb", "a\nb" },
        { "a\r", "a" },                     { "   ", "" },     { "a \r\t b", "a  b" },
    };
    for (const Case& c : cases) {
        XmlChunk chunk;
        chunk.setFromCString(c.in);
        EXPECT_EQ(chunk.trimmedText(), c.out) << c.in;
    }
}

TEST(XmlChunk, ReadersKeepDefaultsWhenMissing)
{
    Text xml("<r><n> 12 </n><b>65536</b><c>3</c><t> a &amp; b </t><e></e></r>");
    XmlChunk r = XmlChunk(xml).child("r");
    long n = -1;
    bool b = true, c = false;
    Text t("default"), e("default");
    EXPECT_TRUE(r.readLong("n", n));
    EXPECT_EQ(n, 12);
    EXPECT_TRUE(r.readBool("b", b));
    EXPECT_FALSE(b) << "65536 truncated to 16 bits is 0";
    EXPECT_TRUE(r.readBool("c", c));
    EXPECT_TRUE(c);
    EXPECT_TRUE(r.readText("t", t));
    EXPECT_EQ(t, "a & b");
    EXPECT_FALSE(r.readText("e", e));
    EXPECT_EQ(e, "default");
    long missing = 9;
    EXPECT_FALSE(r.readLong("zz", missing));
    EXPECT_EQ(missing, 9);
    EXPECT_EQ(r.childLong("zz"), 0);
    EXPECT_EQ(r.childLong("n"), 12);
}

TEST(XmlChunk, EnumeratorWalksChildrenInOrder)
{
    Text xml("<l><u>1</u><x><u>inner</u></x><u/><u>3</u><u>unclosed</l>");
    XmlChunk list = XmlChunk(xml).child("l");
    ASSERT_FALSE(list.isEmpty());
    // "<u>unclosed" has no closing tag inside l, so the walk ends before it.
    XmlChunk content, tag;
    XmlChunkEnumerator walk(list, "u");
    std::vector<std::string> found;
    while (walk.next(content, &tag))
        found.push_back(content.rawText().str() + "|" + tag.rawText().str());
    std::vector<std::string> expected = { "1|u", "|u/", "3|u" }; // a tag text runs from the name to the ">"
    EXPECT_EQ(found, expected);
    EXPECT_EQ(walk.count(), 3);

    walk.setName("u");
    EXPECT_EQ(walk.count(), 0);
    ASSERT_TRUE(walk.next(content));
    EXPECT_EQ(content.rawText(), "1") << "setName starts over";
}

TEST(XmlChunk, EnumeratorGivesTheOpeningTagText)
{
    Text xml("<i a=\"1\">x</i><i>y</i>");
    XmlChunkEnumerator items(XmlChunk(xml), "i");
    XmlChunk content, tag;
    ASSERT_TRUE(items.next(content, &tag));
    EXPECT_EQ(tag.rawText(), "i a=\"1\"");
    ASSERT_TRUE(items.next(content, &tag));
    EXPECT_EQ(content.rawText(), "y");
    EXPECT_FALSE(items.next(content, &tag));
}
