// What every image loader shares: the size limit applied before a pixel block
// is allocated, and the blocks themselves with their one kept spare.
#include "graphics/ImageDecoder.h"

#include <malloc.h>

#include <atomic>
#include <cstdlib>
#include <cstring>

namespace
{

int gMaxImageSide = 8192;

constexpr size_t kSpareBlockLimit = size_t(1024) * 1024u * 4u;
std::atomic<uint8_t*> gSpareBlock{nullptr};

}  // namespace

int GetMaxImageSide()
{
    return gMaxImageSide;
}

void SetMaxImageSide(int side)
{
    gMaxImageSide = side < 1 ? 1 : (side > 16384 ? 16384 : side);
}

int ImageSquareSide(int width, int height)
{
    if (width < 1 || height < 1 || width > gMaxImageSide || height > gMaxImageSide) return 0;
    const int larger = width > height ? width : height;
    int side = 1;
    while (side < larger) side <<= 1;
    return side;
}

uint8_t* AllocateImageBlock(size_t bytes)
{
    if (uint8_t* spare = gSpareBlock.exchange(nullptr))
    {
        const size_t have = malloc_usable_size(spare);
        if (have >= bytes && have / 2 < bytes) return spare;
        // A much smaller or larger spare waits for a load that fits it.
        ReleaseImageBlock(spare);
    }
    return static_cast<uint8_t*>(std::malloc(bytes == 0 ? 1 : bytes));
}

void ReleaseImageBlock(uint8_t* block)
{
    if (!block) return;
    if (malloc_usable_size(block) <= kSpareBlockLimit + 4096u) block = gSpareBlock.exchange(block);
    std::free(block);
}

void ClearImagePadding(uint8_t* block, int side, int width, int height)
{
    const size_t stride = size_t(side) * 4u;
    if (width < side)
    {
        const size_t used = size_t(width) * 4u;
        for (int y = 0; y < height; ++y)
            std::memset(block + size_t(y) * stride + used, 0, stride - used);
    }
    if (height < side)
        std::memset(block + size_t(height) * stride, 0, stride * size_t(side - height));
}
