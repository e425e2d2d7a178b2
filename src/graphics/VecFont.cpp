// The MVC4 font view: header and record checks, the code table, ascent,
// descent and the per-glyph fit scales.
#include "graphics/VecFont.h"

#include <algorithm>
#include <cstring>

#include "core/Log.h"

namespace
{

constexpr size_t kHeaderSize = 12;
constexpr size_t kRecordSize = 18;

uint32_t ReadU32(const uint8_t* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

}  // namespace

TVecFont::TVecFont(std::vector<uint8_t> image) : image_(std::move(image))
{
    if (image_.size() < 6 || std::memcmp(image_.data(), "MVC4", 4) != 0)
    {
        problem_ = "not an MVC4 image";
        return;
    }
    const int n = image_[4] | image_[5] << 8;
    if (n == 0)
    {
        problem_ = "no glyphs";
        return;
    }
    if (image_.size() < kHeaderSize + kRecordSize * size_t(n))
    {
        problem_ = "glyph records past the end of the image";
        return;
    }
    glyphCount_ = n;
    codes_.resize(size_t(n));
    fitScales_.assign(size_t(n), 1.0f);
    for (int i = 0; i < n; ++i)
    {
        const uint8_t* rec = image_.data() + kHeaderSize + kRecordSize * size_t(i);
        codes_[size_t(i)] = ReadU32(rec);
        // The rasteriser reads at least the command byte at the offset.
        if (ReadU32(rec + 14) >= image_.size()) problem_ = "glyph shape past the end of the image";
    }
    if (problem_) return;

    const int w = FindGlyph('W');
    if (w < 0)
    {
        problem_ = "no glyph for \"W\"";
        return;
    }
    ascent_ = -GetTop(w);
    descent_ = 0.0f;
    for (int i = 0; i < n; ++i)
        if (codes_[size_t(i)] < 128 && codes_[size_t(i)] != '_')
            descent_ = std::max(descent_, GetBottom(i));
    if (!(ascent_ + descent_ > 0.0f))
    {
        problem_ = "ascent plus descent is not above 0";
        return;
    }
    const float top = ascent_ + GetPadding(true), bottom = descent_ + GetPadding(false);
    for (int i = 0; i < n; ++i)
    {
        const float u = -GetTop(i) / top, d = GetBottom(i) / bottom;
        if (u > 1.0f || d > 1.0f) fitScales_[size_t(i)] = 1.0f / std::max(u, d);
    }
}

TVecFont::~TVecFont() = default;

std::unique_ptr<TVecFont> TVecFont::Load(std::vector<uint8_t> image, const TString& name)
{
    auto font = std::make_unique<TVecFont>(std::move(image));
    if (font->IsUsable()) return font;
    LogPrintf("ERROR: Font %s refused: %s", name.CStr(), font->Why());
    return nullptr;
}

int TVecFont::FindGlyph(uint32_t code) const
{
    int low = 0, high = glyphCount_ - 1;
    while (high >= low)
    {
        const int mid = (low + high) / 2;
        const uint32_t c = codes_[size_t(mid)];
        if (c == code) return mid;
        if (code < c)
            high = mid - 1;
        else
            low = mid + 1;
    }
    return -1;
}

const uint8_t* TVecFont::GetGlyphShape(int index) const
{
    if (index < 0 || index >= glyphCount_) return nullptr;
    const uint8_t* rec = image_.data() + kHeaderSize + kRecordSize * size_t(index);
    return image_.data() + ReadU32(rec + 14);
}

uint32_t TVecFont::GetCode(int index) const
{
    return (index < 0 || index >= glyphCount_) ? 0 : codes_[size_t(index)];
}

int16_t TVecFont::RecordS16(int index, int offset) const
{
    const uint8_t* p = image_.data() + kHeaderSize + kRecordSize * size_t(index) + offset;
    return int16_t(uint16_t(p[0] | p[1] << 8));
}

float TVecFont::GetMinX(int index) const
{
    return (index < 0 || index >= glyphCount_) ? 0.0f : RecordS16(index, 4) / 128.0f;
}

float TVecFont::GetMaxX(int index) const
{
    return (index < 0 || index >= glyphCount_) ? 0.0f : RecordS16(index, 6) / 128.0f;
}

float TVecFont::GetTop(int index) const
{
    return (index < 0 || index >= glyphCount_) ? 0.0f : RecordS16(index, 8) / 128.0f;
}

float TVecFont::GetBottom(int index) const
{
    return (index < 0 || index >= glyphCount_) ? 0.0f : RecordS16(index, 10) / 128.0f;
}

float TVecFont::GetAdvance(int index) const
{
    return (index < 0 || index >= glyphCount_) ? 0.0f : RecordS16(index, 12) / 128.0f;
}

float TVecFont::GetGlyphScale(int index) const
{
    return (index < 0 || index >= glyphCount_) ? 1.0f : fitScales_[size_t(index)];
}

float TVecFont::GetPadding(bool above) const
{
    return (above ? 0.15f : 0.05f) * (ascent_ + descent_) / GetBoxFraction();
}
