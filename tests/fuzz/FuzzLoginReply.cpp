// Feeds arbitrary replies to the login reply reader, then reads the own details it kept.
#include "data/People.h"
#include "engine/DetailsReply.h"
#include "engine/LoginRecord.h"
#include "engine/LoginReply.h"
#include "engine/OwnDetails.h"
#include "engine/WebService.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

using namespace Zumeli;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Text reply(reinterpret_cast<const char*>(data), int(size));
    LoginRecord record;
    WebService endpoint("127.0.0.1", 80);
    LoginResult result = readLoginReply(reply, record, endpoint);
    if (result != LoginSucceeded && result != LoginRefused && result != LoginBadReply && result != LoginTooManyUsers)
        std::abort();
    if (result == LoginSucceeded && !(endpoint.sessionId == record.sessionId))
        std::abort();
    People people;
    OwnDetails own;
    readOwnDetails(XmlChunk(record.ownDetails), record.userId, people, own);
    return 0;
}
