// Every call of the web service against a scripted peer: the path, the endpoint, the fields in
// order with their values, and the result for an "OK" reply, a refusal, a reply without the
// expected elements and no reply at all.

#include "engine/WebService.h"

#include "data/AdministrationDocument.h"
#include "data/ChannelElement.h"
#include "data/Groups.h"
#include "data/People.h"
#include "data/ServiceMessageData.h"
#include "data/UserMessageData.h"
#include "engine/LoginRecord.h"
#include "engine/PasswordDigest.h"
#include "engine/ServiceReply.h"
#include "tests/data/ScratchFolder.h"
#include "tests/engine/ScriptedHttpServer.h"

#include <algorithm>
#include <cctype>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <utility>
#include <vector>

using namespace Zumeli;

namespace {

using Fields = std::vector<std::pair<std::string, std::string>>;

// Expected values: "@token" stands for the request token the call sent; a value starting with
// "~" only has to contain the rest.
struct CallCase {
    const char* name;
    const char* path;
    bool loginEndpoint;
    Fields fields;
    std::string okReply;
    std::string refusedReply;
    std::function<std::string(WebService&)> call;
    std::string okResult;
    std::string refusedResult;
    std::string emptyResult;   // a reply without the expected elements
    std::string noReplyResult; // the connection closed without a byte
};

// Names the case in test reports instead of dumping its bytes.
void PrintTo(const CallCase& c, std::ostream* out) { *out << c.name; }

struct SentRequest {
    std::string path;
    Fields fields;
};

SentRequest parseRequest(const std::string& raw)
{
    SentRequest sent;
    size_t pathEnd = raw.find(" HTTP/1.0\r\n");
    if (raw.rfind("POST /", 0) != 0 || pathEnd == std::string::npos)
        return sent;
    sent.path = raw.substr(6, pathEnd - 6);
    size_t bodyAt = raw.find("\r\n\r\n");
    std::string body = bodyAt == std::string::npos ? std::string() : raw.substr(bodyAt + 4);
    size_t from = 0;
    for (size_t amp = body.find('&'); amp != std::string::npos; from = amp + 1, amp = body.find('&', from)) {
        std::string field = body.substr(from, amp - from);
        size_t equals = field.find('=');
        sent.fields.emplace_back(field.substr(0, equals), equals == std::string::npos ? "" : field.substr(equals + 1));
    }
    EXPECT_EQ(from, body.size()) << "every field ends with '&'";
    return sent;
}

std::string withHeaders(const std::string& body)
{
    if (body.rfind("HTTP/", 0) == 0)
        return body;
    return "HTTP/1.0 200 OK\r\nContent-Type: text/xml\r\n\r\n" + body;
}

std::string str(long value) { return std::to_string(value); }
std::string yes(bool value) { return value ? "1" : "0"; }

const std::string Http = "HTTP/1.0 200 OK\r\n\r\n";

ScratchFolder& scratch()
{
    static ScratchFolder folder;
    return folder;
}

std::vector<CallCase> formCalls()
{
    std::vector<CallCase> cases;

    cases.push_back({ "login", "7/login.php", true,
        { { "us", "Ann%20B%26c" }, { "pw", "3D0E8682" }, { "an", "0" }, { "mi", "M1" }, { "ms", "Linux" },
          { "mc", "-" }, { "ai", "none:0.0.0.0:x" }, { "ur", "@token" }, { "ln", "en" }, { "apn", "T7" } },
        "<status>OK</status><sessionID>S9</sessionID><ip>10.0.0.2</ip><port>81</port><pfx>q/</pfx><ch>1234</ch>"
        "<uid>42</uid><rl>100</rl><rh>1999</rh><msg>1</msg><ugs>3</ugs><st>1700000000</st><smk>k</smk>"
        "<lot>42,2027</lot><sop>3</sop><sud><na>Ann</na><mail>a@b</mail></sud>",
        "<status>FAIL</status><tmu>0</tmu>",
        [](WebService& service) {
            LoginRecord record;
            record.setAccount("Ann B&c", "abc");
            record.machineId = "M1";
            record.platform = "Linux";
            record.identity = "none:0.0.0.0:x";
            record.language = "en";
            record.notificationToken = "T7";
            LoginResult result = service.login(record);
            std::string out = str(result);
            if (result == LoginSucceeded)
                out += " " + record.sessionId.str() + "/" + service.sessionId.str() + " " + record.address.str() + ":"
                    + str(record.port) + " " + record.pathPrefix.str() + " ch" + str(record.channel) + " uid"
                    + str(record.userId) + " " + str(record.lowestChannel) + "-" + str(record.highestChannel) + " msg"
                    + yes(record.messagesWaiting) + " ugs" + record.groupsValue.str() + " st" + str(record.serverTime)
                    + " smk" + record.smk.str() + " lot" + record.localizationStamp.str() + " sop"
                    + str(record.voiceOptions) + " sud" + record.ownDetails.str();
            return out;
        },
        "0 S9/S9 10.0.0.2:81 q/ ch1234 uid42 100-1999 msg1 ugs3 st1700000000 smkk lot42,2027 sop3 "
        "sud<na>Ann</na><mail>a@b</mail>",
        "1", "2", "2" });

    cases.push_back({ "register", "7/Register/Register.php", true,
        { { "user", "Ann%20B%26c" }, { "password", "3D0E8682" }, { "mail", "a%2Bb@c.d" }, { "lang", "it" },
          { "mi", "M1" }, { "ms", "Linux" }, { "ai", "none:0.0.0.0:x" }, { "ur", "@token" } },
        "<status>OK</status>", "<status>FAIL</status><errorString>Name taken</errorString>",
        [](WebService& service) {
            LoginRecord record;
            record.setAccount("Ann B&c", "abc");
            record.mail = "a+b@c.d";
            record.language = "it";
            record.machineId = "M1";
            record.platform = "Linux";
            record.identity = "none:0.0.0.0:x";
            Text error;
            int result = service.registerUser(record, error);
            return str(result) + (error.isEmpty() ? "" : " " + error.str());
        },
        "0", "1 Name taken", "2", "2" });

    cases.push_back({ "join", "7/joinChannel.php", false,
        { { "ch", "1234" }, { "sid", "S1" }, { "ur", "@token" }, { "ts", "7" } },
        "<status>OK</status><pe>0</pe><ul>12,1,Ann 13,0,</ul><ad>1</ad><sub>1</sub>",
        "<status>FAIL</status><errorString>nope</errorString>",
        [](WebService& service) {
            ChannelElement channel;
            channel.number = 1234;
            channel.timestamp = 7;
            People people;
            JoinResult result = service.join(channel, people);
            std::string users;
            for (int id : channel.presentUsers)
                users += " " + str(id);
            return str(result) + " pe" + str(channel.permissions) + users + " ad" + yes(channel.ad) + yes(channel.sub);
        },
        "0 pe0 12 13 ad11", "1 pe2 ad00", "2 pe2 ad00", "2 pe2 ad00" });

    cases.push_back({ "keep-alive", "7/KeepAlive.php", false, { { "sessionID", "S1" }, { "ur", "@token" } },
        "<status>OK</status>", "<status>FAIL</status>",
        [](WebService& service) { return yes(service.keepAlive()); }, "1", "0", "0", "0" });

    cases.push_back({ "logout", "7/Logout.php", false, { { "sessionID", "S1" } }, "<status>OK</status>",
        "<status>FAIL</status>",
        [](WebService& service) {
            service.logout();
            return std::string("done");
        },
        "done", "done", "done", "done" });

    cases.push_back({ "users list", "7/getUsersList.php", false, { { "sessionID", "S1" }, { "ur", "@token" } },
        "<ul>12,1,Ann</ul>", "<status>FAIL</status>",
        [](WebService& service) {
            ChannelElement channel;
            channel.presentUsers = { 99 };
            People people;
            int result = service.getUsersList(channel, people);
            std::string users;
            for (int id : channel.presentUsers)
                users += " " + str(id);
            return str(result) + users;
        },
        "0 12", "2 99", "2 99", "2 99" });

    cases.push_back({ "user details", "7/LoadUsersDetails.php", false, { { "ul", "12,13" }, { "ur", "@token" } },
        "<ud><us><id>12</id><na>GUEST</na><ts>3</ts><its>5</its><stf>1</stf><dnd>0</dnd></us></ud>",
        "<status>FAIL</status>",
        [](WebService& service) {
            People people;
            int read = service.loadUsersDetails({ 12, 13 }, people);
            const PeopleEntry* entry = people.find(12);
            std::string out = str(read);
            if (entry)
                out += " " + entry->name.str() + " ts" + str(entry->ts) + " its" + str(entry->its) + " stf"
                    + yes(entry->stf) + " loaded" + yes(entry->loaded);
            return out;
        },
        "1 Guest ts3 its5 stf1 loaded1", "0", "0", "-1" });

    cases.push_back({ "message send", "7/TMS_Send.php", false,
        { { "sessionID", "S1" }, { "ur", "@token" },
          { "data", "<message>\r\n<type>0</type>\r\n<recipient>\r\n<id>12</id>\r\n<id>13</id>\r\n</recipient>\r\n"
                    "<text>hi%20%26amp;%20bye</text>\r\n</message>\r\n" } },
        "<status>OK</status>", "<status>FAIL</status>",
        [](WebService& service) {
            UserMessageData message;
            message.text = "hi & bye";
            return yes(service.sendMessage(message, { 12, 13 }));
        },
        "1", "1", "1", "0" });

    cases.push_back({ "message fetch", "7/TMS_Get.php", false, { { "sessionID", "S1" }, { "ur", "@token" } },
        "<usermessages><message><sender>12</sender><datetime>100</datetime><text>a &amp; b</text></message>"
        "</usermessages><servicemessages><message><mainText>Hello</mainText></message></servicemessages>",
        "<status>FAIL</status>",
        [](WebService& service) {
            someVector<UserMessageData> users;
            ServiceMessagesList services;
            People people;
            int read = service.getMessages(users, services, people);
            std::string out = str(read);
            for (const auto& m : users)
                out += " " + str(m->sender) + ":" + m->text.str() + ":" + str(m->recipient) + ":" + str(m->datetime);
            for (const auto& m : services)
                out += " " + m->mainText.str();
            return out + (people.find(12) ? " known12" : "");
        },
        "2 12:a & b:-1:100 Hello known12", "0", "0", "-1" });

    cases.push_back({ "image save", "7/SaveImage.php", false,
        { { "sessionID", "S1" }, { "ur", "@token" }, { "imagetype", "2" }, { "paramid", "42" }, { "data", "01AB00FF" } },
        "<postimageresult>1</postimageresult>", "<status>FAIL</status>",
        [](WebService& service) { return yes(service.saveImage(2, 42, Text("\x01\xAB\x00\xFF", 4))); }, "1", "0", "0",
        "0" });

    cases.push_back({ "image load", "7/LoadImage.php", false,
        { { "sessionID", "S1" }, { "ur", "@token" }, { "imagetype", "3" }, { "paramid", "1234" } },
        "HTTP/1.0 200 OK\r\nContent-Type: image/jpeg\r\n\r\n\xFF\xD8jpeg",
        "HTTP/1.0 404 Not Found\r\nContent-Type: text/html\r\n\r\n<html><head><title>404</title></head><body>"
        "</body></html>",
        [](WebService& service) {
            std::string target = scratch().file("plateDesktop_1234.jpg");
            writeWholeFile(target, "old");
            bool ok = service.loadImage(3, 1234, Text(target));
            bool present = Text::fileExists(Text(target));
            return yes(ok) + " " + (present ? readWholeFile(target) : std::string("removed"));
        },
        "1 \xFF\xD8jpeg", "0 old", "1 removed", "0 old" });

    cases.push_back({ "user details save", "7/SaveUserDetails.php", false,
        { { "data", "<userData>\r\n<userID>42</userID>\r\n<sessionID>S1</sessionID>\r\n<ur>@token</ur>\r\n"
                    "<doNotDisturb>1</doNotDisturb>\r\n<mail>a%26amp;b%40c</mail>\r\n<gpsmode>2</gpsmode>\r\n"
                    "</userData>\r\n" } },
        "<status>OK</status><sud><na>Ann</na><dnd>1</dnd><authorized>1</authorized><mail>x@y</mail>"
        "<tmsmode>2</tmsmode></sud>",
        "<status>FAIL</status>",
        [](WebService& service) {
            OwnDetailsChange change;
            change.doNotDisturb = true;
            change.mail = Text("a&b@c");
            change.gpsmode = 2;
            People people;
            OwnDetails own;
            bool ok = service.saveUserDetails(42, change, people, own);
            const PeopleEntry* me = people.find(42);
            return yes(ok) + " auth" + yes(own.authorized) + " " + own.mail.str() + " tms" + str(own.tmsmode)
                + (me ? " " + me->name.str() + " dnd" + yes(me->dnd) : std::string());
        },
        "1 auth1 x@y tms2 Ann dnd1", "0 auth0  tms0", "0 auth0  tms0", "0 auth0  tms0" });

    cases.push_back({ "administration load", "7/GetAdmin.php", false, { { "sessionID", "S1" } },
        "<document><administration><CanalTitulo>T &amp; U</CanalTitulo><coadmin><id>42,Bluebird</id></coadmin>"
        "</administration></document>",
        "FAIL",
        [](WebService& service) {
            AdministrationDocument document;
            document.excluded = { 7 };
            People people;
            int result = service.getAdmin(document, people);
            std::string out = str(result) + " " + document.title.str() + " excluded" + str(long(document.excluded.size()));
            for (int id : document.coadmins)
                out += " co" + str(id);
            return out;
        },
        "0 T & U excluded0 co42", "1  excluded1", "2  excluded1", "2  excluded1" });

    cases.push_back({ "administration save", "7/SaveAdmin.php", false,
        { { "sessionID", "S1" }, { "data", "~<Canal Titulo>a%26amp;b</Canal Titulo>" } }, "<status>OK</status>",
        "<status>FAIL</status>",
        [](WebService& service) {
            AdministrationDocument document;
            document.title = "a&b";
            return yes(service.saveAdmin(document));
        },
        "1", "0", "1", "0" });

    cases.push_back({ "administration claim", "7/AdminChannel.php", false,
        { { "sessionID", "S1" }, { "release", "0" } }, "<status>OK</status>", "<status>FAIL</status>",
        [](WebService& service) { return yes(service.adminChannel(false)); }, "1", "0", "0", "0" });

    cases.push_back({ "channel search", "7/SearchChannel.php", false,
        { { "sessionID", "S1" }, { "direction", "1" }, { "ur", "@token" } },
        "<status>OK</status><channel>1300</channel>", "<status>FAIL</status><channel>1400</channel>",
        [](WebService& service) {
            int channel = 0;
            bool found = service.searchChannel(true, channel);
            return yes(found) + " " + str(channel);
        },
        "1 1300", "0 0", "0 0", "0 0" });

    cases.push_back({ "password change", "7/ChangePassword.php", false,
        { { "sessionID", "S1" }, { "newPassword", "3D0E8682" } }, "<status>OK</status>", "<status>FAIL</status>",
        [](WebService& service) { return yes(service.changePassword("abc")); }, "1", "0", "0", "0" });

    cases.push_back({ "channel status", "7/GetUserChannelStatus.php", false, { { "sessionID", "S1" } },
        "<status>OK</status><isAdmin>1</isAdmin><isCoadmin>2</isCoadmin><channelAdministrated>1</channelAdministrated>"
        "<type>3</type>",
        "<status>FAIL</status><isAdmin>1</isAdmin>",
        [](WebService& service) {
            ChannelStatus status;
            bool ok = service.getUserChannelStatus(status);
            return yes(ok) + " " + yes(status.isAdmin) + yes(status.isCoadmin) + yes(status.channelAdministrated) + " "
                + str(status.type);
        },
        "1 101 3", "0 000 0", "0 000 0", "0 000 0" });

    cases.push_back({ "data item", "7/XML_Get.php", false,
        { { "sessionID", "S1" }, { "ur", "@token" }, { "kind", "localizationDatabase" } }, "<language/>12345678",
        "<status>FAIL</status>",
        [](WebService& service) {
            Text reply;
            bool ok = service.xmlGet("localizationDatabase", reply);
            return yes(ok) + " " + ServiceReply::body(reply).str();
        },
        "1 <language/>12345678", "1 <status>FAIL</status>", "1 <nothing/>", "0 " });
    return cases;
}

CallCase xmlService(const char* name, bool loginEndpoint, const char* kind, const std::string& data,
                    const std::string& okReply, const std::string& refusedReply,
                    std::function<std::string(WebService&)> call, std::string ok = "1", std::string refused = "0")
{
    return { name, "7/XML_Send.php", loginEndpoint,
             { { "sessionID", "S1" }, { "ur", "@token" }, { "data", data }, { "kind", kind } }, okReply, refusedReply,
             std::move(call), std::move(ok), std::move(refused), "0", "0" };
}

std::vector<CallCase> xmlServices()
{
    std::vector<CallCase> cases;
    cases.push_back(xmlService("name check", true, "checkUserName", "Ann%20B%26c", "<s>1</s>", "<s>0</s>",
                               [](WebService& s) { return yes(s.checkUserName("Ann B&c")); }));
    cases.push_back(xmlService("mail check", true, "checkMail", "a%2Bb@c.d%3Dx", "<s>1</s>", "<s>2</s>",
                               [](WebService& s) { return yes(s.checkMail("a+b@c.d=x")); }));
    cases.push_back(xmlService("abuse report", false, "reportAbuse", "<reportAbuse>\r\n<ui>13</ui>\r\n</reportAbuse>\r\n",
                               "<s>2</s>", "<s>0</s>", [](WebService& s) { return yes(s.reportAbuse(13)); }));
    cases.push_back(xmlService("service request", false, "requestService",
                               "<serviceRequest>\r\n<ui>42</ui>\r\n<sv>fix%20%26lt;it%26gt;%20%26amp;%20go</sv>\r\n"
                               "<ma>M1</ma>\r\n</serviceRequest>\r\n",
                               "<s>1</s>",
                               "<s>0</s><msg><mainText>Busy</mainText><buttons><0><text>Wait</text></0><1><text>Cancel"
                               "</text></1></buttons></msg>",
                               [](WebService& s) {
                                   ServiceRequestAnswer answer;
                                   bool ok = s.requestService(42, "fix <it> & go", "M1", answer);
                                   return yes(ok) + (answer.message.isEmpty() ? "" : " " + answer.message.str() + " "
                                       + answer.buttons[0].str() + " " + answer.buttons[1].str());
                               },
                               "1", "0 Busy Wait Cancel"));
    cases.push_back(xmlService("service request cancel", false, "cancelRequestService",
                               "<cancelRequestService>\r\n<ma>M1</ma>\r\n</cancelRequestService>\r\n", "<s>1</s>",
                               "<s>0</s>", [](WebService& s) { return yes(s.cancelRequestService("M1")); }));
    cases.push_back(xmlService("subscription", false, "channelSubscription",
                               "<sub>\r\n<ch>1234</ch>\r\n<st>1</st>\r\n</sub>\r\n",
                               "<channelSubscriptionResult><s>1</s></channelSubscriptionResult>",
                               "<channelSubscriptionResult><s>0</s></channelSubscriptionResult>",
                               [](WebService& s) { return yes(s.channelSubscription(1234, true)); }));
    cases.push_back(xmlService("subscription message", false, "subscriptionMessage",
                               "<subMsg>\r\n<ch>1234</ch>\r\n<text>see%20you%20%26amp;%20bye</text>\r\n</subMsg>\r\n",
                               "<msgResult><s>1</s></msgResult>", "<msgResult><s>0</s></msgResult>",
                               [](WebService& s) { return yes(s.subscriptionMessage(1234, "see you & bye")); }));
    cases.push_back(xmlService("channel purchase", false, "buyChannel",
                               "<channelData>\r\n<ui>42</ui>\r\n<ch>1234</ch>\r\n<ma>M1</ma>\r\n</channelData>\r\n",
                               "<s>3</s>", "<s>0</s>", [](WebService& s) { return yes(s.buyChannel(42, 1234, "M1")); }));
    CallCase groups = xmlService("user groups", false, "usergroups", "~<name>A%26amp;B%20%26lt;x%26gt;</name>",
                                 "<s>1</s>", "<s>0</s>", [](WebService& s) {
                                     Groups groups;
                                     groups.createGroup("A&B <x>");
                                     return yes(s.sendUserGroups(groups));
                                 }, "1", "1");
    groups.emptyResult = "1";
    cases.push_back(groups);
    auto geo = [](bool city) {
        return [city](WebService& s) {
            Text latlng, name;
            bool ok = city ? s.lookupCity("Rome & co", latlng, name) : s.lookupPosition("41.9, 12.5", latlng, name);
            return yes(ok) + " " + latlng.str() + " " + name.str();
        };
    };
    cases.push_back(xmlService("city lookup", false, "geo_city", "Rome%20%26%20co",
                               "<status>OK</status><latlng>41.9,12.5</latlng><city>Rome</city>",
                               "<status>FAIL</status><city>Nowhere</city>", geo(true), "1 41.9,12.5 Rome", "0  "));
    cases.push_back(xmlService("position lookup", false, "geo_latlng", "41.9,%2012.5",
                               "<status>OK</status><latlng>41.9,12.5</latlng><city>Rome</city>",
                               "<status>FAIL</status>", geo(false), "1 41.9,12.5 Rome", "0  "));
    cases.back().emptyResult = cases.back().noReplyResult = "0  ";
    cases[cases.size() - 2].emptyResult = cases[cases.size() - 2].noReplyResult = "0  ";
    return cases;
}

bool isToken(const std::string& value)
{
    if (value.size() != 8)
        return false;
    for (char c : value)
        if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F')))
            return false;
    return true;
}

void checkRequest(const CallCase& c, const std::string& raw, const WebService& service)
{
    SentRequest sent = parseRequest(raw);
    EXPECT_EQ(sent.path, std::string("p/") + c.path);
    ASSERT_EQ(sent.fields.size(), c.fields.size()) << raw;
    WebRequest asSent { Text(c.path), {} };
    for (size_t i = 0; i < c.fields.size(); ++i) {
        const auto& [name, value] = sent.fields[i];
        const auto& [wantedName, wantedValue] = c.fields[i];
        EXPECT_EQ(name, wantedName) << "field " << i;
        asSent.fields.add(name.c_str(), Text(value));
        std::string expected = wantedValue;
        if (expected == "@token") {
            EXPECT_TRUE(isToken(value)) << value;
            EXPECT_EQ(value, service.requestToken.str()) << "the token of this call";
            continue;
        }
        for (size_t at = expected.find("@token"); at != std::string::npos; at = expected.find("@token"))
            expected.replace(at, 6, service.requestToken.str());
        if (!expected.empty() && expected[0] == '~')
            EXPECT_NE(value.find(expected.substr(1)), std::string::npos) << name << " = " << value;
        else
            EXPECT_EQ(value, expected) << name;
    }
    EXPECT_EQ(WebService::isLoginEndpointCall(asSent), c.loginEndpoint);
}

std::string runCall(const CallCase& c, std::vector<ScriptedHttpServer::Step> steps, std::string* request = nullptr,
                    std::string* token = nullptr)
{
    ScriptedHttpServer server(std::move(steps));
    WebService service("127.0.0.1", server.port(), "p/");
    service.sessionId = "S1";
    std::string result = c.call(service);
    if (request) {
        *request = server.request();
        *token = service.requestToken.str();
        checkRequest(c, *request, service);
    }
    return result;
}

class WebServiceCall : public ::testing::TestWithParam<CallCase> { };

} // namespace

TEST_P(WebServiceCall, SendsItsFieldsAndReadsEveryKindOfReply)
{
    const CallCase& c = GetParam();
    std::string request, token;
    EXPECT_EQ(runCall(c, { { withHeaders(c.okReply) } }, &request, &token), c.okResult) << "OK reply";
    EXPECT_EQ(runCall(c, { { withHeaders(c.refusedReply) } }), c.refusedResult) << "refusal";
    EXPECT_EQ(runCall(c, { { Http + "<nothing/>" } }), c.emptyResult) << "reply without the elements";
    EXPECT_EQ(runCall(c, {}), c.noReplyResult) << "no reply at all";
}

INSTANTIATE_TEST_SUITE_P(FormCalls, WebServiceCall, ::testing::ValuesIn(formCalls()),
                         [](const auto& info) {
                             std::string name;
                             for (char ch : std::string(info.param.name))
                                 name += std::isalnum(uint8_t(ch)) ? ch : '_';
                             return name;
                         });
INSTANTIATE_TEST_SUITE_P(XmlServices, WebServiceCall, ::testing::ValuesIn(xmlServices()),
                         [](const auto& info) {
                             std::string name;
                             for (char ch : std::string(info.param.name))
                                 name += std::isalnum(uint8_t(ch)) ? ch : '_';
                             return name;
                         });

TEST(WebServiceToken, EveryCallThatSendsItGetsAFreshOne)
{
    WebService service("127.0.0.1", 1);
    std::vector<std::string> seen;
    for (int i = 0; i < 4; ++i) {
        WebRequest request = service.keepAliveRequest();
        std::string token = request.fields.fields().back().value.str();
        EXPECT_TRUE(isToken(token)) << token;
        EXPECT_EQ(token, service.requestToken.str());
        seen.push_back(token);
    }
    std::sort(seen.begin(), seen.end());
    EXPECT_EQ(std::unique(seen.begin(), seen.end()), seen.end()) << "four calls, four tokens";
    const Text before = service.requestToken;
    service.logoutRequest();
    service.getAdminRequest();
    EXPECT_EQ(service.requestToken, before) << "calls without \"ur\" leave it";
}
