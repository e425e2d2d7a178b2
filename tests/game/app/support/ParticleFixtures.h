// Particle-system files for the particle tests: a parameter block in which
// every range is a single value unless a test says otherwise, written with
// its records into a temporary asset folder beside a picture to draw.
#pragma once

#include <string>
#include <vector>

#include "game/app/ParticleFile.h"
#include "graphics/support/ImageAssets.h"

namespace particlefx
{

// A one-value block: born 20 a second (one a step), living 1 s, endless,
// still, white, size 1.
inline SParticleParams Params()
{
    SParticleParams p;
    p.emissionRate = 20;
    p.duration = -1.0f;
    p.lifeMin = p.lifeMax = 1.0f;
    p.sizeStart = p.sizeEnd = 1.0f;
    for (int c = 0; c < 3; ++c) p.colourStart[c] = p.colourEnd[c] = 1.0f;
    p.alphaStart = p.alphaEnd = 1.0f;
    return p;
}

// The file's bytes: the block, a position record when given, the end tag.
inline std::string FileBytes(const SParticleParams& params, bool blend,
                             const float* position = nullptr)
{
    uint8_t block[kParticleParamsSize];
    EncodeParticleParams(params, block);
    std::string out(reinterpret_cast<const char*>(block), sizeof block);
    if (position)
    {
        out += char(kParticleTagPosition);
        for (int i = 0; i < 2; ++i)
        {
            uint32_t w;
            std::memcpy(&w, &position[i], 4);
            uint8_t b[4];
            StoreLittle32(b, w);
            out.append(reinterpret_cast<const char*>(b), 4);
        }
    }
    out += char(kParticleTagEnd);
    out += char(blend ? 1 : 0);
    return out;
}

// assets/fx/<name>.psi and the 4 x 4 picture assets/fx/dot.png of argb.
inline void Put(ImageAssets& assets, const std::string& name, const SParticleParams& params,
                bool blend = false, const float* position = nullptr, uint32_t argb = 0xFFFFFFFFu)
{
    assets.Put("fx/dot.png", imagefx::PngFromArgb(4, 4, std::vector<uint32_t>(16, argb)));
    assets.Put("fx/" + name + ".psi", FileBytes(params, blend, position));
}

}  // namespace particlefx
