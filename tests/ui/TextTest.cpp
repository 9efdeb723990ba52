#include "PrintText.h"
#include "ui/epiCode.h"
#include "ui/epiPath.h"
#include "ui/epiRect.h"
#include "ui/epiText.h"
#include "ui/epiXmlChunk.h"

#include <gtest/gtest.h>

#include <cstring>

TEST(Code, TextsConvertByTheirFirstFourBytes)
{
    EXPECT_EQ(epiCodeFromText("ab"), 0x61620000u);
    EXPECT_EQ(epiCodeFromText(""), 0u);
    EXPECT_EQ(epiCodeFromText("mainx"), 0x6D61696Eu);
    EXPECT_EQ(epiFourCC("main"), 0x6D61696Eu);
    EXPECT_EQ(epiCodeToText(epiFourCC("iBbt")), "iBbt");
    EXPECT_EQ(epiCodeToText(epiCodeFromText("ab")), std::string("ab\0\0", 4));
    epiText text;
    text.fromCode(epiFourCC("sr12"));
    EXPECT_EQ(text.toCode(), epiFourCC("sr12"));
}

TEST(Text, FieldsAndLines)
{
    EXPECT_EQ(epiText("1,2").fieldCount(','), 2);
    EXPECT_EQ(epiText("").fieldCount(','), 0);
    EXPECT_EQ(epiText("-2,4").field(1, ','), "4");
    EXPECT_EQ(epiText("-2,4").field(0, ',').toInt(), -2);
    EXPECT_EQ(epiText("a,\"b,c\",d").field(1, ',', '"'), "b,c");
    EXPECT_EQ(epiText("a,\"b,c\",d").field(2, ',', '"'), "d");
    EXPECT_TRUE(epiText("a,b").field(5, ',').isEmpty());

    EXPECT_EQ(epiText("a\r\nb\n").lineCount(), 2);
    EXPECT_EQ(epiText("a\rb").lineCount(), 2);
    EXPECT_EQ(epiText("").lineCount(), 0);
    EXPECT_EQ(epiText("a\n\nb").lineCount(), 3);
    EXPECT_EQ(epiText("one\r\ntwo\nthree").line(1), "two");
    EXPECT_EQ(epiText("one\r\ntwo\nthree").line(2), "three");
}

TEST(Text, NumbersFollowAtolRules)
{
    struct Case
    {
        const char* text;
        int32_t value;
    } cases[] = {{"", 0}, {"  42abc", 42}, {"-17", -17}, {"+5", 5}, {"x9", 0}, {"99999999999", INT32_MAX}};
    for (const Case& c : cases)
        EXPECT_EQ(epiText(c.text).toInt(), c.value) << c.text;
    EXPECT_DOUBLE_EQ(epiText("2.74").toDouble(), 2.74);
}

TEST(Text, CharactersFormattingAndCopies)
{
    epiText text;
    text.format("%02d.%02d", 10, 0);
    text.appendFormat("-%s", "x");
    EXPECT_EQ(text, "10.00-x");
    EXPECT_EQ(text.find('.'), 2);
    EXPECT_EQ(text.findLast('0'), 4);
    EXPECT_EQ(epiText("file.tar.gz").extension(), "gz");
    EXPECT_EQ(epiText("file.tar.gz").withoutExtension(), "file.tar");
    char small[4];
    epiText("abcdef").copyTo(small, sizeof small);
    EXPECT_STREQ(small, "abc");
    std::string big(300, 'x');
    char buffer[256];
    epiText(big).copyTo(buffer, 0);
    EXPECT_EQ(std::strlen(buffer), 255u);
}

TEST(Text, Utf16RoundTripAndInvalidInput)
{
    epiText text("h\xC3\xA9llo \xF0\x9F\x98\x80");
    std::u16string wide = text.toUtf16(100);
    EXPECT_EQ(wide.size(), 8u); // the emoji takes two units
    epiText back;
    back.fromUtf16(wide);
    EXPECT_EQ(back, text);
    EXPECT_EQ(text.toUtf16(3), u"h\u00e9l");
    EXPECT_TRUE(epiText("bad \xC3").toUtf16(100).empty());
    EXPECT_TRUE(epiText("\xC0\x80").toUtf16(100).empty()); // overlong
}

TEST(Path, DriveLetterMappingBothWays)
{
    epiPath path = epiPath::fromNative("C:\\dir\\file.txt");
    EXPECT_EQ(path, "/Volumes/C/dir/file.txt");
    EXPECT_EQ(path.toNative(), "C:\\dir\\file.txt");
    EXPECT_EQ(epiPath("/usr/share/x").toNative(), "\\usr\\share\\x");
}

TEST(Path, Components)
{
    epiPath path("images/autotalk.png");
    EXPECT_EQ(path.fileName(), "autotalk.png");
    EXPECT_EQ(path.folder(), "images/");
    path.insertBeforeExtension("_alpha");
    EXPECT_EQ(path, "images/autotalk_alpha.png");
    path.setExtension("xml");
    EXPECT_EQ(path, "images/autotalk_alpha.xml");
    epiPath folder("base.dir/Zumeli");
    folder.setExtension("frs");
    EXPECT_EQ(folder, "base.dir/Zumeli.frs");
    folder.appendComponent("epi.frs");
    EXPECT_EQ(folder, "base.dir/Zumeli.frs/epi.frs");
    epiPath relative("x");
    EXPECT_TRUE(relative.absolute().startsWith("/"));
}

TEST(Rect, ReferencePoints)
{
    epiRect rect(10, 20, 31, 41); // odd sizes: halves round toward zero
    struct Case
    {
        int index;
        epiPoint point;
    } cases[] = {{0, {10, 20}}, {1, {31, 20}}, {2, {31, 41}}, {3, {10, 41}}, {4, {20, 20}}, {5, {31, 30}},
                 {6, {20, 41}}, {7, {10, 30}}, {8, {20, 30}}, {9, {10, 20}}, {-1, {10, 20}}};
    for (const Case& c : cases)
        EXPECT_EQ(rect.referencePoint(c.index), c.point) << c.index;
    epiRect negative(-5, -5, 0, 0);
    EXPECT_EQ(negative.referencePoint(8), epiPoint(-3, -3));
}

TEST(Rect, InclusionAndIntersection)
{
    epiRect a(0, 0, 10, 10), b(5, 5, 20, 20);
    EXPECT_TRUE(a.contains(epiPoint(9, 9)));
    EXPECT_FALSE(a.contains(epiPoint(10, 5)));
    EXPECT_EQ(a.intersection(b), epiRect(5, 5, 10, 10));
    EXPECT_TRUE(a.intersection(epiRect(10, 0, 20, 10)).isEmpty());
    EXPECT_TRUE(a.contains(epiRect(2, 2, 10, 10)));
}

TEST(XmlChunk, FindsChildrenInOrderAndTrimsText)
{
    epiText document = "<?xml version=\"1.0\"?>\n<!-- c --><epi><version>4</version>"
                       "<content><name>main</name><empty/><text>\n\tword\n  </text>"
                       "<item><name>a</name></item><item><name>b</name><item>nested</item></item>"
                       "<item attr=\"x>y\"><name>c</name></item></content></epi>";
    epiXmlChunk root;
    root.parse(document);
    epiXmlChunk content = root.child("epi").child("content");
    EXPECT_EQ(content.child("name").text(), "main");
    EXPECT_EQ(content.child("text").text(), "word");
    EXPECT_FALSE(content.child("empty").isEmpty());
    EXPECT_TRUE(content.child("missing").isEmpty());
    EXPECT_TRUE(content.child("missing").text().isEmpty());
    EXPECT_EQ(root.child("epi").child("version").text().toInt(), 4);

    std::vector<std::string> names;
    epiXmlChunkEnumerator items(content, "item");
    epiXmlChunk item;
    while (items.next(item))
        names.push_back(item.child("name").text().str());
    EXPECT_EQ(names, (std::vector<std::string>{"a", "b", "c"}));
}

TEST(XmlChunk, LineBreaksInsideTextBecomeOneBlank)
{
    epiXmlChunk chunk("  two\r\n   lines\n\tand more  ");
    EXPECT_EQ(chunk.text(), "two lines and more");
    EXPECT_EQ(chunk.rawText(), "  two\r\n   lines\n\tand more  ");
    EXPECT_EQ(epiXmlChunk("a &amp; b").text(), "a &amp; b");
}

TEST(XmlChunk, DamagedDocumentsGiveWhatTheyHold)
{
    struct Case
    {
        const char* document;
        const char* name;
    } cases[] = {{"<epi><content><name>ab", "ab"},
                 {"<epi", ""},
                 {"<epi><content></epi><name>x</name>", ""},
                 {"<<<>>>", ""},
                 {"</x><epi><content><name>n</name></content></epi>", "n"},
                 {"<epi><!-- never closed <content><name>x</name></content>", ""},
                 {"<epi a=\"unterminated><content><name>x</name></content></epi>", ""},
                 {"<epi><content><name/><name>second</name></content></epi>", ""}};
    for (const Case& c : cases) {
        epiXmlChunk root;
        root.parse(std::string_view(c.document));
        EXPECT_EQ(root.child("epi").child("content").child("name").text(), c.name) << c.document;
    }
}
