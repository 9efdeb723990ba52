#include "engine/HttpBlockingPost.h"

#include "engine/HttpAsyncPost.h"
#include "engine/HttpSyncReply.h"
#include "platform/Clock.h"

namespace Zumeli {

bool httpPostAndWait(const char* host, int port, const char* path, const FormFields& fields,
                     std::vector<uint8_t>& replyBytes, int timeLimitMs)
{
    replyBytes.clear();
    HttpSyncReply reply;
    HttpAsyncPost post;
    post.setTimeLimit(timeLimitMs);
    if (!post.start(Text(host), port, Text(), path, fields, &reply))
        return false;
    // The post's own time limit ends this loop: a finished post always reports.
    while (!reply.done) {
        post.pollSocket();
        if (post.isFinished()) {
            post.report();
            break;
        }
        Platform::sleepMilliseconds(HttpLimits::BlockingPollPauseMs);
    }
    if (reply.success)
        replyBytes = std::move(reply.replyBytes);
    return reply.success;
}

bool postForText(const Text& host, int port, const Text& pathPrefix, const char* path, const FormFields& fields,
                 Text& reply, int timeLimitMs)
{
    Text fullPath(pathPrefix);
    fullPath.append(path);
    std::vector<uint8_t> bytes;
    if (!httpPostAndWait(host.c_str(), port, fullPath.c_str(), fields, bytes, timeLimitMs)) {
        reply.clear();
        return false;
    }
    reply.setBytes(int(bytes.size()), bytes.data());
    return true;
}

} // namespace Zumeli
