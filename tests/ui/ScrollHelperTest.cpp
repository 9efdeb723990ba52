#include "WidgetFixture.h"

#include "ui/epiUiBitmapScroll.h"
#include "ui/epiUiBehaviourDragger.h"
#include "ui/epiUiScrollHelper.h"

namespace {

using Log = std::vector<std::string>;

class ScrollList : public WidgetFixture
{
protected:
    ScrollList()
    {
        EXPECT_TRUE(load("list.xml"));
        list.setApplication(&application);
    }
    ~ScrollList() override { list.setApplication(nullptr); }

    // The centre of item `index`'s button, in the root's coordinates.
    epiPoint buttonOf(int index) const
    {
        epiUbo* button = list.item(index)->findChild(epiFourCC("name"));
        return button->toAncestor(button->bounds().referencePoint(8), &root);
    }

    epiUiScrollHelper list;
};

TEST_F(ScrollList, SetUpTakesTheItemSizeFromTheViewportsLayout)
{
    epiUbo* view = find("view");
    EXPECT_EQ(view->childCount(), 2) << "the row layout's items, before set-up";
    ASSERT_TRUE(list.setUp(&root, epiFourCC("view"), epiFourCC("hbar"), epiFourCC("vbar"), false));
    EXPECT_EQ(list.itemSize(), epiRect(0, 0, 100, 20));
    ASSERT_EQ(view->childCount(), 1);
    EXPECT_EQ(view->childAt(0), list.content());
    EXPECT_EQ(list.content()->code(), epiFourCC("cont"));
    EXPECT_EQ(find<epiUiBitmapScroll>("vbar")->arrowStep(), 20);
    EXPECT_EQ(find<epiUiBitmapScroll>("hbar")->arrowStep(), 100);
    EXPECT_FALSE(list.setUp(&root, epiFourCC("none"), 0, 0, false));
}

TEST_F(ScrollList, ItemsStackAndTheBarsFollowTheOverflow)
{
    ASSERT_TRUE(list.setUp(&root, epiFourCC("view"), epiFourCC("hbar"), epiFourCC("vbar"), false));
    list.setAlternateRows(true);
    list.setItemCount(2);
    EXPECT_FALSE(find("vbar")->isEnabled()) << "two rows of 20 fit in 50";
    list.setItemCount(5);
    EXPECT_EQ(list.item(3)->frame(), epiRect(0, 60, 100, 80));
    EXPECT_EQ(list.content()->frame().height(), 100);
    auto* bar = find<epiUiBitmapScroll>("vbar");
    EXPECT_TRUE(bar->isEnabled());
    EXPECT_EQ(bar->dragger()->userMaximum(), 50);
    EXPECT_FALSE(find("hbar")->isEnabled());
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(list.item(i)->findChild(epiFourCC("alte"))->value(), i % 2) << "row " << i;

    // The bar moves the content.
    bar->setValue(30);
    bar->hit();
    EXPECT_EQ(list.scroll().y, 30);
    EXPECT_EQ(list.content()->frame().top, -30);
    // Fewer items: the scroll comes back within the new overflow.
    list.setItemCount(3);
    EXPECT_EQ(list.content()->frame().height(), 60);
    EXPECT_EQ(list.scroll().y, 10);
    list.setItemCount(1);
    EXPECT_FALSE(bar->isEnabled());
    EXPECT_EQ(list.content()->frame().top, 0);
}

TEST_F(ScrollList, CentringPutsNarrowContentInTheMiddle)
{
    list.setColumns(1);
    ASSERT_TRUE(list.setUp(&root, epiFourCC("view"), 0, 0, true));
    list.setItemCount(1);
    // 100 × 20 content in a 100 × 50 viewport: the overflow is -30, the scroll -15.
    EXPECT_EQ(list.content()->frame().top, 15);
}

TEST_F(ScrollList, ColumnsAndStretch)
{
    list.setColumns(2);
    list.setStretch(true);
    ASSERT_TRUE(list.setUp(&root, epiFourCC("view"), epiFourCC("hbar"), epiFourCC("vbar"), false));
    list.setItemCount(3);
    EXPECT_EQ(list.item(0)->frame(), epiRect(0, 0, 50, 20));
    EXPECT_EQ(list.item(1)->frame(), epiRect(50, 0, 100, 20));
    EXPECT_EQ(list.item(2)->frame(), epiRect(0, 20, 50, 40));
}

TEST_F(ScrollList, ClickingARowSelectsItAndKeysMoveTheSelection)
{
    ASSERT_TRUE(list.setUp(&root, epiFourCC("view"), epiFourCC("hbar"), epiFourCC("vbar"), false));
    list.setItemCount(4);
    EXPECT_EQ(list.selected(), -1);
    click(buttonOf(1));
    EXPECT_EQ(list.selected(), 1);
    EXPECT_EQ(list.item(1)->value(), 1);
    // The click went up the tree as commands: the row's button to the row, the row to the content
    // (a system container, which does not record), the content to the viewport, the viewport up.
    EXPECT_EQ(takeLog(), (Log{"cont:name", "view:cont", "list:view"}));

    root.keyDown(epiUiScrollHelper::kKeyDown);
    EXPECT_EQ(list.selected(), 2);
    EXPECT_EQ(list.item(1)->value(), 0);
    EXPECT_EQ(list.item(2)->value(), 1);
    EXPECT_EQ(takeLog(), (Log{"view:cont", "list:view"})) << "the newly selected row is hit";
    root.keyRepeat(epiUiScrollHelper::kKeyDown);
    root.keyRepeat(epiUiScrollHelper::kKeyDown);
    EXPECT_EQ(list.selected(), 3) << "the last row stays selected";
    for (int i = 0; i < 5; ++i)
        root.keyDown(epiUiScrollHelper::kKeyUp);
    EXPECT_EQ(list.selected(), 0);
    root.keyDown(65);
    EXPECT_EQ(list.selected(), 0);
}

TEST_F(ScrollList, FullSelectionAndAValueChild)
{
    list.setFullSelection(true);
    list.setValueChild(epiFourCC("alte"));
    ASSERT_TRUE(list.setUp(&root, epiFourCC("view"), 0, epiFourCC("vbar"), false));
    list.setItemCount(3);
    list.select(2);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(list.item(i)->findChild(epiFourCC("alte"))->value(), i == 2 ? 1 : 0);
    EXPECT_EQ(list.item(2)->value(), 0) << "the row itself keeps no value";
    // The selected row draws its "on" fill.
    epiPoint inRow = list.item(2)->toAncestor(epiPoint(60, 2), &root);
    EXPECT_EQ(render().pixel(inRow.x, inRow.y), epiArgb(255, 230, 230, 230));
    list.setItemCount(2);
    EXPECT_EQ(list.selected(), -1);
}

} // namespace
