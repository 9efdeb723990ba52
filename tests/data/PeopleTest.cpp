#include "data/Checksum.h"
#include "data/People.h"
#include "tests/data/TempFolder.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <utility>
#include <vector>

using namespace Zumeli;

namespace {

std::vector<std::string> names(const People& people)
{
    std::vector<std::string> out;
    for (const auto& entry : people)
        out.push_back(entry->name.str());
    return out;
}

} // namespace

TEST(People, EntriesVersionsAndDisplayNames)
{
    People people;
    Text shown;
    EXPECT_FALSE(people.displayName(1234, shown));
    EXPECT_TRUE(shown.isEmpty());

    people.getOrCreate(1234);
    EXPECT_TRUE(people.displayName(1234, shown));
    EXPECT_EQ(shown, "[1234]") << "met but details not loaded";

    people.setDetails(7, "Ann", 4, 0, false, false);
    EXPECT_TRUE(people.displayName(7, shown));
    EXPECT_EQ(shown, "Ann");
    std::vector<int> missing;
    EXPECT_TRUE(people.missingIds(missing, false));
    EXPECT_EQ(missing, std::vector<int> { 1234 });

    people.setVersion(7, 5);
    EXPECT_FALSE(people.find(7)->loaded);
    people.missingIds(missing, false);
    EXPECT_EQ(missing, (std::vector<int> { 1234, 7 }));
    people.setVersion(7, 5);
    EXPECT_EQ(people.find(7)->ts, 5);

    people.find(1234)->ts = 0;
    people.missingIds(missing, false);
    EXPECT_EQ(missing, std::vector<int> { 7 }) << "version 0 is not asked for";
    people.missingIds(missing, true);
    EXPECT_EQ(missing.size(), 2u);
    people.getOrCreate(1234);
    EXPECT_EQ(people.find(1234)->ts, 1) << "meeting a user again revives version 0";

    people.setName(7, "");
    EXPECT_EQ(people.find(7)->name, "Ann") << "an empty name changes nothing";
    for (const char* guest : { "GUEST", "guest", "" }) {
        people.setDetails(9, guest, 1, 0, false, false);
        EXPECT_EQ(people.find(9)->name, "Guest") << guest;
    }
}

TEST(People, ChannelUserListAndSorting)
{
    People people;
    people.setDetails(5, "zed", 1, 0, false, false);
    std::vector<int> present;
    people.addChannelUsers("12,3,bob 5,2,zed 40,1, 13,1,Alice  ", &present);
    EXPECT_EQ(present, (std::vector<int> { 12, 5, 40, 13 }));
    EXPECT_FALSE(people.find(5)->loaded) << "a new version unloads";
    EXPECT_EQ(people.find(12)->ts, 3);
    EXPECT_EQ(names(people), (std::vector<std::string> { "", "Alice", "bob", "zed" }));

    People sorted;
    for (const char* name : { "b", "A", "a", "C", "B" })
        sorted.setName(int(sorted.count()) + 1, name);
    sorted.sortByName();
    EXPECT_EQ(names(sorted), (std::vector<std::string> { "A", "a", "b", "B", "C" })) << "stable for equal names";

    // Names with zero bytes (they can arrive from the network) still sort, and the sort ends.
    People zeros;
    zeros.setName(1, Text("x\0y", 3));
    zeros.setName(2, Text("x\0y", 3));
    zeros.setName(3, Text("x\0a", 3));
    zeros.sortByName();
    EXPECT_EQ(zeros[0]->id, 3);
    EXPECT_EQ(zeros[1]->id, 1);
}

TEST(People, UsersListFileBytesAndRoundTrip)
{
    People people;
    people.setDetails(42, "Bluebird", 3, 7, true, false);
    Text expected("<version>4</version><users><user><id>42</id>\r\n<ts>3</ts>\r\n<dnd>0</dnd>\r\n<stf>1</stf>\r\n"
                  "<its>7</its>\r\n<name>Bluebird</name>\r\n</user></users>");
    appendChecksumTrailer(expected);
    EXPECT_EQ(people.toFileText(), expected);

    TempFolder temp("people");
    people.setDetails(43, "ann", 1, 0, false, true);
    people.getOrCreate(44);
    people.load(temp.folder()); // nothing there: empty, and the path is set
    EXPECT_TRUE(people.isEmpty());
    people.setDetails(42, "Bluebird", 3, 7, true, false);
    people.setDetails(43, "ann", 1, 0, false, true);
    people.sortByName();
    ASSERT_TRUE(people.save());
    People back;
    back.load(temp.folder());
    ASSERT_EQ(back.count(), 2);
    EXPECT_EQ(*back[0], *people[0]);
    EXPECT_EQ(*back[1], *people[1]);
}

TEST(People, ForeignOrDamagedUsersListsLoadNothing)
{
    Text version3("<version>3</version><users><user><id>1</id><name>x</name></user></users>");
    appendChecksumTrailer(version3);
    People people;
    people.setDetails(1, "x", 1, 0, false, false);
    Text good = people.toFileText();
    Text damaged = good;
    damaged.truncate(good.length() - 1);

    for (const Text& file : { version3, damaged, Text("garbage") }) {
        People back;
        back.getOrCreate(99);
        EXPECT_FALSE(back.fromFileText(file));
        EXPECT_TRUE(back.isEmpty());
    }
    Text noName("<version>4</version><users><user><id>5</id><name></name></user></users>");
    appendChecksumTrailer(noName);
    People back;
    ASSERT_TRUE(back.fromFileText(noName));
    EXPECT_EQ(back.find(5)->name, "Guest");
}

// The index by id follows every change of the list: sorting, removing, taking and clearing.
TEST(People, LookUpsFollowEveryChangeOfTheList)
{
    People people;
    for (int id = 1; id <= 200; ++id)
        people.setName(id * 7 % 201, Text().setFormatted("n%03d", (id * 37) % 200));
    people.sortByName();
    for (int id = 1; id <= 200; ++id) {
        int index = -2;
        PeopleEntry* entry = people.find(id * 7 % 201, &index);
        ASSERT_NE(entry, nullptr);
        EXPECT_EQ(entry->id, id * 7 % 201);
        EXPECT_EQ(people[index], entry);
    }
    const int removed = people[10]->id;
    people.removeAt(10);
    EXPECT_EQ(people.find(removed), nullptr);
    std::unique_ptr<PeopleEntry> taken = people.takeAt(0);
    EXPECT_EQ(people.find(taken->id), nullptr);
    people.getOrCreate(taken->id);
    EXPECT_NE(people.find(taken->id), taken.get()) << "met again: a new entry";
    people.clear();
    int index = 0;
    EXPECT_EQ(people.find(7, &index), nullptr);
    EXPECT_EQ(index, -1);
    EXPECT_EQ(people.getOrCreate(7)->name, "") << "a fresh entry after clearing";
}

// An id written twice in a hand-edited users list loads once, with its first entry.
TEST(People, AnIdListedTwiceInTheFileLoadsItsFirstEntry)
{
    Text file("<version>4</version><users><user><id>5</id><name>first</name></user>"
              "<user><id>6</id><name>other</name></user><user><id>5</id><name>second</name></user></users>");
    appendChecksumTrailer(file);
    People people;
    ASSERT_TRUE(people.fromFileText(file));
    EXPECT_EQ(names(people), (std::vector<std::string> { "first", "other" }));
}

// Sorting gives the order of an exchange sort of neighbours (swap while the left name is greater,
// letters compared without case): ascending, equal names in the order they had.
TEST(People, SortingKeepsTheOrderOfAnExchangeSort)
{
    std::mt19937 random(7);
    const char* const stems[] = { "ann", "Ann", "ANN", "bob", "Bo", "b", "", "zed", "Zed", "a\x80", "_x" };
    People people;
    std::vector<std::pair<std::string, int>> reference;
    for (int id = 1; id <= 300; ++id) {
        std::string name = stems[random() % (sizeof stems / sizeof stems[0])];
        people.setName(id, Text(name));
        reference.emplace_back(name, id);
    }
    for (size_t i = 0; i + 1 < reference.size();) {
        if (Text(reference[i].first).greaterIgnoreCase(Text(reference[i + 1].first))) {
            std::swap(reference[i], reference[i + 1]);
            if (i > 0)
                --i;
        } else {
            ++i;
        }
    }
    people.sortByName();
    ASSERT_EQ(people.count(), int(reference.size()));
    for (int i = 0; i < people.count(); ++i)
        EXPECT_EQ(people[i]->id, reference[size_t(i)].second) << "at " << i;
}
