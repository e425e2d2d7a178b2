// The encoded-coordinate arithmetic of window placement.
#include "ui/WindowPlacement.h"

#include <algorithm>
#include <limits>

namespace
{

const int64_t kCentreFrom = 40000;  // above: centred
const int64_t kFarFrom = 106667;    // from here: aligned to the far edge
const int64_t kCentre = 80000;
const int64_t kFarEdge = 160000;
const int64_t kStretchFrom = 80000;  // sizes above stretch

int32_t Clamp32(int64_t v)
{
    return static_cast<int32_t>(std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

void Stretch(int64_t& v, int64_t& s, int64_t parentSize)
{
    const int64_t d = v >= kFarFrom ? v - kFarEdge + parentSize : v - kCentre;
    if (d >= 0)
    {
        s = s + parentSize - 2 * d - kFarEdge;
        v = 2 * d;
    }
    else
    {
        s = s + parentSize + 2 * d - kFarEdge;
        v = 0;
    }
}

}  // namespace

int64_t ResolvePlacementCoordinate(int64_t v, int64_t parentSize, int64_t ownSize,
                                   bool negativesAsIs)
{
    if (v >= kFarFrom) return v - kFarEdge + parentSize;
    // Each half truncates on its own, as the layouts were made against.
    if (v > kCentreFrom) return v - kCentre + (parentSize / 2 - ownSize / 2);
    if (v < 0 && !negativesAsIs) return parentSize + v;
    return v;
}

void ResolvePlacementAxis(int64_t& v, int64_t& s, int64_t parentSize, bool centre, bool farEdge,
                          bool negativesAsIs, bool hasParent)
{
    if (v < kCentreFrom || v >= kFarFrom)
    {
        if (centre)
        {
            if (s == 0) return;
            v -= s / 2;
        }
        else if (farEdge)
        {
            if (s == 0) return;
            v -= s;
        }
    }
    if (!hasParent) return;
    if (s > kStretchFrom)
    {
        if (v <= kCentreFrom)
        {
            v = ResolvePlacementCoordinate(v, parentSize, s, negativesAsIs);
            s = s + parentSize - v - kFarEdge;
        }
        else
        {
            Stretch(v, s, parentSize);
        }
    }
    else if (s >= 0)
    {
        v = ResolvePlacementCoordinate(v, parentSize, s, negativesAsIs);
    }
    else
    {
        s = -s;
        if (s <= kStretchFrom)
        {
            // The window extends to the left of (or above) the coordinate.
            v = ResolvePlacementCoordinate(v, parentSize, s, negativesAsIs) - s;
        }
        else if (v > kCentreFrom)
        {
            Stretch(v, s, parentSize);
        }
    }
}

bool ComputePlacement(const TPlacementInput& in, TPlacementResult& out)
{
    const auto relative = [](int64_t v, int64_t s)
    { return s < 0 || v < 0 || s > kStretchFrom || v > kCentreFrom; };
    if (in.hasParent)
    {
        if (relative(in.x, in.w) && in.parentWidth == 0) return false;
        if (relative(in.y, in.h) && in.parentHeight == 0) return false;
    }
    if ((in.x > kCentreFrom || in.x < 0) && in.w == 0) return false;
    if ((in.y > kCentreFrom || in.y < 0) && in.h == 0) return false;

    const int32_t align = in.hasAlign ? in.align : 0;
    int64_t x = in.x, w = in.w, y = in.y, h = in.h;
    ResolvePlacementAxis(x, w, in.parentWidth, (align & kAlignCentreX) != 0,
                         (align & kAlignRight) != 0, in.hasAlign, in.hasParent);
    ResolvePlacementAxis(y, h, in.parentHeight, (align & kAlignCentreY) != 0,
                         (align & kAlignBottom) != 0, in.hasAlign, in.hasParent);

    out.left = in.left != 0 ? in.left : Clamp32(x);
    out.top = in.top != 0 ? in.top : Clamp32(y);
    out.width = in.width != 0 ? in.width : Clamp32(w);
    out.height = in.height != 0 ? in.height : Clamp32(h);
    return true;
}
