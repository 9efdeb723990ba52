#include "audio/AutoTalkDetector.h"

#include <gtest/gtest.h>

#include <map>
#include <vector>

using namespace Zumeli;

namespace {

class MapPreferences : public IAudioPreferences {
public:
    std::string value(const std::string& key, const std::string& fallback) const override
    {
        auto found = values.find(key);
        return found == values.end() ? fallback : found->second;
    }
    void setValue(const std::string& key, const std::string& value) override { values[key] = value; }
    std::map<std::string, std::string> values;
};

// A detector on a fake audio clock, its meter fed 1/30 s blocks at 8000 Hz of a given peak, and
// asked once per block as the engine step does.
class Detector : public ::testing::Test {
protected:
    void SetUp() override
    {
        detector.setTimeSource(&clock);
        detector.meter().setSampleRate(8000);
        MapPreferences preferences;
        preferences.values["private.autotalk.on"] = "1";
        detector.load(preferences);
    }

    // Returns +1 for a press, -1 for a release, 0 otherwise.
    int step(float peak)
    {
        std::vector<float> block(266, 0.0f);
        block[0] = peak;
        detector.meter().update(block.data(), int32_t(block.size()));
        clock.advanceSeconds(float(block.size()) / 8000.0f);
        if (detector.shouldStart())
            return 1;
        if (detector.shouldStop())
            return -1;
        return 0;
    }

    AudioClock clock { 100 };
    AutoTalkDetector detector;
};

} // namespace

TEST_F(Detector, LoadsTheFivePreferencesWithDefaultsAndSavesThem)
{
    EXPECT_TRUE(detector.enabled);
    EXPECT_FLOAT_EQ(detector.activateLevel, 0.4f);
    EXPECT_FLOAT_EQ(detector.activateTime, 0.0f);
    EXPECT_FLOAT_EQ(detector.deactivateLevel, 0.3f);
    EXPECT_FLOAT_EQ(detector.deactivateTime, 0.5f);

    MapPreferences stored;
    stored.values["private.autotalk.activate.level"] = "0.55";
    stored.values["private.autotalk.deactivate.time"] = "not a number";
    AutoTalkDetector other;
    other.load(stored);
    EXPECT_FALSE(other.enabled);
    EXPECT_FLOAT_EQ(other.activateLevel, 0.55f);
    EXPECT_FLOAT_EQ(other.deactivateTime, 0.5f) << "a bad value falls back to the default";

    MapPreferences saved;
    detector.save(saved);
    EXPECT_EQ(saved.values["private.autotalk.on"], "1");
    EXPECT_EQ(saved.values["private.autotalk.activate.level"], "0.4");
    EXPECT_EQ(saved.values["private.autotalk.deactivate.time"], "0.5");
    EXPECT_EQ(saved.values.size(), 5u);
}

TEST_F(Detector, PressesRightAfterTheLevelReachesActivateAndReleasesAfterTheHold)
{
    // The level climbs by 20 x 266 / 8000 = 0.665 per block toward ~0.55 for peak 0.44.
    EXPECT_EQ(step(0.0f), 0);
    int first = step(0.44f);
    ASSERT_GE(detector.meter().level(), 0.4f);
    int second = step(0.44f);
    EXPECT_EQ(first + second, 1) << "pressed within one evaluation of reaching 0.4 (activate time 0)";
    EXPECT_TRUE(detector.voiceTalking());

    // Quiet: the meter holds for 800 samples, then falls 0.033 a block to 0.3 and below; the
    // release comes 2 x 0.5 s after the level first sat at or below 0.3.
    float quietSince = -1;
    float releasedAt = -1;
    for (int i = 0; i < 200 && releasedAt < 0; ++i) {
        int result = step(0.0f);
        if (quietSince < 0 && detector.meter().level() <= 0.3f)
            quietSince = float(clock.seconds());
        if (result == -1)
            releasedAt = float(clock.seconds());
    }
    ASSERT_GT(quietSince, 0);
    ASSERT_GT(releasedAt, 0);
    EXPECT_NEAR(releasedAt - quietSince, 1.0f, 0.07f);
    EXPECT_FALSE(detector.voiceTalking());
}

TEST_F(Detector, NoPressOrReleaseWithinFourTenthsOfTheLast)
{
    detector.deactivateTime = 0;
    detector.deactivateLevel = 1.0f; // any level releases at once, once the guard allows
    float pressedAt = -1;
    for (int i = 0; i < 10 && pressedAt < 0; ++i)
        if (step(0.9f) == 1)
            pressedAt = float(clock.seconds());
    ASSERT_GT(pressedAt, 0);
    float releasedAt = -1;
    for (int i = 0; i < 30 && releasedAt < 0; ++i)
        if (step(0.9f) == -1)
            releasedAt = float(clock.seconds());
    ASSERT_GT(releasedAt, 0);
    EXPECT_GE(releasedAt - pressedAt, 0.4f);
    EXPECT_LT(releasedAt - pressedAt, 0.4f + 2 * 266 / 8000.0f);
}

TEST_F(Detector, DisabledOrNotAllowedNeverPresses)
{
    detector.enabled = false;
    for (int i = 0; i < 30; ++i)
        ASSERT_EQ(step(0.9f), 0);
    EXPECT_EQ(detector.level(), 0.0f);

    detector.enabled = true;
    detector.setAllowed(false);
    for (int i = 0; i < 30; ++i)
        ASSERT_EQ(step(0.9f), 0);
    detector.setAllowed(true);
    float allowedAt = float(clock.seconds());
    float pressedAt = -1;
    for (int i = 0; i < 30 && pressedAt < 0; ++i)
        if (step(0.9f) == 1)
            pressedAt = float(clock.seconds());
    EXPECT_GE(pressedAt - allowedAt, 0.4f) << "allowing again starts the guard";
}

TEST_F(Detector, AResetRequestedFromTheAudioThreadEndsVoiceTalking)
{
    int pressed = 0;
    for (int i = 0; i < 10 && !pressed; ++i)
        pressed = step(0.9f);
    ASSERT_EQ(pressed, 1);
    detector.requestReset();
    EXPECT_TRUE(detector.voiceTalking()) << "deferred to the next evaluation";
    detector.shouldStop();
    EXPECT_FALSE(detector.voiceTalking());
}
