#include "engine/HttpAsyncPost.h"
#include "engine/HttpBlockingPost.h"
#include "engine/HttpPostReplyDelegate.h"

#include <arpa/inet.h>
#include <atomic>
#include <benchmark/benchmark.h>
#include <netinet/in.h>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

using namespace Zumeli;

namespace {

// A loopback web server that answers every request with a short XML reply and closes.
class LoopbackWebServer {
public:
    explicit LoopbackWebServer(size_t replySize)
        : m_reply("HTTP/1.0 200 OK\r\nContent-Type: text/xml\r\n\r\n" + std::string(replySize, 'x'))
    {
        m_listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        int on = 1;
        ::setsockopt(m_listener, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
        sockaddr_in address {};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(m_listener, reinterpret_cast<sockaddr*>(&address), sizeof address);
        ::listen(m_listener, 64);
        socklen_t size = sizeof address;
        ::getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &size);
        m_port = ntohs(address.sin_port);
        m_thread = std::thread([this] { serve(); });
    }
    ~LoopbackWebServer()
    {
        m_stop = true;
        m_thread.join();
        ::close(m_listener);
    }
    int port() const { return m_port; }

private:
    void serve()
    {
        while (!m_stop) {
            pollfd ready { m_listener, POLLIN, 0 };
            if (::poll(&ready, 1, 20) != 1)
                continue;
            int peer = ::accept(m_listener, nullptr, nullptr);
            if (peer < 0)
                continue;
            std::string request;
            char buffer[4096];
            while (request.find("\r\n\r\n") == std::string::npos) {
                pollfd readable { peer, POLLIN, 0 };
                if (::poll(&readable, 1, 1000) != 1)
                    break;
                ssize_t got = ::recv(peer, buffer, sizeof buffer, 0);
                if (got <= 0)
                    break;
                request.append(buffer, size_t(got));
            }
            ::send(peer, m_reply.data(), m_reply.size(), MSG_NOSIGNAL);
            ::close(peer);
        }
    }

    std::string m_reply;
    int m_listener = -1;
    int m_port = 0;
    std::atomic<bool> m_stop { false };
    std::thread m_thread;
};

FormFields keepAliveFields()
{
    FormFields fields;
    fields.add("sessionID", "0123456789ABCDEF").add("ur", "0A1B2C3D");
    return fields;
}

// A blocking call as the web service calls make it: connect, send, wait with 5 ms pauses.
void httpBlockingPostLoopback(benchmark::State& state)
{
    LoopbackWebServer server(size_t(state.range(0)));
    FormFields fields = keepAliveFields();
    std::vector<uint8_t> reply;
    for (auto _ : state) {
        if (!httpPostAndWait("127.0.0.1", server.port(), "7/KeepAlive.php", fields, reply))
            state.SkipWithError("request failed");
    }
}
BENCHMARK(httpBlockingPostLoopback)->Arg(100)->Arg(300 * 1024)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same request polled without pauses: the transport's own cost without the 5 ms sleep.
void httpAsyncPostLoopback(benchmark::State& state)
{
    LoopbackWebServer server(size_t(state.range(0)));
    FormFields fields = keepAliveFields();
    // Takes the reply without the trace line of the default.
    struct Quiet : HttpPostReplyDelegate {
        void replyData(const std::vector<uint8_t>&) override { }
    } quiet;
    for (auto _ : state) {
        HttpAsyncPost post;
        post.start("127.0.0.1", server.port(), "", "7/KeepAlive.php", fields, &quiet);
        while (!post.poll()) { }
    }
}
BENCHMARK(httpAsyncPostLoopback)->Arg(100)->Arg(300 * 1024)->Unit(benchmark::kMicrosecond)->UseRealTime();

void formBodyWithUserTexts(benchmark::State& state)
{
    Text name("Anna & Bob = caf\xC3\xA9 user");
    for (auto _ : state) {
        FormFields fields;
        fields.addUserText("us", name).add("pw", "3D0E8682").add("an", "0").add("mi", "00:11:22:33:44:55");
        fields.add("ur", "0A1B2C3D").addUserText("ln", "de");
        benchmark::DoNotOptimize(HttpPost::buildRequest("", "7/login.php", fields.body()).data());
    }
}
BENCHMARK(formBodyWithUserTexts);

} // namespace
