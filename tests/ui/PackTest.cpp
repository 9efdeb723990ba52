#include "TestResources.h"

#include "ui/epiAtomsFile.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

const TestFiles kFiles = {{"/epi.frs", bytesOf("<epi><version>4</version></epi>")},
                          {"/layouts/about.xml", bytesOf(layoutDocument("abou"))},
                          {"/images/a.png", bytesOf("not really a png")},
                          {"/images/geo/map.png", bytesOf("map")},
                          {"/aux/empty.raw", {}}};

std::vector<std::string> entryPaths(const epiResourcePack& pack)
{
    std::vector<std::string> paths;
    for (const fileElem& entry : pack.entries())
        paths.push_back(entry.str());
    return paths;
}

bool openPack(epiResourcePack& pack, const std::vector<uint8_t>& bytes)
{
    auto memory = std::make_unique<epiRamFile>();
    memory->adopt(bytes.data(), bytes.size());
    return pack.open(std::move(memory));
}

} // namespace

TEST(AtomsFile, TypedReadsPadCutAndPutBack)
{
    epiRamFile file;
    epiAtomsFile atoms(&file);
    ASSERT_TRUE(atoms.createNew());
    atoms.writeAtom(epiFourCC("shrt"), "ab", 2);
    atoms.writeAtom(epiFourCC("long"), "abcdef", 6);
    atoms.writeAtom(epiFourCC("next"), "x", 1);
    file.seek(0, epiStream::kStart);
    ASSERT_TRUE(atoms.openExisting());

    char buffer[4];
    std::memset(buffer, '?', sizeof buffer);
    EXPECT_FALSE(atoms.readAtom(epiFourCC("long"), buffer, 4)); // wrong tag
    EXPECT_EQ(std::string(buffer, 4), std::string(4, '\0'));
    EXPECT_EQ(file.position(), 12u); // back at the header
    uint32_t size = 0;
    EXPECT_TRUE(atoms.peekAtom(epiFourCC("shrt"), &size));
    EXPECT_EQ(size, 2u);
    EXPECT_EQ(file.position(), 12u);
    EXPECT_TRUE(atoms.readAtom(epiFourCC("shrt"), buffer, 4));
    EXPECT_EQ(std::string(buffer, 4), std::string("ab\0\0", 4));
    EXPECT_TRUE(atoms.readAtom(epiFourCC("long"), buffer, 4));
    EXPECT_EQ(std::string(buffer, 4), "abcd");
    uint64_t offset = 0;
    EXPECT_TRUE(atoms.locateAtom(epiFourCC("next"), &offset, &size));
    EXPECT_EQ(size, 1u);
    EXPECT_EQ(file.data()[offset], 'x');
}

TEST(AtomsFile, HeaderChecks)
{
    struct Case
    {
        const char* name;
        uint32_t words[3];
        bool opens;
    } cases[] = {{"native", {epiFourCC("atms"), 0, 1}, true},
                 {"swapped", {__builtin_bswap32(epiFourCC("atms")), 0, __builtin_bswap32(1u)}, true},
                 {"other tag", {epiFourCC("atmz"), 0, 1}, false},
                 {"version 2", {epiFourCC("atms"), 0, 2}, false},
                 {"header with payload", {epiFourCC("atms"), 4, 1}, false}};
    for (const Case& c : cases) {
        epiRamFile file;
        file.adopt(c.words, sizeof c.words);
        epiAtomsFile atoms(&file);
        EXPECT_EQ(atoms.openExisting(), c.opens) << c.name;
    }
    epiRamFile tooShort;
    tooShort.adopt("atm", 3);
    epiAtomsFile atoms(&tooShort);
    EXPECT_FALSE(atoms.openExisting());
}

TEST(ResourcePack, BigEndianTwinHasTheSameEntries)
{
    std::vector<uint8_t> little = packBytes(kFiles, false), big = packBytes(kFiles, true);
    EXPECT_EQ(std::string(big.begin(), big.begin() + 4), "atms"); // natural order: big-endian
    EXPECT_EQ(std::string(little.begin(), little.begin() + 4), "smta");
    epiResourcePack a, b;
    ASSERT_TRUE(openPack(a, little));
    ASSERT_TRUE(openPack(b, big));
    EXPECT_EQ(entryPaths(a), entryPaths(b));
    for (size_t i = 0; i < a.entries().size(); ++i) {
        epiRamFile fromA, fromB;
        ASSERT_TRUE(a.read(a.entries()[i], fromA));
        ASSERT_TRUE(b.read(b.entries()[i], fromB));
        EXPECT_EQ(fromA.bytes(), kFiles[i].second);
        EXPECT_EQ(fromB.bytes(), kFiles[i].second);
    }
}

TEST(ResourcePack, LookupIsExactWithOptionalLeadingSlash)
{
    epiResourcePack pack;
    std::vector<uint8_t> bytes = packBytes(kFiles);
    ASSERT_TRUE(openPack(pack, bytes));
    const fileElem* withSlash = pack.find("/layouts/about.xml");
    ASSERT_NE(withSlash, nullptr);
    EXPECT_EQ(pack.find("layouts/about.xml"), withSlash);
    EXPECT_EQ(pack.find("Layouts/about.xml"), nullptr);
    EXPECT_EQ(pack.find("layouts/about.xm"), nullptr);
}

TEST(ResourcePack, DataPayloadWinsOverTheSizeAtom)
{
    // Hand-made entry whose 'Size' says 100 but whose 'Data' holds 3 bytes.
    epiRamFile file;
    epiAtomsFile atoms(&file);
    atoms.createNew();
    atoms.writeValue(epiFourCC("eRpk"), 1);
    atoms.writeValue(epiFourCC("sCnt"), 2);
    atoms.writeAtom(epiFourCC("Name"), "/a", 2);
    atoms.writeValue(epiFourCC("Size"), 100);
    atoms.writeAtom(epiFourCC("Data"), "xyz", 3);
    atoms.writeAtom(epiFourCC("Name"), "/b", 2); // no 'Data': size 0
    atoms.writeValue(epiFourCC("Size"), 5);
    atoms.writeValue(epiFourCC("Rend"), 0);
    epiResourcePack pack;
    std::vector<uint8_t> bytes = file.bytes();
    ASSERT_TRUE(openPack(pack, bytes));
    epiRamFile read;
    ASSERT_TRUE(pack.read(*pack.find("/a"), read));
    EXPECT_EQ(read.bytes(), bytesOf("xyz"));
    ASSERT_TRUE(pack.read(*pack.find("/b"), read));
    EXPECT_TRUE(read.bytes().empty());
}

TEST(ResourcePack, DamagedPacksAreRefused)
{
    std::vector<uint8_t> good = packBytes(kFiles);
    auto patched = [&](size_t at, uint32_t value) {
        std::vector<uint8_t> bytes = good;
        std::memcpy(bytes.data() + at, &value, 4);
        return bytes;
    };
    // Layout: header 0..11, 'eRpk' 12..27, 'sCnt' 28..43, first 'Name' header at 44.
    struct Case
    {
        const char* name;
        std::vector<uint8_t> bytes;
    } cases[] = {
        {"empty", {}},
        {"pack version 2", patched(24, 2)},
        {"no eRpk", patched(12, epiFourCC("xRpk"))},
        {"no sCnt", patched(28, epiFourCC("xCnt"))},
        {"more files than stored", patched(40, 6)},
        {"huge count", patched(40, 0xFFFFFFFFu)},
        {"name missing", patched(44, epiFourCC("Nome"))},
        {"name longer than the file", patched(48, 0x7FFFFFFFu)},
        {"cut in the middle", std::vector<uint8_t>(good.begin(), good.begin() + good.size() / 2)},
    };
    for (const Case& c : cases) {
        epiResourcePack pack;
        EXPECT_FALSE(openPack(pack, c.bytes)) << c.name;
        EXPECT_TRUE(pack.entries().empty()) << c.name;
        EXPECT_FALSE(pack.isOpen()) << c.name;
    }
}

TEST(ResourcePack, DataRunningPastTheEndGivesAnEmptyEntry)
{
    // The last 'Data' claims more bytes than the file holds: the entry is kept with no data.
    TestFiles files = {{"/a", bytesOf("abc")}};
    std::vector<uint8_t> bytes = packBytes(files);
    size_t dataSizeAt = bytes.size() - 16 /* Rend */ - 3 - 8;
    uint32_t huge = 1000;
    std::memcpy(bytes.data() + dataSizeAt, &huge, 4);
    epiResourcePack pack;
    ASSERT_TRUE(openPack(pack, bytes));
    EXPECT_EQ(pack.find("/a")->dataSize, 0u);
}
