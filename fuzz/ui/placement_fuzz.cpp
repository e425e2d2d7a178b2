// Window placement over arbitrary style values and parent sizes: no
// overflow, no undefined arithmetic, and results that respect the skip
// rules and the kept non-zero values.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "ui/WindowPlacement.h"

namespace
{

int32_t Take(const uint8_t*& data, size_t& size)
{
    int32_t v = 0;
    const size_t n = size < sizeof v ? size : sizeof v;
    if (n == 0) return 0;
    std::memcpy(&v, data, n);
    data += n;
    size -= n;
    return v;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    TPlacementInput in;
    const int32_t bits = Take(data, size);
    in.hasAlign = (bits & 1) != 0;
    in.hasParent = (bits & 2) != 0;
    in.align = (bits >> 2) & 15;
    in.x = Take(data, size);
    in.y = Take(data, size);
    in.w = Take(data, size);
    in.h = Take(data, size);
    in.parentWidth = Take(data, size);
    in.parentHeight = Take(data, size);
    in.left = Take(data, size);
    in.top = Take(data, size);
    in.width = Take(data, size);
    in.height = Take(data, size);

    TPlacementResult out;
    if (ComputePlacement(in, out))
    {
        if (in.left != 0 && out.left != in.left) std::abort();
        if (in.top != 0 && out.top != in.top) std::abort();
        if (in.width != 0 && out.width != in.width) std::abort();
        if (in.height != 0 && out.height != in.height) std::abort();
    }
    else if (in.w != 0 && in.h != 0 && !in.hasParent)
    {
        // Without a parent only a zero size can skip.
        std::abort();
    }
    // Each axis alone, over the full 64-bit inputs the placement feeds it.
    int64_t v = in.x, s = in.w;
    ResolvePlacementAxis(v, s, in.parentWidth, bits & 64, bits & 128, in.hasAlign, in.hasParent);
    return 0;
}
