// Fuzz target for the binary animation reader: any bytes must read or fail
// without reading past them, and an accepted description keeps its counts.
#include <cstdint>
#include <cstdlib>

#include "graphics/AnimationFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    TAnimationData out;
    if (ReadAnimationBinary(data, size, out))
    {
        // Every frame and anchor came out of the bytes given.
        size_t least = 0;
        for (const TAnimationFrame& f : out.frames) least += 56 + f.anchors.size() * 12;
        if (least > size) std::abort();
    }
    return 0;
}
