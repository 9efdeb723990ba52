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
    EXPECT_EQ(xml, "<administration><CanalTitulo>Tom%20%26amp;%20Co</CanalTitulo><DescriptionDesktop></DescriptionDesktop>"
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
               "<CanalTitulo> The &amp; Plaza </CanalTitulo><Description>d</Description><Web>w</Web>"
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

TEST(AdministrationDocument, TheOldSpacedTitleElementIsStillRead)
{
    People people;
    AdministrationDocument doc;
    doc.fromXml(Text("<document><administration><Canal Titulo>Old</Canal Titulo></administration></document>"), people);
    EXPECT_EQ(doc.title, "Old");
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
