// Base64: the standard vectors and inputs outside the alphabet.
#include "core/Base64.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace
{

TEST(Base64, Vectors)
{
    struct Case
    {
        const char* plain;
        const char* encoded;
    };
    const Case cases[] = {
        {"", ""},
        {"f", "Zg=="},
        {"fo", "Zm8="},
        {"foo", "Zm9v"},
        {"foob", "Zm9vYg=="},
        {"fooba", "Zm9vYmE="},
        {"foobar", "Zm9vYmFy"},
        {"abc", "YWJj"},
        {"ab", "YWI="},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.plain);
        const size_t n = std::strlen(c.plain);
        std::string out(Base64EncodedLength(n), '?');
        EXPECT_EQ(Base64Encode(out.data(), reinterpret_cast<const unsigned char*>(c.plain), n),
                  out.size());
        EXPECT_EQ(out, c.encoded);
        std::vector<unsigned char> back(Base64DecodedLength(out.size()));
        back.resize(Base64Decode(back.data(), out.data(), out.size()));
        EXPECT_EQ(std::string(back.begin(), back.end()), c.plain);
    }
    EXPECT_EQ(Base64DecodedLength(4), 3u);
    EXPECT_EQ(Base64DecodedLength(5), 6u);
}

TEST(Base64, ForeignCharactersStayInsideTheTable)
{
    // Every byte value, high ones included, decodes without leaving the table.
    std::string all;
    for (int c = 1; c < 256; ++c) all.push_back(static_cast<char>(c));
    std::vector<unsigned char> out(Base64DecodedLength(all.size()));
    EXPECT_LE(Base64Decode(out.data(), all.data(), all.size()), out.size());
    // Unknown characters count as zero bits.
    unsigned char three[3];
    ASSERT_EQ(Base64Decode(three, "\xff\x80!*", 4), 3u);
    EXPECT_EQ(three[0], 0);
    EXPECT_EQ(three[1], 0);
    EXPECT_EQ(three[2], 0);
}

}  // namespace
