// Feeds arbitrary bytes to every reader of cached files and service replies of the record
// lists. When the first byte is odd, a valid checksum trailer is appended, so the readers behind
// the checksum check are reached too.
#include "data/AdministrationDocument.h"
#include "data/ChannelsList.h"
#include "data/Checksum.h"
#include "data/Groups.h"
#include "data/People.h"
#include "data/ServiceMessageData.h"
#include "data/UserMessagesList.h"

#include <cstddef>
#include <cstdint>

using namespace Zumeli;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    Text text(reinterpret_cast<const char*>(data + 1), int(size - 1));
    if (data[0] & 1)
        appendChecksumTrailer(text);

    ChannelsList channels;
    channels.fromCacheText(text);
    (void)channels.toCacheText();

    People people;
    people.fromFileText(text);
    (void)people.toFileText();
    std::vector<int> present;
    people.addChannelUsers(text, &present);

    Groups groups;
    groups.fromXml(text);
    (void)groups.toXml();

    UserMessagesList history;
    history.fromHistoryText(text);
    (void)history.toHistoryText();

    someVector<UserMessageData> incoming;
    UserMessagesList::readFromReply(XmlChunk(text), incoming, people);
    ServiceMessagesList service;
    service.readFromReply(XmlChunk(text));

    AdministrationDocument admin;
    admin.fromXml(text, people);
    (void)admin.toXml();
    return 0;
}
