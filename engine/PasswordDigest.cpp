#include "engine/PasswordDigest.h"

#include "data/Checksum.h"

namespace Zumeli {

Text passwordDigest(const Text& password) { return checksumHex(password); }

} // namespace Zumeli
