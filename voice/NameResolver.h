#pragma once

#include <netinet/in.h>

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>

namespace Zumeli {

// Turns host names into IPv4 addresses without ever waiting on the caller's thread: a lookup
// runs on a thread of its own, and the caller asks again at its next poll. Numeric addresses
// are answered at once. The last good answer for each name is kept: it is used while a fresh
// lookup for an old answer runs, and when that lookup fails or hangs.
//
// Threads: resolve() from any thread (the engine's in practice); lookups run on short-lived
// worker threads that share only their own entry with it.
class NameResolver {
public:
    enum class State { Pending, Found, Failed };
    struct Answer {
        State state = State::Pending;
        in_addr address {};
    };

    // An answer older than this is looked up again (the old one serves meanwhile).
    static constexpr uint64_t RefreshAfterMs = 5 * 60 * 1000;
    // At most this many lookups run at once; more names wait for a free place.
    static constexpr int MaxRunning = 4;

    static NameResolver& instance();

    // The address of host, or Pending while a lookup runs, or Failed. An empty name fails.
    Answer resolve(const std::string& host);

    // Forgets every answer (tests).
    void clear();

private:
    struct Entry;
    void startLookup(const std::string& host, const std::shared_ptr<Entry>& entry);

    std::mutex m_lock;
    std::map<std::string, std::shared_ptr<Entry>> m_entries;
};

} // namespace Zumeli
