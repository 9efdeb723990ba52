#pragma once

#include <string>

namespace Zumeli {

// What the store keeps of a password: the client sends only the 8-digit checksum of it, so that
// digest is the credential, and the store keeps a salted SHA-512 crypt of the digest instead of
// the digest itself. A copy of the database then does not let anyone log in.
std::string hashPassword(const std::string& digest);
bool passwordMatches(const std::string& digest, const std::string& stored);

} // namespace Zumeli
