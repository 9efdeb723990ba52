// The settings, people, profile, channel details and photo windows on the null window system,
// against a real zumeli-server in this test process; and the pictures they show and send.
#include "app/ChannelDetailsWindow.h"
#include "app/PeopleWindow.h"
#include "app/PhotoWindow.h"
#include "app/PictureFile.h"
#include "app/SetupWindow.h"
#include "app/UserProfileWindow.h"
#include "audio/PortAudioBackend.h"
#include "server/Database.h"
#include "tests/app/ClientFixture.h"
#include "ui/epiUiPictureView.h"
#include "ui/epiUiSystemScroll.h"

#include <gtest/gtest.h>

using namespace ZumeliApplication;

namespace {

// A picture with a colour in each quarter, so a decoded copy shows whether it kept its place.
epiBitmap quarters(int width, int height)
{
    epiBitmap picture(width, height);
    const uint32_t colours[4] = {0xFFD02020, 0xFF20C040, 0xFF2040E0, 0xFFF0E020};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            picture.setPixel(x, y, colours[(y >= height / 2) * 2 + (x >= width / 2)]);
    return picture;
}

// Each colour component within `tolerance` (JPEG is lossy).
bool near(uint32_t a, uint32_t b, int tolerance = 24)
{
    for (int shift : {0, 8, 16})
        if (std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)) > tolerance)
            return false;
    return true;
}

std::string writeFile(const std::filesystem::path& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return path.string();
}

} // namespace

class WindowsTest : public Testing::ClientFixture {
protected:
    epiWindow* window(const char* code) { return m_app.windowManager()->findWindow(epiCodeFromText(code)); }
    template<typename Widget = epiUbo>
    Widget* in(epiWindow* window, const char* code)
    {
        return dynamic_cast<Widget*>(window->findChild(epiCodeFromText(code)));
    }
    const epiNullWindowSystem::Control* native(epiWindow* window, const char* code)
    {
        return m_system->control(control(window, code));
    }
    void choose(epiWindow* window, const char* code, int index)
    {
        m_system->selectItem(control(window, code), index);
        m_system->flush();
    }
    void click(epiWindow* window, const char* code)
    {
        m_system->clickControl(control(window, code));
        m_system->flush();
    }
    std::string preference(const char* key)
    {
        Zumeli::Text value;
        m_app.engine()->getPreferenceText(key, value);
        return value.c_str();
    }
    Zumeli::AudioHardware* panelStream()
    {
        Zumeli::AudioHardware* hardware = nullptr;
        m_panel->receiveCommand(epiFourCC("auhd"), reinterpret_cast<intptr_t>(&hardware), 0);
        return hardware;
    }
    // One column of the server's record of a user.
    std::string stored(const char* column, int userId)
    {
        Zumeli::Database db;
        if (!db.open((m_home / "zumeli.sqlite").string()))
            return "?";
        Zumeli::Statement row(db, (std::string("SELECT ") + column + " FROM users WHERE id = ?").c_str());
        row.bind(1, userId);
        return row.step() ? row.text(0) : "?";
    }
    // A registered account, logged in.
    void startRegistered(const char* name)
    {
        startAsGuest();
        Zumeli::Client* client = m_app.engine();
        Zumeli::Text error;
        ASSERT_TRUE(client->registerUser(name, "secret1", "first@example.org", error)) << error.c_str();
        client->setLogin(name, "secret1");
        client->setPreferenceNumber("public.isregisteredlogin", "1");
        client->disconnect();
        ASSERT_TRUE(waitFor([&] { return !m_panel->isLoggedIn(); }));
        client->connect();
        ASSERT_TRUE(waitFor([&] {
            Zumeli::Text shown;
            return m_panel->isLoggedIn() && client->getUserName(client->getOwnUserId(), shown) && shown == name;
        }));
    }
};

TEST_F(WindowsTest, TheSettingsListTheDevicesTheyFindAndConfirmingReopensTheStreamWithTheNewKey)
{
    startAsGuest({{"audiodevice.input", "Gone Headset"}});
    ASSERT_TRUE(tunedTo(1000));
    // The menu's command: the panel leaves and lets go of the stream and the key first.
    m_app.handleCommand(epiFourCC("setp"));
    epiWindow* setup = window("setp");
    ASSERT_NE(setup, nullptr);
    EXPECT_TRUE(waitFor([&] { return !m_panel->isLoggedIn(); }));
    EXPECT_FALSE(panelStream()->isOpen()) << "no stream while the settings are open";
    EXPECT_EQ(m_system->window(setup->handle())->title, "Settings") << "translated, without its markers";

    // What PortAudio sees, after the same restart of the library, is what the lists show.
    std::vector<std::string> inputs = {"The system's microphone"}, outputs = {"The system's speakers"};
    for (const auto& device : Zumeli::PortAudioBackend::devices()) {
        if (device.inputChannels > 0)
            inputs.push_back(device.name);
        if (device.outputChannels > 0)
            outputs.push_back(device.name);
    }
    inputs.push_back("None (silence)");
    outputs.push_back("None (silence)");
    inputs.push_back("Gone Headset (not connected)");
    EXPECT_EQ(native(setup, "auIn")->items, inputs);
    EXPECT_EQ(native(setup, "auIn")->value, int(inputs.size()) - 1) << "the stored device stays chosen";
    EXPECT_EQ(native(setup, "auOu")->items, outputs);
    EXPECT_EQ(native(setup, "auOu")->value, 0);
    EXPECT_EQ(native(setup, "auNo")->text, "Sound runs through \"null\"");
    EXPECT_EQ(native(setup, "hotk")->items.size(), 13u);
    EXPECT_EQ(native(setup, "hotk")->value, 9) << "F9 by default";
    EXPECT_EQ(native(setup, "hotN")->text.rfind("This desktop does not let Zumeli take the key", 0), 0u)
        << "the null window system grabs no key";
    EXPECT_EQ(native(setup, "cbso")->value, 1);
    EXPECT_EQ(native(setup, "thru")->value, 0);

    // The choices: the last sound card output, F3, no signal tones, play-through, Italian.
    choose(setup, "auOu", int(outputs.size()) - 2);
    choose(setup, "auIn", 0);
    choose(setup, "hotk", 3);
    click(setup, "cbso");
    click(setup, "thru");
    choose(setup, "lang", 2);
    click(setup, "Okay");
    EXPECT_EQ(window("setp"), nullptr);

    EXPECT_EQ(preference("audiodevice.input"), "");
    EXPECT_EQ(preference("audiodevice.output"), outputs.size() > 2 ? outputs[outputs.size() - 2] : "");
    EXPECT_EQ(preference("ui.talkhotkey"), "F3");
    EXPECT_EQ(preference("audiodevice.directx"), "0");
    EXPECT_EQ(preference("public.cbsounds"), "0");
    EXPECT_EQ(preference("public.playthru"), "1");
    EXPECT_EQ(item("thru")->value(), 1) << "the panel's switch follows";
    EXPECT_EQ(std::string(m_app.engine()->localizer().language().c_str()), "it");
    EXPECT_EQ(m_app.localizer().text("]Settings["), "Impostazioni");

    // 'prrl': the stream runs again, the client logs in again, and F3 talks.
    EXPECT_TRUE(panelStream()->isOpen());
    ASSERT_TRUE(waitFor([&] { return m_panel->isLoggedIn(); }));
    ASSERT_TRUE(tunedTo(1000) || m_panel->currentChannel() == 1000);
    pump(2.0);
    const int f3 = 69, f9 = 75; // their usual X key codes
    m_system->pressKey(epiPlatformKey::None, f9);
    m_system->flush();
    pump(1.0);
    EXPECT_FALSE(m_panel->isTalking()) << "the old key no longer talks";
    m_system->releaseKey(f9);
    m_system->pressKey(epiPlatformKey::None, f3);
    m_system->flush();
    EXPECT_TRUE(waitFor([&] { return m_panel->isTalking(); }, 3.0));
    m_system->releaseKey(f3);
    m_system->flush();
    EXPECT_TRUE(waitFor([&] { return !m_panel->isTalking(); }, 3.0));
}

TEST_F(WindowsTest, ClosingTheSettingsWithoutConfirmingKeepsThemAndBringsTheSoundBack)
{
    startAsGuest();
    m_app.handleCommand(epiFourCC("setp"));
    epiWindow* setup = window("setp");
    ASSERT_NE(setup, nullptr);
    choose(setup, "hotk", 0);
    m_system->requestClose(setup->handle());
    m_system->flush();
    EXPECT_EQ(window("setp"), nullptr);
    EXPECT_EQ(preference("ui.talkhotkey"), "F9");
    EXPECT_TRUE(panelStream()->isOpen());
    EXPECT_TRUE(waitFor([&] { return m_panel->isLoggedIn(); }));

    // "None" is kept as a name that registers no key.
    m_app.handleCommand(epiFourCC("setp"));
    choose(window("setp"), "hotk", 0);
    click(window("setp"), "Okay");
    EXPECT_EQ(preference("ui.talkhotkey"), "none");
    EXPECT_EQ(m_panel->hotKey().mode(), HotKeyController::Mode::Off);
}

TEST_F(WindowsTest, NoSoundDeviceChosenRunsTheClientOnSilence)
{
    // The sound card, where this machine may have none: then silence stands in for it.
    ::unsetenv("ZUMELI_AUDIO");
    startAsGuest();
    m_app.handleCommand(epiFourCC("setp"));
    epiWindow* setup = window("setp");
    ASSERT_NE(setup, nullptr);
    const auto& outputs = native(setup, "auOu")->items;
    ASSERT_EQ(outputs.back(), "None (silence)");
    choose(setup, "auOu", int(outputs.size()) - 1);
    click(setup, "Okay");
    EXPECT_EQ(preference("audiodevice.output"), "null");
    ASSERT_TRUE(panelStream()->isOpen());
    EXPECT_STREQ(panelStream()->backend()->name(), "null");
    EXPECT_TRUE(m_panel->hasSoundDevice()) << "chosen, not standing in for a missing device";
    EXPECT_TRUE(waitFor([&] { return m_panel->isLoggedIn(); }));
}

TEST_F(WindowsTest, GroupEditsAreSavedWithTheService)
{
    startAsGuest();
    ASSERT_TRUE(tunedTo(1000));
    Zumeli::Client* client = m_app.engine();
    int own = client->getOwnUserId();
    m_app.handleCommand(epiFourCC("peLi"));
    auto* people = dynamic_cast<PeopleWindow*>(window("peLi"));
    ASSERT_NE(people, nullptr);
    ASSERT_TRUE(waitFor([&] { return people->people() == std::vector<int> {own}; })) << "the channel holds the user";
    EXPECT_EQ(native(people, "grup")->items,
              (std::vector<std::string> {"Everybody I know", "In this channel", "Friends", "Blockeds", "Group A",
                                          "Group B", "Group C", "Group D"}));
    EXPECT_EQ(native(people, "grup")->value, 1) << "the channel's people first";
    EXPECT_EQ(native(people, "dest")->items.size(), 6u) << "only the user's groups take people";
    EXPECT_FALSE(native(people, "delg")->enabled);

    // A new group, the person added to the friends, then moved from there to the new group.
    type(people, "gnam", "Radio club");
    click(people, "newg");
    EXPECT_EQ(people->shownGroup(), 104);
    EXPECT_EQ(native(people, "stts")->text, "The group was made.");
    auto indexOf = [&](const std::vector<int>& ids, int group) {
        return int(std::find(ids.begin(), ids.end(), group) - ids.begin());
    };
    choose(people, "grup", indexOf(people->groupIds(), PeopleWindow::ChannelList));
    choose(people, "pers", 0);
    choose(people, "dest", indexOf(people->targetIds(), 2));
    click(people, "addt");
    EXPECT_TRUE(client->isGroupMember(2, own));
    choose(people, "grup", indexOf(people->groupIds(), 2));
    EXPECT_EQ(people->people(), (std::vector<int> {0, own})) << "the whole group, then its members";
    choose(people, "pers", 1);
    choose(people, "dest", indexOf(people->targetIds(), 104));
    click(people, "move");
    EXPECT_FALSE(client->isGroupMember(2, own));
    EXPECT_TRUE(client->isGroupMember(104, own));
    choose(people, "grup", indexOf(people->groupIds(), 104));
    type(people, "gnam", "Club");
    click(people, "rena");
    EXPECT_EQ(native(people, "stts")->text, "Renamed.");

    // What the service keeps.
    std::string document = stored("groups", own);
    EXPECT_NE(document.find("<name>Club</name>\r\n<id>104</id>\r\n<items><id>" + std::to_string(own) + "</id>"),
              std::string::npos)
        << document;
    EXPECT_NE(document.find("<id>2</id>\r\n<items></items>"), std::string::npos) << document;

    // Writing to a person of the list, and inviting a whole group.
    choose(people, "grup", indexOf(people->groupIds(), PeopleWindow::ChannelList));
    choose(people, "pers", 0);
    click(people, "mesg");
    ASSERT_TRUE(waitFor([&] { return window("nume") != nullptr; })) << "the panel opens the message window";
    EXPECT_EQ(std::string(in(window("nume"), "whom")->text().c_str()).rfind("To ", 0), 0u);
    EXPECT_NE(std::string(in(window("nume"), "whom")->text().c_str()).find("GUEST"), std::string::npos)
        << in(window("nume"), "whom")->text().c_str();
    choose(people, "grup", indexOf(people->groupIds(), 104));
    choose(people, "pers", 0);
    click(people, "bell");
    ASSERT_TRUE(waitFor([&] { return window("nuin") != nullptr; })) << "the panel opens the invitation";
    EXPECT_EQ(std::string(in(window("nuin"), "whom")->text().c_str()), "To Club");
    click(people, "uabu");
    EXPECT_EQ(native(people, "stts")->text, "Choose a person first.") << "a group cannot be reported";
    choose(people, "grup", indexOf(people->groupIds(), PeopleWindow::ChannelList));
    choose(people, "pers", 0);
    click(people, "uabu");
    ASSERT_TRUE(waitFor([&] { return window("nuab") != nullptr; })) << "the panel opens the abuse report";

    // Deleting it; the standing groups stay.
    choose(people, "grup", indexOf(people->groupIds(), 104));
    EXPECT_TRUE(native(people, "delg")->enabled);
    click(people, "delg");
    EXPECT_FALSE(client->isGroup(104));
    EXPECT_EQ(stored("groups", own).find("Club"), std::string::npos);
}

TEST_F(WindowsTest, TheProfileSavesEachFieldAndTheOwnPhotoMakesTheRoundTripThroughTheService)
{
    startRegistered("Profiler");
    Zumeli::Client* client = m_app.engine();
    int own = client->getOwnUserId();
    m_app.handleCommand(epiFourCC("uspr"));
    auto* profile = dynamic_cast<UserProfileWindow*>(window("uspr"));
    ASSERT_NE(profile, nullptr);
    EXPECT_EQ(native(profile, "unam")->text, "Profiler");
    EXPECT_EQ(native(profile, "emai")->text, "first@example.org");
    EXPECT_TRUE(native(profile, "tmsm")->enabled);

    choose(profile, "tmsm", 1);
    EXPECT_EQ(native(profile, "stts")->text, "Saved.");
    choose(profile, "gpsm", 2);
    choose(profile, "imgm", 1);
    type(profile, "emai", "");
    m_system->focusControl(control(profile, "emai"));
    type(profile, "emai", "-two");
    click(profile, "Smai");
    click(profile, "nodi");
    pump(1.0);
    EXPECT_EQ(stored("tmsmode", own), "1");
    EXPECT_EQ(stored("gpsmode", own), "2");
    EXPECT_EQ(stored("imgmode", own), "1");
    EXPECT_EQ(stored("mail", own), "first@example.org-two");
    EXPECT_TRUE(waitFor([&] { return stored("dnd", own) == "1"; }, 5.0));

    // The photo: a PNG goes as JPEG; the service gives back a JPEG that decodes to the picture.
    std::string png = writeFile(m_home / "me.png", quarters(320, 240).encodePng());
    m_system->setNextFileChoice(png);
    click(profile, "Cpho");
    ASSERT_EQ(native(profile, "stts")->text, "Saved.");
    auto* view = in<epiUiPictureView>(profile, "myPh");
    Zumeli::Text cache;
    client->getCacheFolder(cache);
    ASSERT_TRUE(view && view->hasPicture()) << cache.c_str();
    std::filesystem::path fetched = m_home / "fetched.jpg";
    ASSERT_TRUE(Zumeli::Manager::instance().sessionEndpoint.loadImage(2, own, fetched.c_str()));
    epiBitmap back;
    ASSERT_TRUE(back.loadImage(fetched.string()));
    ASSERT_EQ(back.width(), 320);
    ASSERT_EQ(back.height(), 240);
    epiBitmap original = quarters(320, 240);
    for (auto [x, y] : {std::pair {40, 40}, {280, 40}, {40, 200}, {280, 200}})
        EXPECT_TRUE(near(back.pixel(x, y), original.pixel(x, y))) << x << "," << y << std::hex << " " << back.pixel(x, y);
    // Drawn whole in its 160 x 160 place: 160 x 120, centred.
    EXPECT_EQ(view->pictureRect(), epiRect::fromSize(0, 20, 160, 120));

    m_system->setNextFileChoice((m_home / "client.prefs").string());
    click(profile, "Cpho");
    EXPECT_EQ(native(profile, "stts")->text, "The file is no JPEG or PNG picture.");
}

TEST_F(WindowsTest, AGuestHasNoProfileToSave)
{
    startAsGuest();
    m_app.handleCommand(epiFourCC("uspr"));
    epiWindow* profile = window("uspr");
    ASSERT_NE(profile, nullptr);
    EXPECT_FALSE(native(profile, "tmsm")->enabled);
    EXPECT_FALSE(native(profile, "Cpho")->enabled);
    EXPECT_EQ(native(profile, "stts")->text, "A guest has no profile: create an account to keep one.");
}

TEST_F(WindowsTest, ChannelDetailsShowTheChannelAndOnlyWebAddressesReachTheBrowser)
{
    startAsGuest();
    ASSERT_TRUE(tunedTo(1000));
    m_app.handleCommand(epiFourCC("chDe"));
    epiWindow* details = window("chDe");
    ASSERT_NE(details, nullptr);
    EXPECT_EQ(std::string(in(details, "numb")->text().c_str()), "10.00");
    EXPECT_FALSE(native(details, "name")->text.empty());
    EXPECT_EQ(native(details, "admn")->text, "Nobody administers this channel.");
    EXPECT_FALSE(native(details, "webA")->enabled);

    const std::pair<const char*, const char*> cases[] = {
        {"www.example.org", "http://www.example.org"},
        {"  https://radio.example.org/club  ", "https://radio.example.org/club"},
        {"http://example.org", "http://example.org"},
        {"example.org/page", "http://example.org/page"},
        {"javascript:alert(1)", ""},
        {"file:///etc/passwd", ""},
        {"mailto:a@b.org", ""},
        {"two words.org", ""},
        {"", ""},
    };
    for (auto [given, opened] : cases)
        EXPECT_EQ(ChannelDetailsWindow::browserAddress(given), opened) << given;
}

TEST_F(WindowsTest, ThePhotoWindowShowsTheChannelPhotoWhenANewOneArrives)
{
    startAsGuest();
    m_app.handleCommand(epiFourCC("phot"));
    epiWindow* photo = window("phot");
    ASSERT_NE(photo, nullptr);
    auto* view = in<epiUiPictureView>(photo, "pict");
    ASSERT_NE(view, nullptr);
    EXPECT_FALSE(view->hasPicture());
    EXPECT_EQ(std::string(in(photo, "noPh")->text().c_str()), "Nobody has shared a photo here yet.");
    EXPECT_TRUE(in(photo, "plch")->isVisible());

    // What the engine does when another user's photo has arrived, then the panel's notice.
    std::string jpeg = writeFile(m_home / "channelphoto.jpg", quarters(600, 300).encodeJpeg());
    m_app.engine()->channelPhotoReceived(jpeg.c_str());
    m_panel->onPhotoUpdated(7);
    EXPECT_TRUE(view->hasPicture());
    EXPECT_EQ(view->picture().width(), 600);
    EXPECT_EQ(view->pictureRect(), epiRect::fromSize(0, 50, 480, 240));
    EXPECT_EQ(native(photo, "stts")->text, "A new photo arrived.");
    EXPECT_FALSE(in(photo, "plch")->isVisible()) << "the picture replaces the empty place";

    // Sharing one needs the service's leave for pictures in this session, which a new guest lacks.
    ASSERT_FALSE(m_app.engine()->getSessionFlag(1));
    m_system->setNextFileChoice(jpeg);
    click(photo, "Send");
    EXPECT_EQ(native(photo, "stts")->text, "The service does not take pictures in this session.");
}

TEST(PictureFileTest, APictureIsMadeReadyForTheServiceOrRefusedWithItsReason)
{
    auto folder = std::filesystem::temp_directory_path() / ("zumeli-pictures-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    std::vector<uint8_t> smallJpeg = quarters(200, 100).encodeJpeg();
    std::vector<uint8_t> truncated(smallJpeg.begin(), smallJpeg.begin() + 20);
    std::string text = "not a picture at all";
    struct Case {
        std::string file;
        size_t limit;
        PictureFile::Result result;
        int width; // of the picture sent
    } cases[] = {
        {writeFile(folder / "small.jpg", smallJpeg), PictureFile::LimitBytes, PictureFile::Result::Ready, 200},
        {writeFile(folder / "big.png", quarters(2400, 1200).encodePng()), PictureFile::LimitBytes,
         PictureFile::Result::Ready, 1600},
        {folder / "small.jpg", 200, PictureFile::Result::TooLarge, 0},
        {writeFile(folder / "cut.jpg", truncated), PictureFile::LimitBytes, PictureFile::Result::NotAPicture, 0},
        {writeFile(folder / "text.jpg", {text.begin(), text.end()}), PictureFile::LimitBytes,
         PictureFile::Result::NotAPicture, 0},
        {folder / "missing.jpg", PictureFile::LimitBytes, PictureFile::Result::Unreadable, 0},
    };
    for (const Case& c : cases) {
        std::string jpeg;
        ASSERT_EQ(PictureFile::prepare(c.file, jpeg, c.limit), c.result) << c.file;
        if (c.result != PictureFile::Result::Ready)
            continue;
        epiBitmap sent;
        ASSERT_TRUE(sent.decodeJpeg(reinterpret_cast<const uint8_t*>(jpeg.data()), jpeg.size())) << c.file;
        EXPECT_EQ(sent.width(), c.width) << c.file;
        EXPECT_LE(jpeg.size(), c.limit);
    }
    std::filesystem::remove_all(folder);
}

TEST(PictureDecodeTest, DamagedJpegBytesGiveAPictureOfItsSizeOrNone)
{
    // Every byte of a real JPEG altered in turn, and every cut of it: the decoder either gives a
    // picture of the size the header says, or refuses; it never reads beyond the bytes.
    std::vector<uint8_t> jpeg = quarters(48, 32).encodeJpeg(70);
    ASSERT_GT(jpeg.size(), 200u);
    int decoded = 0, refused = 0;
    for (size_t at = 0; at < jpeg.size(); ++at) {
        for (uint8_t change : {uint8_t(0xFF), uint8_t(0x01)}) {
            std::vector<uint8_t> damaged = jpeg;
            damaged[at] ^= change;
            epiBitmap picture;
            if (picture.decodeJpeg(damaged.data(), damaged.size())) {
                ++decoded;
                EXPECT_TRUE(picture.width() > 0 && picture.height() > 0);
            } else {
                ++refused;
                EXPECT_TRUE(picture.isEmpty());
            }
        }
        std::vector<uint8_t> cut(jpeg.begin(), jpeg.begin() + std::ptrdiff_t(at));
        epiBitmap picture;
        if (picture.decodeJpeg(cut.data(), cut.size())) {
            EXPECT_EQ(picture.width(), 48) << "a cut stream keeps its size, the rest filled in";
        }
    }
    EXPECT_GT(decoded, 0);
    EXPECT_GT(refused, 0);
}
