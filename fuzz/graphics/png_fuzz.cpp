// Fuzz target for the PNG loader: any bytes must load or fail without
// touching memory outside the block it reports.
//
// Each chunk carries a checksum that the decoder verifies, so the target
// stamps fresh ones into a copy first; otherwise nearly every mutation past
// the signature would stop at the first checksum.
#include <zlib.h>

#include <cstring>
#include <vector>

#include "ImageFuzz.h"

namespace
{

void StampChunkChecksums(std::vector<uint8_t>& image)
{
    size_t at = 8;  // past the signature
    while (at + 12 <= image.size())
    {
        uint8_t* chunk = image.data() + at;
        const uint32_t length = (uint32_t(chunk[0]) << 24) | (uint32_t(chunk[1]) << 16) |
                                (uint32_t(chunk[2]) << 8) | uint32_t(chunk[3]);
        if (length > image.size() - at - 12) break;
        const uLong crc = crc32(0L, chunk + 4, 4 + length);
        for (int i = 0; i < 4; ++i)
            chunk[8 + length + i] = static_cast<uint8_t>(crc >> (24 - 8 * i));
        at += 12 + size_t(length);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<uint8_t> image(data, data + size);
    StampChunkChecksums(image);
    return FuzzImageLoader(
        "fuzz.png", image.data(), image.size(),
        [](const char* name, uint8_t** pixels, int* w, int* h, int* side)
        {
            uint32_t key = 0;
            int alpha = 0;
            return LoadPngImage(nullptr, 0, name, pixels, w, h, side, &key, &alpha);
        },
        FreePngImage);
}
