#include "server/FormData.h"
#include "server/HttpRequest.h"

#include <gtest/gtest.h>

using namespace Zumeli;

namespace {

const std::string ClientRequest = "POST /7/login.php HTTP/1.0\r\nContent-Length: 10\r\n"
                                  "Content-Type: application/x-www-form-urlencoded\r\n\r\nus=x&pw=y&";

TEST(HttpRequest, ReadsTheClientsRequestWithoutHostInOnePieceOrByteByByte)
{
    HttpRequest whole;
    ASSERT_EQ(whole.feed(ClientRequest.data(), ClientRequest.size()), HttpRequest::Complete);
    EXPECT_EQ(whole.method(), "POST");
    EXPECT_EQ(whole.path(), "7/login.php");
    EXPECT_EQ(whole.body(), "us=x&pw=y&");

    HttpRequest pieces;
    for (size_t i = 0; i + 1 < ClientRequest.size(); ++i)
        ASSERT_EQ(pieces.feed(&ClientRequest[i], 1), HttpRequest::Incomplete) << "at byte " << i;
    ASSERT_EQ(pieces.feed(&ClientRequest.back(), 1), HttpRequest::Complete);
    EXPECT_EQ(pieces.body(), "us=x&pw=y&");
}

TEST(HttpRequest, BytesPastTheBodyAreIgnored)
{
    std::string request = ClientRequest + "EXTRA";
    HttpRequest parsed;
    ASSERT_EQ(parsed.feed(request.data(), request.size()), HttpRequest::Complete);
    EXPECT_EQ(parsed.body(), "us=x&pw=y&");
}

TEST(HttpRequest, RefusesBadRequestsWithTheirStatus)
{
    struct Case {
        std::string request;
        int status;
    };
    const Case cases[] = {
        { "garbage\r\n\r\n", 400 },
        { "POST 7/login.php HTTP/1.0\r\nContent-Length: 0\r\n\r\n", 400 },  // no leading slash
        { "POST /7/a.php FTP/1.0\r\nContent-Length: 0\r\n\r\n", 400 },
        { "POST /7/a.php HTTP/2.0\r\nContent-Length: 0\r\n\r\n", 505 },
        { "PUT /7/a.php HTTP/1.0\r\nContent-Length: 0\r\n\r\n", 405 },
        { "POST /7/a.php HTTP/1.0\r\n\r\n", 411 },
        { "POST /7/a.php HTTP/1.0\r\nContent-Length: -5\r\n\r\n", 400 },
        { "POST /7/a.php HTTP/1.0\r\nContent-Length: 1\r\nContent-Length: 2\r\n\r\n", 400 },
        { "POST /7/a.php HTTP/1.0\r\nContent-Length: 99999999999\r\n\r\n", 413 },
        { "POST /7/a.php HTTP/1.0\r\nTransfer-Encoding: chunked\r\n\r\n", 501 },
        { "POST /7/a.php HTTP/1.0\r\nno colon here\r\n\r\n", 400 },
        { "POST /7/a.php HTTP/1.0\r\nX: " + std::string(9000, 'a') + "\r\n\r\n", 431 },
    };
    for (const auto& c : cases) {
        HttpRequest parsed(1024 * 1024);
        EXPECT_EQ(parsed.feed(c.request.data(), c.request.size()), HttpRequest::Failed) << c.request.substr(0, 60);
        EXPECT_EQ(parsed.errorStatus(), c.status) << c.request.substr(0, 60);
    }
}

TEST(HttpRequest, AnEndlessHeadIsRefusedWithoutGrowingPastItsBound)
{
    HttpRequest parsed;
    std::string chunk(1000, 'a');
    HttpRequest::State state = HttpRequest::Incomplete;
    for (int i = 0; i < 100 && state == HttpRequest::Incomplete; ++i)
        state = parsed.feed(chunk.data(), chunk.size());
    EXPECT_EQ(state, HttpRequest::Failed);
    EXPECT_EQ(parsed.errorStatus(), 431);
}

TEST(FormData, DecodesTheStandardWay)
{
    FormData form("us=Ann+Lee&mail=ann%40example.org&text=a%26lt%3Bb&empty=&flag&pct=100%&bad=%zz&us=second&");
    EXPECT_EQ(form.value("us").str(), "Ann Lee"); // the first field of a name wins
    EXPECT_EQ(form.value("mail").str(), "ann@example.org");
    EXPECT_EQ(form.value("text").str(), "a&lt;b");
    EXPECT_TRUE(form.has("empty"));
    EXPECT_TRUE(form.has("flag"));
    EXPECT_EQ(form.value("pct").str(), "100%");
    EXPECT_EQ(form.value("bad").str(), "%zz");
    EXPECT_FALSE(form.has("missing"));
    EXPECT_EQ(form.value("missing").str(), "");
}

TEST(FormData, ALargeFieldCanBeTakenOutStillEncoded)
{
    std::string others;
    std::string_view raw = FormData::takeRaw("database=x&sessionID=S&data=4A%46+&data=second&paramid=2", "data", others);
    EXPECT_EQ(raw, "4A%46+"); // the first "data", not "database", as it was sent
    FormData rest(others);
    EXPECT_EQ(rest.value("database").str(), "x");
    EXPECT_EQ(rest.value("sessionID").str(), "S");
    EXPECT_EQ(rest.number("paramid"), 2);
    EXPECT_EQ(FormData::decode(raw), "4AF ");
}

TEST(FormData, TheClientsEscapedDocumentTextArrivesAsEntities)
{
    // The client sends documents unescaped except their texts, which pass through its form escape.
    FormData form("data=<message>\r\n<text>a%26lt;b%20%C3%A9%26amp;</text>\r\n</message>\r\n&");
    EXPECT_EQ(form.value("data").str(), "<message>\r\n<text>a&lt;b \xC3\xA9&amp;</text>\r\n</message>\r\n");
}

TEST(FormData, NumbersAreStrict)
{
    FormData form("a=12&b=-3&c=12x&d=&e=99999999999999999999999&");
    EXPECT_EQ(form.number("a"), 12);
    EXPECT_EQ(form.number("b"), -3);
    EXPECT_EQ(form.number("c", -1), -1);
    EXPECT_EQ(form.number("d", -1), -1);
    EXPECT_EQ(form.number("e", -1), -1);
    EXPECT_EQ(form.number("z", 7), 7);
}

} // namespace
