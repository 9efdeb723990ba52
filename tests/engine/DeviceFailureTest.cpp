// A sound device that dies in the middle of a stream, under a whole client: the engine's Client
// logged in to a real zumeli-server in this process, its sound stream kept by AudioStreamKeeper.
// The stream of the test's device stops delivering blocks (a headset pulled out) and refuses to
// open until it is plugged in again; the null back end stands in meanwhile, so the client's clock
// and timers run on, its voice connection stays up, and it talks again once the device is back.
#include "audio/AudioHardware.h"
#include "audio/AudioStreamKeeper.h"
#include "audio/NullAudioBackend.h"
#include "engine/Client.h"
#include "engine/Manager.h"
#include "tests/data/TempFolder.h"
#include "tests/engine/QuietClientDelegate.h"
#include "tests/server/ServerFixture.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <thread>

using namespace Zumeli;

namespace {

// The device's socket: whether it is plugged in, and what its stream did.
struct DeviceSocket {
    std::atomic<bool> present { true };
    std::atomic<int> opens { 0 };
    std::atomic<int64_t> blocks { 0 };
};

// The null back end behind a device that can be pulled out: a pulled device's running stream
// delivers nothing more (as a dead PortAudio stream does) and it cannot be opened again.
class PullableBackend final : public IAudioBackend, private IAudioBlockHandler {
public:
    explicit PullableBackend(std::shared_ptr<DeviceSocket> socket)
        : m_socket(std::move(socket))
    {
    }
    bool open(const std::string& input, const std::string& output, IAudioBlockHandler& handler) override
    {
        if (!m_socket->present.load())
            return false;
        m_handler = &handler;
        m_socket->opens.fetch_add(1);
        return m_inner.open(input, output, *this);
    }
    int32_t sampleRate() const override { return m_inner.sampleRate(); }
    bool start() override { return m_inner.start(); }
    void stop() override { m_inner.stop(); }
    const char* name() const override { return "pullable"; }

private:
    void handleBlock(const float* input, float* output, int32_t n) override
    {
        if (!m_socket->present.load())
            return;
        m_socket->blocks.fetch_add(1);
        m_handler->handleBlock(input, output, n);
    }
    std::shared_ptr<DeviceSocket> m_socket;
    IAudioBlockHandler* m_handler = nullptr;
    NullAudioBackend m_inner;
};

class Events final : public QuietClientDelegate {
public:
    // voiceUp: the voice server accepted the Hello; voiceDown: the connection went down or was lost.
    std::atomic<int> loggedIn { 0 }, voiceUp { 0 }, voiceDown { 0 }, reconnecting { 0 }, acknowledged { 0 }, ended { 0 };
    std::atomic<int> channel { 0 };

    void onLoggedIn() override { ++loggedIn; }
    void onReconnecting() override { ++reconnecting; }
    void onChannelChanged(int c) override { channel = c; }
    void onVoiceConnected(bool connected) override { ++(connected ? voiceUp : voiceDown); }
    void onVoiceConnection(bool up) override
    {
        if (!up)
            ++voiceDown;
    }
    void onTalkAcknowledged() override { ++acknowledged; }
    void onTalkEnded() override { ++ended; }
};

class DeviceFailureTest : public ServerTest::ServiceTest {
protected:
    void SetUp() override
    {
        start();
        PreferencesStartup startup;
        startup.prefsPath = temp.file("preferences.xml");
        manager.preferences.load(startup);
        manager.preferences.setDefault("private.service.host", "127.0.0.1");
        manager.preferences.setDefault("private.service.port", Text(std::to_string(port()).c_str()));
        client = std::make_unique<Client>(manager, temp.folder());
        client->setDelegate(&events);
        keeper = std::make_unique<AudioStreamKeeper>(hardware, client.get(), [this](bool) {
            return std::make_unique<PullableBackend>(socket);
        });
        keeper->setTimings(300, 600);
    }
    void TearDown() override
    {
        keeper.reset();
        hardware.close();
        client.reset();
    }

    // The user interface thread's work: engine steps 30 times a second, the keeper's watch.
    bool runUntil(const std::function<bool()>& done, double seconds = 10.0)
    {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
        while (std::chrono::steady_clock::now() < deadline) {
            client->step();
            keeper->check();
            if (done())
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(33));
        }
        return done();
    }
    void run(double seconds)
    {
        runUntil([] { return false; }, seconds);
    }
    double clock() { return client->audio().audioSeconds(); }

    TempFolder temp { "device-failure" };
    Manager manager;
    std::unique_ptr<Client> client;
    AudioHardware hardware;
    std::shared_ptr<DeviceSocket> socket = std::make_shared<DeviceSocket>();
    std::unique_ptr<AudioStreamKeeper> keeper;
    Events events;
};

} // namespace

TEST_F(DeviceFailureTest, ADevicePulledOutMidTalkKeepsTheConnectionAndTheTimersAndTalksAgainWhenBack)
{
    ASSERT_TRUE(keeper->start());
    client->connect();
    ASSERT_TRUE(runUntil([&] { return events.loggedIn > 0 && events.channel == 1000 && events.voiceUp > 0; }))
        << "logged in " << events.loggedIn << ", channel " << events.channel << ", voice up " << events.voiceUp;
    // A guest on the same channel listens on a voice connection of its own.
    // The join itself reports the channel's old connection down before the new one comes up.
    const int downsAtStart = events.voiceDown;
    ServerTest::WebUser listener = inChannel(1000);
    auto ear = voice(listener);
    ASSERT_TRUE(ear);

    client->talkPressed();
    ASSERT_TRUE(runUntil([&] { return events.acknowledged == 1; })) << "the first talk reached the service";

    // Pulled out mid-talk: the stream stops; the null back end stands in.
    socket->present = false;
    ASSERT_TRUE(runUntil([&] { return keeper->onStandIn(); }, 5.0)) << "the dead stream was noticed";
    const int64_t deviceBlocks = socket->blocks.load();
    const double before = clock();
    run(2.0);
    EXPECT_GT(clock() - before, 1.5) << "the engine's clock runs on without the device";
    EXPECT_EQ(socket->blocks.load(), deviceBlocks);

    // The talk ends while the device is gone: the end of talk is repeated on the clock's timer
    // until the service acknowledges it.
    client->talkReleased();
    EXPECT_TRUE(runUntil([&] { return events.ended == 1; })) << "the talk ended on the stand-in's clock";
    run(2.0);
    EXPECT_EQ(events.voiceDown, downsAtStart) << "the voice connection stayed up";
    EXPECT_EQ(events.reconnecting, 0);
    EXPECT_TRUE(keeper->onStandIn()) << "a device that cannot open is not used";

    // Plugged in again: the keeper's retry finds it and the client talks through it.
    socket->present = true;
    const int opens = socket->opens.load();
    ASSERT_TRUE(runUntil([&] { return !keeper->onStandIn(); }, 5.0)) << "the device is used again";
    EXPECT_GT(socket->opens.load(), opens);
    ear->drain(200);
    const int64_t blocksBeforeTalk = socket->blocks.load();
    client->talkPressed();
    ASSERT_TRUE(runUntil([&] { return events.acknowledged == 2; })) << "the second talk reached the service";
    run(1.0);
    client->talkReleased();
    ASSERT_TRUE(runUntil([&] { return events.ended == 2; }));
    EXPECT_GT(socket->blocks.load(), blocksBeforeTalk + 50) << "the device fed the second talk";
    int audio = 0;
    for (const VoicePacket& packet : ear->drain(1000))
        audio += packet.kind() == VoicePacket::Audio ? 1 : 0;
    EXPECT_GT(audio, 20) << "the listener heard the second talk";
    EXPECT_EQ(events.voiceDown, downsAtStart);
    EXPECT_EQ(events.voiceUp, 1) << "one voice connection all along";
}
