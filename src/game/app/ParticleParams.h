// The particle-system file's 128-byte parameter block: the record, its
// field table (offset, kind and description name of every field) and the
// little-endian coding both the reader and the content tool go through, so
// that the two cannot disagree about where a field lives.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <iterator>

struct SParticleParams
{
    uint32_t unused = 0;       // the file's first word; nothing reads it
    int32_t emissionRate = 0;  // particles born per second
    float duration = 0;        // seconds of emission after a start; -1 endless
    float lifeMin = 0;
    float lifeMax = 0;
    float direction = 0;   // radians; 0 points up the screen
    float spread = 0;      // radians around the direction
    uint8_t relative = 0;  // non-zero: direction relative to the emitter's motion
    uint8_t relativePadding[3] = {0, 0, 0};
    float speedMin = 0;
    float speedMax = 0;
    float gravityMin = 0;
    float gravityMax = 0;
    float radialMin = 0;
    float radialMax = 0;
    float tangentialMin = 0;
    float tangentialMax = 0;
    float sizeStart = 0;
    float sizeEnd = 0;
    float sizeVariation = 0;
    float spinStart = 0;
    float spinEnd = 0;
    float spinVariation = 0;
    float colourStart[3] = {0, 0, 0};  // red, green, blue
    float alphaStart = 0;
    float colourEnd[3] = {0, 0, 0};
    float alphaEnd = 0;
    float colourVariation = 0;
    float alphaVariation = 0;
};

inline constexpr size_t kParticleParamsSize = 128;
static_assert(sizeof(SParticleParams) == kParticleParamsSize);
static_assert(offsetof(SParticleParams, relative) == 28);
static_assert(offsetof(SParticleParams, speedMin) == 32);
static_assert(offsetof(SParticleParams, colourStart) == 88);
static_assert(offsetof(SParticleParams, alphaEnd) == 116);
static_assert(offsetof(SParticleParams, alphaVariation) == 124);

enum class EParticleFieldKind
{
    kInt32,
    kFloat,
    kFlag,  // one byte and three bytes of padding
};

struct SParticleField
{
    const char* name;  // the name in a particle description
    size_t offset;
    EParticleFieldKind kind;
};

// Every described field of the block in file order; the unused first word
// is written as 0 and has no name.
inline constexpr SParticleField kParticleFields[] = {
    {"rate", offsetof(SParticleParams, emissionRate), EParticleFieldKind::kInt32},
    {"duration", offsetof(SParticleParams, duration), EParticleFieldKind::kFloat},
    {"life_min", offsetof(SParticleParams, lifeMin), EParticleFieldKind::kFloat},
    {"life_max", offsetof(SParticleParams, lifeMax), EParticleFieldKind::kFloat},
    {"direction", offsetof(SParticleParams, direction), EParticleFieldKind::kFloat},
    {"spread", offsetof(SParticleParams, spread), EParticleFieldKind::kFloat},
    {"relative", offsetof(SParticleParams, relative), EParticleFieldKind::kFlag},
    {"speed_min", offsetof(SParticleParams, speedMin), EParticleFieldKind::kFloat},
    {"speed_max", offsetof(SParticleParams, speedMax), EParticleFieldKind::kFloat},
    {"gravity_min", offsetof(SParticleParams, gravityMin), EParticleFieldKind::kFloat},
    {"gravity_max", offsetof(SParticleParams, gravityMax), EParticleFieldKind::kFloat},
    {"radial_min", offsetof(SParticleParams, radialMin), EParticleFieldKind::kFloat},
    {"radial_max", offsetof(SParticleParams, radialMax), EParticleFieldKind::kFloat},
    {"tangential_min", offsetof(SParticleParams, tangentialMin), EParticleFieldKind::kFloat},
    {"tangential_max", offsetof(SParticleParams, tangentialMax), EParticleFieldKind::kFloat},
    {"size_start", offsetof(SParticleParams, sizeStart), EParticleFieldKind::kFloat},
    {"size_end", offsetof(SParticleParams, sizeEnd), EParticleFieldKind::kFloat},
    {"size_variation", offsetof(SParticleParams, sizeVariation), EParticleFieldKind::kFloat},
    {"spin_start", offsetof(SParticleParams, spinStart), EParticleFieldKind::kFloat},
    {"spin_end", offsetof(SParticleParams, spinEnd), EParticleFieldKind::kFloat},
    {"spin_variation", offsetof(SParticleParams, spinVariation), EParticleFieldKind::kFloat},
    {"red_start", offsetof(SParticleParams, colourStart) + 0, EParticleFieldKind::kFloat},
    {"green_start", offsetof(SParticleParams, colourStart) + 4, EParticleFieldKind::kFloat},
    {"blue_start", offsetof(SParticleParams, colourStart) + 8, EParticleFieldKind::kFloat},
    {"alpha_start", offsetof(SParticleParams, alphaStart), EParticleFieldKind::kFloat},
    {"red_end", offsetof(SParticleParams, colourEnd) + 0, EParticleFieldKind::kFloat},
    {"green_end", offsetof(SParticleParams, colourEnd) + 4, EParticleFieldKind::kFloat},
    {"blue_end", offsetof(SParticleParams, colourEnd) + 8, EParticleFieldKind::kFloat},
    {"alpha_end", offsetof(SParticleParams, alphaEnd), EParticleFieldKind::kFloat},
    {"colour_variation", offsetof(SParticleParams, colourVariation), EParticleFieldKind::kFloat},
    {"alpha_variation", offsetof(SParticleParams, alphaVariation), EParticleFieldKind::kFloat},
};
static_assert(std::size(kParticleFields) == kParticleParamsSize / 4 - 1,
              "every word after the unused one is a described field");

// Tags of the records that follow the block.
enum : uint8_t
{
    kParticleTagEnd = 0,          // one byte: the blend flag; ends the records
    kParticleTagPosition = 1,     // two floats
    kParticleTagExtraPoints = 3,  // int32 count, then count (int32, int32) pairs
    kParticleTagPathPoints = 4,   // the same
    kParticleTagPathValues = 5,   // two int32
};

inline uint32_t LoadLittle32(const uint8_t* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

inline void StoreLittle32(uint8_t* p, uint32_t v)
{
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
    p[2] = uint8_t(v >> 16);
    p[3] = uint8_t(v >> 24);
}

// The block's bytes of params.
inline void EncodeParticleParams(const SParticleParams& params, uint8_t out[kParticleParamsSize])
{
    const auto* record = reinterpret_cast<const uint8_t*>(&params);
    std::memset(out, 0, kParticleParamsSize);
    StoreLittle32(out, params.unused);
    for (const SParticleField& field : kParticleFields)
    {
        if (field.kind == EParticleFieldKind::kFlag)
        {
            out[field.offset] = record[field.offset];
            continue;
        }
        uint32_t word;
        std::memcpy(&word, record + field.offset, 4);
        StoreLittle32(out + field.offset, word);
    }
}

// params from the block's bytes. A float that is not finite (a NaN life
// would never end) is read as 0; returns how many were.
inline int DecodeParticleParams(const uint8_t in[kParticleParamsSize], SParticleParams& params)
{
    auto* record = reinterpret_cast<uint8_t*>(&params);
    params = SParticleParams();
    params.unused = LoadLittle32(in);
    int replaced = 0;
    for (const SParticleField& field : kParticleFields)
    {
        if (field.kind == EParticleFieldKind::kFlag)
        {
            record[field.offset] = in[field.offset];
            continue;
        }
        uint32_t word = LoadLittle32(in + field.offset);
        if (field.kind == EParticleFieldKind::kFloat)
        {
            float value;
            std::memcpy(&value, &word, 4);
            if (!std::isfinite(value))
            {
                word = 0;
                ++replaced;
            }
        }
        std::memcpy(record + field.offset, &word, 4);
    }
    return replaced;
}
