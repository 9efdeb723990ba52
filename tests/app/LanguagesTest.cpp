// The desktop client in another language, and a newer localisation table served by zumeli-server
// (--localization FILE): the client fetches it once after its login when the announced version
// differs from its own, keeps it in its data folder and shows the new texts from then on.
#include "app/ClientApplication.h"
#include "app/ClientPanel.h"
#include "tests/app/ClientFixture.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <string>

using namespace ZumeliApplication;

namespace {

std::string readFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return { std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>() };
}

const std::filesystem::path ShippedTable = std::filesystem::path(ZUMELI_SOURCE_DIR) / "resources/aux/ZumeliLocalization.xml";

// The shipped table with another version stamp and another German word for the channel title.
std::string newerTable()
{
    std::string table = readFile(ShippedTable);
    table = std::regex_replace(table, std::regex("<en>[0-9]+,Zumeli table"), "<en>2099123101,Zumeli table",
                               std::regex_constants::format_first_only);
    table = std::regex_replace(table, std::regex("(<lookup_id>\\*CANAL_2D2A</lookup_id>[\\s\\S]*?<de>)[^<]*"), "$1Frequenz",
                               std::regex_constants::format_first_only);
    return table;
}

} // namespace

class LanguagesTest : public ZumeliApplication::Testing::ClientFixture {
protected:
    void SetUp() override
    {
        ::setenv("LC_ALL", "de_DE.UTF-8", 1);
        ClientFixture::SetUp();
    }
    void TearDown() override
    {
        ClientFixture::TearDown();
        ::unsetenv("LC_ALL");
    }
    // The service restarted with a table of its own to serve.
    void serve(const std::string& table)
    {
        const std::filesystem::path served = m_home / "served.xml";
        std::ofstream(served, std::ios::binary) << table;
        Zumeli::ServerConfig config;
        config.web.localizationPath = served.string();
        m_server.reset();
        m_server = std::make_unique<ServerTest::RunningServer>((m_home / "zumeli.sqlite").string(), config);
        ASSERT_TRUE(m_server->started());
    }
    void cancelRegistration()
    {
        epiWindow* registration = m_app.windowManager()->findWindow(epiFourCC("regi"));
        ASSERT_NE(registration, nullptr);
        m_system->clickControl(control(registration, "Canc"));
        m_system->flush();
        m_system->activate(m_main->handle());
        ASSERT_TRUE(waitFor([&] { return m_panel->isLoggedIn(); })) << m_panel->infoText();
    }
    std::filesystem::path downloaded() const { return m_home / "data" / "Zumeli" / "ZumeliLocalization.xml"; }
};

TEST_F(LanguagesTest, ANewerTableOfTheServiceIsTakenAtLoginAndItsTextsShow)
{
    const std::string table = newerTable();
    ASSERT_NE(table.find("<de>Frequenz</de>"), std::string::npos);
    serve(table);
    start({});
    EXPECT_EQ(m_app.localizer().text("]Canal["), "Kanal") << "the shipped table, in the locale's language";
    EXPECT_EQ(m_app.localizer().text("]Cancel["), "Abbrechen");
    epiWindow* registration = m_app.windowManager()->findWindow(epiFourCC("regi"));
    ASSERT_NE(registration, nullptr);
    EXPECT_EQ(m_system->window(registration->handle())->title, "Erstellen Sie Ihr Zumeli-Konto");

    cancelRegistration();
    ASSERT_TRUE(waitFor([&] { return std::filesystem::exists(downloaded()); })) << "the newer table was not fetched";
    EXPECT_EQ(readFile(downloaded()), table) << "kept as served, without its checksum";
    ASSERT_TRUE(waitFor([&] { return m_app.localizer().text("]Canal[") == "Frequenz"; }));

    typeKeys("1001");
    EXPECT_TRUE(waitFor([&] { return m_panel->currentChannel() == 1001 && text("titl") == "Frequenz   10.01"; }))
        << text("titl");
}

TEST_F(LanguagesTest, ATableOfTheSameVersionIsNotFetchedAgain)
{
    std::string same = readFile(ShippedTable);
    same = std::regex_replace(same, std::regex("(<lookup_id>\\*CANAL_2D2A</lookup_id>[\\s\\S]*?<de>)[^<]*"), "$1Frequenz",
                              std::regex_constants::format_first_only);
    serve(same);
    startAsGuest();
    ASSERT_TRUE(waitFor([&] { return m_panel->currentChannel() == 1000 && text("titl") == "Kanal   10.00"; }))
        << text("titl");
    pump(2.0);
    EXPECT_FALSE(std::filesystem::exists(downloaded()));
    EXPECT_EQ(m_app.localizer().text("]Canal["), "Kanal");
}
