#pragma once

#include "data/SomeVector.h"
#include "data/Text.h"

namespace Zumeli {

class People;
class ServiceMessagesList;
struct UserMessageData;

// Reads a message fetch reply: the user messages of "usermessages" (their recipient is -1 until
// the client takes them; every sender is recorded in people) and the service messages of
// "servicemessages". Returns how many messages of both kinds were read.
int readMessagesReply(const Text& reply, someVector<UserMessageData>& userMessages,
                      ServiceMessagesList& serviceMessages, People& people);

} // namespace Zumeli
