// What the administration decides reaches those already in the channel at once, and the relay
// passes on only the notices the sender may give, within the sender's channel.

#include "ServerFixture.h"

using namespace Zumeli;
using namespace ServerTest;

namespace {

class AdministrationTest : public ServiceTest
{
protected:
    void SetUp() override { start(); }
    std::string save(const WebUser& admin, int mode, const std::string& lists)
    {
        return admin.call("SaveAdmin.php", "data=<administration><ChannelAccessMode>" + std::to_string(mode) +
                                               "</ChannelAccessMode>" + lists + "</administration>&");
    }
};

bool isControl(const std::optional<VoicePacket>& packet, VoiceMessage type)
{
    return packet && packet->kind() == VoicePacket::Control && packet->type() == uint8_t(type);
}

std::string one(const char* list, int id)
{
    return std::string("<") + list + "><id>" + std::to_string(id) + "</id></" + list + ">";
}

TEST_F(AdministrationTest, ADecisionReachesThoseAlreadyInTheChannelAtOnce)
{
    WebUser owner = account("Owner");
    owner.join(1300);
    ASSERT_EQ(statusOf(owner.call("AdminChannel.php", "release=0&")), "OK");
    WebUser talker = inChannel(1300);
    WebUser unwanted = inChannel(1300);
    auto voiceOwner = voice(owner);
    auto voiceTalker = voice(talker);
    auto voiceUnwanted = voice(unwanted);
    voiceOwner->drain(100);
    voiceTalker->drain(100);
    ASSERT_TRUE(voiceTalker->audio(0));
    ASSERT_TRUE(voiceOwner->next()); // the talker holds the floor

    ASSERT_EQ(statusOf(save(owner, 1, one("listenOnly", talker.id) + one("excluded", unwanted.id))), "OK");
    // The excluded one is out: voice closed, gone for the others, not in the users list.
    EXPECT_TRUE(voiceUnwanted->closedByServer(2000));
    auto seen = voiceOwner->drain(300);
    auto has = [&](VoiceMessage type, uint32_t sender, int32_t user = -1) {
        for (const auto& packet : seen)
            if (packet.kind() == VoicePacket::Control && packet.type() == uint8_t(type) &&
                packet.senderId() == sender && (user < 0 || packet.arg32(0) == uint32_t(user)))
                return true;
        return false;
    };
    EXPECT_TRUE(has(VoiceMessage::EndTalk, uint32_t(talker.id))); // the new listener lost the floor
    EXPECT_TRUE(has(VoiceMessage::UsersGone, 0, unwanted.id));
    EXPECT_TRUE(has(VoiceMessage::ChannelSettingsChanged, 0)); // read the settings and "pe" again
    std::string users = element(owner.call("getUsersList.php", "ur=1&"), "ul");
    EXPECT_EQ(users.find(std::to_string(unwanted.id) + ","), std::string::npos);
    EXPECT_EQ(element(unwanted.call("GetUserChannelStatus.php", ""), "errorString"), "INVALID SESSION");
    // The new listener's audio is no longer relayed; its next join says so.
    EXPECT_TRUE(isControl(voiceTalker->nextOfType(VoiceMessage::ChannelSettingsChanged),
                          VoiceMessage::ChannelSettingsChanged));
    ASSERT_TRUE(voiceTalker->audio(1));
    EXPECT_TRUE(voiceOwner->drain(300).empty());
    EXPECT_EQ(element(talker.join(1300), "pe"), "1");
}

TEST_F(AdministrationTest, ARefusedJoinTakesTheSessionOutOfItsChannel)
{
    WebUser owner = account("Owner");
    owner.join(1300);
    ASSERT_EQ(statusOf(owner.call("AdminChannel.php", "release=0&")), "OK");
    WebUser other = inChannel(1000);
    WebUser visitor = inChannel(1000);
    ASSERT_EQ(statusOf(save(owner, 1, one("excluded", visitor.id))), "OK");
    auto voiceOther = voice(other);
    auto voiceVisitor = voice(visitor);
    voiceOther->drain(100);
    EXPECT_EQ(element(visitor.join(1300), "errorString"), "ACCESS DENIED");
    EXPECT_TRUE(voiceVisitor->closedByServer(2000));
    auto gone = voiceOther->nextOfType(VoiceMessage::UsersGone);
    ASSERT_TRUE(gone);
    EXPECT_EQ(gone->arg32(0), uint32_t(visitor.id));
    EXPECT_EQ(element(other.call("getUsersList.php", "ur=1&"), "ul").find(std::to_string(visitor.id) + ","),
              std::string::npos);
}

TEST_F(AdministrationTest, NoticesStayInTheSendersChannelAndOnlyTheAdministratorInvites)
{
    WebUser a = inChannel(1000);
    WebUser b = inChannel(1000);
    WebUser elsewhere = inChannel(1100);
    auto voiceA = voice(a);
    auto voiceB = voice(b);
    auto voiceElsewhere = voice(elsewhere);
    voiceA->drain(100);
    voiceB->drain(100);
    ASSERT_TRUE(voiceA->send(VoicePacket::newMessages(0, uint32_t(elsewhere.id))));
    ASSERT_TRUE(voiceA->send(VoicePacket::newMessages(0, uint32_t(b.id))));
    EXPECT_TRUE(isControl(voiceB->next(), VoiceMessage::NewMessages));
    EXPECT_TRUE(voiceElsewhere->drain(300).empty());

    // Invitations to a channel's subscribers: its administrator only, and not again at once.
    WebUser owner = account("Owner");
    owner.join(1200);
    ASSERT_EQ(statusOf(owner.call("AdminChannel.php", "release=0&")), "OK");
    b.call("XML_Send.php", "ur=1&kind=channelSubscription&data=<sub><ch>1200</ch><st>1</st></sub>&");
    std::string invite = "ur=1&kind=subscriptionMessage&data=<subMsg><ch>1200</ch></subMsg>&";
    EXPECT_EQ(element(a.call("XML_Send.php", invite), "errorString"), "NOT ADMINISTRATOR");
    EXPECT_EQ(element(owner.call("XML_Send.php", invite), "sent"), "1");
    EXPECT_EQ(element(owner.call("XML_Send.php", invite), "errorString"), "TOO SOON");
}

// Every role under every access mode: the join result and the "pe" the saved document gives.
TEST_F(AdministrationTest, EachRoleJoinsAsTheSavedModeSays)
{
    WebUser owner = account("Owner");
    owner.join(1300);
    ASSERT_EQ(statusOf(owner.call("AdminChannel.php", "release=0&")), "OK");
    WebUser coadmin = account("Coadmin");
    WebUser talker = account("Talker");
    WebUser listener = account("Listener");
    WebUser banned = account("Banned");
    WebUser other = account("Other");
    WebUser visitor = inChannel(1000);
    std::string lists = one("coadmin", coadmin.id) + one("restricted", talker.id) + one("listenOnly", listener.id) +
                        one("excluded", banned.id);
    // "0" and "1": admitted with that permission; "-": refused.
    struct Case {
        int mode;
        const char* coadmin;
        const char* talker;
        const char* listener;
        const char* banned;
        const char* other;
        const char* guest;
    };
    const Case cases[] = {
        {0, "0", "0", "0", "0", "0", "0"}, {1, "0", "0", "1", "-", "0", "0"}, {2, "0", "0", "1", "-", "1", "1"},
        {3, "0", "0", "1", "-", "-", "-"}, {4, "0", "0", "-", "-", "-", "-"}, {5, "0", "0", "1", "-", "0", "-"},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(statusOf(save(owner, c.mode, lists)), "OK") << "mode " << c.mode;
        std::pair<const WebUser*, const char*> roles[] = {{&coadmin, c.coadmin}, {&talker, c.talker},
                                                          {&listener, c.listener}, {&banned, c.banned},
                                                          {&other, c.other}, {&visitor, c.guest}};
        for (auto [user, expected] : roles) {
            std::string reply = user->join(1300);
            if (std::string(expected) == "-") {
                EXPECT_EQ(element(reply, "errorString"), "ACCESS DENIED") << "mode " << c.mode << " user " << user->id;
            } else {
                EXPECT_NE(statusOf(reply), "FAIL") << "mode " << c.mode << " user " << user->id;
                EXPECT_EQ(element(reply, "pe"), expected) << "mode " << c.mode << " user " << user->id;
            }
            user->join(1000); // out again, so the next mode is met as a new arrival
        }
    }

    // Under mode 3 a listener who arrives talks to nobody; the allowed talker is heard.
    ASSERT_EQ(statusOf(save(owner, 3, lists)), "OK");
    ASSERT_EQ(element(coadmin.join(1300), "pe"), "0");
    ASSERT_EQ(element(listener.join(1300), "pe"), "1");
    ASSERT_EQ(element(talker.join(1300), "pe"), "0");
    auto hearing = voice(coadmin);
    auto voiceListener = voice(listener);
    auto voiceTalker = voice(talker);
    hearing->drain(200);
    ASSERT_TRUE(voiceListener->audio(0));
    ASSERT_TRUE(voiceListener->audio(1));
    for (const auto& packet : hearing->drain(400))
        EXPECT_NE(packet.kind(), VoicePacket::Audio) << "a listener's audio was relayed";
    ASSERT_TRUE(voiceTalker->audio(0));
    bool talkerHeard = false;
    for (const auto& packet : hearing->drain(400))
        talkerHeard = talkerHeard || (packet.kind() == VoicePacket::Audio && packet.senderId() == uint32_t(talker.id));
    EXPECT_TRUE(talkerHeard);
}

// The document belongs to the channel's administration: a crafted request of anybody else gets
// neither its lists nor a save, whatever it claims.
TEST_F(AdministrationTest, OnlyTheAdministratorAndCoadministratorsReadOrSaveTheDocument)
{
    WebUser owner = account("Owner");
    owner.join(1300);
    ASSERT_EQ(statusOf(owner.call("AdminChannel.php", "release=0&")), "OK");
    WebUser coadmin = account("Coadmin");
    WebUser member = account("Member");
    ASSERT_EQ(statusOf(save(owner, 1, one("coadmin", coadmin.id) + one("listenOnly", member.id))), "OK");
    coadmin.join(1300);
    member.join(1300);
    WebUser visitor = inChannel(1300);
    auto body = [](const std::string& reply) { return reply.substr(reply.find("\r\n\r\n") + 4); };

    std::string read = coadmin.call("GetAdmin.php", "");
    EXPECT_EQ(statusOf(read), "OK");
    EXPECT_NE(element(element(element(read, "document"), "administration"), "listenOnly")
                  .find(std::to_string(member.id) + ",Member"),
              std::string::npos);
    for (const WebUser* stranger : {&member, &visitor}) {
        std::string refused = stranger->call("GetAdmin.php", "");
        EXPECT_EQ(refused.substr(0, 12), "HTTP/1.0 403") << stranger->id;
        EXPECT_EQ(body(refused), "FAIL") << stranger->id;
        EXPECT_EQ(element(stranger->call("SaveAdmin.php", "data=<administration><ChannelAccessMode>0</ChannelAccessMode>"
                                                          "<listenOnly></listenOnly></administration>&"),
                          "errorString"),
                  "NOT ADMINISTRATOR")
            << stranger->id;
    }
    // The raw request without a session, and one that names another channel's administrator.
    EXPECT_EQ(body(post(port(), "GetAdmin.php", "")), "FAIL");
    EXPECT_EQ(body(post(port(), "GetAdmin.php", "sessionID=" + member.session + "x&userID=" +
                                                    std::to_string(owner.id) + "&")),
              "FAIL");
    // Nothing changed: the member is still a listener, the mode still 1.
    EXPECT_EQ(element(member.join(1300), "pe"), "1");
    // A co-administrator saves the lists, but not who the co-administrators are.
    ASSERT_EQ(statusOf(save(coadmin, 2, one("coadmin", member.id) + one("restricted", member.id))), "OK");
    read = owner.call("GetAdmin.php", "");
    std::string admin = element(element(read, "document"), "administration");
    EXPECT_EQ(element(admin, "ChannelAccessMode"), "2");
    EXPECT_EQ(element(admin, "coadmin").find(std::to_string(member.id) + ","), std::string::npos);
    EXPECT_NE(element(admin, "coadmin").find(std::to_string(coadmin.id) + ","), std::string::npos);
    EXPECT_EQ(element(member.join(1300), "pe"), "0");
}

} // namespace
