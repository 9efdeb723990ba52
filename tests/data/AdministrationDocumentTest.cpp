#include "data/AdministrationDocument.h"
#include "data/People.h"

#include <gtest/gtest.h>

using namespace Zumeli;

TEST(AdministrationDocument, WrittenFormEscapesTextsAndListsOnlyIds)
{
    AdministrationDocument doc;
    doc.title = "Tom & Co";
    doc.accessMode = AdministrationDocument::ListedTalkersOnly;
    doc.hideNumberOnPlates = true;
    doc.coadmins = { 42, 43 };
    doc.restricted = { 7 };
    doc.limit = 20;
    testing::internal::CaptureStdout();
    Text xml = doc.toXml();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Coadsaveleme: 42\nCoadsaveleme: 43\n");
    EXPECT_EQ(xml, "<administration><Canal Titulo>Tom%20%26amp;%20Co</Canal Titulo><DescriptionDesktop></DescriptionDesktop>"
                   "<Description></Description><Web></Web><details></details><Administrated>0</Administrated>"
                   "<AccessWithAdminPermission>0</AccessWithAdminPermission><AccessWithAdminPresent>0</AccessWithAdminPresent>"
                   "<ChannelNameAndAdminAreReserverd>0</ChannelNameAndAdminAreReserverd>"
                   "<ChannelAccessMode>4</ChannelAccessMode><UserCredits>0</UserCredits>"
                   "<BellEnableCoadmins>0</BellEnableCoadmins><BellEnableAll>0</BellEnableAll>"
                   "<BellEnableBreak>0</BellEnableBreak><HideNumberOnPlates>1</HideNumberOnPlates><cy>0</cy><lang>0</lang>"
                   "<type>0</type><limit>20</limit><listenOnly></listenOnly><coadmin><id>42</id><id>43</id></coadmin>"
                   "<restricted><id>7</id></restricted><excluded></excluded></administration>");
}

TEST(AdministrationDocument, ReadingFillsFieldsAndNamesPeople)
{
    Text reply("<status>OK</status><document><administration>"
               "<Canal Titulo> The &amp; Plaza </Canal Titulo><Description>d</Description><Web>w</Web>"
               "<Administrated>1</Administrated><BellEnableAll>1</BellEnableAll><ChannelAccessMode>3</ChannelAccessMode>"
               "<UserCredits>12</UserCredits><limit>9</limit>"
               "<coadmin><id>42,Bluebird</id><id>43</id></coadmin><excluded><id>50,Spam Bot</id></excluded>"
               "</administration></document>");
    People people;
    people.setName(43, "Kept");
    AdministrationDocument doc;
    doc.details = "untouched";
    doc.listenOnly = { 1, 2 };
    doc.fromXml(reply, people);
    EXPECT_EQ(doc.title, "The & Plaza");
    EXPECT_EQ(doc.details, "untouched") << "absent elements leave fields alone";
    EXPECT_TRUE(doc.administrated);
    EXPECT_TRUE(doc.bellEnableAll);
    EXPECT_EQ(doc.accessMode, 3);
    EXPECT_EQ(doc.userCredits, 12);
    EXPECT_EQ(doc.coadmins, (std::vector<int> { 42, 43 }));
    EXPECT_TRUE(doc.listenOnly.empty()) << "lists are emptied before reading";
    EXPECT_EQ(people.find(42)->name, "Bluebird");
    EXPECT_EQ(people.find(43)->name, "Kept");
    EXPECT_EQ(people.find(50)->name, "Spam Bot");
}

// The title travels in "Canal Titulo"; documents that spell it "CanalTitulo" are read too, and
// another element that merely starts with "Canal" is not taken for it.
TEST(AdministrationDocument, TheTitleIsReadFromEitherSpelling)
{
    struct Case {
        const char* inside;
        const char* title;
    };
    const Case cases[] = {
        { "<Canal Titulo> Spaced &amp; Co </Canal Titulo>", "Spaced & Co" },
        { "<CanalTitulo>Joined</CanalTitulo>", "Joined" },
        { "<Canal Other>no</Canal Other><Canal Titulo>After</Canal Titulo>", "After" },
        { "<Canal Other>no</Canal Other>", "kept" },
        { "<Canal>no</Canal>", "kept" },
        { "<Canal Titulo></Canal Titulo>", "kept" },
        { "", "kept" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.inside);
        People people;
        AdministrationDocument doc;
        doc.title = "kept";
        doc.fromXml(Text("<document><administration>").append(c.inside).append("</administration></document>"), people);
        EXPECT_EQ(doc.title, c.title);
    }
}

TEST(AdministrationDocument, TheWrittenTitleReadsBack)
{
    AdministrationDocument sent;
    sent.title = "Tom & Co";
    testing::internal::CaptureStdout();
    Text xml = sent.toXml();
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(xml.left(40), "<administration><Canal Titulo>Tom%20%26a");

    // The service decodes the form and answers with the document inside "<document>".
    Text decoded(std::string(xml.str()).replace(xml.str().find("Tom%20%26amp;%20Co"), 18, "Tom &amp; Co"));
    People people;
    AdministrationDocument back;
    back.fromXml(Text("<document>").append(decoded).append("</document>"), people);
    EXPECT_EQ(back.title, "Tom & Co");
}

TEST(AdministrationDocument, AReplyWithoutADocumentOnlyEmptiesTheLists)
{
    People people;
    AdministrationDocument doc;
    doc.title = "keep";
    doc.coadmins = { 1 };
    doc.fromXml(Text("<reply><result>FAIL</result></reply>"), people);
    EXPECT_EQ(doc.title, "keep");
    EXPECT_TRUE(doc.coadmins.empty());
    EXPECT_STREQ(AdministrationDocument::accessModeText(0), "]Everyone can talk and listen.[");
    EXPECT_STREQ(AdministrationDocument::accessModeText(6), "");
}
