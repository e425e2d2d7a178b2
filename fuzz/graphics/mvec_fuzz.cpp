// Fuzz target for the vector font view and the rasteriser: any bytes must be
// refused or give a font whose every glyph renders (at a few sizes, italic
// and outlined) without reading past the image.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "graphics/VecFont.h"
#include "graphics/VecRaster.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Exactly the input: a read past it is a read past the image.
    std::vector<uint8_t> bytes(data, data + size);
    TVecFont font(std::move(bytes));
    if (!font.IsUsable()) return 0;
    static TVecRaster raster;
    raster.ClearCache();
    const int n = font.GetGlyphCount() < 64 ? font.GetGlyphCount() : 64;
    for (int i = 0; i < n; ++i)
    {
        const uint8_t* shape = font.GetGlyphShape(i);
        if (!shape || shape >= font.GetImageEnd()) std::abort();
        TVecTransform t;
        t.scaleX = t.scaleY = 0.5f + float(i % 4);
        t.italic = (i & 1) != 0;
        t.outline[0] = (i & 2) ? 1.5f : 0.0f;
        int count = 0;
        const TVecSpan* spans = raster.Render(shape, font.GetImageEnd(), i & 3, (i >> 2) & 3, t, &count);
        for (int k = 0; k < count; ++k)
            if (spans[k].x0 >= spans[k].x1 || spans[k].level == 0 || spans[k].layer > 3) std::abort();
    }
    return 0;
}
