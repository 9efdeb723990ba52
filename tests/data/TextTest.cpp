#include "data/Text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace Zumeli;

TEST(Text, NumberFormatting)
{
    Text t;
    EXPECT_EQ(t.setShort(70000), "4464") << "truncated to 16 bits";
    EXPECT_EQ(t.setShort(-1), "-1");
    EXPECT_EQ(t.setLong(-1234567890L), "-1234567890");
    EXPECT_EQ(t.setFloat(0.5f), "0.500000");
    t.set("x=");
    t.appendShort(65535).appendComma().appendLong(7).appendFloat(1.25f, "%.1f");
    EXPECT_EQ(t, "x=-1,71.2");
    t.clear();
    t.appendFormattedShort("[%d]", 32768).appendFormattedLong("<%ld>", 5).appendFormattedFloat("%.2f", 2.5f);
    EXPECT_EQ(t, "[-32768]<5>2.50");
    t.clear();
    t.appendFormattedString("a%sb", nullptr);
    EXPECT_EQ(t, "") << "a null argument appends nothing";
    t.appendFormattedString("a%sb", "-").appendFormattedText("(%s)", Text("x"));
    EXPECT_EQ(t, "a-b(x)");
}

TEST(Text, FormattingNeverOverflows)
{
    std::string big(5000, 'q');
    Text t;
    t.setFormatted("<%s>", big.c_str());
    EXPECT_EQ(t.length(), 5002);
    EXPECT_EQ(t.left(2), "<q");
    EXPECT_EQ(t.lastChar(), '>');
    t.appendFormattedString("%s", big.c_str());
    EXPECT_EQ(t.length(), 10002);
    t.appendFormatted("%0300d", 1);
    EXPECT_EQ(t.length(), 10302);
}

TEST(Text, NullArgumentsAndBytes)
{
    Text t("abc");
    t.append(static_cast<const char*>(nullptr));
    t.appendBytes(3, nullptr);
    t.setBytes(3, nullptr);
    t.set(static_cast<const Text*>(nullptr));
    EXPECT_EQ(t, "abc");
    t.set(static_cast<const char*>(nullptr));
    EXPECT_TRUE(t.isEmpty());

    const char bytes[] = { 'a', 0, 'b' };
    t.setBytes(3, bytes);
    EXPECT_EQ(t.length(), 3) << "bytes may hold zeros";
    EXPECT_EQ(t[1], 0);
    t.appendChar('c').setChar('z');
    EXPECT_EQ(t, "z");
    t.setRepeated('-', 3).appendNewline();
    EXPECT_EQ(t, "---\r\n");
    t.removeChar('-').removeLastChar();
    EXPECT_EQ(t, "\r");
    t.replaceChar('\r', 'R');
    EXPECT_EQ(t, "R");
}

TEST(Text, FourCharacterCodes)
{
    Text t;
    t.setFourCC(0x6D61696E);
    EXPECT_EQ(t, "main");
    t.appendFourCC(0x41424344);
    EXPECT_EQ(t, "mainABCD");
    EXPECT_EQ(t.fourCC(), 0x6D61696Eu);
    EXPECT_EQ(Text("ab").fourCC(), 0x61620000u) << "missing bytes are zero";
    EXPECT_EQ(Text().fourCC(0), 0u);
}

TEST(Text, SlicesClipAtTheEnds)
{
    Text t("hello");
    EXPECT_EQ(t.left(2), "he");
    EXPECT_EQ(t.left(99), "hello");
    EXPECT_EQ(t.right(3), "llo");
    EXPECT_EQ(t.right(99), "hello");
    EXPECT_EQ(t.mid(1, 3), "ell");
    EXPECT_EQ(t.mid(3, 99), "lo");
    EXPECT_EQ(t.mid(5, 1), "");
    EXPECT_EQ(t.mid(-1, 2), "");
    EXPECT_EQ(t.truncate(9), "hello");
    EXPECT_EQ(t.truncate(2), "he");
    EXPECT_EQ(Text().lastChar(), 0);
}

TEST(Text, Fields)
{
    struct Case {
        const char* text;
        int skip, count;
        const char* expected;
    };
    const Case cases[] = {
        { "a,,b", 0, 1, "a" },    { "a,,b", 1, 1, "" },       { "a,,b", 2, 1, "b" },  { "a,,b", 3, 1, "" },
        { "a,,b", 0, 2, "a,,b" }, { "a,b,c,d", 1, 2, "b,c" }, { "a,b,", 2, 1, "" },   { "", 0, 1, "" },
        { "a,b", 0, 0, "" },      { "x", 0, 5, "x" },         { "a,b,c", 1, 9, "b,c" },
    };
    for (const Case& c : cases)
        EXPECT_EQ(Text(c.text).fields(c.skip, c.count, ','), c.expected) << c.text << " " << c.skip << "+" << c.count;

    EXPECT_EQ(Text("").fieldCount(','), 0);
    EXPECT_EQ(Text("abc").fieldCount(','), 1);
    EXPECT_EQ(Text("a,,b").fieldCount(','), 3);
    EXPECT_EQ(Text("one two  three").wordCount(), 4);
    EXPECT_EQ(Text("one two  three").word(1), "two");
    EXPECT_EQ(Text("a/b/c").lastField('/'), "c");
    EXPECT_EQ(Text("abc").lastField('/'), "abc");
}

TEST(Text, Lines)
{
    Text t("a\r\nb\nc\rd");
    EXPECT_EQ(t.lineCount(), 4);
    EXPECT_EQ(t.line(0), "a");
    EXPECT_EQ(t.line(2), "c");
    EXPECT_EQ(t.line(3), "d");
    EXPECT_EQ(t.line(4), "") << "missing lines are empty";
    EXPECT_EQ(t.lines(1, 2), "b\nc") << "the breaks between taken lines stay";
    EXPECT_EQ(t.lines(0, 9), "a\r\nb\nc\rd");

    EXPECT_EQ(Text("a\r\nb\r\n").lineCount(), 2);
    EXPECT_EQ(Text("").lineCount(), 0);
    EXPECT_EQ(Text("\n").lineCount(), 1);
    EXPECT_EQ(Text("a\n\nb").lineCount(), 3);
    EXPECT_EQ(Text("a\n\nb").line(1), "");
    Text out("old");
    Text("x\ny").line(1, out);
    EXPECT_EQ(out, "y");
}

// The one-pass reader behind the file loaders gives exactly the lines of line() and lineCount().
TEST(Text, LineReaderReadsTheLinesOfLine)
{
    for (const char* text : { "", "\n", "a", "a\r\nb\r\n", "a\n\nb", "a\r\rb\n", "x\r\n\r\n", "a\r\nb\nc\rd",
                              "\r\n\r\nz", "version0\r\nchannel_5.jpg,7\r\n\r\n" }) {
        Text whole(text);
        std::vector<std::string> expected;
        for (int i = 0; i < whole.lineCount(); ++i)
            expected.push_back(whole.line(i).str());
        std::vector<std::string> read;
        LineReader reader(whole);
        Text line;
        while (reader.next(line))
            read.push_back(line.str());
        EXPECT_EQ(read, expected) << testing::PrintToString(std::string(text));
        EXPECT_FALSE(reader.next(line)) << "stays at the end";
    }
}

TEST(Text, ComparisonsAndLists)
{
    EXPECT_TRUE(Text("Hello").equalsIgnoreCase("hELLO"));
    EXPECT_FALSE(Text("Hello").equalsIgnoreCase("hELL"));
    EXPECT_TRUE(Text("x").equalsIgnoreCase(static_cast<const char*>(nullptr)));
    EXPECT_FALSE(Text("\xc3\xa9").equalsIgnoreCase("\xc3\x89")) << "only ASCII letters fold";
    EXPECT_TRUE(Text("b").greaterIgnoreCase("A"));
    EXPECT_FALSE(Text("a").greaterIgnoreCase("B"));
    EXPECT_TRUE(Text("abc").greaterIgnoreCase("AB"));
    EXPECT_FALSE(Text("ab").greaterIgnoreCase("ab"));
    EXPECT_FALSE(Text("ab").greaterIgnoreCase(static_cast<const char*>(nullptr)));
    EXPECT_TRUE(Text("_").greaterIgnoreCase("z")) << "letters compare as upper case, below '_'";

    int position = -5;
    EXPECT_TRUE(Text("Beta").isInList("alpha,beta,gamma", position));
    EXPECT_EQ(position, 1);
    EXPECT_TRUE(Text("x").isInList("x,y,x", position));
    EXPECT_EQ(position, 2) << "searched from the last field";
    EXPECT_FALSE(Text("delta").isInList("alpha,beta", position));
    EXPECT_EQ(position, 0);
    EXPECT_FALSE(Text("").isInList("", position));
    EXPECT_EQ(position, 0);
    EXPECT_TRUE(Text("b").contains('b'));
}

TEST(Text, Conversions)
{
    EXPECT_EQ(Text("  -42abc").toLong(), -42);
    EXPECT_EQ(Text("x").toInt(), 0);
    EXPECT_EQ(Text("99999999999999").toInt(), INT32_MAX);
    EXPECT_DOUBLE_EQ(Text("2.5e1").toFloat(), 25.0);

    char buffer[6];
    EXPECT_EQ(Text("abcdefgh").copyTo(buffer, 5), 5);
    EXPECT_STREQ(buffer, "abcde");
    char big[257];
    EXPECT_EQ(Text(std::string(300, 'x')).copyTo(big, 0), 256) << "0 means 256";
    EXPECT_EQ(big[256], 0);
}

TEST(Text, HexBothWays)
{
    const uint8_t bytes[] = { 0x00, 0xAB, 0x7F };
    Text hex;
    hex.setHex(bytes, 3);
    EXPECT_EQ(hex, "00AB7F");
    uint8_t back[8] = {};
    EXPECT_EQ(Text("00ab7f").hexDecode(back, 8), 3);
    EXPECT_EQ(back[1], 0xAB);
    EXPECT_EQ(Text("0102030").hexDecode(back, 8), 3) << "a half pair at the end is dropped";
    EXPECT_EQ(Text("010203").hexDecode(back, 2), 2);
    EXPECT_EQ(Text("G1").hexDecode(back, 1), 1);
    EXPECT_EQ(back[0], 0x01) << "a non-digit counts as 0";
}

TEST(Text, FormEscapeAndEntityDecode)
{
    Text out;
    Text("a b<c>").escapeForForm(out);
    EXPECT_EQ(out, "a%20b%26lt;c%26gt;");
    Text("&\"+=%\xc3\xa9").escapeForForm(out);
    EXPECT_EQ(out, "%26amp;%26quot;%2B%3D%25%C3%A9");

    struct Case {
        const char* in;
        const char* out;
    };
    const Case cases[] = {
        { "a &lt;b&gt; &amp;", "a <b> &" },
        { "&quot;&aquot;&apos;", "\"\"'" },
        { "&#39; &unknown;", "&#39; &unknown;" },
        { "&amp", "&amp" },
        { "&averyveryverylong;", "&averyveryverylong;" },
        { "&&lt;", "&<" },
        { "tail&", "tail&" },
    };
    for (const Case& c : cases)
        EXPECT_EQ(Text().decodeEntities(Text(c.in)), c.out) << c.in;

    Text self("&lt;x&gt;");
    self.decodeEntities(self);
    EXPECT_EQ(self, "<x>") << "decoding a text into itself";
}

TEST(Text, ElementWriters)
{
    Text xml;
    xml.appendElement("name", Text("a<b"), true).appendIntElement("n", -3, false).appendEscapedElement("t", Text("x y"), true);
    EXPECT_EQ(xml, "<name>a<b</name>\r\n<n>-3</n><t>x%20y</t>\r\n");
    Text zero;
    zero.appendElement("v", Text("a\0b", 3), false);
    EXPECT_EQ(zero, Text("<v>a\0b</v>", 10)) << "a value keeps its zero bytes";
}
