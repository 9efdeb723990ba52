#include "data/People.h"
#include "data/PictureIndex.h"
#include "data/TextLocalizer.h"
#include "data/UserMessagesList.h"

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

using namespace Zumeli;

// Start-up loads of the records that grow over months of use, at 30,000 entries each (the picture
// index and the users list are never pruned, the history only when a message arrives), and the
// list of texts missing from the localisation table, which with no table collects every text.

namespace {

constexpr int Entries = 30000;

Text pictureIndexText()
{
    PictureIndex index;
    for (int i = 0; i < Entries; ++i)
        index.add(std::make_unique<Document>(Document { PictureIndex::fileName(i % 4, 1000 + i / 4), i % 97 }));
    return index.indexText();
}

Text historyText()
{
    UserMessagesList history;
    for (int i = 0; i < Entries; ++i) {
        auto message = std::make_unique<UserMessageData>();
        message->sender = 1000 + i % 250;
        message->recipient = 77;
        message->groupId = i % 3 == 0 ? 100 : -1;
        message->read = i % 5 != 0;
        message->datetime = 1700000000 + i * 60;
        message->text.setFormatted("Message %d: see you on channel 10.%02d tonight", i, i % 100);
        history.add(std::move(message));
    }
    return history.toHistoryText();
}

// As the engine saves it: sorted by name, so loading it keeps the order.
Text usersText()
{
    People people;
    for (int i = 0; i < Entries; ++i)
        people.setDetails(10000 + (i * 7919) % 100000, Text().setFormatted("user%06d", i), 1 + i % 9, i % 4,
                          i % 50 == 0, i % 7 == 0);
    people.sortByName();
    return people.toFileText();
}

// Loads the same file text into one list again and again.
template<typename List, typename Load>
void measureLoad(benchmark::State& state, const Text& text, Load load)
{
    List list;
    for (auto _ : state) {
        load(list, text);
        benchmark::DoNotOptimize(list.count());
    }
    state.counters["entries"] = list.count();
}

void pictureIndexLoad(benchmark::State& state)
{
    measureLoad<PictureIndex>(state, pictureIndexText(), [](PictureIndex& index, const Text& text) { index.loadIndexText(text); });
}
BENCHMARK(pictureIndexLoad)->Unit(benchmark::kMillisecond);

void historyLoad(benchmark::State& state)
{
    measureLoad<UserMessagesList>(state, historyText(),
                                  [](UserMessagesList& history, const Text& text) { history.fromHistoryText(text); });
}
BENCHMARK(historyLoad)->Unit(benchmark::kMillisecond);

void usersLoad(benchmark::State& state)
{
    measureLoad<People>(state, usersText(), [](People& people, const Text& text) { people.fromFileText(text); });
}
BENCHMARK(usersLoad)->Unit(benchmark::kMillisecond);

// 1000 different texts, none of them in the (empty) table: each one is added to the missing list.
void translationMisses(benchmark::State& state)
{
    std::vector<std::string> texts;
    for (int i = 0; i < 1000; ++i)
        texts.push_back("]Status line number " + std::to_string(i) + " of the panel[");
    TextLocalizer localizer;
    Text out;
    for (auto _ : state) {
        localizer.clearMissing();
        for (const std::string& text : texts)
            localizer.translate(text.c_str(), out);
        benchmark::DoNotOptimize(localizer.missing().length());
    }
    state.counters["missing"] = localizer.missing().lineCount();
}
BENCHMARK(translationMisses)->Unit(benchmark::kMillisecond);

} // namespace
