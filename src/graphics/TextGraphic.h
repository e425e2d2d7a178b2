// TTextGraphic: the framework's drawable text. A tagged UTF-8 text laid out
// in a box in a named vector font at a pixel size and colour, with a default
// alignment, an optional rotation, a scroll position and link hit-testing.
// Setters lay the text out again only when the value changes; drawing and
// the measuring and hit-test calls reuse the stored lines and agree with
// each other for the same scale and line spacing.
//
// Failure: none. A missing font falls back through the font registry;
// without a vector drawer (before the display is set up) text lays out and
// measures but draws nothing.
#pragma once

#include <memory>
#include <vector>

#include "core/String.h"
#include "core/ValueTypes.h"
#include "graphics/TextLayout.h"
#include "graphics/TextTags.h"

class TTextGraphic
{
public:
    TTextGraphic();
    ~TTextGraphic();

    // flags: TTextFlag bits (graphics/TextLayout.h).
    static std::unique_ptr<TTextGraphic> Create(const TString& text, int width, int height,
                                                int flags, const TString& fontName, int fontSize,
                                                const TFloatVector4& color);

    void SetText(const TString& text);
    // A null or empty name is "__DEFAULT".
    void SetFont(const TString& name);
    void SetFontSize(int size);
    int GetFontSize() const { return fontSize_; }
    // Lowers the font size a step at a time, not below minSize, until the
    // text lies on one line no wider than the box (names that must not wrap
    // in a row); true when it does.
    bool ShrinkToOneLine(int minSize);
    void SetFlags(int flags);
    void SetSize(int width, int height);
    void SetColor(const TFloatVector4& color);
    void SetRotation(float degrees, int originX, int originY);
    void SetReplaceMode() { replaceMode_ = true; }
    // Whole part: the first line drawn and hit-tested; fraction: the part of
    // that line scrolled away.
    void SetFirstLine(float line) { firstLine_ = line > 0.0f ? line : 0.0f; }
    float GetFirstLine() const { return firstLine_; }

    TString GetText() const { return text_; }
    TString GetFontName() const { return fontName_; }
    int GetLineCount() const { return int(lines_.size()); }
    const std::vector<TTextLineRef>& GetLines() const { return lines_; }
    int GetLayoutCount() const { return layouts_; }
    float GetRotCos() const { return rotCos_; }
    float GetRotSin() const { return rotSin_; }

    // Index of the first line to show so that the end of the text fits the
    // box when each line takes scale x (spacing + its height); 0 when all fit.
    int CountLinesFitting(float scale, float spacing) const;
    // The link id under point (box coordinates), lines spaced as drawn.
    TString GetLinkAt(const TFloatPoint& point, float spacing = 0.0f, float scale = 1.0f) const;
    // Hover link = GetLinkAt; true when it changed.
    bool UpdateHoverLink(const TFloatPoint& point, float spacing = 0.0f, float scale = 1.0f);
    void ClearHoverLink() { hoverLink_ = TString(); }
    TString GetHoverLink() const { return hoverLink_; }
    TRect GetTextBounds(float scale) const;

    // Draws the lines at position (box top-left). A negative scale draws
    // nothing. Unless raw, the position is moved by the viewport's origin.
    // alpha scales every pen; lineSpacing is added under every line.
    void Draw(const TFloatPoint& position, int height, float scale, float lineSpacing = 0.0f,
              float alpha = 1.0f, bool raw = false);

private:
    void Layout();
    // The first line's whole index, and where its top lies (box pixels) with
    // its scrolled-away part above the block.
    int FirstLineIndex() const;
    float FirstLineTop(float scale) const;

    TString text_;
    TTagState tagState_;
    int left_ = 0, top_ = 0, right_ = 0, height_ = 0;
    int boxWidth_ = 0, boxHeight_ = 0;
    float rotCos_ = 1.0f, rotSin_ = 0.0f;
    int rotOriginX_ = 0, rotOriginY_ = 0;
    bool replaceMode_ = false;
    std::vector<TTextLineRef> lines_;
    TString fontName_ = "__DEFAULT";
    int fontSize_ = 0;
    TFloatVector4 color_;
    float firstLine_ = 0.0f;
    float blockOffset_ = 0.0f;
    TString hoverLink_;
    int flags_ = 0;
    bool spriteRender_ = false;
    int layouts_ = 0;
};

// Draws text at the rectangle's top-left, holding a reference to it for the
// call; the further arguments are Draw's.
void DrawTextGraphicAt(const std::shared_ptr<TTextGraphic>& text, const TRect& rect,
                       float scale = 1.0f, float alpha = 1.0f, float lineSpacing = 0.0f,
                       const TFloatPoint& offset = TFloatPoint());
