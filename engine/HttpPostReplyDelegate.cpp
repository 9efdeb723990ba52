#include "engine/HttpPostReplyDelegate.h"

#include <cstdio>

namespace Zumeli {

void HttpPostReplyDelegate::replyText(const Text&) { }

void HttpPostReplyDelegate::replyData(const std::vector<uint8_t>& reply)
{
    Text text(reinterpret_cast<const char*>(reply.data()), int(reply.size()));
    std::printf("%s\n", text.c_str());
    replyText(text);
}

void HttpPostReplyDelegate::failure() { }

} // namespace Zumeli
