// Feeds arbitrary bytes as a system report file to the reader that picks the
// report's entries: every entry yields one value, present or "none", and a
// name only when present.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "core/Xml.h"
#include "services/SystemReport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    TXmlNode document;
    document.Parse(data, size);
    std::vector<TString> names;
    std::vector<TString> values;
    CollectDxDiagEntries(document, names, values);
    if (values.size() != 30 || names.size() > values.size()) std::abort();
    return 0;
}
