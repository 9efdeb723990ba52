#include "data/SomeVector.h"

#include <gtest/gtest.h>

using namespace Zumeli;

namespace {

struct Counted {
    explicit Counted(int v, int* alive)
        : value(v)
        , alive(alive)
    {
        ++*alive;
    }
    ~Counted() { --*alive; }
    int value;
    int* alive;
};

} // namespace

TEST(SomeVector, OwnsItsElementsAndKeepsTheirAddresses)
{
    int alive = 0;
    {
        someVector<Counted> list;
        Counted* first = list.add(std::make_unique<Counted>(3, &alive));
        for (int i = 0; i < 100; ++i)
            list.add(std::make_unique<Counted>(i % 5, &alive));
        EXPECT_EQ(alive, 101);
        EXPECT_EQ(list.first(), first) << "growth never moves an element";
        EXPECT_EQ(list.at(101), nullptr);
        EXPECT_EQ(list.at(-1), nullptr);

        EXPECT_TRUE(list.removeAt(1));
        EXPECT_FALSE(list.removeAt(500));
        EXPECT_EQ(alive, 100);
        std::unique_ptr<Counted> taken = list.takeAt(0);
        EXPECT_EQ(taken.get(), first);
        EXPECT_EQ(alive, 100) << "a taken element belongs to the caller";
        EXPECT_EQ(list.indexOf(first), -1);

        list.stableSort([](const Counted& a, const Counted& b) { return a.value < b.value; });
        for (int i = 1; i < list.count(); ++i)
            ASSERT_LE(list[i - 1]->value, list[i]->value);
        list.insertAt(-5, std::make_unique<Counted>(99, &alive));
        EXPECT_EQ(list.first()->value, 99);
    }
    EXPECT_EQ(alive, 0);
}
