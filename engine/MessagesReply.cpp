#include "engine/MessagesReply.h"

#include "data/ServiceMessageData.h"
#include "data/UserMessagesList.h"
#include "data/XmlChunk.h"

namespace Zumeli {

int readMessagesReply(const Text& reply, someVector<UserMessageData>& userMessages,
                      ServiceMessagesList& serviceMessages, People& people)
{
    XmlChunk xml(reply);
    const int before = userMessages.count();
    int read = UserMessagesList::readFromReply(xml, userMessages, people);
    for (int i = before; i < userMessages.count(); ++i)
        userMessages.at(i)->recipient = -1;
    read += serviceMessages.readFromReply(xml);
    return read;
}

} // namespace Zumeli
