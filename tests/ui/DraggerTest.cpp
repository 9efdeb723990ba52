#include "WidgetFixture.h"

#include "ui/epiUiBehaviourDragger.h"
#include "ui/epiUiBitmapFilmImage.h"
#include "ui/epiUiBitmapLevMeter.h"
#include "ui/epiUiBitmapScroll.h"
#include "ui/epiUiBitmapTextRolling.h"

namespace {

using Log = std::vector<std::string>;

TEST(Dragger, ValueToPositionAndBack)
{
    epiUiBehaviourDragger dragger;
    dragger.setUserRange(0, 1);
    dragger.setDisplayRange(0, 13);
    struct Case
    {
        float value;
        int32_t position;
    };
    for (Case c : {Case{0.5f, 6}, Case{0, 0}, Case{1, 13}, Case{0.99f, 12}, Case{2, 13}, Case{-1, 0}}) {
        dragger.setValue(c.value);
        EXPECT_EQ(dragger.position(), c.position) << "value " << c.value;
    }
    // Every position converts to a value that shows that position again.
    for (int32_t position = 0; position <= 13; ++position) {
        dragger.setPosition(position);
        EXPECT_EQ(dragger.position(), position);
    }
}

TEST(Dragger, LimitsNarrowTheUserRangeAndUnchangedValuesDoNothing)
{
    epiUiBehaviourDragger dragger;
    dragger.receiveAttribute(epiFourCC("uMin"), -100); // -1
    dragger.receiveAttribute(epiFourCC("uMax"), 100);  // 1
    dragger.receiveAttribute(epiFourCC("lMin"), -50);
    dragger.receiveAttribute(epiFourCC("lMax"), 25);
    dragger.receiveAttribute(epiFourCC("dMin"), 10);
    dragger.receiveAttribute(epiFourCC("dMax"), 30);
    EXPECT_TRUE(dragger.setValue(0.9f));
    EXPECT_FLOAT_EQ(dragger.value(), 0.25f);
    EXPECT_FALSE(dragger.setValue(0.5f)) << "clamped to the same value: no change";
    EXPECT_TRUE(dragger.setValue(-2));
    EXPECT_FLOAT_EQ(dragger.value(), -0.5f);
    EXPECT_EQ(dragger.position(), 15);
    // An empty user range shows the display minimum.
    epiUiBehaviourDragger flat;
    flat.setUserRange(3, 3);
    flat.setDisplayRange(4, 9);
    EXPECT_EQ(flat.positionForValue(3), 4);
}

TEST(Dragger, SmoothPositionFollowsOverTime)
{
    struct Animated : epiUiBehaviourSmoothDragger
    {
        void startMoving() override { ++starts; }
        void stopMoving() override { ++stops; }
        int starts = 0, stops = 0;
    } dragger;
    dragger.setUserRange(0, 1);
    dragger.setDisplayRange(0, 100);
    dragger.setSmoothing(2); // two display spans per second: 200 positions per second
    dragger.setValue(1);
    EXPECT_EQ(dragger.position(), 100);
    EXPECT_EQ(dragger.shownPosition(), 0);
    EXPECT_EQ(dragger.starts, 1);
    EXPECT_TRUE(dragger.advance(0.04f));
    EXPECT_EQ(dragger.shownPosition(), 8);
    EXPECT_TRUE(dragger.advance(0.2f));
    EXPECT_EQ(dragger.shownPosition(), 40);
    EXPECT_FALSE(dragger.advance(0.52f));
    EXPECT_EQ(dragger.shownPosition(), 100);
    EXPECT_EQ(dragger.stops, 1);
    // Smoothing 0 jumps.
    dragger.setSmoothing(0);
    dragger.setValue(0.25f);
    EXPECT_EQ(dragger.shownPosition(), 25);
}

class Knobs : public WidgetFixture
{
protected:
    Knobs() { EXPECT_TRUE(load("knobs.xml")); }
};

TEST_F(Knobs, DraggingTheKnobTurnsItAndHitsOnEveryChange)
{
    auto* knob = find<epiUiBitmapRotary>("knob");
    ASSERT_NE(knob, nullptr);
    EXPECT_EQ(knob->dragger()->displayMaximum(), 1) << "'frms' 2 gives the frames 0 .. 1";
    epiPoint at = centreOf("knob");
    press(at);
    drag({at.x, at.y - 3}); // 3 pixels up × 0.1 = 0.3
    EXPECT_NEAR(knob->knobValue(), 0.3f, 1e-5);
    EXPECT_EQ(takeLog(), Log{"knob:knob"});
    drag({at.x, at.y - 3}); // no change, no hit
    EXPECT_TRUE(takeLog().empty());
    drag({at.x, at.y - 50}); // beyond the maximum: 1
    release({at.x, at.y - 50});
    EXPECT_FLOAT_EQ(knob->knobValue(), 1);
    EXPECT_EQ(knob->shownFrame(), 1);
    EXPECT_EQ(render().pixel(at.x, at.y), epiArgb(255, 0, 0, 220));
    EXPECT_EQ(takeLog(), Log{"knob:knob"});
}

TEST_F(Knobs, TriggeredRotaryMovesToItsIndexedPositions)
{
    auto* trig = find<epiUiBitmapTriggeredRotary>("trig");
    ASSERT_NE(trig, nullptr);
    EXPECT_TRUE(trig->trigger(1));
    EXPECT_EQ(trig->dragger()->position(), 9);
    EXPECT_TRUE(trig->trigger(0));
    EXPECT_EQ(trig->dragger()->position(), 3);
    EXPECT_FALSE(trig->trigger(10));
}

TEST_F(Knobs, ScrollThumbFollowsTheDragAlongTheBar)
{
    auto* bar = find<epiUiBitmapScroll>("hbar");
    ASSERT_NE(bar, nullptr);
    // 110 wide, thumb 10: the thumb travels 0 .. 100 pixels for the values 0 .. 200.
    EXPECT_EQ(bar->dragger()->displayMaximum(), 100);
    bar->setValue(100);
    EXPECT_EQ(bar->thumbRect(), epiRect(50, 0, 60, 10));
    epiPoint grip{55 + bar->frame().left, 5 + bar->frame().top};
    press(grip);
    EXPECT_EQ(render().pixel(grip.x, grip.y), epiArgb(255, 150, 0, 150)) << "the pressed thumb";
    drag({grip.x + 20, grip.y + 30});
    EXPECT_EQ(bar->value(), 140);
    release({grip.x + 20, grip.y});
    epiBitmap drawn = render();
    EXPECT_EQ(drawn.pixel(grip.x + 20, grip.y), epiArgb(255, 0, 150, 150));
    EXPECT_EQ(drawn.pixel(grip.x, grip.y), kWhite) << "the old place of the thumb is clear";
    EXPECT_EQ(takeLog(), Log{"knob:hbar"});

    // A vertical bar measures its position up from the bottom.
    auto* vertical = find<epiUiBitmapScroll>("vbar");
    EXPECT_EQ(vertical->thumbRect(), epiRect(0, 50, 10, 60));
    vertical->setValue(50);
    EXPECT_EQ(vertical->thumbRect(), epiRect(0, 0, 10, 10));
}

TEST_F(Knobs, LevelMeterRisesAtOnceAndFallsByItsStep)
{
    auto* meter = find<epiUiBitmapLevMeter>("mete");
    ASSERT_NE(meter, nullptr);
    meter->setValue(75);
    EXPECT_EQ(meter->level(), 75);
    EXPECT_TRUE(meter->isFalling());
    EXPECT_EQ(meter->shownLength(), 30); // three quarters of 40 pixels, from the bottom
    epiBitmap drawn = render();
    epiRect box = meter->frame();
    EXPECT_EQ(drawn.pixel(box.left + 5, box.bottom - 1), epiArgb(255, 0, 220, 0));
    EXPECT_EQ(drawn.pixel(box.left + 5, box.bottom - 30), epiArgb(255, 0, 220, 0));
    EXPECT_EQ(drawn.pixel(box.left + 5, box.bottom - 31), kWhite);
    meter->setValue(50); // below the level: nothing
    EXPECT_EQ(meter->level(), 75);
    meter->setValue(500);
    EXPECT_EQ(meter->level(), 100);
    meter->fall();
    EXPECT_EQ(meter->level(), 70);
    meter->fall();
    meter->fall();
    meter->fall();
    EXPECT_EQ(meter->level(), 0);
    EXPECT_FALSE(meter->isFalling());
}

TEST_F(Knobs, LevelMeterSegments)
{
    auto* meter = find<epiUiBitmapLevMeter>("mete");
    meter->setAttribute(epiFourCC("lmBx"), 4);
    meter->setValue(50); // 20 pixels: a multiple of 4, one more pixel shown
    EXPECT_EQ(meter->shownLength(), 21);
    meter->setValue(60); // 24 → 25
    EXPECT_EQ(meter->shownLength(), 25);
}

TEST_F(Knobs, RollingTextMovesThroughItsLinesByHalfTheDrag)
{
    auto* roll = find<epiUiBitmapTextRolling>("roll");
    ASSERT_NE(roll, nullptr);
    roll->setText("one\ntwo\nthree\nfour");
    EXPECT_EQ(roll->shownText(), "one");
    epiPoint at = centreOf("roll");
    press(at);
    EXPECT_EQ(takeLog(), Log{});
    drag({at.x, at.y + 5}); // 2 lines on
    EXPECT_EQ(roll->shownText(), "three");
    drag({at.x, at.y + 40});
    EXPECT_EQ(roll->shownText(), "four");
    drag({at.x, at.y - 40});
    release({at.x, at.y - 40});
    EXPECT_EQ(roll->shownText(), "one");
    EXPECT_EQ(takeLog(), (Log{"knob:roll", "knob:roll", "knob:roll"}));
}

} // namespace

namespace {

TEST_F(Knobs, LevelMeterFallsOnItsOwnTimer)
{
    auto* meter = find<epiUiBitmapLevMeter>("mete");
    meter->setValue(100);
    EXPECT_EQ(application.timerCount(meter), 1);
    application.pass(0.05);
    EXPECT_EQ(meter->level(), 100);
    application.pass(0.05);
    EXPECT_EQ(meter->level(), 70);
    application.pass(0.2);
    EXPECT_EQ(meter->level(), 10);
    meter->setValue(90); // raised while falling: one timer still
    EXPECT_EQ(application.timerCount(meter), 1);
    application.pass(0.3);
    EXPECT_EQ(meter->level(), 0);
    EXPECT_FALSE(meter->isFalling());
    application.pass(0.1);
    EXPECT_EQ(application.timerCount(meter), 0) << "the timer stops at the minimum";
}

TEST_F(Knobs, SmoothKnobFollowsOnAnimationTicks)
{
    auto* trig = find<epiUiBitmapTriggeredRotary>("trig");
    trig->setAttribute(epiFourCC("Smoo"), 100); // one display span (13 frames) per second
    trig->trigger(1);
    EXPECT_EQ(trig->dragger()->position(), 9);
    EXPECT_EQ(trig->shownFrame(), 0);
    application.pass(0.04);
    EXPECT_EQ(trig->shownFrame(), 0);
    application.pass(0.36); // 0.4 s: 5.2 frames
    EXPECT_EQ(trig->shownFrame(), 5);
    application.pass(0.36);
    EXPECT_EQ(trig->shownFrame(), 9);
    EXPECT_FALSE(trig->dragger()->isMoving());
    // Back toward 3 from where it stands.
    trig->trigger(0);
    application.pass(0.2);
    EXPECT_EQ(trig->shownFrame(), 7);
    application.pass(0.4);
    EXPECT_EQ(trig->shownFrame(), 3);
}

} // namespace
