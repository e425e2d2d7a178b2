// Binary animation descriptions and sheet pictures for the tests.
#include "graphics/support/AnimationFixtures.h"

#include <cstring>

namespace animfx
{

void PutInt(std::string& out, int32_t v)
{
    const uint32_t u = uint32_t(v);
    for (int i = 0; i < 4; ++i) out += char((u >> (8 * i)) & 0xFF);
}

void PutFloat(std::string& out, float v)
{
    int32_t bits = 0;
    std::memcpy(&bits, &v, sizeof bits);
    PutInt(out, bits);
}

void PutString(std::string& out, const std::string& s)
{
    PutInt(out, int32_t(s.size()));
    out += s;
}

std::string Encode(const Anm& a)
{
    std::string out = "ANIM";
    PutInt(out, 0);
    PutInt(out, a.version);
    PutString(out, a.sequence);
    PutString(out, a.source);
    out += "IMGN";
    PutInt(out, a.imgRegX);
    PutInt(out, a.imgRegY);
    PutInt(out, a.imgW);
    PutInt(out, a.imgH);
    if (a.version == 1)
        for (int i = 0; i < 4; ++i) PutFloat(out, 0.0f);
    PutString(out, a.image);
    PutString(out, a.mask);
    out += "FRMS";
    PutInt(out, int32_t(a.frames.size()));
    for (const Frame& f : a.frames)
    {
        for (int v : {f.regX, f.regY, f.x, f.y, f.w, f.h}) PutInt(out, v);
        if (a.version > 1) PutFloat(out, f.alpha);
        for (float v : f.xform) PutFloat(out, v);
        PutString(out, f.name);
        PutInt(out, int32_t(f.anchors.size()));
        for (const Anchor& an : f.anchors)
        {
            PutInt(out, an.x);
            PutInt(out, an.y);
            PutString(out, an.name);
        }
    }
    if (a.withScript)
    {
        out += "SCRP";
        PutString(out, a.script);
    }
    return out;
}

std::vector<uint32_t> Strip(int frameW, int frameH, const std::vector<uint32_t>& colours)
{
    const int w = frameW * int(colours.size());
    std::vector<uint32_t> px(size_t(w) * frameH);
    for (int y = 0; y < frameH; ++y)
        for (int x = 0; x < w; ++x) px[size_t(y) * w + x] = colours[size_t(x / frameW)];
    return px;
}

}  // namespace animfx
