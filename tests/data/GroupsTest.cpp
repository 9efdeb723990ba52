#include "data/Groups.h"
#include "tests/data/TempFolder.h"

#include <gtest/gtest.h>

#include <ctime>
#include <functional>

using namespace Zumeli;

namespace {

std::vector<int> ids(const Groups& groups)
{
    std::vector<int> out;
    for (const auto& g : groups)
        out.push_back(g->id);
    return out;
}

} // namespace

TEST(Groups, DefaultGroupsAreTranslatedAndSorted)
{
    Groups groups;
    groups.setTranslator([](const Text& marker) { return Text("T:").append(marker); });
    groups.fromXml(Text(""));
    EXPECT_EQ(ids(groups), (std::vector<int> { 2, 3, 100, 101, 102, 103 }));
    Text name;
    groups.groupName(2, name);
    EXPECT_EQ(name, "T:]Friends[");
    groups.groupName(103, name);
    EXPECT_EQ(name, "T:]Group D[");
}

TEST(Groups, CreateTakesTheLowestFreeIdFrom100)
{
    Groups groups;
    groups.ensureDefaultGroups();
    EXPECT_EQ(groups.createGroup("Mine"), 104);
    groups.removeGroup(101);
    EXPECT_EQ(groups.createGroup("Again"), 101);
    groups.removeGroup(555); // unknown ids are fine
    groups.sortById();
    EXPECT_EQ(ids(groups), (std::vector<int> { 2, 3, 100, 101, 102, 103, 104 }));
}

TEST(Groups, Members)
{
    Groups groups;
    groups.ensureDefaultGroups();
    groups.addMember(2, 7);
    groups.addMember(2, 8);
    groups.addMember(2, 7);
    groups.addMember(100, 9);
    groups.addMember(100, 8);
    groups.addMember(999, 1); // no such group: nothing
    EXPECT_TRUE(groups.isMember(2, 7));
    EXPECT_FALSE(groups.isMember(999, 7));
    EXPECT_EQ(groups.memberAt(2, 1), 8);
    std::vector<int> all { 8 };
    groups.collectMembers(all);
    EXPECT_EQ(all, (std::vector<int> { 8, 7, 9 }));
    groups.removeMember(2, 7);
    EXPECT_FALSE(groups.isMember(2, 7));
}

TEST(Groups, FileBytesAndRoundTrip)
{
    TempFolder temp("groups");
    Groups groups;
    groups.load(temp.folder());
    ASSERT_EQ(groups.count(), 6) << "no file: the default groups";
    int mine = groups.createGroup("Hikers");
    groups.addMember(mine, 42);
    groups.addMember(mine, 43);
    groups.setSignature(1700000000);
    ASSERT_TRUE(groups.save());

    Text file;
    ASSERT_TRUE(file.loadFromFile(groups.path()));
    const char head[] = "<zumeligroups><version>1</version>\r\n<signature>1700000000</signature>\r\n<groups><group>";
    EXPECT_EQ(file.left(int(sizeof head) - 1), head);
    EXPECT_NE(file.str().find("<group><name>Hikers</name>\r\n<id>104</id>\r\n<items><id>42</id>\r\n<id>43</id>\r\n</items></group>"),
              std::string::npos);

    Groups back;
    back.load(temp.folder());
    EXPECT_EQ(back.signature(), 1700000000);
    ASSERT_EQ(back.count(), 7);
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(*back[i], *groups[i]);
}

TEST(Groups, AnotherVersionKeepsOnlyTheDefaults)
{
    Groups groups;
    groups.createGroup("stale");
    groups.fromXml(Text("<zumeligroups><version>2</version><groups><group><id>150</id></group></groups></zumeligroups>"));
    EXPECT_EQ(ids(groups), (std::vector<int> { 2, 3, 100, 101, 102, 103 }));
}

// Each change of the user's groups gives a newer signature (the time of the change), which the
// saved file then carries; operations that change nothing leave the signature alone.
TEST(Groups, EveryChangeAdvancesTheSignatureAndTheFileHoldsIt)
{
    struct Case {
        const char* what;
        std::function<void(Groups&)> act;
        bool changes;
    };
    const Case cases[] = {
        { "create a group", [](Groups& g) { g.createGroup("Hikers"); }, true },
        { "rename a group", [](Groups& g) { g.setGroupName(100, "Climbers"); }, true },
        { "remove a group", [](Groups& g) { g.removeGroup(101); }, true },
        { "add a member", [](Groups& g) { g.addMember(2, 42); }, true },
        { "remove a member", [](Groups& g) { g.removeMember(3, 7); }, true },
        { "add a member already there", [](Groups& g) { g.addMember(3, 7); }, false },
        { "remove someone who is no member", [](Groups& g) { g.removeMember(2, 99); }, false },
        { "remove an unknown group", [](Groups& g) { g.removeGroup(555); }, false },
        { "rename to the same name", [](Groups& g) { g.setGroupName(102, "Same"); }, false },
        { "translate the defaults again", [](Groups& g) { g.ensureDefaultGroups(); }, false },
        { "sort", [](Groups& g) { g.sortById(); }, false },
    };
    const int old = 1700000000;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempFolder temp("signature");
        Groups groups;
        groups.load(temp.folder());
        groups.addMember(3, 7);
        groups.setGroupName(102, "Same");
        groups.setSignature(old);

        const int before = int(std::time(nullptr));
        c.act(groups);
        if (!c.changes) {
            EXPECT_EQ(groups.signature(), old);
            continue;
        }
        EXPECT_GE(groups.signature(), before);
        EXPECT_LE(groups.signature(), int(std::time(nullptr)));

        ASSERT_TRUE(groups.save());
        Text file;
        ASSERT_TRUE(file.loadFromFile(groups.path()));
        EXPECT_NE(file.str().find(Text().setFormatted("<signature>%d</signature>", groups.signature()).str()),
                  std::string::npos);
        Groups back;
        back.load(temp.folder());
        EXPECT_EQ(back.signature(), groups.signature());
    }
}

// Two changes within the same second, or after the clock was set back, still give newer
// signatures, so a copy compared by signature is never taken for an older one.
TEST(Groups, TheSignatureNeverGoesBack)
{
    Groups groups;
    groups.ensureDefaultGroups();
    groups.addMember(2, 1);
    const int first = groups.signature();
    groups.addMember(2, 2);
    EXPECT_GT(groups.signature(), first);

    const int future = int(std::time(nullptr)) + 3600;
    groups.setSignature(future);
    groups.addMember(2, 3);
    EXPECT_EQ(groups.signature(), future + 1);
}
