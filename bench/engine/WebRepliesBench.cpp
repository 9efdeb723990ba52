#include "data/ChannelElement.h"
#include "data/People.h"
#include "engine/DetailsReply.h"
#include "engine/JoinReply.h"
#include "engine/LoginRecord.h"
#include "engine/LoginReply.h"
#include "engine/WebService.h"

#include <benchmark/benchmark.h>

using namespace Zumeli;

namespace {

// A join reply ("OK": the channel data is known, so no trace line) with the given number of users.
Text joinReply(int users)
{
    Text xml("HTTP/1.0 200 OK\r\nContent-Type: text/xml\r\n\r\n<status>OK</status><ip>10.0.0.9</ip><port>9995</port>"
             "<codec>9</codec><pts>4</pts><dts>5</dts><its>6</its><pe>0</pe><cn>Channel &amp; friends</cn>"
             "<cd>Short</cd><dd>Long</dd><ww>http://x</ww><dt>Desk</dt><cy>2</cy><lang>3</lang><hn>0</hn>"
             "<ca>42</ca><ts>99</ts><ul>");
    for (int i = 0; i < users; ++i)
        xml.appendFormatted("%d,%d,User%d ", 1000 + i, i % 7, (i * 7919) % users);
    xml.append("</ul><ad>0</ad><sub>0</sub>");
    return xml;
}

// A join into a channel whose people are already known (the usual rejoin).
void joinReplyRead(benchmark::State& state)
{
    Text reply = joinReply(int(state.range(0)));
    People people;
    ChannelElement channel;
    channel.number = 1234;
    for (auto _ : state) {
        benchmark::DoNotOptimize(readJoinReply(reply, channel, people));
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(joinReplyRead)->Arg(20)->Arg(200)->Arg(1000);

void loginReplyRead(benchmark::State& state)
{
    Text reply("HTTP/1.0 200 OK\r\nContent-Type: text/xml\r\n\r\n<status>OK</status><sessionID>S9</sessionID>"
               "<ip>10.0.0.2</ip><port>81</port><pfx>q/</pfx><ch>1234</ch><uid>42</uid><rl>100</rl><rh>1999</rh>"
               "<msg>1</msg><ugs>3</ugs><st>1700000000</st><smk>k</smk><lot>42,2027</lot><sop>3</sop>"
               "<sud><na>Ann</na><ts>2</ts><authorized>1</authorized><mail>a@b</mail></sud>");
    WebService endpoint("127.0.0.1", 80);
    for (auto _ : state) {
        LoginRecord record;
        benchmark::DoNotOptimize(readLoginReply(reply, record, endpoint));
    }
}
BENCHMARK(loginReplyRead);

} // namespace
