#include "tests/support/ChecksumReference.h"
#include "data/Checksum.h"

#include <gtest/gtest.h>
#include <random>

using namespace Zumeli;

namespace {

} // namespace

TEST(Checksum, KnownValues)
{
    EXPECT_EQ(checksum32("abc", 3), 0x3D0E8682u);
    EXPECT_EQ(checksum32("", 0), 0u);
    EXPECT_EQ(checksumHex(Text("abc")), "3D0E8682");
}

TEST(Checksum, TableMatchesTheBitwiseDefinition)
{
    std::mt19937 random(7);
    std::vector<uint8_t> data(4096);
    for (auto& b : data)
        b = uint8_t(random());
    for (size_t length : { 1u, 2u, 43u, 1000u, 4096u })
        EXPECT_EQ(checksum32(data.data(), length), checksumBitByBit(data.data(), length)) << length;
}

TEST(Checksum, Trailer)
{
    Text file("<list>\r\n</list>\r\n");
    appendChecksumTrailer(file);
    Text expected("\r");
    expected.append(checksumHex(Text("<list>\r\n</list>\r\n")));
    EXPECT_EQ(file.right(9), expected);
    EXPECT_TRUE(checkChecksumTrailer(file));

    Text tampered("<list>\r\n</lisT>\r\n");
    tampered.append(file.right(9));
    EXPECT_FALSE(checkChecksumTrailer(tampered));
    EXPECT_FALSE(checkChecksumTrailer(Text("no trailer at all")));
    EXPECT_FALSE(checkChecksumTrailer(Text("")));
    Text emptyBody;
    appendChecksumTrailer(emptyBody);
    EXPECT_EQ(emptyBody, "\r00000000");
    EXPECT_TRUE(checkChecksumTrailer(emptyBody));
    std::string lowerCase = file.str();
    for (size_t i = lowerCase.size() - 8; i < lowerCase.size(); ++i)
        lowerCase[i] = char(tolower(lowerCase[i]));
    ASSERT_NE(lowerCase, file.str());
    EXPECT_FALSE(checkChecksumTrailer(Text(lowerCase))) << "the digits must be upper case";
}
