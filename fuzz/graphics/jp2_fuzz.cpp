// Fuzz target for the JPEG-2000 loader: any bytes must load or fail without
// touching memory outside the block it reports.
#include "ImageFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    return FuzzImageLoader(
        "fuzz.jp2", data, size,
        [](const char* name, uint8_t** pixels, int* w, int* h, int* side)
        {
            int alpha = 0;
            return LoadJp2Image(name, pixels, w, h, side, &alpha);
        },
        FreeJp2Image);
}
