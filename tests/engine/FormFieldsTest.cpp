#include "engine/FormFields.h"

#include <gtest/gtest.h>

using namespace Zumeli;

TEST(FormFields, BodyIsEveryFieldInOrderEachEndedByAmpersand)
{
    EXPECT_EQ(FormFields().body().str(), "");
    FormFields fields;
    fields.add("us", "x").add("pw", "y");
    EXPECT_EQ(fields.body().str(), "us=x&pw=y&");
    EXPECT_EQ(fields.body().length(), 10);
    fields.add("ch", 1000L).add("an", "");
    EXPECT_EQ(fields.body().str(), "us=x&pw=y&ch=1000&an=&");
}

TEST(FormFields, UserTextIsPercentEncodedForReservedBytesOnly)
{
    const struct {
        const char* value;
        const char* encoded;
    } cases[] = {
        { "anna", "anna" },
        { "Ann&an=1", "Ann%26an%3D1" },
        { "a+b c%", "a%2Bb%20c%25" },
        { "line\r\nX\t\x7f", "line%0D%0AX%09%7F" },
        { "caf\xC3\xA9", "caf%C3%A9" },
        { "<me@mail.com>;/?#", "<me@mail.com>;/?#" },
        { "", "" },
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FormFields::percentEncode(c.value).str(), c.encoded) << c.value;
        FormFields fields;
        fields.addUserText("us", c.value);
        EXPECT_EQ(fields.body().str(), std::string("us=") + c.encoded + "&");
    }
    Text withNul("a\0b", 3);
    EXPECT_EQ(FormFields::percentEncode(withNul).str(), "a%00b");
}

TEST(FormFields, DocumentTextsUseTheFormValueEscape)
{
    const struct {
        const char* text;
        const char* escaped;
    } cases[] = {
        { "a<b", "a%26lt;b" },
        { " ", "%20" },
        { "\xC3\xA9", "%C3%A9" },
        { "x>y&\"", "x%26gt;y%26amp;%26quot;" },
    };
    for (const auto& c : cases) {
        Text out;
        Text(c.text).escapeForForm(out);
        EXPECT_EQ(out.str(), c.escaped) << c.text;
    }
}
