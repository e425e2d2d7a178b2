// Fuzz target for tagged text through the layout: any bytes lay out in a
// narrow box without reading past the text, and every line's glyphs belong
// to their run's font.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "graphics/FontRegistry.h"
#include "graphics/TextGraphic.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1) return 0;
    // First byte: box width and flags; the rest is the text.
    const int width = 8 + data[0] * 2;
    const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
    auto t = TTextGraphic::Create(TString(text.c_str(), int(text.size())), width, 100, data[0] & 15,
                                  "__DEFAULT", 4 + (data[0] & 31), TFloatVector4(1, 1, 1, 1));
    for (const TTextLineRef& line : t->GetLines())
        for (const TTextRun& run : line->runs)
            for (const TTextGlyph& g : run.glyphs)
                if (!run.font || g.index < 0 || g.index >= run.font->GetGlyphCount()) std::abort();
    t->GetTextBounds(1.0f);
    t->CountLinesFitting(1.0f, 0.0f);
    t->GetLinkAt(TFloatPoint(10, 10));
    return 0;
}
