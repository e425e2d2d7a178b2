// The rasteriser core: command parsing into edges, the quarter-row sweep into
// coverage layers, span resolution and the span cache.
#include "graphics/VecRaster.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace
{

constexpr int kQuarterWindow = TVecRaster::kWindow * 4;
constexpr int kCells = TVecRaster::kWindow * 2 + 2;
constexpr int kMaxGroup = 63;  // groups beyond share the last one

// A quarter-row or quarter-column index from a coordinate: the first sample
// centre at or right of (below) v. Far-off and NaN values are held just
// outside the window, where nothing is drawn.
int SampleIndex(float v)
{
    const float f = v - 0.5f;
    if (!(f > -kQuarterWindow - 8.0f)) return -kQuarterWindow - 8;
    if (f > kQuarterWindow + 8.0f) return kQuarterWindow + 8;
    const int t = int(f);  // towards zero: the ceiling unless f is positive with a fraction
    return t + (float(t) < f ? 1 : 0);
}

int16_t ReadS16(const uint8_t* p)
{
    return int16_t(uint16_t(p[0] | p[1] << 8));
}

}  // namespace

int TVecRaster::LayerOfSlot(int slot)
{
    if (slot == 255) return 0;
    if (slot == 254) return 1;
    if (slot == 1) return 3;
    return 2;
}

bool TVecRaster::Key::operator==(const Key& o) const
{
    return shape == o.shape && px == o.px && py == o.py && scaleX == o.scaleX &&
           scaleY == o.scaleY && outline0 == o.outline0 && outline1 == o.outline1 &&
           italic == o.italic && cos == o.cos && sin == o.sin;
}

TVecRaster::TVecRaster()
{
    edges_.reserve(edgeCapacity_);
    for (auto& c : cells_) c.assign(kCells, 0);
    for (int l = 0; l < 4; ++l)
    {
        dirtyMin_[l] = kCells;
        dirtyMax_[l] = -1;
    }
    groupFill_.assign(kMaxGroup + 1, 0);
    groupSlotBase_.assign(kMaxGroup + 1, 0);
    buckets_.assign(kCacheBuckets, -1);
    store_.reserve(kBlockSpans);
}

void TVecRaster::ClearCache()
{
    std::fill(buckets_.begin(), buckets_.end(), -1);
    entries_.clear();
    store_.clear();
}

const TVecSpan* TVecRaster::Render(const uint8_t* shape, const uint8_t* end, int px, int py,
                                   const TVecTransform& t, int* count, bool* fromCache)
{
    px &= 3;
    py &= 3;
    if (fromCache) *fromCache = false;
    if (!cacheOn_)
    {
        scratch_.clear();
        Sweep(shape, end, px, py, t, scratch_);
        *count = int(scratch_.size());
        return scratch_.data();
    }
    const Key key{shape,    px,         py,           t.scaleX,
                  t.scaleY, t.outline[0], t.outline[1], t.italic ? 1 : 0,
                  t.cos,    t.sin};
    const size_t bucket = reinterpret_cast<uintptr_t>(shape) % kCacheBuckets;
    for (int32_t i = buckets_[bucket]; i >= 0; i = entries_[size_t(i)].next)
    {
        const Entry& e = entries_[size_t(i)];
        if (e.key == key)
        {
            if (fromCache) *fromCache = true;
            *count = int(e.count);
            return store_.data() + e.start;
        }
    }
    // Text whose scale or rotation changes every frame would grow the cache
    // without end; past the cap it starts again from nothing.
    if (GetCacheBlocks() >= maxBlocks_)
    {
        ClearCache();
        ++cacheClears_;
    }
    const size_t start = store_.size();
    Sweep(shape, end, px, py, t, store_);
    entries_.push_back(Entry{key, uint32_t(start), uint32_t(store_.size() - start), buckets_[bucket]});
    buckets_[bucket] = int32_t(entries_.size() - 1);
    *count = int(store_.size() - start);
    return store_.data() + start;
}

// ---------------------------------------------------------------------------
// Parsing

void TVecRaster::AddSegment(float x0, float y0, float x1, float y1, int fill, int group)
{
    int8_t dir = 1;
    if (y1 < y0)
    {
        std::swap(x0, x1);
        std::swap(y0, y1);
        dir = -1;
    }
    const int top = SampleIndex(y0), bottom = SampleIndex(y1);
    if (top >= bottom) return;  // no sample row crossed (also NaN)
    if (edges_.size() >= edgeCapacity_)
    {
        edges_.push_back(Edge{});  // marks the overflow for Parse
        return;
    }
    const float slope = (x1 - x0) / (y1 - y0);
    Edge e;
    e.slope = slope;
    e.x = x0 + (float(top) + 0.5f - y0) * slope;
    e.top = top;
    e.bottom = bottom;
    e.dir = dir;
    e.fill = uint8_t(fill);
    e.group = uint16_t(group);
    edges_.push_back(e);
}

void TVecRaster::AddStroke(float x0, float y0, float x1, float y1, float width, int group)
{
    const float dx = x1 - x0, dy = y1 - y0;
    const float len = std::sqrt(dx * dx + dy * dy);
    if (!(len > 1e-4f)) return;
    const float d = width * 4.0f;
    const float ux = dx / len * d, uy = dy / len * d;  // along, d long
    const float nx = -uy, ny = ux;                     // across, d long
    const float p[6][2] = {{x0 + nx, y0 + ny}, {x1 + nx, y1 + ny}, {x1 + ux, y1 + uy},
                           {x1 - nx, y1 - ny}, {x0 - nx, y0 - ny}, {x0 - ux, y0 - uy}};
    for (int i = 0; i < 6; ++i)
    {
        const int j = (i + 1) % 6;
        AddSegment(p[i][0], p[i][1], p[j][0], p[j][1], 0, group);
    }
}

void TVecRaster::Parse(const uint8_t* shape, const uint8_t* end, int px, int py,
                       const TVecTransform& t)
{
    edges_.clear();
    lastSegments_ = 0;
    const bool rotate = t.sin != 0.0f;
    auto point = [&](const uint8_t* p, float* ox, float* oy)
    {
        float x = float(ReadS16(p)) / 128.0f, y = float(ReadS16(p + 2)) / 128.0f;
        if (t.italic) x -= y / 3.0f;
        x *= t.scaleX;
        y *= t.scaleY;
        if (rotate)
        {
            const float rx = x * t.cos - y * t.sin;
            y = x * t.sin + y * t.cos;
            x = rx;
        }
        *ox = x + float(px);
        *oy = y + float(py);
    };
    int group = 2, colours = 0, left = 0, right = 0;
    groupSlotBase_[2] = 0;
    float cx = float(px), cy = float(py);
    auto segment = [&](float x1, float y1)
    {
        ++lastSegments_;
        // The fill of the side the sweep enters (right of a downward edge is
        // its left side); an edge with one filled side toggles that fill.
        const int entered = y1 >= cy ? left : right, other = y1 >= cy ? right : left;
        AddSegment(cx, cy, x1, y1, entered ? entered : other, group);
        for (int k = 0; k < 2 && t.outline[k] > 0.0f; ++k) AddStroke(cx, cy, x1, y1, t.outline[k], k);
        cx = x1;
        cy = y1;
    };
    const uint8_t* p = shape;
    while (p && p < end)
    {
        const uint8_t op = *p;
        const ptrdiff_t room = end - p;
        if (op == 1)
        {
            if (group < kMaxGroup) ++group;
            groupSlotBase_[size_t(group)] = uint16_t(std::min(colours, 255));
            left = right = 0;
            p += 1;
        }
        else if ((op == 2 || op == 3) && room >= 2)
        {
            (op == 2 ? left : right) = p[1];
            p += 2;
        }
        else if (op == 4 && room >= 5)
        {
            point(p + 1, &cx, &cy);
            p += 5;
        }
        else if (op == 5 && room >= 5)
        {
            float x, y;
            point(p + 1, &x, &y);
            segment(x, y);
            p += 5;
        }
        else if (op == 6 && room >= 9)
        {
            float qx, qy, x, y;
            point(p + 1, &qx, &qy);
            point(p + 5, &x, &y);
            const float sx = cx, sy = cy;
            for (int k = 1; k <= 3; ++k)
            {
                const float s = float(k) / 3.0f, r = 1.0f - s;
                segment(r * r * sx + 2 * r * s * qx + s * s * x,
                        r * r * sy + 2 * r * s * qy + s * s * y);
            }
            p += 9;
        }
        else if (op == 7 && room >= 4)
        {
            ++colours;
            p += 4;
        }
        else
        {
            break;  // 8, an unknown byte or a command cut by the end
        }
        if (edges_.size() > edgeCapacity_) return;
    }
}

// ---------------------------------------------------------------------------
// Sweep

inline void TVecRaster::AddRun(int layer, int start, int end)
{
    start = std::max(start, -kQuarterWindow) + kQuarterWindow;
    end = std::min(end, kQuarterWindow) + kQuarterWindow;
    if (start >= end) return;
    const int s = start >> 2, e = end >> 2;
    dirtyMin_[layer] = std::min(dirtyMin_[layer], s);
    dirtyMax_[layer] = std::max(dirtyMax_[layer], e + 1);
    int16_t* c = cells_[layer].data();
    c[s] = int16_t(c[s] + 4 - (start & 3));
    c[s + 1] = int16_t(c[s + 1] + (start & 3));
    c[e] = int16_t(c[e] + (end & 3) - 4);
    c[e + 1] = int16_t(c[e + 1] - (end & 3));
}

void TVecRaster::ResolveRow(int row, std::vector<TVecSpan>& out)
{
    for (int layer = 0; layer < 4; ++layer)
    {
        if (dirtyMin_[layer] > dirtyMax_[layer]) continue;
        int16_t* c = cells_[layer].data();
        int sum = 0, runStart = 0, runLevel = 0;
        const int last = dirtyMax_[layer];
        for (int k = dirtyMin_[layer]; k <= last + 1; ++k)
        {
            int level = 0;
            if (k <= last)
            {
                sum += c[k];
                c[k] = 0;
                level = std::clamp(sum, 0, 32);
            }
            if (level != runLevel)
            {
                if (runLevel > 0)
                    out.push_back(TVecSpan{int16_t(runStart - kWindow), int16_t(k - kWindow),
                                           int16_t(row), uint8_t(runLevel), uint8_t(layer)});
                runStart = k;
                runLevel = level;
            }
        }
        dirtyMin_[layer] = kCells;
        dirtyMax_[layer] = -1;
    }
}

void TVecRaster::Sweep(const uint8_t* shape, const uint8_t* end, int px, int py,
                       const TVecTransform& t, std::vector<TVecSpan>& out)
{
    for (;;)
    {
        Parse(shape, end, px, py, t);
        if (edges_.size() <= edgeCapacity_) break;
        edgeCapacity_ *= 2;
        edges_.reserve(edgeCapacity_);
    }
    const size_t n = edges_.size();
    if (n == 0) return;
    int lastRow = -kQuarterWindow;
    for (const Edge& e : edges_) lastRow = std::max(lastRow, e.bottom);
    lastRow = std::min(lastRow, kQuarterWindow);
    std::sort(edges_.begin(), edges_.end(), [](const Edge& a, const Edge& b) { return a.top < b.top; });
    const Edge* edges = edges_.data();
    if (active_.size() < n) active_.resize(n);
    Edge* act = active_.data();
    size_t count = 0, next = 0;
    uint16_t* fills = groupFill_.data();
    const uint16_t* bases = groupSlotBase_.data();
    int row = std::max(edges[0].top, -kQuarterWindow);
    bool dirty = false;
    while (row < lastRow)
    {
        if (count == 0)
        {
            if (next >= n) break;
            const int top = edges[next].top;
            if (top > row)
            {
                if (dirty && (top >> 2) != (row >> 2))
                {
                    ResolveRow(row >> 2, out);
                    dirty = false;
                }
                row = top;
                if (row >= lastRow) break;
            }
        }
        while (next < n && edges[next].top <= row)
        {
            Edge e = edges[next++];
            if (e.top < row) e.x += float(row - e.top) * e.slope;  // started above the window
            act[count++] = e;
        }
        // Keep the list ordered by x (it changes little from row to row).
        for (size_t i = 1; i < count; ++i)
        {
            if (!(act[i].x < act[i - 1].x)) continue;
            const Edge v = act[i];
            size_t j = i;
            while (j > 0 && act[j - 1].x > v.x)
            {
                act[j] = act[j - 1];
                --j;
            }
            act[j] = v;
        }

        uint64_t on = 0;
        int winding[2] = {0, 0};
        int runLayer = -1, runStart = 0;
        for (size_t i = 0; i < count; ++i)
        {
            const Edge& e = act[i];
            const int g = e.group;
            if (g < 2)
            {
                winding[g] += e.dir;
                on = winding[g] ? on | (1ull << g) : on & ~(1ull << g);
            }
            else
            {
                uint16_t& f = fills[g];
                f = f ? 0 : e.fill;
                on = f ? on | (1ull << g) : on & ~(1ull << g);
            }
            int layer = -1;
            if (on)
            {
                const int top = 63 - __builtin_clzll(on);
                layer = top < 2 ? LayerOfSlot(255 - top) : LayerOfSlot((fills[top] + bases[top]) & 255);
            }
            if (layer != runLayer)
            {
                const int x = SampleIndex(e.x);
                if (runLayer >= 0)
                {
                    AddRun(runLayer, runStart, x);
                    dirty = true;
                }
                runStart = x;
                runLayer = layer;
            }
        }
        // Closed contours leave every group off at the row's end; an open one
        // (a damaged font) must not carry its fill into the next row.
        if (on)
            for (size_t i = 0; i < count; ++i) fills[act[i].group] = 0;
        // Step to the next row, dropping the edges that end here.
        size_t keep = 0;
        for (size_t i = 0; i < count; ++i)
        {
            if (act[i].bottom <= row + 1) continue;
            const float x = act[i].x + act[i].slope;
            if (keep != i) act[keep] = act[i];
            act[keep++].x = x;
        }
        count = keep;
        ++row;
        if ((row & 3) == 0 && dirty)
        {
            ResolveRow((row - 1) >> 2, out);
            dirty = false;
        }
    }
    if (dirty) ResolveRow((row - 1) >> 2, out);
}
