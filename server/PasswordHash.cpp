#include "server/PasswordHash.h"

#include "server/Sessions.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <crypt.h>

namespace Zumeli {

namespace {

// Digests are hexadecimal; the letter case a client uses does not matter.
std::string normalized(const std::string& digest)
{
    std::string upper = digest;
    std::transform(upper.begin(), upper.end(), upper.begin(), [](unsigned char c) { return char(std::toupper(c)); });
    return upper;
}

// Logins run on the event loop, so the work factor is kept to about a millisecond.
const char* const Method = "$6$rounds=2000$";

} // namespace

std::string hashPassword(const std::string& digest)
{
    std::string setting = Method + randomIdentifier(16);
    crypt_data data {};
    const char* hash = crypt_r(normalized(digest).c_str(), setting.c_str(), &data);
    return hash && hash[0] == '$' ? std::string(hash) : std::string();
}

bool passwordMatches(const std::string& digest, const std::string& stored)
{
    if (stored.empty() || stored[0] != '$')
        return false;
    crypt_data data {};
    const char* hash = crypt_r(normalized(digest).c_str(), stored.c_str(), &data);
    return hash && std::strlen(hash) == stored.size() && std::memcmp(hash, stored.data(), stored.size()) == 0;
}

} // namespace Zumeli
