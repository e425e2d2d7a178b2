// What the image-loader fuzz targets share: the bytes go in as a registered
// memory file, and a load must either fail with no block or give a full
// S x S block no larger than the lowered size limit.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "core/FileNames.h"
#include "graphics/ImageDecoder.h"

// load(name, &pixels, &width, &height, &side) -> bool; release(pixels).
template <typename Load, typename Release>
int FuzzImageLoader(const char* name, const uint8_t* data, size_t size, Load load, Release release)
{
    // Big headers are refused early; the limit keeps each run small.
    static const bool limited = (SetMaxImageSide(1024), true);
    (void)limited;
    if (size == 0) return 0;
    std::vector<uint8_t> bytes(data, data + size);
    RegisterMemoryFileByName(name, bytes.data(), bytes.size());
    uint8_t* pixels = nullptr;
    int w = 0, h = 0, side = 0;
    if (load(name, &pixels, &w, &h, &side))
    {
        if (!pixels || w < 1 || h < 1 || side < w || side < h || side > 1024) std::abort();
        // Touch the last byte: the block must really be S x S x 4.
        volatile uint8_t last = pixels[size_t(side) * size_t(side) * 4u - 1u];
        (void)last;
    }
    else if (pixels)
    {
        std::abort();
    }
    release(pixels);
    RegisterMemoryFileByName(name, bytes.data(), 0);
    return 0;
}
