#include "tests/support/BlackHoleListener.h"
#include "tests/voice/LoopbackPeer.h"
#include "voice/NameResolver.h"
#include "voice/Socket.h"

#include <gtest/gtest.h>
#include <algorithm>
#include <chrono>
#include <thread>

using namespace Zumeli;

namespace {

class Recorder : public ISocketDelegate {
public:
    void dataReceived(const uint8_t* bytes, int count) override
    {
        data.insert(data.end(), bytes, bytes + count);
        ++deliveries;
    }
    void connectionClosed() override { ++closed; }
    void connected() override { ++connects; }
    void connectionFailed() override { ++failures; }

    std::vector<uint8_t> data;
    int deliveries = 0, closed = 0, connects = 0, failures = 0;
};

} // namespace

// Without a record size the bytes arrive as they come; a large stream takes several polls (each
// reads a bounded amount) and arrives whole and in order.
TEST(Socket, RawStreamArrivesWholeOverSeveralPolls)
{
    LoopbackPeer peer;
    Recorder recorder;
    Socket socket;
    socket.init(&recorder, 0);
    ASSERT_TRUE(socket.connect("localhost", peer.port(), 0));
    for (int i = 0; i < 2000 && socket.isConnecting(); ++i) {
        socket.poll();
        usleep(1000);
    }
    EXPECT_EQ(recorder.connects, 1);
    ASSERT_TRUE(peer.accept());

    std::vector<uint8_t> sent(1 << 20);
    for (size_t i = 0; i < sent.size(); ++i)
        sent[i] = uint8_t(i * 7 + i / 251);
    std::thread writer([&] { peer.write(sent.data(), sent.size()); });
    int polls = 0;
    while (recorder.data.size() < sent.size() && polls < 100000) {
        socket.poll();
        ++polls;
        if (recorder.data.size() < sent.size())
            usleep(200);
    }
    writer.join();
    EXPECT_EQ(recorder.data, sent);
    EXPECT_GT(polls, 1);

    peer.closePeer();
    usleep(20000);
    socket.poll();
    EXPECT_EQ(recorder.closed, 1);
    EXPECT_FALSE(socket.isOpen());
    socket.poll(); // polling a closed socket does nothing
    EXPECT_EQ(recorder.closed, 1);
}

TEST(Socket, SendFailsOnAClosedSocket)
{
    Socket socket;
    EXPECT_FALSE(socket.send("x", 1));
}

// A listener whose backlog is full drops new connection attempts: connect() returns at once,
// and only a later poll reports the failure, once the time-out has passed.
TEST(Socket, ConnectNeverWaitsAndGivesUpAfterItsTimeOut)
{
    BlackHoleListener hole;
    ASSERT_TRUE(hole.isFull()) << "the backlog never filled";
    Recorder recorder;
    Socket socket;
    socket.init(&recorder, 0);
    auto start = std::chrono::steady_clock::now();
    auto elapsed = [&] { return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(); };
    EXPECT_TRUE(socket.connect("127.0.0.1", hole.port(), 0, 300));
    EXPECT_LT(elapsed(), 0.1) << "connect only starts the attempt";
    EXPECT_TRUE(socket.send("queued", 6)) << "bytes wait for the connection";
    while (recorder.failures == 0 && elapsed() < 3) {
        socket.poll();
        EXPECT_EQ(recorder.connects, 0);
        usleep(5000);
    }
    EXPECT_EQ(recorder.failures, 1);
    EXPECT_GE(elapsed(), 0.3);
    EXPECT_LT(elapsed(), 1.0);
    EXPECT_FALSE(socket.isConnecting());
    socket.poll();
    EXPECT_EQ(recorder.failures, 1) << "reported once";
}

// A host name is looked up away from the caller; the connect goes on at a later poll.
TEST(Socket, NamesAreLookedUpWithoutWaiting)
{
    LoopbackPeer peer;
    Recorder recorder;
    Socket socket;
    socket.init(&recorder, 0);
    ASSERT_TRUE(socket.connect("localhost", peer.port(), 0));
    for (int i = 0; i < 2000 && socket.isConnecting(); ++i) {
        socket.poll();
        usleep(1000);
    }
    EXPECT_EQ(recorder.connects, 1);
    EXPECT_TRUE(peer.accept());

    Socket unknown;
    unknown.init(&recorder, 0);
    unknown.connect("no-such-host.invalid", peer.port(), 0, 3000);
    for (int i = 0; i < 4000 && unknown.isConnecting(); ++i) {
        unknown.poll();
        usleep(1000);
    }
    unknown.poll();
    EXPECT_EQ(recorder.failures, 1) << "an unknown name fails the connect";
}

// A peer that stops reading: sends never wait, and when the outgoing queue would overflow the
// connection ends as a closed connection. Nothing follows a record cut short: the records the
// peer gets are in step, and a cut one can only be the last before the end of the stream.
TEST(Socket, SendsToAPeerThatNeverReadsEndTheConnection)
{
    LoopbackPeer peer;
    Recorder recorder;
    Socket socket;
    socket.init(&recorder, 47);
    ASSERT_TRUE(socket.connect("127.0.0.1", peer.port(), 0));
    ASSERT_TRUE(peer.accept());
    for (int i = 0; i < 2000 && socket.isConnecting(); ++i) {
        socket.poll();
        usleep(1000);
    }
    ASSERT_EQ(recorder.connects, 1);
    uint8_t record[47];
    for (int i = 0; i < 47; ++i)
        record[i] = uint8_t(i);
    int accepted = 0;
    auto start = std::chrono::steady_clock::now();
    while (socket.send(record, 47)) {
        ++accepted;
        ASSERT_LT(accepted, 1'000'000) << "the queue never overflowed";
    }
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_LT(seconds, 2.0) << "no send waited for the peer";
    EXPECT_EQ(recorder.closed, 1);
    EXPECT_FALSE(socket.isOpen());
    EXPECT_EQ(socket.pendingSendBytes(), 0u);
    EXPECT_FALSE(socket.send(record, 47)) << "a closed socket sends nothing";

    std::vector<uint8_t> wire;
    for (std::vector<uint8_t> got = peer.readAvailable(65536); !got.empty(); got = peer.readAvailable(65536))
        wire.insert(wire.end(), got.begin(), got.end());
    EXPECT_GT(wire.size(), 0u);
    EXPECT_LE(wire.size(), size_t(accepted) * 47);
    for (size_t at = 0; at + 47 <= wire.size(); at += 47)
        ASSERT_TRUE(std::equal(record, record + 47, wire.begin() + long(at))) << "record at byte " << at;
}

// Numeric addresses are answered at once; a name is looked up on another thread, and its
// answer is kept for the next caller.
TEST(NameResolver, NumbersAtOnceNamesInTheBackgroundAndKept)
{
    NameResolver& resolver = NameResolver::instance();
    resolver.clear();
    NameResolver::Answer numeric = resolver.resolve("127.0.0.1");
    EXPECT_EQ(numeric.state, NameResolver::State::Found);
    EXPECT_EQ(numeric.address.s_addr, htonl(INADDR_LOOPBACK));
    EXPECT_EQ(resolver.resolve("").state, NameResolver::State::Failed);

    NameResolver::Answer named = resolver.resolve("localhost");
    for (int i = 0; i < 2000 && named.state == NameResolver::State::Pending; ++i) {
        usleep(1000);
        named = resolver.resolve("localhost");
    }
    ASSERT_EQ(named.state, NameResolver::State::Found);
    EXPECT_EQ(named.address.s_addr, htonl(INADDR_LOOPBACK));
    NameResolver::Answer again = resolver.resolve("localhost");
    EXPECT_EQ(again.state, NameResolver::State::Found) << "the kept answer serves at once";
    EXPECT_EQ(again.address.s_addr, named.address.s_addr);
}
