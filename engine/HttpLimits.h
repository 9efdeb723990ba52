#pragma once

namespace Zumeli {

// Every bound of the web transport, in one place. The service's replies are small XML documents,
// except pictures (a few hundred KiB); a request that outlives its bound or a reply that
// outgrows the cap ends as a failure instead of holding the engine or its memory.
struct HttpLimits {
    static constexpr int ConnectTimeoutMs = 4000;
    // A blocking call holds the engine's thread, so it gives up sooner than a polled task.
    static constexpr int BlockingRequestMs = 15000;
    static constexpr int PolledRequestMs = 30000;
    static constexpr int MaxReplyBytes = 4 * 1024 * 1024;
    // The blocking post's pause between two polls.
    static constexpr int BlockingPollPauseMs = 5;
};

} // namespace Zumeli
