#include "engine/Client.h"
#include "engine/Manager.h"
#include "platform/Clock.h"
#include "tests/data/TempFolder.h"
#include "tests/engine/CannedWebService.h"
#include "tests/support/BlackHoleListener.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

using namespace Zumeli;

namespace {

// Notes when the callbacks that show progress arrive, in seconds since the run began.
class TimedDelegate final : public IClientDelegate {
public:
    double now() const { return double(Platform::tickMilliseconds() - start) / 1000.0; }
    std::vector<double> loginFailures, reconnects, troubles;
    uint64_t start = Platform::tickMilliseconds();
    bool loggedIn = false;

    void onLoggedIn() override { loggedIn = true; }
    void onLoginFailed() override { loginFailures.push_back(now()); }
    void onReconnecting() override { reconnects.push_back(now()); }
    void onTransmissionTrouble() override { troubles.push_back(now()); }
    void onLoggedOut() override { }
    void onLoginRefused() override { }
    void onServerFull() override { }
    void onChannelChanged(int) override { }
    void onTalkGranted() override { }
    void onTalkEnded() override { }
    void onTalkAcknowledged() override { }
    void onTalkAllowed() override { }
    void onTalkForbidden() override { }
    void onChannelStateChanged() override { }
    void onVoiceConnection(bool) override { }
    void onTraffic(bool) override { }
    void onVoiceConnected(bool) override { }
    void onMessagesArrived() override { }
    void onUnused() override { }
    void onRecordedAudio(const float*, int32_t) override { }
    void onLinkQuality(float) override { }
    void onChannelAccess() override { }
    void onJoinFailed() override { }
    void onChannelFull() override { }
    void onChannelEvent(const ChannelEvent&) override { }
    void onUserPositionChanged(int) override { }
    void onPhotoUpdated(int) override { }
    void onUserMessagesChanged() override { }
    void onTalkRequest(int) override { }
    void onTalkAllowedQuietly() override { }
    void onPositionRequested(Text&) override { }
    void onPositionSent(const Text&) override { }
};

// A Client whose web service or voice server never answers a connect, stepped 30 times a
// second with its audio clock fed in real time, as the desktop client's window would step it.
struct SteppedClient {
    SteppedClient(int webPort, const char* name)
        : temp(name)
    {
        PreferencesStartup startup;
        startup.prefsPath = temp.file("preferences.xml");
        manager.preferences.load(startup);
        manager.preferences.setDefault("private.service.host", "127.0.0.1");
        manager.preferences.setDefault("private.service.port", Text(std::to_string(webPort).c_str()));
        client = std::make_unique<Client>(manager, temp.folder());
        client->setDelegate(&delegate);
    }

    // Steps for `seconds`; returns how long each step took, in milliseconds.
    std::vector<double> run(double seconds)
    {
        std::vector<double> durations;
        std::vector<float> block(1470); // 1/30 s at 44100 Hz
        uint64_t next = Platform::tickMilliseconds();
        for (int i = 0; i < int(seconds * 30); ++i) {
            std::fill(block.begin(), block.end(), 0.0f);
            client->processAudio(block.data(), int32_t(block.size()));
            auto before = std::chrono::steady_clock::now();
            client->step();
            durations.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - before).count());
            next += 33;
            uint64_t now = Platform::tickMilliseconds();
            if (next > now)
                Platform::sleepMilliseconds(int(next - now));
        }
        return durations;
    }

    TempFolder temp;
    Manager manager;
    TimedDelegate delegate;
    std::unique_ptr<Client> client;
};

void report(const char* what, std::vector<double> durations)
{
    std::sort(durations.begin(), durations.end());
    double p99 = durations[durations.size() * 99 / 100];
    std::printf("%s: %zu steps, longest %.2f ms, 99th percentile %.2f ms\n", what, durations.size(), durations.back(), p99);
    // Far above a step's real cost, far below the seconds a waiting connect used to take.
    EXPECT_LT(durations.back(), 250.0) << what;
}

} // namespace

// The web service drops every connection attempt: each login fails after the 4 s connect
// time-out and is tried again 150 steps later, and no step waits for any of it.
TEST(BlackHole, AWebServiceThatNeverAnswersFreezesNoStep)
{
    BlackHoleListener hole;
    ASSERT_TRUE(hole.isFull());
    SteppedClient stepped(hole.port(), "blackhole-web");
    stepped.client->connect();
    report("web service black hole", stepped.run(15));
    const TimedDelegate& seen = stepped.delegate;
    ASSERT_GE(seen.loginFailures.size(), 2u);
    EXPECT_NEAR(seen.loginFailures[0], 4.0, 0.6) << "the connect time-out";
    ASSERT_GE(seen.reconnects.size(), 1u);
    EXPECT_NEAR(seen.reconnects[0] - seen.loginFailures[0], 5.0, 0.6) << "150 steps later";
    EXPECT_NEAR(seen.loginFailures[1] - seen.reconnects[0], 4.0, 0.6);
}

// The web service answers, but the channel's voice server drops every connection attempt: each
// voice connect fails after 4 s and is tried again 2 s later, and no step waits for any of it.
TEST(BlackHole, AVoiceServerThatNeverAnswersFreezesNoStep)
{
    BlackHoleListener hole;
    ASSERT_TRUE(hole.isFull());
    CannedWebService web;
    web.answer("7/login.php", "<status>OK</status>\r\n<sessionID>sess42</sessionID>\r\n<uid>1234</uid>\r\n<ch>1000</ch>\r\n");
    web.answer("7/joinChannel.php", "<status>UP</status>\r\n<ip>127.0.0.1</ip>\r\n<port>" + std::to_string(hole.port())
                                        + "</port>\r\n<codec>9</codec>\r\n<ts>5</ts>\r\n<pe>0</pe>\r\n<ul>1234,1,me</ul>\r\n");
    SteppedClient stepped(web.port(), "blackhole-voice");
    stepped.client->connect();
    report("voice server black hole", stepped.run(15));
    const TimedDelegate& seen = stepped.delegate;
    EXPECT_TRUE(seen.loggedIn);
    ASSERT_GE(seen.troubles.size(), 2u);
    EXPECT_NEAR(seen.troubles[1] - seen.troubles[0], 6.0, 0.6) << "4 s connect time-out after a 2 s pause";
}
