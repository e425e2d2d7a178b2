// The arithmetic of window placement: the encoded coordinates of a window's
// style table (centred, far-edge aligned, counted from the far edge,
// stretched) resolved against the parent's size. Pure functions, no window.
//
// Coordinates: 106667 and above align to the parent's far edge (160000 is the
// edge itself); 40001 to 106666 are centred (80000 is the centre); negatives
// count from the far edge unless "align" is given. Sizes above 80000 stretch
// toward the far edge (160000 reaches it). All arithmetic runs in 64 bits and
// the results are clamped to 32 bits, so no input overflows.
#pragma once

#include <cstdint>

// Bits of a style's "align".
enum : int32_t
{
    kAlignCentreX = 1,
    kAlignRight = 2,
    kAlignCentreY = 4,
    kAlignBottom = 8,
};

struct TPlacementInput
{
    // The style's values (x, y default 0; w, h default the current size).
    int32_t x = 0, y = 0, w = 0, h = 0;
    bool hasAlign = false;  // "align" given: negatives are taken as they are
    int32_t align = 0;
    bool hasParent = false;
    int32_t parentWidth = 0, parentHeight = 0;
    // The window's rectangle now: a non-zero left/top/width/height is kept.
    int32_t left = 0, top = 0, width = 0, height = 0;
};

struct TPlacementResult
{
    int32_t left = 0, top = 0, width = 0, height = 0;
};

// False when the placement is skipped entirely (it depends on a parent of
// zero size, or on a relative coordinate with zero size): the window then
// keeps its rectangle. Otherwise out holds the new position and size.
bool ComputePlacement(const TPlacementInput& in, TPlacementResult& out);

// One coordinate against the parent size P and the window's own size S.
// Negatives count from the far edge unless negativesAsIs.
int64_t ResolvePlacementCoordinate(int64_t v, int64_t parentSize, int64_t ownSize,
                                   bool negativesAsIs);

// One axis: value and size resolved in place (see ComputePlacement).
void ResolvePlacementAxis(int64_t& v, int64_t& s, int64_t parentSize, bool centre, bool farEdge,
                          bool negativesAsIs, bool hasParent);
