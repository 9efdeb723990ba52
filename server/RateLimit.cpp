#include "server/RateLimit.h"

#include <algorithm>
#include <cctype>
#include <iterator>

namespace Zumeli {

RateLimit::Bucket* RateLimit::bucket(uint64_t key, int64_t nowMs)
{
    auto it = m_buckets.find(key);
    if (it == m_buckets.end()) {
        if (m_buckets.size() >= m_maxKeys)
            sweep(nowMs);
        if (m_buckets.size() >= m_maxKeys)
            return nullptr;
        it = m_buckets.emplace(key, Bucket{m_burst, nowMs}).first;
    }
    Bucket& b = it->second;
    b.tokens = std::min(m_burst, b.tokens + double(nowMs - b.lastMs) * m_perMs);
    b.lastMs = nowMs;
    return &b;
}

void RateLimit::sweep(int64_t nowMs)
{
    for (auto it = m_buckets.begin(); it != m_buckets.end();) {
        if (it->second.tokens + double(nowMs - it->second.lastMs) * m_perMs >= m_burst)
            it = m_buckets.erase(it);
        else
            ++it;
    }
}

bool RateLimit::take(uint64_t key, int64_t nowMs)
{
    Bucket* b = bucket(key, nowMs);
    if (!b || b->tokens < 1)
        return false;
    b->tokens -= 1;
    return true;
}

bool RateLimit::available(uint64_t key, int64_t nowMs)
{
    auto it = m_buckets.find(key);
    if (it == m_buckets.end())
        return m_buckets.size() < m_maxKeys || m_burst >= 1;
    Bucket* b = bucket(key, nowMs);
    return b && b->tokens >= 1;
}

uint64_t textKey(const char* text, size_t size)
{
    uint64_t hash = 1469598103934665603ull;
    for (size_t i = 0; i < size; ++i) {
        hash ^= uint8_t(std::tolower(uint8_t(text[i])));
        hash *= 1099511628211ull;
    }
    return hash;
}

} // namespace Zumeli
