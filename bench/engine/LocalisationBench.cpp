#include "data/TextLocalizer.h"

#include <benchmark/benchmark.h>

using namespace Zumeli;

namespace {

// A table the size of the shipped one: 2000 items with ten language columns each.
Text bigTable()
{
    static const char* const languages[] = { "it", "en", "zh", "es", "fr", "de", "tr", "ar", "il", "gr" };
    Text xml("<language>\r\n<item><lookup_id></lookup_id></item>\r\n");
    for (int i = 0; i < 2000; ++i) {
        Text english;
        english.setFormatted("Message number %d of the client", i);
        xml.append("<item>");
        xml.appendElement("lookup_id", TextLocalizer::lookupId(english), false);
        for (const char* language : languages)
            xml.appendElement(language, Text().setFormatted("%s %d &apos;text&apos;", language, i), false);
        xml.append("</item>\r\n");
    }
    xml.append("</language>\r\n");
    return xml;
}

void localisationLoad(benchmark::State& state)
{
    Text table = bigTable();
    TextLocalizer localizer;
    localizer.setLanguage("de");
    for (auto _ : state) {
        localizer.load(table);
        benchmark::DoNotOptimize(localizer.count());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * table.length());
}
BENCHMARK(localisationLoad)->Unit(benchmark::kMillisecond);

// One line of a window: two marked texts found late in the table and one plain part.
void localisationTranslate(benchmark::State& state)
{
    TextLocalizer localizer;
    localizer.setLanguage("fr");
    localizer.load(bigTable());
    Text out;
    for (auto _ : state) {
        localizer.translate("]Message number 1998 of the client[ - ]Message number 1999 of the client[", out);
        benchmark::DoNotOptimize(out.data());
    }
}
BENCHMARK(localisationTranslate);

// The same lookups as a scan of the table in order, as the table was first searched.
void localisationTranslateByScan(benchmark::State& state)
{
    TextLocalizer localizer;
    localizer.setLanguage("fr");
    localizer.load(bigTable());
    const auto& items = localizer.items();
    Text keys[] = { "Message number 1998 of the client", "Message number 1999 of the client" };
    for (auto _ : state) {
        Text out;
        for (const Text& key : keys) {
            Text id = TextLocalizer::lookupId(key);
            for (const auto& item : items) {
                if (item.name.equals(id)) {
                    out.append(item.data);
                    break;
                }
            }
        }
        benchmark::DoNotOptimize(out.data());
    }
}
BENCHMARK(localisationTranslateByScan);

} // namespace
