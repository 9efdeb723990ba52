#pragma once

#include "data/Text.h"
#include "engine/FormFields.h"
#include "engine/HttpLimits.h"

#include <cstdint>
#include <vector>

namespace Zumeli {

// Runs one web request to its end on the calling thread, polling every few milliseconds, and
// gives up after timeLimitMs. The path is everything after "POST /". True with the whole reply
// in replyBytes; false (and nothing in replyBytes) when the request failed.
bool httpPostAndWait(const char* host, int port, const char* path, const FormFields& fields,
                     std::vector<uint8_t>& replyBytes, int timeLimitMs = HttpLimits::BlockingRequestMs);

// The blocking request of the web service calls: the path is pathPrefix followed by path. On
// success reply holds the whole reply as text; on failure it is cleared.
bool postForText(const Text& host, int port, const Text& pathPrefix, const char* path, const FormFields& fields,
                 Text& reply, int timeLimitMs = HttpLimits::BlockingRequestMs);

} // namespace Zumeli
