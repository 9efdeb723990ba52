#include "WidgetFixture.h"

#include "ui/epiUiBitmapButton.h"
#include "ui/epiUiBitmapFilmImage.h"

namespace {

using Log = std::vector<std::string>;

class Buttons : public WidgetFixture
{
protected:
    Buttons() { EXPECT_TRUE(load("buttons.xml")); }
};

TEST_F(Buttons, OnlyReleasedFaceHitsOnMouseDownAndNeverShowsPressed)
{
    press(centreOf("only"));
    EXPECT_EQ(takeLog(), Log{"bttn:only"});
    EXPECT_FALSE(find<epiUiBitmapButton>("only")->isPressed());
    EXPECT_EQ(render().pixel(10, 5), kReleasedOff);
    release(centreOf("only"));
    EXPECT_TRUE(takeLog().empty()) << "the release must not hit a second time";
}

TEST_F(Buttons, PressedFaceHitsOnReleaseInsideOnly)
{
    epiPoint inside = centreOf("push");
    press(inside);
    EXPECT_TRUE(takeLog().empty());
    EXPECT_EQ(render().pixel(inside.x, inside.y), kPressedOff);

    // Out of the button: the released face; back in: pressed again; released inside: one hit.
    drag({inside.x + 40, inside.y + 40});
    EXPECT_EQ(render().pixel(inside.x, inside.y), kReleasedOff);
    drag(inside);
    EXPECT_EQ(render().pixel(inside.x, inside.y), kPressedOff);
    release(inside);
    EXPECT_EQ(takeLog(), Log{"bttn:push"});
    EXPECT_EQ(render().pixel(inside.x, inside.y), kReleasedOff);
}

TEST_F(Buttons, DraggingOutAndReleasingOutsideDoesNotHit)
{
    epiPoint inside = centreOf("push");
    press(inside);
    drag({150, 100});
    // Released over another button: neither is hit, the capture is gone.
    release(centreOf("chek"));
    EXPECT_TRUE(takeLog().empty());
    EXPECT_FALSE(find<epiUiBitmapButton>("push")->isPressed());
    click(centreOf("chek"));
    EXPECT_EQ(takeLog(), Log{"bttn:chek"});
}

TEST_F(Buttons, HitsTravelUpThroughEveryNamedContainer)
{
    click(centreOf("goch"));
    EXPECT_EQ(takeLog(), (Log{"pane:goch", "bttn:pane"}));

    // The anonymous container under the pane passes no code, but the hit still goes up.
    click(centreOf("deep"));
    EXPECT_EQ(takeLog(), (Log{"anon:deep", "bttn:pane"}));
    EXPECT_EQ(find("deep")->parent()->code(), 0u);

    // An anonymous button hits its parent without a command.
    click({100, 5});
    EXPECT_TRUE(takeLog().empty());
}

TEST_F(Buttons, HitObserversAndTheChildBeingHandled)
{
    struct Watcher : epiApplicationObject
    {
        void notified(epiCode code, epiUbo* sender, intptr_t) override
        {
            if (code == epiFourCC("iHit"))
                hits.push_back(epiCodeToText(sender->code()));
        }
        std::vector<std::string> hits;
    } watcher;
    find("goch")->addObserver(&watcher);
    find("pane")->addObserver(&watcher);
    click(centreOf("goch"));
    EXPECT_EQ(watcher.hits, (Log{"goch", "pane"}));
}

TEST_F(Buttons, CheckBoxTogglesOnEachClick)
{
    auto* check = find<epiUiBitmapButton>("chek");
    epiPoint at = centreOf("chek");
    press(at);
    EXPECT_EQ(render().pixel(at.x, at.y), kPressedOff);
    release(at);
    EXPECT_TRUE(check->isOn());
    EXPECT_EQ(render().pixel(at.x, at.y), kReleasedOn);
    press(at);
    EXPECT_EQ(render().pixel(at.x, at.y), kPressedOn);
    release(at);
    EXPECT_FALSE(check->isOn());
    EXPECT_EQ(takeLog(), (Log{"bttn:chek", "bttn:chek"}));
}

TEST_F(Buttons, RadioSelectsInItsGroupOnly)
{
    auto on = [&](const char* code) { return find<epiUiBitmapButton>(code)->isOn(); };
    find<epiUiBitmapButton>("oth2")->setOn(true);
    click(centreOf("rad2"));
    EXPECT_EQ(takeLog(), Log{"bttn:rad2"});
    EXPECT_FALSE(on("rad1"));
    EXPECT_TRUE(on("rad2"));
    EXPECT_FALSE(on("rad3"));
    EXPECT_TRUE(on("oth2")) << "group 2 has an index 2 too, but is another group";
    click(centreOf("rad3"));
    EXPECT_FALSE(on("rad2"));
    EXPECT_TRUE(on("rad3"));
    EXPECT_TRUE(on("oth2"));
    // A radio without a group is simply hit.
    click(centreOf("solo"));
    EXPECT_EQ(takeLog(), (Log{"bttn:rad3", "bttn:solo"}));
    EXPECT_FALSE(on("solo"));
}

TEST_F(Buttons, DisabledButtonsTakeNoClickAndShowTheirDisabledFace)
{
    find("disa")->setEnabled(false);
    find("dimd")->setEnabled(false);
    click(centreOf("disa"));
    click(centreOf("dimd"));
    EXPECT_TRUE(takeLog().empty());
    epiBitmap drawn = render();
    EXPECT_EQ(drawn.pixel(130, 5), kReleasedOff) << "no 'irDi': the normal face";
    EXPECT_EQ(drawn.pixel(160, 5), kDisabledFace);
    find("disa")->setEnabled(true);
    click(centreOf("disa"));
    EXPECT_EQ(takeLog(), Log{"bttn:disa"});
}

TEST_F(Buttons, FacesAreDrawnInsideTheirRectangleOnly)
{
    epiBitmap drawn = render();
    // The 'push' button covers (30, 0) to (50, 10).
    EXPECT_EQ(drawn.pixel(30, 0), kReleasedOff);
    EXPECT_EQ(drawn.pixel(49, 9), kReleasedOff);
    EXPECT_EQ(drawn.pixel(50, 5), kWhite);
    EXPECT_EQ(drawn.pixel(29, 5), kWhite);
    EXPECT_EQ(drawn.pixel(40, 10), kWhite);

    // A partial redraw touches only its rectangle.
    epiBitmap partial(drawn.width(), drawn.height());
    partial.fill(partial.bounds(), kWhite);
    root.draw(partial, {0, 0}, epiRect(35, 0, 40, 5));
    EXPECT_EQ(partial.pixel(36, 2), kReleasedOff);
    EXPECT_EQ(partial.pixel(41, 2), kWhite);
    EXPECT_EQ(partial.pixel(36, 6), kWhite);
}

TEST_F(Buttons, TextAndIconAreDrawnOverTheFace)
{
    epiUbo* text = find("text");
    epiRect box = text->frame();
    epiBitmap drawn = render();
    int textPixels = 0;
    for (int y = box.top; y < box.bottom; ++y)
        for (int x = box.left; x < box.right; ++x)
            textPixels += drawn.pixel(x, y) != kReleasedOff;
    EXPECT_GT(textPixels, 5) << "the text 'Go' covers part of the face";
    epiPoint icon = centreOf("icon");
    EXPECT_EQ(drawn.pixel(icon.x, icon.y), epiArgb(255, 250, 250, 250));
    EXPECT_EQ(drawn.pixel(find("icon")->frame().left, icon.y), kReleasedOff);
}

TEST_F(Buttons, FilmShowsValueModuloFrames)
{
    auto* film = find<epiUiBitmapFilmImage>("film");
    struct Case
    {
        int value;
        uint32_t colour;
    };
    for (Case c : {Case{0, epiArgb(255, 220, 0, 0)}, Case{1, epiArgb(255, 0, 0, 220)}, Case{3, epiArgb(255, 0, 0, 220)},
                   Case{4, epiArgb(255, 220, 0, 0)}, Case{-1, epiArgb(255, 0, 0, 220)}}) {
        film->setValue(c.value);
        epiPoint at = centreOf("film");
        EXPECT_EQ(film->shownFrame(), ((c.value % 2) + 2) % 2);
        EXPECT_EQ(render().pixel(at.x, at.y), c.colour) << "value " << c.value;
    }
}

TEST_F(Buttons, ImageCommands)
{
    auto* image = find<epiUiBitmapButton>("push");
    epiBitmap large(40, 20);
    large.fill(large.bounds(), epiArgb(255, 1, 2, 3));
    epiPoint centre = image->frame().referencePoint(8);
    EXPECT_TRUE(image->receiveCommand(epiFourCC("ArOf"), 1, reinterpret_cast<intptr_t>(&large)));
    EXPECT_EQ(image->frame().width(), 40);
    EXPECT_EQ(image->frame().referencePoint(8), centre);
    EXPECT_EQ(image->face(0), &large);

    auto* plain = find<epiUiBitmapButton>("only");
    plain->receiveCommand(epiFourCC("autS"), 0, 0);
    EXPECT_EQ(plain->frame(), epiRect(0, 0, 20, 10));
    image->receiveCommand(epiFourCC("ArOf"), 0, 0);
    EXPECT_EQ(image->face(0), nullptr);
}

TEST_F(Buttons, ClickFromCodeFiresTheAction)
{
    find<epiUiBitmapButton>("chek")->click();
    EXPECT_TRUE(find<epiUiBitmapButton>("chek")->isOn());
    EXPECT_EQ(takeLog(), Log{"bttn:chek"});
}

} // namespace

namespace {

TEST_F(Buttons, ClickFromCodeShowsPressedForAFifthOfASecond)
{
    auto* push = find<epiUiBitmapButton>("push");
    epiPoint at = centreOf("push");
    push->click();
    EXPECT_EQ(takeLog(), Log{"bttn:push"});
    EXPECT_EQ(render().pixel(at.x, at.y), kPressedOff);
    application.pass(0.15);
    EXPECT_TRUE(push->isPressed());
    application.pass(0.06);
    EXPECT_FALSE(push->isPressed());
    EXPECT_EQ(render().pixel(at.x, at.y), kReleasedOff);
}

} // namespace
