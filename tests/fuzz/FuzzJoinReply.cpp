// Feeds arbitrary replies to the join reply reader and the user details reader.
#include "data/ChannelElement.h"
#include "data/People.h"
#include "engine/DetailsReply.h"
#include "engine/JoinReply.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

using namespace Zumeli;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Text reply(reinterpret_cast<const char*>(data), int(size));
    ChannelElement channel;
    channel.number = 1234;
    People people;
    JoinResult result = readJoinReply(reply, channel, people);
    if (int(result) < JoinSucceeded || int(result) > JoinChannelFull)
        std::abort();
    // Every present user is in the people list.
    for (int id : channel.presentUsers)
        if (!people.find(id))
            std::abort();
    readUserDetails(reply, people);
    return 0;
}
