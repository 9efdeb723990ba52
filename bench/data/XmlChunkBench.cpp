#include "data/XmlChunk.h"

#include <benchmark/benchmark.h>

using namespace Zumeli;

namespace {

// A users-list reply of about 100 KB: 1500 users with a few fields each, then a trailer element.
Text usersReply()
{
    Text xml("<reply><result>OK</result><ul>\r\n");
    for (int i = 0; i < 1500; ++i) {
        xml.append("<u>");
        xml.appendIntElement("id", 100000 + i, false);
        xml.appendIntElement("ts", i * 3, false);
        xml.appendElement("n", Text().setFormatted("User name number %d &amp; co", i), false);
        xml.append("</u>\r\n");
    }
    xml.append("</ul><ts>1234567</ts></reply>");
    return xml;
}

const Text& reply()
{
    static const Text xml = usersReply();
    return xml;
}

// One lookup of an element that sits after the whole list: the worst case of child().
void xmlChildAfterTheList(benchmark::State& state)
{
    XmlChunk root = XmlChunk(reply()).child("reply");
    for (auto _ : state) {
        long ts = 0;
        root.readLong("ts", ts);
        benchmark::DoNotOptimize(ts);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * reply().length());
    state.counters["reply_bytes"] = reply().length();
}
BENCHMARK(xmlChildAfterTheList);

// Walking every user of the list and reading its three fields.
void xmlEnumerateUsers(benchmark::State& state)
{
    XmlChunk list = XmlChunk(reply()).child("reply").child("ul");
    int users = 0;
    for (auto _ : state) {
        XmlChunkEnumerator walk(list, "u");
        XmlChunk user;
        users = 0;
        while (walk.next(user)) {
            long id = 0, ts = 0;
            Text name;
            user.readLong("id", id);
            user.readLong("ts", ts);
            user.readText("n", name);
            benchmark::DoNotOptimize(id + ts + name.length());
            ++users;
        }
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * reply().length());
    state.counters["users"] = users;
}
BENCHMARK(xmlEnumerateUsers);

} // namespace
