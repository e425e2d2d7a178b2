// TVecRaster: the device-free core of the vector drawer. Turns a shape's
// command stream (move, line, quadratic curve, colours, fill sides, style
// groups) under a transform into anti-aliased horizontal spans: edges swept
// in quarter-pixel rows and columns (16 coverage levels a pixel) into four
// coverage layers, resolved a pixel row at a time. Rendered shapes are kept
// as span lists keyed by shape address, quarter-pixel phase and transform,
// so a glyph drawn again is replayed instead of swept.
//
// Shape commands (coordinates s16 little-endian, 1/128 pixel at scale 1,
// y down): 1 new style group; 2 n left fill; 3 n right fill; 4 x y move;
// 5 x y line; 6 cx cy x y quadratic curve (three lines); 7 r g b define a
// colour; 8 (or any other byte, or the end of the image) ends the shape.
//
// Failure: none. Reads stop at the end pointer; rows and columns beyond
// 1600 pixels of the origin are dropped; a cache past its block cap is
// emptied and refilled.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// One run of equal coverage in one pixel row, relative to the origin pixel:
// pixels x0 .. x1 - 1 of row y at coverage level (1..16) in layer (0..3).
struct TVecSpan
{
    int16_t x0, x1, y;
    uint8_t level, layer;
};
static_assert(sizeof(TVecSpan) == 8, "span records are 8 bytes");

// How a shape is placed: scales map pixels at size 1 to quarter pixels (four
// times the drawing size); rotation turns about the origin; italic shears x
// by a third of y before scaling; up to two outline widths in pixels (0 ends
// the list), drawn under the fills.
struct TVecTransform
{
    float scaleX = 4.0f, scaleY = 4.0f;
    float cos = 1.0f, sin = 0.0f;
    float outline[2] = {0.0f, 0.0f};
    bool italic = false;
};

class TVecRaster
{
public:
    static constexpr int kWindow = 1600;         // pixels either side of the origin
    static constexpr int kBlockSpans = 8192;     // span records per cache block
    static constexpr int kCacheBuckets = 2039;
    static constexpr int kDefaultMaxBlocks = 256;  // 16 MB of spans

    // Colour slot -> coverage layer: outlines (255, 254) under the fills.
    static int LayerOfSlot(int slot);

    TVecRaster();

    // The spans of shape (read no further than end) at quarter phase (0..3)
    // px, py; *count gets their number. From the cache when an equal key is
    // held, which *fromCache tells. The pointer is valid until the next call.
    const TVecSpan* Render(const uint8_t* shape, const uint8_t* end, int px, int py,
                           const TVecTransform& transform, int* count, bool* fromCache = nullptr);

    void SetCacheEnabled(bool on) { cacheOn_ = on; }
    bool IsCacheEnabled() const { return cacheOn_; }
    void SetMaxCacheBlocks(int blocks) { maxBlocks_ = blocks < 1 ? 1 : blocks; }
    void ClearCache();
    size_t GetCacheEntries() const { return entries_.size(); }
    int GetCacheBlocks() const { return int((store_.size() + kBlockSpans - 1) / kBlockSpans); }
    int GetCacheClears() const { return cacheClears_; }
    // Edge storage capacity: 512 at first, doubled whenever a shape needs more.
    size_t GetEdgeCapacity() const { return edgeCapacity_; }
    // Segments of the last swept shape (lines, and three per curve).
    int GetLastSegmentCount() const { return lastSegments_; }

private:
    struct Edge
    {
        float x;      // at the centre of the current quarter row
        float slope;  // x per quarter row
        int top, bottom;  // first quarter row inside, first one past
        int8_t dir;
        uint8_t fill;
        uint16_t group;
    };
    struct Key
    {
        const uint8_t* shape;
        int32_t px, py;
        float scaleX, scaleY, outline0, outline1;
        int32_t italic;
        float cos, sin;
        bool operator==(const Key& o) const;
    };
    struct Entry
    {
        Key key;
        uint32_t start, count;
        int32_t next;
    };

    void Sweep(const uint8_t* shape, const uint8_t* end, int px, int py, const TVecTransform& t,
               std::vector<TVecSpan>& out);
    void Parse(const uint8_t* shape, const uint8_t* end, int px, int py, const TVecTransform& t);
    void AddSegment(float x0, float y0, float x1, float y1, int fill, int group);
    void AddStroke(float x0, float y0, float x1, float y1, float width, int group);
    [[gnu::always_inline]] void AddRun(int layer, int start, int end);
    void ResolveRow(int row, std::vector<TVecSpan>& out);

    std::vector<Edge> edges_;
    size_t edgeCapacity_ = 512;
    std::vector<Edge> active_;
    // Wider than bytes: byte stores may alias anything and would make the
    // sweep reload its state after every one.
    std::vector<uint16_t> groupFill_, groupSlotBase_;
    int lastSegments_ = 0;
    // Coverage deltas per layer over the window, and the dirty cell range.
    std::vector<int16_t> cells_[4];
    int dirtyMin_[4], dirtyMax_[4];

    bool cacheOn_ = true;
    int maxBlocks_ = kDefaultMaxBlocks;
    int cacheClears_ = 0;
    std::vector<int32_t> buckets_;
    std::vector<Entry> entries_;
    std::vector<TVecSpan> store_;
    std::vector<TVecSpan> scratch_;
};
