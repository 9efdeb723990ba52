#pragma once

#include <cstddef>
#include <cstdint>
#include <unordered_map>

namespace Zumeli {

// Token buckets by key (a source address, a user id, an account): each holds up to `burst`
// tokens and regains `perMinute` of them a minute. Memory stays bounded: buckets that are full
// again are forgotten when the table grows, and past `maxKeys` a new key is refused.
class RateLimit
{
public:
    RateLimit(double burst, double perMinute, size_t maxKeys = 100000)
        : m_burst(burst), m_perMs(perMinute / 60000.0), m_maxKeys(maxKeys)
    {
    }

    // Takes one token; false when the key has none left.
    bool take(uint64_t key, int64_t nowMs);
    // True when the key has at least one token, without taking it.
    bool available(uint64_t key, int64_t nowMs);
    void forget(uint64_t key) { m_buckets.erase(key); }
    size_t size() const { return m_buckets.size(); }

private:
    struct Bucket
    {
        double tokens = 0;
        int64_t lastMs = 0;
    };
    Bucket* bucket(uint64_t key, int64_t nowMs);
    void sweep(int64_t nowMs);

    double m_burst;
    double m_perMs;
    size_t m_maxKeys;
    std::unordered_map<uint64_t, Bucket> m_buckets;
};

// A stable key for a text (an account name): 64-bit FNV-1a, letter case ignored.
uint64_t textKey(const char* text, size_t size);

} // namespace Zumeli
