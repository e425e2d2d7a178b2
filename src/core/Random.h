// The game's pseudo-random generator (MT19937) and globally unique
// identifiers.
#pragma once

#include <cstdint>

// MT19937 with the reference seeding. Never fails.
class TMersenneTwister
{
public:
    static constexpr int kStateWords = 624;

    // Unseeded: the first draw seeds with 5489 as the reference generator does.
    TMersenneTwister() = default;

    // init_genrand.
    void Seed(uint32_t seed);
    // init_by_array. A null key or a count <= 0 (which the reference leaves
    // undefined) leaves the generator as Seed(19650218) makes it.
    void SeedByArray(const uint32_t* key, int count);
    // The next 32-bit output.
    uint32_t Next();

private:
    void Regenerate();

    uint32_t words_[kStateWords] = {};
    int index_ = kStateWords + 1;
};

// Four words: Data1; Data2 | Data3 << 16; the first and the last four bytes of
// Data4, each read little-endian. So the 16 bytes in memory order are the four
// words stored little-endian.
struct TGuid
{
    uint32_t words[4];
};

// 16 random bytes with the version-4 and variant bits. Never fails: when the
// kernel's generator is unavailable it falls back to std::random_device.
TGuid NewGuid();

// The GUID's 16 bytes in memory order.
void GuidBytes(const TGuid& guid, uint8_t out[16]);
