#include "engine/ServiceConfig.h"

#include "data/Preferences.h"
#include "tests/data/ScratchFolder.h"
#include "tests/platform/ScopedEnv.h"

#include <gtest/gtest.h>

using namespace Zumeli;

namespace {

class ServiceConfigTest : public ::testing::Test {
protected:
    ScratchFolder home;
    ScopedEnv config { "XDG_CONFIG_HOME", home.path().c_str() };
    ScopedEnv host { "ZUMELI_SERVICE_HOST", nullptr };
    ScopedEnv port { "ZUMELI_SERVICE_PORT", nullptr };
    Preferences preferences;
    void SetUp() override { preferences.load(); }
};

} // namespace

TEST_F(ServiceConfigTest, DefaultsPreferencesAndEnvironment)
{
    ServiceAddress address = ServiceConfig::production(preferences);
    EXPECT_EQ(address.host.str(), "localhost");
    EXPECT_EQ(address.port, 80);
    EXPECT_TRUE(address.pathPrefix.isEmpty());

    preferences.set("private.service.host", "talk.example.org");
    preferences.set("private.service.port", "8080");
    address = ServiceConfig::production(preferences);
    EXPECT_EQ(address.host.str(), "talk.example.org");
    EXPECT_EQ(address.port, 8080);

    for (const char* bad : { "0", "65536", "80x", "-1", "" }) {
        ScopedEnv badPort { "ZUMELI_SERVICE_PORT", bad };
        EXPECT_EQ(ServiceConfig::production(preferences).port, 8080) << bad;
    }
    ScopedEnv envHost { "ZUMELI_SERVICE_HOST", "127.0.0.1" };
    ScopedEnv envPort { "ZUMELI_SERVICE_PORT", "18080" };
    address = ServiceConfig::production(preferences);
    EXPECT_EQ(address.host.str(), "127.0.0.1");
    EXPECT_EQ(address.port, 18080);
}

TEST_F(ServiceConfigTest, QvUsersGoToTheDevelopmentHost)
{
    preferences.set("private.service.host", "prod.example.org");
    EXPECT_EQ(ServiceConfig::forUser(preferences, "qvtester").host.str(), "prod.example.org")
        << "without a development host the production host serves";

    preferences.set("private.service.devhost", "dev.example.org");
    preferences.set("private.service.devprefix", "beta/");
    for (const char* name : { "Qvtester", "qV", "QVx" }) {
        ServiceAddress address = ServiceConfig::forUser(preferences, name);
        EXPECT_EQ(address.host.str(), "dev.example.org") << name;
        EXPECT_EQ(address.pathPrefix.str(), "beta/") << name;
    }
    for (const char* name : { "anna", "xQv", "Q", "" }) {
        ServiceAddress address = ServiceConfig::forUser(preferences, name);
        EXPECT_EQ(address.host.str(), "prod.example.org") << name;
        EXPECT_TRUE(address.pathPrefix.isEmpty()) << name;
    }
}
