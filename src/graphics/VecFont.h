// TVecFont: a read-only view over an MVC4 vector font image ("MVC4", a glyph
// count, 18-byte glyph records sorted by code, then the glyph shapes as
// command streams for the vector rasteriser). Answers glyph lookups and the
// metrics the text layout needs; lengths come out in pixels at size 1
// (stored units / 128).
//
// Failure: an image that is empty or does not begin with "MVC4" gives a font
// of 0 glyphs (every lookup -1, every metric 0). Load refuses, with one log
// line, any image the text engine could not use safely: no glyphs, a record
// table or shape offset past the image, no "W", or ascent + descent <= 0.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "core/String.h"

class TVecFont
{
public:
    // Takes the image bytes. Never fails; see IsUsable.
    explicit TVecFont(std::vector<uint8_t> image);
    ~TVecFont();
    TVecFont(const TVecFont&) = delete;
    TVecFont& operator=(const TVecFont&) = delete;

    // A font made from image, or null with "ERROR: Font %s refused: %s" in
    // the log (name says which file).
    static std::unique_ptr<TVecFont> Load(std::vector<uint8_t> image, const TString& name);

    // False when the image is one Load refuses; Why says what is wrong.
    bool IsUsable() const { return problem_ == nullptr; }
    const char* Why() const { return problem_ ? problem_ : ""; }

    int GetGlyphCount() const { return glyphCount_; }
    // Glyph index, or -1 when absent.
    int FindGlyph(uint32_t code) const;
    // The glyph's command stream; null for an index outside the table.
    const uint8_t* GetGlyphShape(int index) const;
    // Where every command stream must stop reading.
    const uint8_t* GetImageEnd() const { return image_.data() + image_.size(); }
    uint32_t GetCode(int index) const;

    // Record metrics / 128; 0 for an index outside the table.
    float GetMinX(int index) const;
    float GetMaxX(int index) const;
    float GetTop(int index) const;
    float GetBottom(int index) const;
    float GetAdvance(int index) const;
    // 1 / the factor by which a glyph overflows the padded box, else 1.0
    // (also for an index outside the table).
    float GetGlyphScale(int index) const;

    float GetAscent() const { return ascent_; }
    float GetDescent() const { return descent_; }
    // Room added above (true) or below (false) the glyph box: 0.15 and 0.05
    // of a line whose other 0.8 is ascent + descent.
    float GetPadding(bool above) const;
    static float GetBoxFraction() { return 1.0f - 0.15f - 0.05f; }
    bool IsFlagSet() const { return flag_ != 0; }
    float GetScale() const { return scale_; }

private:
    int16_t RecordS16(int index, int offset) const;

    std::vector<uint8_t> image_;
    int glyphCount_ = 0;
    std::vector<uint32_t> codes_;
    std::vector<float> fitScales_;
    float ascent_ = 0.0f;
    float descent_ = 0.0f;
    uint8_t flag_ = 0;
    float scale_ = 1.0f;
    const char* problem_ = nullptr;
};
