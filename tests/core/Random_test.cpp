// MT19937 against its reference outputs, and version-4 GUIDs.
#include "core/Random.h"

#include <gtest/gtest.h>

#include <random>
#include <set>

namespace
{

TEST(RandomTest, SeedByNumberMatchesReference)
{
    // The reference generator's default seed.
    TMersenneTwister fresh;
    const uint32_t expected[] = {3499211612u, 581869302u, 3890346734u, 3586334585u, 545404204u};
    for (uint32_t e : expected) EXPECT_EQ(fresh.Next(), e);

    for (uint32_t seed : {0u, 1u, 5489u, 0xFFFFFFFFu})
    {
        TMersenneTwister mt;
        mt.Seed(seed);
        std::mt19937 reference(seed);
        for (int i = 0; i < 2000; ++i)
            ASSERT_EQ(mt.Next(), reference()) << "seed " << seed << " draw " << i;
    }
    // The standard's check value: the 10000th draw after the default seed.
    TMersenneTwister mt;
    mt.Seed(5489u);
    uint32_t last = 0;
    for (int i = 0; i < 10000; ++i) last = mt.Next();
    EXPECT_EQ(last, 4123659995u);
}

TEST(RandomTest, SeedByArrayMatchesReference)
{
    const uint32_t key[] = {0x123, 0x234, 0x345, 0x456};
    TMersenneTwister mt;
    mt.SeedByArray(key, 4);
    const uint32_t first[] = {1067595299u, 955945823u,  477289528u, 4107218783u, 4228976476u,
                              3344332714u, 3355579695u, 227628506u, 810200273u,  2591290167u};
    for (uint32_t e : first) EXPECT_EQ(mt.Next(), e);
    // Across the first regeneration and on to the 1000th output.
    uint32_t values[1000];
    mt.SeedByArray(key, 4);
    for (uint32_t& v : values) v = mt.Next();
    EXPECT_EQ(values[623], 144400272u);
    EXPECT_EQ(values[624], 3768408841u);
    EXPECT_EQ(values[999], 3460025646u);

    // A one-word key, and re-seeding restarts the sequence.
    const uint32_t one[] = {0x12345678};
    mt.SeedByArray(one, 1);
    EXPECT_EQ(mt.Next(), 3697407277u);
    EXPECT_EQ(mt.Next(), 4138696303u);
    mt.SeedByArray(one, 1);
    EXPECT_EQ(mt.Next(), 3697407277u);
}

TEST(RandomTest, HostSeedIsReproducibleAndEmptyKeyIsSafe)
{
    const uint32_t host[] = {0xD4C4CF4B, 0x3E2019A7, 0xE6489797, 0x5746FCB5};
    TMersenneTwister mt;
    mt.SeedByArray(host, 4);
    EXPECT_EQ(mt.Next(), 3734551226u);
    EXPECT_EQ(mt.Next(), 2527198112u);
    EXPECT_EQ(mt.Next(), 2434004870u);

    TMersenneTwister a;
    TMersenneTwister b;
    a.SeedByArray(nullptr, 4);
    b.Seed(19650218u);
    EXPECT_EQ(a.Next(), b.Next());
}

TEST(RandomTest, GuidHasVersionFourBitsAndDiffers)
{
    std::set<std::tuple<uint32_t, uint32_t, uint32_t, uint32_t>> seen;
    for (int i = 0; i < 64; ++i)
    {
        TGuid g = NewGuid();
        // Data3 sits in the high half of the second word; its top nibble is 4.
        EXPECT_EQ((g.words[1] >> 28) & 0xF, 4u);
        // The variant bits 10 at the top of Data4[0], the low byte of word 2.
        EXPECT_EQ(g.words[2] & 0xC0, 0x80u);
        uint8_t bytes[16];
        GuidBytes(g, bytes);
        EXPECT_EQ(bytes[7] >> 4, 4);
        EXPECT_EQ(bytes[8] & 0xC0, 0x80);
        EXPECT_EQ(bytes[4] | bytes[5] << 8, static_cast<int>(g.words[1] & 0xFFFF));  // Data2
        seen.insert({g.words[0], g.words[1], g.words[2], g.words[3]});
    }
    EXPECT_EQ(seen.size(), 64u);
}

}  // namespace
