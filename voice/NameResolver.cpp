#include "voice/NameResolver.h"

#include "platform/Clock.h"

#include <arpa/inet.h>
#include <atomic>
#include <netdb.h>
#include <sys/socket.h>
#include <thread>

namespace Zumeli {

// One name's lookups. The worker writes the outcome under the entry's own lock; the resolver
// reads it under the same lock, so a worker that outlives everything else touches only this.
struct NameResolver::Entry {
    std::mutex lock;
    bool running = false;
    bool done = false;
    bool found = false;
    in_addr fresh {};
    // The last address found, and when.
    bool hasGood = false;
    in_addr good {};
    uint64_t goodAt = 0;
};

namespace {

std::atomic<int> g_running { 0 };

bool lookUp(const std::string& host, in_addr& address)
{
    addrinfo hints {};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0 || !found)
        return false;
    address = reinterpret_cast<sockaddr_in*>(found->ai_addr)->sin_addr;
    freeaddrinfo(found);
    return true;
}

} // namespace

NameResolver& NameResolver::instance()
{
    static NameResolver resolver;
    return resolver;
}

void NameResolver::clear()
{
    std::lock_guard guard(m_lock);
    m_entries.clear();
}

void NameResolver::startLookup(const std::string& host, const std::shared_ptr<Entry>& entry)
{
    entry->running = true;
    entry->done = false;
    g_running.fetch_add(1, std::memory_order_acq_rel);
    // Detached: getaddrinfo has no time-out, and nobody must wait for it. The thread holds the
    // entry alive until it is done.
    std::thread([host, entry] {
        in_addr address {};
        bool found = lookUp(host, address);
        {
            std::lock_guard guard(entry->lock);
            entry->found = found;
            entry->fresh = address;
            entry->done = true;
        }
        g_running.fetch_sub(1, std::memory_order_acq_rel);
    }).detach();
}

NameResolver::Answer NameResolver::resolve(const std::string& host)
{
    Answer answer;
    if (host.empty()) {
        answer.state = State::Failed;
        return answer;
    }
    if (inet_pton(AF_INET, host.c_str(), &answer.address) == 1) {
        answer.state = State::Found;
        return answer;
    }

    std::shared_ptr<Entry> entry;
    {
        std::lock_guard guard(m_lock);
        std::shared_ptr<Entry>& slot = m_entries[host];
        if (!slot)
            slot = std::make_shared<Entry>();
        entry = slot;
    }
    uint64_t now = Platform::tickMilliseconds();
    std::lock_guard guard(entry->lock);
    if (entry->running && entry->done) {
        entry->running = false;
        if (entry->found) {
            entry->hasGood = true;
            entry->good = entry->fresh;
            entry->goodAt = now;
        } else if (entry->hasGood) {
            entry->goodAt = now; // the refresh failed: the old answer serves a while longer
        } else {
            answer.state = State::Failed;
            return answer;
        }
    }
    if (entry->hasGood) {
        // A good answer serves while it is fresh, and while a refresh runs or after one failed.
        if (!entry->running && now - entry->goodAt >= RefreshAfterMs && g_running.load() < MaxRunning)
            startLookup(host, entry);
        answer.state = State::Found;
        answer.address = entry->good;
        return answer;
    }
    if (!entry->running && g_running.load() < MaxRunning)
        startLookup(host, entry);
    return answer; // pending
}

} // namespace Zumeli
