// Fuzz target for the PNG loader: any bytes must load or fail without
// touching memory outside the block it reports.
#include "ImageFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    return FuzzImageLoader(
        "fuzz.png", data, size,
        [](const char* name, uint8_t** pixels, int* w, int* h, int* side)
        {
            uint32_t key = 0;
            int alpha = 0;
            return LoadPngImage(nullptr, 0, name, pixels, w, h, side, &key, &alpha);
        },
        FreePngImage);
}
