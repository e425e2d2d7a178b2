// Reads arbitrary bytes as a particle-system file: every input must end in
// a read or a refusal, never a crash or a hang, and what is read must keep
// the reader's promises (finite floats, no more pairs than bytes).
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "game/app/ParticleFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    SParticleFile file;
    if (!ParseParticleFile(data, size, true, "fuzz", file)) return 0;
    const SParticleParams& p = file.params;
    for (const float f : {p.duration, p.lifeMin, p.lifeMax, p.sizeStart, p.alphaVariation})
    {
        if (!std::isfinite(f))
        {
            std::fprintf(stderr, "a non-finite parameter was kept\n");
            std::abort();
        }
    }
    if ((file.extraPoints.size() + file.pathPoints.size()) * 8 > size)
    {
        std::fprintf(stderr, "more pairs than the input holds\n");
        std::abort();
    }
    return 0;
}
