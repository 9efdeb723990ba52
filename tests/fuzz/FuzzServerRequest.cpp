// Feeds arbitrary bytes to the server's request reader, split at a point the first byte
// chooses, and hands every complete request to the web service on an in-memory store. The text
// "SID" in a request stands for a live session's identifier, so the calls behind the session
// check are reached too.
#include "server/HttpRequest.h"
#include "server/Log.h"
#include "server/Sessions.h"
#include "server/Store.h"
#include "server/WebApi.h"

#include <cstddef>
#include <cstdint>
#include <string>

using namespace Zumeli;

namespace {

struct Service {
    Store store;
    Sessions sessions;
    std::unique_ptr<WebApi> api;
    std::string session;

    Service()
    {
        Log::setLevel(Log::Error);
        store.open(":memory:");
        WebApiConfig config;
        config.maxImageBytes = 4096;
        api = std::make_unique<WebApi>(store, sessions, nullptr, config);
        Session& live = sessions.create(store.createGuest(), true, 0);
        sessions.join(live, 1000, 0);
        session = live.id;
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static Service service;
    if (size == 0)
        return 0;
    std::string input(reinterpret_cast<const char*>(data + 1), size - 1);
    for (size_t at = input.find("SID"); at != std::string::npos; at = input.find("SID", at + 3))
        input.replace(at, 3, service.session);
    HttpRequest request(64 * 1024);
    size_t split = input.empty() ? 0 : data[0] % (input.size() + 1);
    HttpRequest::State state = request.feed(input.data(), split);
    if (state == HttpRequest::Incomplete)
        state = request.feed(input.data() + split, input.size() - split);
    if (state == HttpRequest::Complete) {
        WebApi::Reply reply = service.api->handle(request, 0);
        if (reply.bytes.empty())
            __builtin_trap();
        // A streamed reply is read to its end; a reply that waits for its client's close is
        // confirmed, as a client that read it all would.
        std::string piece;
        for (int pieces = 0; reply.stream && pieces < 1000; ++pieces) {
            piece.clear();
            if (reply.stream(piece) != WebApi::StreamMore)
                break;
        }
        if (reply.delivered)
            reply.delivered();
    } else if (state == HttpRequest::Failed && WebApi::refusal(request.errorStatus()).bytes.empty()) {
        __builtin_trap();
    }
    // Keep the session alive whatever the input did (a logout ends it).
    if (!service.sessions.peek(service.session)) {
        Session& live = service.sessions.create(service.store.createGuest(), true, 0);
        service.sessions.join(live, 1000, 0);
        service.session = live.id;
    }
    return 0;
}
