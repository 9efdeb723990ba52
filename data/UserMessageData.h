#pragma once

#include "data/Text.h"

namespace Zumeli {

// One text message or channel invitation between users.
struct UserMessageData {
    enum Type { TextMessage = 0, Invitation = 1 };

    Text text;
    int sender = 0;
    int recipient = 0;  // the own user id for received messages
    int groupId = -1;   // the group it was sent to; -1 for a message to one user
    Text text2;
    int type = TextMessage;
    bool read = false;
    int datetime = 0;   // seconds since 1970 on the service's clock

    bool operator==(const UserMessageData&) const = default;
};

} // namespace Zumeli
