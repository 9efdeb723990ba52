#include "engine/HttpSyncReply.h"

namespace Zumeli {

void HttpSyncReply::replyData(const std::vector<uint8_t>& reply)
{
    done = true;
    success = true;
    replyBytes = reply;
}

void HttpSyncReply::failure() { done = true; }

} // namespace Zumeli
