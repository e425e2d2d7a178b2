// Feeds arbitrary bytes to the string-table scanner (plain and ZXML), then
// resolves the labels it found with arguments that reach every kind of
// escape.
#include <cstddef>
#include <cstdint>

#include "core/StringTable.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    TStringTable table;
    table.AddBuffer(data, size);
    TStringMap flash;
    table.GetFlashStrings(flash);

    const TString args[5] = {"1", "%%", "%A%", "%", "plain"};
    int budget = 256;  // keeps huge tables from dominating the run
    for (const auto& entry : table.Entries())
    {
        table.Lookup(entry.first, 5, args);
        table.Lookup(entry.first, 0, nullptr);
        if (--budget == 0) break;
    }
    return 0;
}
