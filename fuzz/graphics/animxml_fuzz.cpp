// Fuzz target for the XML animation description: any document (plain or
// ZXML) must read or fail with its log lines, never crash; an accepted one
// has frames no larger than its recorded largest.
#include <cstdint>
#include <cstdlib>

#include "core/Xml.h"
#include "graphics/AnimationFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    TXmlNode document;
    document.Parse(data, size);
    TAnimationData out;
    if (ReadAnimationXml(document, "fuzz.xml", out))
    {
        if (out.frames.empty()) std::abort();
        for (const TAnimationFrame& f : out.frames)
            if (f.w > out.maxWidth || f.h > out.maxHeight) std::abort();
    }
    return 0;
}
