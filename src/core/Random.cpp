// MT19937 and version-4 GUIDs.
#include "core/Random.h"

#include <sys/random.h>

#include <cerrno>
#include <cstring>
#include <random>

namespace
{
constexpr int kN = TMersenneTwister::kStateWords;
constexpr int kM = 397;
constexpr uint32_t kUpperMask = 0x80000000u;
constexpr uint32_t kLowerMask = 0x7FFFFFFFu;
constexpr uint32_t kTwist = 0x9908B0DFu;
}  // namespace

void TMersenneTwister::Seed(uint32_t seed)
{
    words_[0] = seed;
    for (int i = 1; i < kN; ++i)
        words_[i] =
            1812433253u * (words_[i - 1] ^ (words_[i - 1] >> 30)) + static_cast<uint32_t>(i);
    index_ = kN;
}

void TMersenneTwister::SeedByArray(const uint32_t* key, int count)
{
    Seed(19650218u);
    if (key == nullptr || count <= 0) return;
    int i = 1;
    int j = 0;
    for (int k = kN > count ? kN : count; k > 0; --k)
    {
        words_[i] = (words_[i] ^ ((words_[i - 1] ^ (words_[i - 1] >> 30)) * 1664525u)) + key[j] +
                    static_cast<uint32_t>(j);
        ++i;
        ++j;
        if (i >= kN)
        {
            words_[0] = words_[kN - 1];
            i = 1;
        }
        if (j >= count) j = 0;
    }
    for (int k = kN - 1; k > 0; --k)
    {
        words_[i] = (words_[i] ^ ((words_[i - 1] ^ (words_[i - 1] >> 30)) * 1566083941u)) -
                    static_cast<uint32_t>(i);
        ++i;
        if (i >= kN)
        {
            words_[0] = words_[kN - 1];
            i = 1;
        }
    }
    words_[0] = 0x80000000u;
    index_ = kN;
}

void TMersenneTwister::Regenerate()
{
    auto mix = [](uint32_t a, uint32_t b)
    {
        uint32_t y = (a & kUpperMask) | (b & kLowerMask);
        return (y >> 1) ^ ((y & 1u) ? kTwist : 0u);
    };
    int k = 0;
    for (; k < kN - kM; ++k) words_[k] = words_[k + kM] ^ mix(words_[k], words_[k + 1]);
    for (; k < kN - 1; ++k) words_[k] = words_[k + (kM - kN)] ^ mix(words_[k], words_[k + 1]);
    words_[kN - 1] = words_[kM - 1] ^ mix(words_[kN - 1], words_[0]);
    index_ = 0;
}

uint32_t TMersenneTwister::Next()
{
    if (index_ > kN) Seed(5489u);
    if (index_ >= kN) Regenerate();
    uint32_t y = words_[index_++];
    y ^= y >> 11;
    y ^= (y << 7) & 0x9D2C5680u;
    y ^= (y << 15) & 0xEFC60000u;
    y ^= y >> 18;
    return y;
}

TGuid NewGuid()
{
    uint8_t bytes[16];
    size_t got = 0;
    while (got < sizeof(bytes))
    {
        ssize_t n = getrandom(bytes + got, sizeof(bytes) - got, 0);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        got += static_cast<size_t>(n);
    }
    if (got < sizeof(bytes))
    {
        std::random_device device;
        for (auto& b : bytes) b = static_cast<uint8_t>(device());
    }
    // Version 4 lives in the high nibble of Data3 (byte 7 in memory order), the
    // RFC 4122 variant in the top bits of Data4[0].
    bytes[7] = static_cast<uint8_t>((bytes[7] & 0x0F) | 0x40);
    bytes[8] = static_cast<uint8_t>((bytes[8] & 0x3F) | 0x80);
    TGuid guid;
    for (int w = 0; w < 4; ++w)
    {
        const uint8_t* p = bytes + 4 * w;
        guid.words[w] =
            uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
    }
    return guid;
}

void GuidBytes(const TGuid& guid, uint8_t out[16])
{
    for (int w = 0; w < 4; ++w)
        for (int b = 0; b < 4; ++b) out[4 * w + b] = static_cast<uint8_t>(guid.words[w] >> (8 * b));
}
