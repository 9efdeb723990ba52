#pragma once

#include "data/Text.h"

#include <cstdint>
#include <vector>

namespace Zumeli {

// How a finished web request reports: with the whole reply (status line, headers and body
// together, every byte the server sent before closing) or with a failure (no connection, no byte
// at all, time-out, reply too large). Tasks take the reply as text; the blocking post takes
// the bytes.
class HttpPostReplyDelegate {
public:
    virtual void replyText(const Text& reply);
    // Default: writes the reply as a trace line, then hands it to replyText.
    virtual void replyData(const std::vector<uint8_t>& reply);
    virtual void failure();

protected:
    // Owners never delete a delegate through this interface.
    ~HttpPostReplyDelegate() = default;
};

} // namespace Zumeli
