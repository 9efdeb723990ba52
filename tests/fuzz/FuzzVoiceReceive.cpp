// Feeds an arbitrary byte stream to the voice connection's receive path through a real socket
// pair: record cutting, checksum check and every control message's handling. The first byte
// chooses how the stream is split across polls, so records arrive in pieces too.
#include "voice/PushServerConnection.h"
#include "voice/SecondsTimer.h"

#include <cstddef>
#include <cstdint>
#include <sys/socket.h>
#include <unistd.h>

using namespace Zumeli;

namespace {

class Host : public IPushServerHost {
public:
    SecondsTimer& trafficTimer() override { return traffic; }
    SecondsTimer& remoteTalkTimer() override { return remoteTalk; }
    ResponseMessages& responses() override { return ring; }
    uint32_t localUserNumber() const override { return 1234; }
    void setCurrentTalker(uint32_t) override { }
    bool canDecodeAudio() const override { return true; }
    void decodeAudio(const VoicePacket& packet) override { checksum += packet.payload()[packet.length() % 33]; }
    void clearReceiveWaiting() override { }
    bool setPositionText(uint32_t, const char* text, int length) override
    {
        for (int i = 0; i < length; ++i)
            checksum += uint8_t(text[i]);
        return length <= 32;
    }

    AudioClock clock { 0 };
    SecondsTimer traffic { &clock };
    SecondsTimer remoteTalk { &clock };
    ResponseMessages ring;
    unsigned checksum = 0;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0 || size > 32768)
        return 0;
    int pair[2];
    if (socketpair(AF_UNIX, SOCK_STREAM, 0, pair) != 0)
        return 0;
    Host host;
    PushServerConnection connection(host);
    connection.adopt(pair[0]);
    size_t piece = size_t(data[0] % 64) + 1;
    ClientMessage entry;
    for (size_t offset = 1; offset < size; offset += piece) {
        size_t count = std::min(piece, size - offset);
        if (write(pair[1], data + offset, count) != ssize_t(count))
            break;
        connection.poll();
        while (connection.messages().take(entry)) { }
        while (host.ring.take(entry)) { }
    }
    close(pair[1]);
    connection.poll();
    return 0;
}
