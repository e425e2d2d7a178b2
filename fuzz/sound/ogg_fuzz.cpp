// Feeds arbitrary bytes to the Ogg Vorbis data source as a preloaded file
// image: opening, reading at positions taken from the input, and keeping the
// decode in memory must neither crash nor allocate without bound.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "sound/MemDataSource.h"
#include "sound/OggDataSource.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    TOggDataSource source;
    if (!source.OpenMemory(data, size)) return 0;
    const int32_t channels = source.GetChannels();
    if (channels < 1 || channels > 2 || source.GetSampleRate() <= 0 || source.GetTotalBytes() < 0)
        __builtin_trap();

    // Reads of up to 64 KiB at positions picked from the tail of the input.
    std::vector<uint8_t> buffer(65536);
    uint32_t position = 0;
    for (size_t i = 0; i < 8; ++i)
    {
        uint32_t pick = 0;
        if (size >= (i + 1) * 4) std::memcpy(&pick, data + size - (i + 1) * 4, 4);
        const uint32_t count = 1 + pick % 65536;
        const uint32_t got = source.Read(buffer.data(), position, count);
        if (got > count) __builtin_trap();
        if (got > 0 && static_cast<int64_t>(position) + got > source.GetTotalBytes())
            __builtin_trap();
        position = (i % 3 == 2) ? pick : position + got;
    }

    // Short sounds are decoded whole; keep that bounded too.
    if (source.GetTotalBytes() <= 4 * 1024 * 1024)
    {
        if (auto memory = TMemDataSource::FromSource(source))
        {
            if (memory->GetTotalBytes() > source.GetTotalBytes()) __builtin_trap();
        }
    }
    return 0;
}
