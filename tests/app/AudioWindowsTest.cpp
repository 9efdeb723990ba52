// The audio side windows on the null window system, in the client logged in to a real
// zumeli-server, with the file sound back end: the spectrum, the player, the recorder, the audio
// test and the voice activation windows, wired to the panel's stream and to the engine.
#include "app/AudioTestWindow.h"
#include "app/AudioWidgets.h"
#include "app/AutoTalkWindow.h"
#include "app/PlayerWindow.h"
#include "app/RecorderWindow.h"
#include "app/SpectrumWindow.h"
#include "app/TimedPlayerWindow.h"
#include "audio/AudioHardware.h"
#include "audio/AudioSpectrum.h"
#include "audio/WavFile.h"
#include "tests/app/ClientFixture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <vector>

using namespace ZumeliApplication;

namespace {

constexpr double Pi = 3.14159265358979323846;

std::vector<float> tone(double hertz, double seconds, float amplitude, int32_t rate = 44100)
{
    std::vector<float> samples(size_t(seconds * rate));
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = amplitude * float(std::sin(2 * Pi * hertz * double(i) / rate));
    return samples;
}

// Noise that changes from sample to sample, so a delayed copy is found at exactly one lag.
std::vector<float> noise(double seconds, int32_t rate = 44100)
{
    std::vector<float> samples(size_t(seconds * rate));
    uint32_t state = 12345;
    for (float& sample : samples) {
        state = state * 1664525u + 1013904223u;
        sample = (float(state >> 16) / 65535.0f - 0.5f);
    }
    return samples;
}

void writeWav(const std::filesystem::path& path, const std::vector<float>& samples, int32_t rate = 44100)
{
    Zumeli::WavWriter writer;
    ASSERT_TRUE(writer.open(path.string(), rate));
    ASSERT_TRUE(writer.append(samples.data(), int32_t(samples.size())));
    ASSERT_TRUE(writer.finish());
}

uint32_t le32(const std::vector<char>& bytes, size_t at)
{
    uint32_t value = 0;
    std::memcpy(&value, bytes.data() + at, 4);
    return value;
}

std::vector<char> fileBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<char>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

double rms(const float* samples, size_t n)
{
    double total = 0;
    for (size_t i = 0; i < n; ++i)
        total += double(samples[i]) * samples[i];
    return n ? std::sqrt(total / double(n)) : 0;
}

class AudioWindowsTest : public Testing::ClientFixture {
protected:
    // The sound card: the microphone plays this file in a loop, the speaker goes to speaker.wav.
    void useSoundFiles(const std::vector<float>& microphone)
    {
        m_microphone = m_home / "microphone.wav";
        m_speaker = m_home / "speaker.wav";
        writeWav(m_microphone, microphone);
        ::setenv("ZUMELI_AUDIO", ("file:" + m_microphone.string() + ":" + m_speaker.string()).c_str(), 1);
    }

    template<typename Window>
    Window* open(const char* code)
    {
        auto* window = dynamic_cast<Window*>(m_app.windowManager()->showOrOpenWindow(epiCodeFromText(code)));
        m_system->flush();
        return window;
    }

    Zumeli::AudioHardware* panelStream()
    {
        Zumeli::AudioHardware* hardware = nullptr;
        m_panel->receiveCommand(epiFourCC("auhd"), reinterpret_cast<intptr_t>(&hardware), 0);
        return hardware;
    }

    epiUbo* widget(epiWindow* window, const char* code) { return window->findChild(epiCodeFromText(code)); }

    // A click of the user on a skinned item of a side window.
    void click(epiWindow* window, const char* code)
    {
        epiUbo* item = widget(window, code);
        ASSERT_NE(item, nullptr) << code;
        const epiRect& frame = item->frame();
        epiPoint centre {(frame.left + frame.right) / 2, (frame.top + frame.bottom) / 2};
        m_system->mouseDown(window->handle(), centre);
        m_system->flush();
        m_system->mouseUp(window->handle(), centre);
        m_system->flush();
    }

    // A slider moved by the user to a value.
    void slide(epiWindow* window, const char* code, int32_t value)
    {
        epiUbo* item = widget(window, code);
        ASSERT_NE(item, nullptr) << code;
        item->setValue(value);
        item->hit();
        m_system->flush();
    }

    std::string shown(epiWindow* window, const char* code)
    {
        epiUbo* item = widget(window, code);
        return item ? item->text().c_str() : "?";
    }

    std::string preference(const char* key)
    {
        Zumeli::Text value;
        m_app.engine()->getPreferenceText(key, value);
        return value.c_str();
    }

    std::filesystem::path m_microphone;
    std::filesystem::path m_speaker;
};

// ----- spectrum -----

TEST_F(AudioWindowsTest, SpectrumBarsFollowTheMicrophoneAndTheAnalysersStopWithTheWindow)
{
    useSoundFiles(tone(1000, 3.0, 0.5f));
    startAsGuest();
    Zumeli::AudioHardware* stream = panelStream();
    ASSERT_NE(stream, nullptr);
    EXPECT_FALSE(stream->spectrumOn());

    auto* window = open<SpectrumWindow>("spct");
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(stream->spectrumOn());
    const Zumeli::BandAnalyser& input = stream->spectrum().input();
    ASSERT_EQ(input.bandCount(), SpectrumWindow::Bands);
    // The 1000 Hz tone: the band that holds 1000 Hz stands high, the bands far above it stay low.
    int32_t band = 0;
    while (band + 1 < input.bandCount() && (input.centre(band) + input.centre(band + 1)) / 2 <= 1000.0f)
        ++band;
    ASSERT_TRUE(waitFor([&] { return input.bar(band) > 0.5f; })) << input.bar(band);
    float farAbove = 0;
    for (int32_t other = 0; other < input.bandCount(); ++other)
        if (input.centre(other) >= 2500.0f)
            farAbove = std::max(farAbove, input.bar(other));
    EXPECT_LT(farAbove, input.bar(band) / 2);

    // The view draws that band's row in the microphone's green.
    auto* view = dynamic_cast<zumeSpectrumView*>(widget(window, "bars"));
    ASSERT_NE(view, nullptr);
    EXPECT_GT(view->barHalfLength(input.bar(band)), 20);
    window->drawToBitmap(window->bounds());
    const int32_t rowHeight = (view->frame().height() - 20) / SpectrumWindow::Bands;
    const int32_t top = view->frame().top + (view->frame().height() - 20 - rowHeight * SpectrumWindow::Bands) / 2 + 4;
    const int32_t middle = view->frame().left + view->frame().width() / 2;
    // Off the speaker's thinner bar: the row's top line.
    EXPECT_EQ(window->bitmap().pixel(middle + 5, top + band * rowHeight) & 0xFFFFFF,
              zumeSpectrumView::MicrophoneColour & 0xFFFFFF);

    window->close();
    m_system->flush();
    EXPECT_FALSE(stream->spectrumOn());

    // The window opens where it was last; a damaged position is ignored.
    EXPECT_TRUE(AudioSideWindow::parsePosition(preference("ui.windowposition.spectrum")));
    m_app.engine()->setPreferenceText("ui.windowposition.spectrum", Zumeli::Text("333,222"));
    window = open<SpectrumWindow>("spct");
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->frame().left, 333);
    EXPECT_EQ(window->frame().top, 222);
    EXPECT_TRUE(stream->spectrumOn());
    window->close();
    m_system->flush();
    EXPECT_EQ(preference("ui.windowposition.spectrum"), "333,222");
    for (const char* damaged : {"", "12", "1,2,3", "x,y", "99999,5"})
        EXPECT_FALSE(AudioSideWindow::parsePosition(damaged)) << damaged;
}

// ----- player -----

TEST_F(AudioWindowsTest, ThePlayerPlaysItsFileIntoTheTalkAndStopsIt)
{
    useSoundFiles(std::vector<float>(44100, 0.0f)); // a silent microphone
    std::filesystem::path music = m_home / "music.wav";
    writeWav(music, tone(660, 4.0, 0.4f));
    std::filesystem::path wrongRate = m_home / "fast.wav";
    writeWav(wrongRate, tone(660, 1.0, 0.4f, 48000), 48000);
    startAsGuest();
    ASSERT_TRUE(tunedTo(1000));

    auto* window = open<PlayerWindow>("aupl");
    ASSERT_NE(window, nullptr);
    m_system->setNextFileChoice(wrongRate.string());
    click(window, "load");
    EXPECT_EQ(shown(window, "titl"), "Cannot load. Use 44100KHz 16Bit WAV audio files.");
    EXPECT_FALSE(window->player().loaded());

    m_system->setNextFileChoice(music.string());
    click(window, "load");
    ASSERT_TRUE(window->player().loaded());
    EXPECT_EQ(shown(window, "titl"), "music.wav");
    EXPECT_EQ(preference(PlayerWindow::FilePreference), music.string());
    EXPECT_EQ(widget(window, "txsw")->value(), 1) << "the talk switch is on by default";

    pump(1.6); // past the talk key's guard since the login
    click(window, "play");
    EXPECT_TRUE(window->player().isPlaying());
    EXPECT_TRUE(window->holdsTalkKey());
    ASSERT_TRUE(waitFor([&] { return m_panel->isTalking(); })) << "play pressed the talk key";
    // What the speaker plays shows in the spectrum's speaker bars.
    auto* spectrum = open<SpectrumWindow>("spct");
    ASSERT_NE(spectrum, nullptr);
    pump(1.5);
    const Zumeli::BandAnalyser& output = panelStream()->spectrum().output();
    float loudest = 0;
    for (int32_t band = 0; band < output.bandCount(); ++band)
        loudest = std::max(loudest, output.bar(band));
    EXPECT_GT(loudest, 0.3f);
    spectrum->close();
    EXPECT_GT(window->player().position(), 44100 / 2);
    EXPECT_NE(shown(window, "time"), "00:00:00.0");

    click(window, "stop");
    EXPECT_FALSE(window->player().isPlaying());
    EXPECT_FALSE(window->holdsTalkKey());
    ASSERT_TRUE(waitFor([&] { return !m_panel->isTalking(); })) << "stop released the talk key";
    int64_t stoppedAt = window->player().position();
    pump(0.5);
    EXPECT_EQ(window->player().position(), stoppedAt);

    // The file went through the stream: the speaker (hear level 1) played the tone while the
    // player played, over a silent microphone.
    window->close();
    m_system->flush();
    m_panel->receiveCommand(epiFourCC("aucl"), 0, 0);
    std::vector<float> speaker;
    int32_t rate = 0;
    ASSERT_TRUE(Zumeli::readWav(m_speaker.string(), speaker, rate));
    // One stretch of the tone at 0.4 (rms 0.28) while the player played, silence after the stop.
    const size_t block = 4410;
    std::vector<double> levels;
    for (size_t at = 0; at + block <= speaker.size(); at += block)
        levels.push_back(rms(speaker.data() + at, block));
    size_t first = 0, last = levels.size();
    while (first < levels.size() && levels[first] < 0.2)
        ++first;
    while (last > first && levels[last - 1] < 0.2)
        --last;
    EXPECT_GE(last - first, 10u) << "more than a second of the tone";
    for (size_t i = first + 1; i + 1 < last; ++i)
        EXPECT_GT(levels[i], 0.2) << "the tone played without a gap, block " << i;
    EXPECT_GE(levels.size() - last, 4u) << "the stream ran on after the stop";
    // After the stop only the quiet end-of-talk signal may sound.
    for (size_t i = last + 1; i < levels.size(); ++i)
        EXPECT_LT(levels[i], 0.1) << "the file is not heard after the stop, block " << i;
}

TEST_F(AudioWindowsTest, ThePlayerOpensWithTheLastFileAndSpaceAndTabSwitchTheMixSets)
{
    std::filesystem::path music = m_home / "stereo.wav";
    writeWav(music, tone(440, 1.0, 0.3f));
    startAsGuest({{PlayerWindow::FilePreference, music.string()}});
    auto* window = open<PlayerWindow>("aupl");
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->player().loaded());
    EXPECT_EQ(shown(window, "titl"), "stereo.wav");

    // Set 1 gets its own send level while selected; set 0 keeps its own.
    click(window, "tako");
    EXPECT_EQ(window->player().currentSet(), Zumeli::PlayerHandler::KeyDownSet);
    slide(window, "send", 250);
    EXPECT_FLOAT_EQ(window->player().mix(1).send, 0.25f);
    EXPECT_FLOAT_EQ(window->player().mix(0).send, 1.0f);
    m_system->activate(window->handle());
    m_system->typeText("\t");
    m_system->flush();
    EXPECT_EQ(window->player().currentSet(), Zumeli::PlayerHandler::KeyUpSet);
    EXPECT_EQ(widget(window, "tako")->value(), 0);
    EXPECT_EQ(widget(window, "send")->value(), 1000) << "the sliders show set 0 again";

    // Space held: set 1 while it is down.
    epiKeyEvent space;
    space.character = space.virtualKey = ' ';
    space.scanCode = 65;
    m_system->key(space);
    m_system->flush();
    EXPECT_EQ(window->player().currentSet(), Zumeli::PlayerHandler::KeyDownSet);
    EXPECT_EQ(widget(window, "send")->value(), 250);
    space.down = false;
    m_system->key(space);
    m_system->flush();
    EXPECT_EQ(window->player().currentSet(), Zumeli::PlayerHandler::KeyUpSet);
}

TEST_F(AudioWindowsTest, WithoutLoopTheEndOfTheFileEndsTheTalk)
{
    std::filesystem::path jingle = m_home / "jingle.wav";
    writeWav(jingle, tone(880, 0.5, 0.3f));
    startAsGuest({{PlayerWindow::FilePreference, jingle.string()}});
    ASSERT_TRUE(tunedTo(1000));
    auto* window = open<PlayerWindow>("aupl");
    ASSERT_NE(window, nullptr);
    click(window, "loop");
    EXPECT_FALSE(window->player().loop());
    pump(1.6);
    click(window, "play");
    ASSERT_TRUE(waitFor([&] { return m_panel->isTalking(); }));
    ASSERT_TRUE(waitFor([&] { return !window->player().isPlaying(); }, 3.0));
    pump(0.2);
    EXPECT_FALSE(window->holdsTalkKey());
    EXPECT_TRUE(waitFor([&] { return !m_panel->isTalking(); })) << "the talk ended with the file";
}

TEST_F(AudioWindowsTest, TheTimedPlayerCountsDownToItsNextPlay)
{
    startAsGuest();
    auto* window = open<TimedPlayerWindow>("plut");
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(shown(window, "next"), "");
    EXPECT_FALSE(window->player().loop()) << "each event plays the file once";
    type(window, "mins", "0"); // appended to the default "60": 600 minutes is 10 hours
    click(window, "tmgo");
    EXPECT_EQ(window->schedule().intervalMinutes(), 600);
    pump(1.5);
    EXPECT_EQ(shown(window, "next"), "Time to event: 09:59:59");
    click(window, "tmst");
    EXPECT_EQ(shown(window, "next"), "");
}

TEST_F(AudioWindowsTest, TheTimedPlayerPlaysItsFileOnceAtEveryEvent)
{
    std::filesystem::path jingle = m_home / "jingle.wav";
    writeWav(jingle, tone(880, 0.3, 0.3f));
    startAsGuest({{PlayerWindow::FilePreference, jingle.string()}});
    ASSERT_TRUE(tunedTo(1000));
    auto* window = open<TimedPlayerWindow>("plut");
    ASSERT_NE(window, nullptr);
    widget(window, "mins")->setText(epiText("1"));
    pump(1.6);
    click(window, "tmgo");
    EXPECT_TRUE(window->player().isPlaying()) << "the first event is at once";
    ASSERT_TRUE(waitFor([&] { return !window->player().isPlaying(); }, 3.0));
    pump(0.2);
    EXPECT_EQ(shown(window, "next").substr(0, 19), "Time to event: 00:0") << "the next event within the minute";
    EXPECT_FALSE(window->holdsTalkKey());

    m_app.clock += 58.0; // most of the minute passes
    ASSERT_TRUE(waitFor([&] { return window->player().isPlaying(); }, 3.0)) << "the next event plays again";
    EXPECT_TRUE(window->holdsTalkKey());
}

// ----- recorder -----

TEST_F(AudioWindowsTest, TheRecorderWritesTheTalkIntoTheChosenFileAtTheStreamRate)
{
    useSoundFiles(tone(800, 4.0, 0.5f));
    startAsGuest();
    ASSERT_TRUE(tunedTo(1000));
    auto* window = open<RecorderWindow>("aure");
    ASSERT_NE(window, nullptr);

    std::filesystem::path take = m_home / "take.wav";
    m_system->setNextFileChoice(take.string());
    click(window, "bCho");
    EXPECT_EQ(m_system->lastFileProposal(), "Recording.wav");
    EXPECT_EQ(shown(window, "file"), "take.wav");

    click(window, "bRec");
    ASSERT_TRUE(window->recorder().recording());
    pump(1.6);
    m_app.engine()->talkPressed();
    ASSERT_TRUE(waitFor([&] { return m_panel->isTalking(); }));
    pump(2.0);
    EXPECT_NE(shown(window, "time"), "00:00:00.0") << "the recorded time runs";
    m_app.engine()->talkReleased();
    pump(0.5);
    click(window, "bStp");
    EXPECT_FALSE(window->recorder().recording());

    std::vector<char> bytes = fileBytes(take);
    ASSERT_GT(bytes.size(), 44u + 2 * 44100);
    EXPECT_EQ(std::string(bytes.data(), 4), "RIFF");
    EXPECT_EQ(le32(bytes, 24), uint32_t(panelStream()->sampleRate())) << "the header says the stream's rate";
    EXPECT_EQ(le32(bytes, 40), bytes.size() - 44);
    EXPECT_EQ(le32(bytes, 4), bytes.size() - 8);
    std::vector<float> recorded;
    int32_t rate = 0;
    ASSERT_TRUE(Zumeli::readWav(take.string(), recorded, rate));
    EXPECT_GT(rms(recorded.data(), recorded.size()), 0.1) << "the microphone's tone was recorded";

    // A second recording of the run goes beside the first.
    click(window, "bRec");
    EXPECT_EQ(window->recorder().fileName(), (m_home / "take_1.wav").string());
    window->close();
    m_system->flush();
    EXPECT_TRUE(std::filesystem::exists(m_home / "take_1.wav"));
    EXPECT_EQ(fileBytes(m_home / "take_1.wav").size(), 44u) << "closing the window ended the empty recording";
}

// ----- voice activation -----

TEST_F(AudioWindowsTest, VoiceActivationChangesAreAppliedAndSavedAtOnce)
{
    startAsGuest();
    auto* window = open<AutoTalkWindow>("autk");
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(widget(window, "alev")->value(), 400) << "the stored 0.4, in thousandths";
    EXPECT_EQ(widget(window, "dtim")->value(), 500);

    slide(window, "alev", 250);
    slide(window, "dtim", 1200);
    click(window, "aton");
    int32_t enabled = 0;
    float levels[4] = {};
    m_app.engine()->getAutoTalkSettings(enabled, levels[0], levels[1], levels[2], levels[3]);
    EXPECT_EQ(enabled, 1);
    EXPECT_FLOAT_EQ(levels[0], 0.25f);
    EXPECT_FLOAT_EQ(levels[3], 1.2f);
    EXPECT_EQ(shown(window, "nale"), "0.250");
    EXPECT_EQ(item("atko")->value(), 1) << "the panel's switch shows it";

    // Saved in the preferences file now, not only when the program ends.
    std::string saved;
    {
        std::ifstream in(m_prefsPath);
        saved.assign((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    }
    EXPECT_NE(saved.find("<name>private.autotalk.on</name>\r\n<data>1</data>"), std::string::npos) << saved;
    EXPECT_NE(saved.find("<name>private.autotalk.activate.level</name>\r\n<data>0.25"), std::string::npos) << saved;

    // The panel's switch goes to the open window.
    m_panel->receiveCommand(epiFourCC("atko"), 0, 0);
    EXPECT_EQ(widget(window, "aton")->value(), 0);
    m_app.engine()->getAutoTalkSettings(enabled, levels[0], levels[1], levels[2], levels[3]);
    EXPECT_EQ(enabled, 0);
}

// ----- audio test -----

class AudioTestWindowTest : public AudioWindowsTest {
protected:
    // Opens the test window: the panel leaves and gives up its stream.
    AudioTestWindow* openTest()
    {
        auto* window = open<AudioTestWindow>("tsta");
        EXPECT_NE(window, nullptr);
        EXPECT_FALSE(panelStream()->isOpen()) << "the panel closed its stream";
        EXPECT_TRUE(waitFor([&] { return !m_panel->isLoggedIn(); })) << "and left";
        EXPECT_TRUE(window && window->hardware().isOpen());
        return window;
    }
    // Ends the test's stream (its speaker file is complete then) and closes the window: the
    // panel's stream comes back and the client logs in again.
    std::vector<float> finish(AudioTestWindow* window)
    {
        window->hardware().close();
        std::vector<float> speaker;
        int32_t rate = 0;
        EXPECT_TRUE(Zumeli::readWav(m_speaker.string(), speaker, rate));
        EXPECT_EQ(rate, 44100);
        window->close();
        m_system->flush();
        EXPECT_TRUE(panelStream()->isOpen());
        EXPECT_TRUE(waitFor([&] { return m_panel->isLoggedIn(); })) << "back on the channel";
        return speaker;
    }
};

TEST_F(AudioTestWindowTest, TheEchoTestRepeatsTheMicrophoneTwoSecondsLater)
{
    std::vector<float> microphone = noise(4.0);
    useSoundFiles(microphone);
    startAsGuest();
    AudioTestWindow* window = openTest();
    ASSERT_NE(window, nullptr);
    click(window, "run1");
    EXPECT_EQ(window->runningTest(), Zumeli::AudioHardware::Echo);
    pump(3.0);
    EXPECT_GT(widget(window, "inlv")->value(), 10) << "the microphone's bar moves";
    EXPECT_GT(widget(window, "oulv")->value(), 10) << "and the speaker's, once the echo comes";
    std::vector<float> speaker = finish(window);

    ASSERT_GT(speaker.size(), size_t(88200 + 22050));
    EXPECT_EQ(rms(speaker.data(), 88200), 0.0) << "two seconds of silence first";
    // From sample 88200 on, output k is input k - 88199 (both through 16-bit files).
    size_t compared = 0, off = 0, firstOff = 0;
    for (size_t k = 88200; k < speaker.size() && k - 88199 < microphone.size(); ++k, ++compared)
        if (std::fabs(speaker[k] - microphone[k - 88199]) > 2.0f / 32768 && off++ == 0)
            firstOff = k;
    EXPECT_GT(compared, 22050u);
    EXPECT_EQ(off, 0u) << "from output " << firstOff << " of " << speaker.size();
}

TEST_F(AudioTestWindowTest, TheToneTestPlaysA440HertzFullScaleSine)
{
    useSoundFiles(noise(2.0));
    startAsGuest();
    AudioTestWindow* window = openTest();
    ASSERT_NE(window, nullptr);
    click(window, "run2");
    EXPECT_EQ(window->runningTest(), Zumeli::AudioHardware::Tone);
    pump(1.5);
    click(window, "stp2");
    EXPECT_EQ(window->runningTest(), Zumeli::AudioHardware::NoTest);
    std::vector<float> speaker = finish(window);

    // The tone's stretch: from the first sound to the last.
    size_t first = 0, last = speaker.size();
    while (first < speaker.size() && speaker[first] == 0)
        ++first;
    while (last > first && speaker[last - 1] == 0)
        --last;
    ASSERT_GT(last - first, size_t(44100)) << "more than a second of tone";
    float peak = 0;
    size_t rising = 0;
    for (size_t i = first + 1; i < last; ++i) {
        peak = std::max(peak, std::fabs(speaker[i]));
        if (speaker[i - 1] < 0 && speaker[i] >= 0)
            ++rising;
    }
    EXPECT_GT(peak, 0.99f);
    double seconds = double(last - first) / 44100;
    EXPECT_NEAR(double(rising) / seconds, 440.0, 3.0);
}

} // namespace
