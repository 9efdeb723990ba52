#pragma once

#include <atomic>
#include <cstdint>

namespace Zumeli {

// One (code, value, extra) entry of a message ring.
struct ClientMessage {
    int32_t code = 0;
    int32_t value = 0;
    int32_t extra = 0;
};

// A 200-entry ring with exactly one producer and one consumer and no lock. Entry i lives at
// index i % 200. The producer writes the entry, then publishes it by advancing the write count
// (release); the consumer reads the entry after seeing the count (acquire), then frees it by
// advancing the read count (release). So one instance may cross threads, as ToAudioMessages
// does between the engine step and the audio callback. A post to a full ring is dropped without
// notice. Nothing here allocates after construction.
class ClientMessages {
public:
    static constexpr int32_t Capacity = 200;

    ClientMessages() = default;
    virtual ~ClientMessages() = default;
    ClientMessages(const ClientMessages&) = delete;
    ClientMessages& operator=(const ClientMessages&) = delete;

    // Posts (code, value) with extra 0. False when the ring was full and the entry dropped.
    bool post(int32_t code, int32_t value = 0) { return postPair(code, value, 0); }
    bool postPair(int32_t code, int32_t value, int32_t extra);

    // Copies the oldest entry into out and frees it; false when the ring is empty.
    bool take(ClientMessage& out);

    bool isEmpty() const;
    int32_t pending() const;
    int32_t readCount() const { return m_readCount.load(std::memory_order_acquire); }
    int32_t writeCount() const { return m_writeCount.load(std::memory_order_acquire); }

private:
    ClientMessage m_entries[Capacity];
    // Counts only grow; they wrap as unsigned values so that differences stay right past 2^31.
    std::atomic<uint32_t> m_readCount { 0 };
    std::atomic<uint32_t> m_writeCount { 0 };
};

// The engine's four rings: the same ring under the names that say who talks to whom.
class ResponseMessages : public ClientMessages { };
class RequestMessages : public ClientMessages { };
class ToAudioMessages : public ClientMessages { };
class PushServerConnectionMessages : public ClientMessages { };

} // namespace Zumeli
