#pragma once

#include "engine/HttpPostReplyDelegate.h"

#include <cstdint>
#include <vector>

namespace Zumeli {

// The delegate of a blocking post: keeps the reply bytes and whether the request succeeded.
class HttpSyncReply : public HttpPostReplyDelegate {
public:
    void replyData(const std::vector<uint8_t>& reply) override;
    void failure() override;
    void replyText(const Text&) override { }

    bool done = false;
    bool success = false;
    std::vector<uint8_t> replyBytes;
};

} // namespace Zumeli
