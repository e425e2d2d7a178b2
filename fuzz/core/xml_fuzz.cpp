// Feeds arbitrary bytes to the XML reader (plain and ZXML) and writes the
// resulting tree back out, reading the written text once more.
#include <cstddef>
#include <cstdint>

#include "core/Xml.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    TXmlNode root;
    root.Parse(data, size);
    const TString written = root.ToString();
    TXmlNode again;
    again.Parse(written.CStr());
    // Walk what was read, as callers do.
    TString name, value;
    TXmlNode* child = nullptr;
    root.ResetChildIterator();
    while (root.NextChild(name, child))
    {
        child->ResetAttributeIterator();
        while (child->NextAttribute(name, value)) child->GetAttribute(name.CStr());
    }
    return 0;
}
