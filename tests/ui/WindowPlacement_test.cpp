// Placement arithmetic: the encoded coordinates against the parent's size.
#include <gtest/gtest.h>

#include <climits>

#include "ui/WindowPlacement.h"

namespace
{

struct Case
{
    const char* what;
    TPlacementInput in;
    bool placed;
    TPlacementResult out;
};

TPlacementInput In(int x, int y, int w, int h, int parentW = 800, int parentH = 600)
{
    TPlacementInput in;
    in.x = x;
    in.y = y;
    in.w = w;
    in.h = h;
    in.hasParent = true;
    in.parentWidth = parentW;
    in.parentHeight = parentH;
    return in;
}

TPlacementInput Aligned(TPlacementInput in, int align)
{
    in.hasAlign = true;
    in.align = align;
    return in;
}

TPlacementInput Orphan(TPlacementInput in)
{
    in.hasParent = false;
    in.parentWidth = in.parentHeight = 0;
    return in;
}

TPlacementInput Current(TPlacementInput in, int left, int top, int width, int height)
{
    in.left = left;
    in.top = top;
    in.width = width;
    in.height = height;
    return in;
}

TEST(WindowPlacement, TableOfCases)
{
    const Case cases[] = {
        {"absolute", In(10, 20, 100, 50), true, {10, 20, 100, 50}},
        {"centred at 80000", In(80000, 80000, 100, 50), true, {350, 275, 100, 50}},
        {"far edge 160000 - 100",
         In(160000 - 100, 160000 - 50, 100, 50),
         true,
         {700, 550, 100, 50}},
        {"negative counts from the far edge", In(-100, -50, 100, 50), true, {700, 550, 100, 50}},
        {"negative with align stays",
         Aligned(In(-100, -50, 100, 50), 0),
         true,
         {-100, -50, 100, 50}},
        {"40000 is absolute", In(40000, 0, 100, 50), true, {40000, 0, 100, 50}},
        {"40001 is centred", In(40001, 0, 100, 50), true, {350 - 39999, 0, 100, 50}},
        {"106666 is still centred",
         In(106666, 0, 100, 50),
         true,
         {106666 - 80000 + 350, 0, 100, 50}},
        {"106667 is far-aligned",
         In(106667, 0, 100, 50),
         true,
         {106667 - 160000 + 800, 0, 100, 50}},
        {"odd halves truncate apart",
         In(80000, 0, 101, 50, 801, 600),
         true,
         {400 - 50, 0, 101, 50}},
        {"stretch to the far edge", In(20, 0, 160000, 50), true, {20, 0, 780, 50}},
        {"stretch with a margin", In(20, 0, 160000 - 30, 50), true, {20, 0, 750, 50}},
        {"stretch around the centre", In(80050, 0, 159800, 50), true, {100, 0, 500, 50}},
        {"stretch left of the centre", In(79950, 0, 160000, 50), true, {0, 0, 700, 50}},
        {"negative size extends left", In(500, 0, -100, 50), true, {400, 0, 100, 50}},
        {"align centre",
         Aligned(In(400, 300, 100, 50), kAlignCentreX | kAlignCentreY),
         true,
         {350, 275, 100, 50}},
        {"align right and bottom",
         Aligned(In(800, 600, 100, 50), kAlignRight | kAlignBottom),
         true,
         {700, 550, 100, 50}},
        {"zero-sized parent, relative x", In(80000, 0, 100, 50, 0, 600), false, {}},
        {"zero-sized parent, stretched h", In(0, 0, 100, 90000, 800, 0), false, {}},
        {"zero-sized parent, absolute", In(10, 10, 100, 50, 0, 0), true, {10, 10, 100, 50}},
        {"relative x with zero width", In(-10, 0, 0, 50), false, {}},
        {"centred y with zero height", In(0, 50000, 100, 0), false, {}},
        {"no parent keeps codes", Orphan(In(80000, 5, 100, 50)), true, {80000, 5, 100, 50}},
        {"second placement keeps a non-zero left",
         Current(In(80000, 0, 100, 50), 7, 0, 100, 50),
         true,
         {7, 0, 100, 50}},
        {"zero width takes the table's",
         Current(In(0, 0, 120, 40), 0, 0, 0, 40),
         true,
         {0, 0, 120, 40}},
        {"non-zero size is kept", Current(In(0, 0, 120, 40), 0, 0, 60, 30), true, {0, 0, 60, 30}},
        {"extremes clamp",
         In(INT_MAX, INT_MIN, INT_MAX, INT_MIN),
         true,
         {INT_MAX, INT_MIN, -2147324447, INT_MAX}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        TPlacementResult out;
        ASSERT_EQ(c.placed, ComputePlacement(c.in, out));
        if (!c.placed) continue;
        EXPECT_EQ(c.out.left, out.left);
        EXPECT_EQ(c.out.top, out.top);
        EXPECT_EQ(c.out.width, out.width);
        EXPECT_EQ(c.out.height, out.height);
    }
}

}  // namespace
