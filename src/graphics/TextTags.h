// The text engine's mark-up: UTF-8 decoding, tag normalising and matching,
// and the tag state a layout keeps (font stack, styles, alignment stack,
// link, outline) with the effects each tag has on it.
//
// Tags (matched as prefixes, in this order): br [pad], /p, a [id, color],
// /a, b, /b, i, /i, u, /u, cursor, center/left/right and their closings,
// font [size, color, face], /font, outline [color, size], /outline, tab
// [pos]. Unknown tags are consumed without effect; a '<' with no '>' after it
// is an ordinary character; '\' takes the next character literally.
//
// Failure: none; the stacks clamp at 0 and stop storing past 32 entries.
#pragma once

#include <cstdint>

#include "core/String.h"
#include "core/ValueTypes.h"

struct TextAttributes
{
    TString face;
    int size = 16;
    TFloatVector4 color;  // red, green, blue, alpha in 0..1
};

// The code point of the sequence starting at text[*index]; *index is left on
// its last byte. A sequence cut short by length is skipped: the code point is
// 0 and *index is left on the last byte of the text.
uint32_t DecodeUtf8(const char* text, int length, int* index);

// Copies the tag at text (which must start with '<') into out, lower-case
// outside attribute values, spaces dropped outside quotes, at most 128
// characters; returns the characters consumed, 0 when text holds no tag.
int NormalizeTag(const char* text, int length, char out[129]);
// True when the normalised tag begins with name after its '<'.
bool TagIs(const char* tag, const char* name);
// The quoted value following name in the normalised tag; false when absent.
bool GetTagAttribute(const char* tag, const char* name, TString* value);

bool ColorsDiffer(const TFloatVector4& a, const TFloatVector4& b);
// b strictly within 0.0001 of a.
bool NearlyEqual(float a, float b);

struct TTagState
{
    static constexpr int kDepth = 32;

    TextAttributes fontStack[kDepth];
    int fontTop = 0;
    bool bold = false, italic = false, underline = false;
    int alignStack[kDepth] = {};
    int alignTop = 0;
    TString linkId;
    TFloatVector4 linkColor;
    float outlineSize = 0.0f;
    TFloatVector4 outlineColor;

    // Entry 0 becomes base; everything else as new.
    void Reset(const TextAttributes& base);
    const TextAttributes& Font() const { return fontStack[fontTop < kDepth ? fontTop : kDepth - 1]; }
    // -1 the text's default, 0 left, 1 centre, 2 right.
    int Align() const { return alignStack[alignTop < kDepth ? alignTop : kDepth - 1]; }
};

// What a tag asks of the layout beyond the state changes.
struct TTagEffects
{
    bool endsLine = false;
    bool alignChanged = false;
    int pad = 0;         // br padding in pixels
    bool cursor = false;
    bool tab = false;
    int tabPos = 0;      // pixels
};

// Parses the tag at text (a '<') into state and effects; returns the length
// consumed, 0 when text does not hold a tag.
int ParseTag(const char* text, int length, TTagState& state, TTagEffects* effects);
