// Fuzz target for the JPEG loader: any bytes must load or fail without
// touching memory outside the block it reports or ending the process.
#include "ImageFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    return FuzzImageLoader(
        "fuzz.jpg", data, size,
        [](const char* name, uint8_t** pixels, int* w, int* h, int* side)
        { return LoadJpegImage(name, pixels, w, h, side); },
        FreeJpegImage);
}
