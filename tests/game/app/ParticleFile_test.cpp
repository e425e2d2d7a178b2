// The particle-system file reader over hand-made bytes: the block's fields
// at their offsets, the tagged records and every way the bytes can end or
// lie.
#include "game/app/ParticleFile.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "core/FileNames.h"
#include "core/FileTestSupport.h"

namespace
{

using Bytes = std::string;

void Put32(Bytes& out, uint32_t v)
{
    filetest::PutLe32(out, v);
}

void PutFloat(Bytes& out, float f)
{
    uint32_t w;
    std::memcpy(&w, &f, 4);
    Put32(out, w);
}

// A block whose words are 0x01000000 + offset, so each field's source shows.
Bytes MarkedBlock()
{
    Bytes b;
    for (uint32_t at = 0; at < 128; at += 4) Put32(b, 0x01000000u + at);
    return b;
}

Bytes Block()
{
    return Bytes(128, '\0');
}

SParticleFile Parse(const Bytes& bytes, bool records = true, bool* ok = nullptr)
{
    SParticleFile file;
    const bool read = ParseParticleFile(reinterpret_cast<const uint8_t*>(bytes.data()),
                                        bytes.size(), records, "test.psi", file);
    if (ok) *ok = read;
    return file;
}

class ParticleFileTest : public ::testing::Test
{
protected:
    filetest::TempTree tree_;
};

TEST_F(ParticleFileTest, BlockFieldsComeFromTheirOffsets)
{
    Bytes b;
    Put32(b, 0xDEADBEEF);
    Put32(b, 40);        // rate
    PutFloat(b, -1.0f);  // duration
    for (int i = 3; i < 7; ++i) PutFloat(b, float(i));
    Put32(b, 0xABCDEF01);  // relative flag byte 0x01, padding ignored
    for (int i = 8; i < 32; ++i) PutFloat(b, float(i) + 0.5f);
    const SParticleFile f = Parse(b);
    const SParticleParams& p = f.params;
    EXPECT_EQ(p.unused, 0xDEADBEEFu);
    EXPECT_EQ(p.emissionRate, 40);
    EXPECT_EQ(p.duration, -1.0f);
    EXPECT_EQ(p.lifeMin, 3.0f);
    EXPECT_EQ(p.lifeMax, 4.0f);
    EXPECT_EQ(p.direction, 5.0f);
    EXPECT_EQ(p.spread, 6.0f);
    EXPECT_EQ(p.relative, 0x01);
    EXPECT_EQ(p.speedMin, 8.5f);
    EXPECT_EQ(p.tangentialMax, 15.5f);
    EXPECT_EQ(p.sizeStart, 16.5f);
    EXPECT_EQ(p.spinVariation, 21.5f);
    EXPECT_EQ(p.colourStart[0], 22.5f);
    EXPECT_EQ(p.colourStart[2], 24.5f);
    EXPECT_EQ(p.alphaStart, 25.5f);
    EXPECT_EQ(p.colourEnd[1], 27.5f);
    EXPECT_EQ(p.alphaEnd, 29.5f);
    EXPECT_EQ(p.colourVariation, 30.5f);
    EXPECT_EQ(p.alphaVariation, 31.5f);
    EXPECT_FALSE(f.blend);
    EXPECT_EQ(tree_.Log(), "");
}

TEST_F(ParticleFileTest, RecordsAsTheTagsSay)
{
    Bytes b = Block();
    b += '\x01';
    PutFloat(b, 12.5f);
    PutFloat(b, -3.0f);
    b += '\x03';
    Put32(b, 2);
    for (uint32_t v : {1u, 2u, 3u, 4u}) Put32(b, v);
    b += '\x09';  // not a tag of the format: one byte, then the next tag
    b += '\x04';
    Put32(b, 1);
    Put32(b, uint32_t(-7));
    Put32(b, 8);
    b += '\x03';
    Put32(b, uint32_t(-5));  // a negative count reads no pairs
    b += '\x03';
    Put32(b, 1);
    Put32(b, 5);
    Put32(b, 6);
    b += '\x05';
    Put32(b, 11);
    Put32(b, 22);
    b += '\x00';
    b += '\x02';
    // After tag 0 nothing is read.
    b += '\x05';
    Put32(b, 99);
    Put32(b, 99);

    const SParticleFile f = Parse(b);
    EXPECT_TRUE(f.hasPosition);
    EXPECT_EQ(f.positionX, 12.5f);
    EXPECT_EQ(f.positionY, -3.0f);
    EXPECT_EQ(f.extraPoints, (std::vector<SParticlePoint>{{1, 2}, {3, 4}, {5, 6}}));
    EXPECT_EQ(f.pathPoints, (std::vector<SParticlePoint>{{-7, 8}}));
    EXPECT_TRUE(f.hasPathValues);
    EXPECT_EQ(f.pathValues[0], 11);
    EXPECT_EQ(f.pathValues[1], 22);
    EXPECT_TRUE(f.blend) << "any non-zero byte sets the blend flag";

    const SParticleFile without = Parse(b, false);
    EXPECT_FALSE(without.hasPosition);
    EXPECT_TRUE(without.extraPoints.empty());
    EXPECT_FALSE(without.blend);
}

// Reading stops at the first record that cannot be read whole; what was
// read before stays.
TEST_F(ParticleFileTest, RecordsCutShort)
{
    struct Case
    {
        const char* name;
        Bytes tail;
        size_t extraPoints;
        bool hasPosition;
        bool hasPathValues;
        bool blend;
    };
    auto pairs = [](uint32_t count, int whole, int extraBytes)
    {
        Bytes t = "\x03";
        Put32(t, count);
        for (int i = 0; i < whole; ++i)
        {
            Put32(t, 1);
            Put32(t, 2);
        }
        t += Bytes(size_t(extraBytes), '\x07');
        return t;
    };
    Bytes position = "\x01";
    PutFloat(position, 1.0f);
    PutFloat(position, 2.0f);
    const Case cases[] = {
        {"no records", "", 0, false, false, false},
        {"tag 0 without its byte", Bytes(1, '\0'), 0, false, false, false},
        {"position cut", Bytes("\x01") + "abcd", 0, false, false, false},
        {"count cut", Bytes("\x03\x02\x00", 3), 0, false, false, false},
        {"pair cut short", pairs(2, 1, 7), 1, false, false, false},
        {"count of 2^31 - 1 pairs", pairs(0x7FFFFFFFu, 3, 0), 3, false, false, false},
        {"count past the end, then bytes", pairs(0x7FFFFFFFu, 1, 5) + "\x00\x01", 1, false, false,
         false},
        {"path values cut", position + "\x05\x01\x02\x03\x04\x05", 0, true, false, false},
        {"position then end", Bytes("\x01") + "abcdefgh" + Bytes("\x00\x01", 2), 0, true, false,
         true},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        bool ok = false;
        const SParticleFile f = Parse(Block() + c.tail, true, &ok);
        EXPECT_TRUE(ok);
        EXPECT_EQ(f.extraPoints.size(), c.extraPoints);
        EXPECT_EQ(f.hasPosition, c.hasPosition);
        EXPECT_EQ(f.hasPathValues, c.hasPathValues);
        EXPECT_EQ(f.blend, c.blend);
    }
}

TEST_F(ParticleFileTest, ShortBlockGivesNothingAndOneLine)
{
    for (size_t size : {size_t(0), size_t(1), size_t(127)})
    {
        SCOPED_TRACE(size);
        bool ok = true;
        const SParticleFile f = Parse(MarkedBlock().substr(0, size), true, &ok);
        EXPECT_FALSE(ok);
        EXPECT_EQ(f.params.emissionRate, 0);
        EXPECT_EQ(f.params.unused, 0u);
    }
    const std::string log = tree_.Log();
    EXPECT_NE(log.find("ERROR: particle file test.psi: the parameter block has 127 of 128 bytes"),
              std::string::npos)
        << log;
}

TEST_F(ParticleFileTest, NonFiniteFloatsReadAsZero)
{
    Bytes b = Block();
    auto set = [&](size_t at, float f)
    {
        Bytes w;
        PutFloat(w, f);
        b.replace(at, 4, w);
    };
    set(12, std::numeric_limits<float>::quiet_NaN());   // life min
    set(16, std::numeric_limits<float>::infinity());    // life max
    set(124, -std::numeric_limits<float>::infinity());  // alpha variation
    set(8, 2.5f);                                       // duration stays
    // The rate is an integer: its bits are any value.
    b.replace(4, 4, "\xff\xff\xc0\x7f");
    const SParticleFile f = Parse(b);
    EXPECT_EQ(f.params.lifeMin, 0.0f);
    EXPECT_EQ(f.params.lifeMax, 0.0f);
    EXPECT_EQ(f.params.alphaVariation, 0.0f);
    EXPECT_EQ(f.params.duration, 2.5f);
    EXPECT_EQ(f.params.emissionRate, int32_t(0x7fc0ffff));
    const std::string log = tree_.Log();
    EXPECT_NE(log.find("ERROR: particle file test.psi: 3 parameters are not finite numbers"),
              std::string::npos)
        << log;
}

TEST_F(ParticleFileTest, ByLogicalName)
{
    Bytes b = MarkedBlock() + Bytes("\x00\x01", 2);
    tree_.Write("assets/fx/spark.psi", b);
    tree_.Write("assets/fx/short.psi", b.substr(0, 100));
    ScanAssetFolder("assets", "");
    SParticleFile f;
    ASSERT_TRUE(ReadParticleFile("fx/spark.psi", true, f));
    EXPECT_EQ(f.params.emissionRate, 0x01000004);
    EXPECT_TRUE(f.blend);

    EXPECT_FALSE(ReadParticleFile("fx/missing.psi", true, f));
    EXPECT_EQ(f.params.emissionRate, 0) << "a failed read leaves nothing of an earlier one";
    EXPECT_NE(tree_.Log().find("ERROR: particle file fx/missing.psi cannot be opened"),
              std::string::npos);

    EXPECT_FALSE(ReadParticleFile("fx/short.psi", true, f));
}

}  // namespace
