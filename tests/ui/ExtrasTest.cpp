#include "WidgetFixture.h"

#include "ui/epiFonts.h"
#include "ui/epiUiBehaviourDragger.h"
#include "ui/epiUiBitmapButton.h"
#include "ui/epiUiBitmapPopup.h"
#include "ui/epiUiBitmapView.h"
#include "ui/epiUiDynamic.h"
#include "ui/epiUiPictureView.h"
#include "ui/epiUiScrollableContainer.h"

namespace {

using Log = std::vector<std::string>;

class Extras : public WidgetFixture
{
protected:
    Extras() { EXPECT_TRUE(load("extras.xml")); }
};

TEST_F(Extras, PopupOpensItsMenuAndAChoiceHitsIt)
{
    auto* popup = find<epiUiBitmapPopup>("popu");
    ASSERT_NE(popup, nullptr);
    ASSERT_EQ(popup->entries().size(), 3u);
    epiBitmap before = render();
    click(centreOf("popu"));
    EXPECT_TRUE(takeLog().empty()) << "opening the menu is not a choice";
    epiUiPopupMenu* menu = popup->openedMenu();
    ASSERT_NE(menu, nullptr);
    // The list lies below the button: row 1 is "Green".
    epiUbo* list = menu->childAt(0);
    EXPECT_EQ(list->frame().top, 10);
    epiPoint green = list->childAt(1)->toAncestor(epiPoint(10, 9), &root);
    epiBitmap drawn = render();
    EXPECT_NE(drawn.pixel(green.x, green.y), before.pixel(green.x, green.y)) << "the menu is drawn over the window";
    root.mouseMoved(green);
    EXPECT_EQ(render().pixel(green.x + 40, green.y), epiArgb(255, 49, 106, 197)) << "the row under the pointer";
    click(green);
    EXPECT_EQ(takeLog(), Log{"xtra:popu"});
    EXPECT_EQ(popup->value(), 1);
    EXPECT_EQ(popup->openedMenu(), nullptr);
    EXPECT_EQ(root.findChild(epiUiPopupMenu::kKind), nullptr);
    application.purgeReleased();
    EXPECT_EQ(render().pixel(green.x, green.y), before.pixel(green.x, green.y)) << "the menu is gone from the window";
}

TEST_F(Extras, AClickOutsideTheMenuClosesItWithoutAChoice)
{
    auto* popup = find<epiUiBitmapPopup>("popu");
    click(centreOf("popu"));
    ASSERT_NE(popup->openedMenu(), nullptr);
    click({190, 100});
    EXPECT_EQ(popup->openedMenu(), nullptr);
    EXPECT_TRUE(takeLog().empty());
    EXPECT_EQ(popup->value(), -1);
}

TEST_F(Extras, SubMenusNumberTheirItemsInOrder)
{
    auto* popup = find<epiUiBitmapPopup>("popu");
    popup->entries().clear();
    popup->addItem("First");
    std::vector<epiUiPopupEntry>& more = popup->addSubmenu("More");
    more.push_back({"Second", epiFourCC("sec_"), {}});
    more.push_back({"Third", epiFourCC("thi_"), {}});
    popup->addItem("Fourth");
    click(centreOf("popu"));
    epiUiPopupMenu* menu = popup->openedMenu();
    epiPoint moreRow = menu->childAt(0)->childAt(1)->toAncestor(epiPoint(5, 5), &root);
    click(moreRow);
    ASSERT_EQ(menu->childCount(), 2) << "the sub-menu opened beside the first list";
    EXPECT_EQ(menu->childAt(1)->frame().left, menu->childAt(0)->frame().right - 1);
    click(menu->childAt(1)->childAt(1)->toAncestor(epiPoint(5, 5), &root));
    EXPECT_EQ(popup->value(), 2);
    EXPECT_EQ(popup->chosenCode(), epiFourCC("thi_"));
    EXPECT_EQ(takeLog(), Log{"xtra:popu"});
}

TEST_F(Extras, DrawnButtonUsesItsPressedStyleWhilePressed)
{
    epiPoint centre = centreOf("dbtn");
    epiBitmap drawn = render();
    EXPECT_EQ(drawn.pixel(centre.x, centre.y), epiArgb(255, 200, 0, 0));
    EXPECT_EQ(drawn.pixel(30, 0), epiArgb(255, 0, 0, 0)) << "the frame";
    EXPECT_EQ(drawn.pixel(31, 1), epiArgb(255, 255, 255, 255)) << "the light bevel";
    EXPECT_EQ(drawn.pixel(68, 18), epiArgb(255, 128, 128, 128)) << "the dark bevel";
    EXPECT_EQ(drawn.pixel(70, 10), kWhite) << "outside";
    press(centre);
    EXPECT_EQ(render().pixel(centre.x, centre.y), epiArgb(255, 0, 200, 0));
    release(centre);
    EXPECT_EQ(render().pixel(centre.x, centre.y), epiArgb(255, 200, 0, 0));
    EXPECT_EQ(takeLog(), Log{"xtra:dbtn"});

    click(centreOf("dchk"));
    EXPECT_EQ(find("dchk")->value(), 1);
    EXPECT_EQ(render().pixel(centreOf("dchk").x, centreOf("dchk").y), epiArgb(255, 250, 250, 250));
}

TEST_F(Extras, DecorationFillAndFrameFollowItsValue)
{
    epiUbo* deco = find("deco");
    epiBitmap drawn = render();
    EXPECT_EQ(drawn.pixel(1, 31), epiArgb(255, 255, 0, 0)) << "frame two pixels thick";
    EXPECT_EQ(drawn.pixel(30, 45), epiArgb(255, 0, 0, 200));
    EXPECT_EQ(drawn.pixel(60, 45), kWhite);
    deco->setValue(1);
    EXPECT_EQ(render().pixel(30, 45), epiArgb(255, 200, 200, 0));
}

TEST_F(Extras, ViewDrawsThroughItsOwnBitmap)
{
    auto* view = find<epiUiBitmapView>("view");
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->bitmap().width(), 60);
    epiBitmap drawn = render();
    EXPECT_EQ(drawn.pixel(80, 40), kReleasedOn) << "its child, at (5, 5) in the view";
    EXPECT_EQ(drawn.pixel(100, 50), kWhite) << "what lies under the view shows through";
    EXPECT_EQ(view->bitmap().pixel(10, 10), kReleasedOn);

    // A font draws into the view's bitmap, clipped.
    epiFont* font = application.resources()->fonts().font(epiFourCC("AN12"));
    ASSERT_NE(font, nullptr);
    epiText text("Wide text");
    EXPECT_EQ(font->measureInView(*view, 0, text), font->measure(text));
    view->bitmap().fill(view->bitmap().bounds(), kWhite);
    font->drawToView(*view, 0, {0, 0, 60, 30}, {0, 0, 30, 30}, text, epiArgb(255, 0, 0, 0));
    int inked = 0, outside = 0;
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 60; ++x)
            (x < 30 ? inked : outside) += view->bitmap().pixel(x, y) != kWhite;
    EXPECT_GT(inked, 10);
    EXPECT_EQ(outside, 0);
}

TEST_F(Extras, ScrollableContainerScrollsItsContentWithTheWheel)
{
    auto* scroll = find<epiUiScrollableContainer>("scrl");
    ASSERT_NE(scroll, nullptr);
    EXPECT_EQ(scroll->contentExtent().bottom, 80);
    epiPoint inside = centreOf("scrl");
    root.mouseWheel(inside, -3); // 30 pixels on
    EXPECT_EQ(scroll->scroll().y, 30);
    EXPECT_EQ(find("low_")->frame().top, 40);
    root.mouseWheel(inside, -10);
    EXPECT_EQ(scroll->scroll().y, 50) << "no further than the content's end";
    click(find("low_")->toAncestor(epiPoint(5, 5), &root));
    EXPECT_EQ(takeLog(), Log{"xtra:scrl"}) << "the button's hit came up through the container";
    scroll->scrollTo(0, 0);
    EXPECT_EQ(find("low_")->frame().top, 70);
}

TEST_F(Extras, DrawnKnobAndLevelMeter)
{
    auto* knob = find<epiUiDynamicKnob>("knob");
    ASSERT_NE(knob, nullptr);
    EXPECT_EQ(knob->pointerEnd(), epiPoint(5, 25)) << "the minimum points to the lower left";
    knob->dragger()->setValue(1);
    EXPECT_EQ(knob->pointerEnd(), epiPoint(25, 25));
    knob->dragger()->setValue(0.5f);
    EXPECT_EQ(knob->pointerEnd(), epiPoint(15, 1)) << "the middle points up";
    epiBitmap drawn = render();
    EXPECT_EQ(drawn.pixel(15, 75), epiArgb(255, 255, 255, 255)) << "the pointer";
    EXPECT_EQ(drawn.pixel(8, 75), epiArgb(255, 128, 128, 128)) << "beside it";

    auto* meter = find<epiUiDynamicLevelMeter>("dlev");
    meter->setValue(50);
    drawn = render();
    EXPECT_EQ(drawn.pixel(45, 99), epiArgb(255, 0, 255, 0));
    EXPECT_EQ(drawn.pixel(45, 85), epiArgb(255, 0, 255, 0));
    EXPECT_EQ(drawn.pixel(45, 84), epiArgb(255, 0, 0, 0));
}

TEST_F(Extras, FaceCommandSelectsTheFaceShown)
{
    auto* image = find<epiUiBitmapImage>("face");
    epiPoint at = centreOf("face");
    EXPECT_EQ(render().pixel(at.x, at.y), kReleasedOff);
    image->receiveCommand(epiFourCC("Face"), epiFourCC("irOn"), 0);
    EXPECT_EQ(render().pixel(at.x, at.y), kReleasedOn);
    image->receiveCommand(epiFourCC("Face"), 1, 0);
    EXPECT_EQ(render().pixel(at.x, at.y), kPressedOff);
    image->setAttributeText(epiFourCC("Face"), "ipOn");
    EXPECT_EQ(render().pixel(at.x, at.y), kPressedOn);
}

TEST(PictureView, APictureIsDrawnWholeAndCentredOnItsBackground)
{
    epiUiPictureView view;
    view.setFrame(epiRect(0, 0, 100, 50));
    view.setAttribute(epiFourCC("bgCo"), 0x102030);
    epiBitmap red(20, 20);
    red.fill(red.bounds(), 0xFFE02010);
    view.setPicture(std::move(red));
    EXPECT_EQ(view.pictureRect(), epiRect(25, 0, 75, 50)) << "a square in a wide place keeps its proportions";

    epiBitmap target(100, 50);
    view.drawSelf(target, epiPoint {0, 0}, target.bounds());
    EXPECT_EQ(target.pixel(10, 25), 0xFF102030u) << "the background beside it";
    EXPECT_EQ(target.pixel(50, 25), 0xFFE02010u);
    EXPECT_EQ(target.pixel(90, 25), 0xFF102030u);

    EXPECT_FALSE(view.setPicture(reinterpret_cast<const uint8_t*>("no picture"), 10));
    EXPECT_FALSE(view.hasPicture());
    EXPECT_TRUE(view.pictureRect().isEmpty());
}

TEST(WidgetKinds, EveryKindMakesItsClass)
{
    epiApplication application;
    epiRegisterWidgetKinds(application);
    const char* kinds[] = {"iBim", "iBbt", "iBwt", "iBbi", "iBck", "iBct", "iBci", "iBrd", "iBrs", "iBfi",
                           "iBrt", "iBrr", "iBsc", "iBlm", "iBst", "iBtr", "iBvw", "iBco", "iCon", "iCos",
                           "iBde", "iBpu", "iPmu", "iDim", "iDbt", "iDck", "iDkn", "iDlv", "iSbt", "iSck",
                           "iSrd", "iSst", "iSrt", "iSrx", "iSet", "iSsc", "iSpb", "iSpu", "iSpa", "iSco", "iSde", "iBpv"};
    for (const char* kind : kinds) {
        epiCode code = epiText(kind).toCode();
        epiObject* made = application.createObject(epiApplication::kFamilyUi, code, 0);
        ASSERT_NE(dynamic_cast<epiUbo*>(made), nullptr) << kind;
        EXPECT_EQ(made->typeCode(), code) << kind;
        delete made;
    }
}

} // namespace
