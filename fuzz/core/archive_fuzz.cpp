// Fuzz target for the packed-archive table reader: any byte string must
// parse without reading outside it, and every accepted entry must lie inside
// the data and carry a name that cannot shadow a logical prefix.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "core/Archive.h"
#include "core/AssetIndex.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // A private copy of exactly size bytes, so the sanitizer sees any read
    // past the end of the archive image.
    std::vector<uint8_t> bytes(data, data + size);
    std::vector<TArchiveEntry> entries;
    if (!ParseArchiveTable(bytes.empty() ? nullptr : bytes.data(), bytes.size(), "fuzz", entries))
        return 0;
    uint32_t sum = 0;
    for (const TArchiveEntry& entry : entries)
    {
        if (static_cast<uint64_t>(entry.offset) + entry.size > size) std::abort();
        const char* name = entry.name.CStr();
        if (!IsSafeEntryName(name, std::strlen(name)) || std::strchr(name, ':') != nullptr)
            std::abort();
        for (uint32_t i = 0; i < entry.size; ++i) sum += bytes[entry.offset + i];
    }
    return static_cast<int>(sum & 0);
}
