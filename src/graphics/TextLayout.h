// The text layout: a tagged UTF-8 text, a box width and default attributes
// turned into lines of styled runs with glyph positions, for the text object
// to draw, measure and hit-test. Positions inside a line are kept in quarter
// pixels. A run's height is its padded glyph box (its size in pixels), the
// baseline lying the padded ascent below the line's top.
//
// Lines break at spaces and soft hyphens; a word longer than the box breaks
// before the first character that does not fit (with "legacylinewrap" set,
// that character stays on the line). A character the run's font lacks comes
// from "fonts/default.mvec", or is skipped when that lacks it too.
//
// Failure: none; a run without a font logs "ERROR: FONT missing in text when
// attempting to render string %s." and the text lays out without glyphs.
#pragma once

#include <memory>
#include <vector>

#include "core/String.h"
#include "core/ValueTypes.h"
#include "graphics/TextTags.h"
#include "graphics/VecFont.h"

class TFontRegistry;

struct TTextGlyph
{
    int index;  // in the run's font
    float x;    // quarter pixels from the line's start
};

struct TTextRun
{
    TVecFont* font = nullptr;
    float scale = 0.0f;  // quarter pixels per font pixel at size 1
    int size = 0;
    int height = 0;      // pixels: the padded glyph box
    float baseline = 0;  // pixels below the line's top
    TFloatVector4 color, linkColor;
    bool bold = false, italic = false, underline = false, cursor = false;
    int align = -1;
    int start = 0, end = -2;  // text indices; -2 while open
    float x = 0.0f;           // quarter pixels: where the run starts
    float xEnd = 0.0f;        // quarter pixels: the end of its glyphs
    int width = 0;            // pixels
    TString linkId;
    float outlineSize = 0.0f;
    TFloatVector4 outlineColor;
    TVecFont* fallback = nullptr;  // set when this run serves the fallback's glyphs
    int tabPos = -1;               // quarter pixels; -1 none
    std::vector<TTextGlyph> glyphs;
};

struct TTextLine
{
    int height = 0;
    int width = 0;
    int xOffset = 0;
    float startOffset = 0.0f;
    std::vector<TTextRun> runs;
};

using TTextLineRef = std::shared_ptr<TTextLine>;

struct TTextLayoutResult
{
    std::vector<TTextLineRef> lines;
    int totalHeight = 0;
    int widest = 0;
    int blockTop = 0;
    float blockOffset = 0.0f;
};

// Bits of a text's flags (the values scripts and data files give): the line
// alignment, left when neither is set, and the block's vertical place, top
// when neither is set.
enum TTextFlag : int
{
    kTextCentre = 1,
    kTextRight = 2,
    kTextMiddle = 4,
    kTextBottom = 8,
};

// flags: TTextFlag bits.
void LayoutText(const TString& text, int boxWidth, int boxHeight, const TextAttributes& base,
                int flags, TFontRegistry& fonts, TTagState& state, TTextLayoutResult* out);
