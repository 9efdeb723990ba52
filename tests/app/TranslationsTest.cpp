// Every text the program can show must be in the shipped localisation table with its English
// wording and its Italian, Spanish, French and German translations. The texts are found where the
// program writes them: marked texts "]...[" in the sources of the client and the engine, in the
// layout and menu documents, and the "*" ids the code looks up directly.

#include "data/Text.h"
#include "data/TextLocalizer.h"
#include "data/XmlChunk.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <regex>
#include <string>
#include <vector>

namespace {

const std::filesystem::path Root = ZUMELI_SOURCE_DIR;
const char* const Languages[] = { "en", "it", "es", "fr", "de" };

std::string readFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return { std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>() };
}

struct Found {
    std::string text;  // the marked text without its brackets, or a "*" id
    std::string where; // the first file that uses it
};

void addOnce(std::vector<Found>& found, const std::string& text, const std::filesystem::path& file)
{
    if (std::none_of(found.begin(), found.end(), [&](const Found& f) { return f.text == text; }))
        found.push_back({ text, std::filesystem::relative(file, Root).string() });
}

// The marked texts and "*" ids of the sources in the given folders and of the documents.
std::vector<Found> textsOfTheProgram()
{
    // A marked text in a source lies inside a string literal (literals split over lines are joined
    // first); in a document it is a whole element text. A "*" id of the code is a whole literal.
    const std::regex marked(R"re("[^"\]\[\n]*\]([^"\]\[]+)\[[^"\]\[\n]*")re");
    const std::regex id(R"re("(\*[A-Z][A-Z0-9_]*)")re");
    const std::regex inDocument(R"re(>\]([^<\]\[]+)\[<)re");
    const std::regex splitLiteral(R"re("\s*\n\s*")re");

    std::vector<Found> found;
    for (const char* folder : { "app", "engine", "data", "voice", "resources/layouts", "resources/menus" }) {
        std::vector<std::filesystem::path> files;
        for (const auto& entry : std::filesystem::directory_iterator(Root / folder))
            if (entry.is_regular_file())
                files.push_back(entry.path());
        std::sort(files.begin(), files.end());
        for (const auto& file : files) {
            const std::string extension = file.extension().string();
            if (extension == ".xml") {
                const std::string text = readFile(file);
                for (auto it = std::sregex_iterator(text.begin(), text.end(), inDocument); it != std::sregex_iterator(); ++it)
                    addOnce(found, (*it)[1], file);
            } else if (extension == ".cpp") {
                const std::string text = std::regex_replace(readFile(file), splitLiteral, "");
                for (const std::regex* pattern : { &marked, &id })
                    for (auto it = std::sregex_iterator(text.begin(), text.end(), *pattern); it != std::sregex_iterator(); ++it)
                        addOnce(found, (*it)[1], file);
            }
        }
    }
    // The table's version stamp is looked up by the update check, never shown.
    found.erase(std::remove_if(found.begin(), found.end(), [](const Found& f) { return f.text == "*VERSIONTIMESTAMP"; }),
                found.end());
    return found;
}

using Item = std::map<std::string, std::string>; // language -> text as stored
using Table = std::map<std::string, Item>;       // lookup id -> its first item

Table readTable(const std::string& xml)
{
    Table table;
    const Zumeli::Text text(xml.c_str());
    Zumeli::XmlChunkEnumerator items(Zumeli::XmlChunk(text).child("language"), "item");
    Zumeli::XmlChunk item;
    while (items.next(item)) {
        Item columns;
        for (const char* language : Languages)
            columns[language] = item.child(language).rawText().str();
        table.try_emplace(item.child("lookup_id").trimmedText().str(), std::move(columns));
    }
    return table;
}

// One line per text that has no item or whose item lacks a language, naming the text. An item
// without English is accepted only as a deliberate blank: empty in every language.
std::vector<std::string> untranslated(const std::vector<Found>& texts, const Table& table)
{
    std::vector<std::string> problems;
    for (const Found& found : texts) {
        // As the localiser looks it up: by the derived id, and a "*" text also by itself.
        std::string key = Zumeli::TextLocalizer::lookupId(Zumeli::Text(found.text.c_str())).str();
        auto item = table.find(key);
        if (item == table.end() && found.text[0] == '*')
            item = table.find(key = found.text);
        const std::string name = "\"" + found.text + "\" (" + key + ", " + found.where + ")";
        if (item == table.end()) {
            problems.push_back(name + " has no entry in the table");
            continue;
        }
        const Item& columns = item->second;
        if (columns.at("en").empty()) {
            bool blank = std::all_of(std::begin(Languages), std::end(Languages),
                                     [&](const char* language) { return columns.at(language).empty(); });
            if (!blank)
                problems.push_back(name + " has translations but no English text");
            continue;
        }
        std::string lacking;
        for (const char* language : Languages)
            if (columns.at(language).find_first_not_of(" ") == std::string::npos)
                lacking += std::string(lacking.empty() ? "" : ", ") + language;
        if (!lacking.empty())
            problems.push_back(name + " lacks " + lacking);
    }
    return problems;
}

} // namespace

TEST(Translations, EveryTextOfTheProgramIsInTheShippedTableInFiveLanguages)
{
    const std::vector<Found> texts = textsOfTheProgram();
    const Table table = readTable(readFile(Root / "resources/aux/ZumeliLocalization.xml"));
    const auto marked = std::count_if(texts.begin(), texts.end(), [](const Found& f) { return f.text[0] != '*'; });
    std::printf("%zu texts of the program: %zd marked texts, %zd \"*\" ids; %zu table items\n", texts.size(),
                marked, std::ptrdiff_t(texts.size()) - marked, table.size());
    ASSERT_GT(marked, 40) << "the scan found too few marked texts: did the sources move?";

    for (const std::string& problem : untranslated(texts, table))
        ADD_FAILURE() << problem << "\n  add it to a file in scripts/translations/ and run scripts/localization-sync";
}

TEST(Translations, TheCheckNamesTheTextThatLacksALanguage)
{
    const Table table = readTable("<language>"
                                  "<item><lookup_id>*ABC_2A42</lookup_id><it>a</it><en>abc</en><es>a</es><fr>a</fr><de> </de></item>"
                                  "<item><lookup_id>*SILENT</lookup_id><it></it><en></en><es></es><fr></fr><de></de></item>"
                                  "<item><lookup_id>*HALF</lookup_id><it>x</it><en></en></item>"
                                  "</language>");
    const std::vector<Found> texts = { { "abc", "a.cpp" }, { "*SILENT", "b.cpp" }, { "*HALF", "c.cpp" }, { "Friends", "d.xml" } };
    EXPECT_EQ(untranslated(texts, table),
              (std::vector<std::string> { "\"abc\" (*ABC_2A42, a.cpp) lacks de",
                                          "\"*HALF\" (*HALF, c.cpp) has translations but no English text",
                                          "\"Friends\" (*FRIENDS_31EB, d.xml) has no entry in the table" }));
}

TEST(Translations, TheEnglishOfTextsWrittenInSpanishIsEnglish)
{
    Zumeli::TextLocalizer table;
    table.setLanguage("en");
    table.load(Zumeli::Text(readFile(Root / "resources/aux/ZumeliLocalization.xml").c_str()));
    Zumeli::Text out;
    table.translate("]Poner Contrasena  .[", out);
    EXPECT_STREQ(out.c_str(), "Choose a password of at least 5 characters.");
    table.translate("]*PUSH_TO_TALK_BUTTON[", out);
    EXPECT_STREQ(out.c_str(), "TALK");
    table.translate("]Canal  [", out);
    EXPECT_STREQ(out.c_str(), "Channel");
}
