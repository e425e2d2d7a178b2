// The vector drawer's outputs (line-list vertices through the drawing
// context, or pixels of a locked target), its colour ramps and the span
// offset calibration.
#include "graphics/VecDraw.h"

#include <algorithm>
#include <cmath>

#include "core/Log.h"
#include "graphics/DrawContext.h"

namespace
{

TQvMiniVecDraw* gVecDraw = nullptr;

constexpr uint32_t kWhite = 0xFFFFFFFFu;

// A quarter-pixel position as an integer; far-off values are held where
// every span is clipped anyway.
int QuarterOf(float q)
{
    if (!(q > -1.0e7f)) return -10000000;
    if (q > 1.0e7f) return 10000000;
    return int(std::lround(q));
}

void WriteSpan(uint32_t* row, int x0, int x1, uint32_t c, int mode)
{
    const uint32_t a = c >> 24;
    if (mode == kVecCopy)
    {
        std::fill(row + x0, row + x1, c);
        return;
    }
    // A span of alpha 0 adds nothing; the rest of the text still counts.
    if (a == 0) return;
    const uint32_t sg = (c >> 8) & 255;
    if (mode == kVecAccumulate)
    {
        const uint32_t sr = (c >> 16) & 255, sb = c & 255;
        for (int x = x0; x < x1; ++x)
        {
            const uint32_t d = row[x], da = d >> 24, sum = a + da;
            const uint32_t r = (sr * a + ((d >> 16) & 255) * da) / sum;
            const uint32_t g = (sg * a + ((d >> 8) & 255) * da) / sum;
            const uint32_t b = (sb * a + (d & 255) * da) / sum;
            row[x] = std::min(sum, 255u) << 24 | r << 16 | g << 8 | b;
        }
        return;
    }
    if (a == 255)
    {
        for (int x = x0; x < x1; ++x) row[x] = (row[x] & 0xFF000000u) | (c & 0x00FFFFFFu);
        return;
    }
    // Red and blue blend side by side in one word (16 bits a lane); each
    // lane is rounded to the nearest of v / 255.
    const uint32_t ia = 255 - a;
    const uint32_t srb = (c & 0x00FF00FFu) * a, sgg = sg * a;
    for (int x = x0; x < x1; ++x)
    {
        const uint32_t d = row[x];
        uint32_t rb = srb + (d & 0x00FF00FFu) * ia + 0x00800080u;
        rb = ((rb + ((rb >> 8) & 0x00FF00FFu)) >> 8) & 0x00FF00FFu;
        uint32_t g = sgg + ((d >> 8) & 255) * ia + 0x80u;
        g = ((g + (g >> 8)) >> 8) & 255;
        row[x] = (d & 0xFF000000u) | rb | g << 8;
    }
}

}  // namespace

TQvMiniVecDraw* GetVecDraw()
{
    return gVecDraw;
}

void SetVecDraw(TQvMiniVecDraw* draw)
{
    gVecDraw = draw;
}

void BuildCoverageRamp(const TFloatVector4& colour, float alphaScale, uint32_t ramp[32])
{
    const TColor c(colour.x, colour.y, colour.z, colour.w);
    float scaled = float(c.GetAlpha()) * alphaScale;
    if (!(scaled > 0.0f)) scaled = 0.0f;
    const uint32_t a = uint32_t(std::min(scaled, 255.0f));
    const uint32_t rgb = c.argb & 0x00FFFFFFu;
    for (uint32_t k = 0; k < 32; ++k)
    {
        const uint32_t alpha = k < 16 ? (std::min(16 * (k + 1), 256u) * a) / 256 : (255 * a) / 256;
        ramp[k] = alpha << 24 | rgb;
    }
}

void WriteVecSpans(const TVecSpan* spans, int count, int originX, int originY,
                   const TVecRamps& ramps, uint32_t* pixels, int width, int height, int pitch,
                   int mode)
{
    if (!pixels) return;
    for (int i = 0; i < count; ++i)
    {
        const TVecSpan& s = spans[i];
        const int y = originY + s.y;
        if (y < 0 || y >= height) continue;
        const int x0 = std::max(originX + s.x0, 0), x1 = std::min(originX + s.x1, width);
        if (x0 >= x1) continue;
        WriteSpan(pixels + size_t(y) * size_t(pitch), x0, x1,
                  ramps.ramp[s.layer & 3][(s.level - 1) & 31], mode);
    }
}

TQvMiniVecDraw::TQvMiniVecDraw()
{
    vertices_.reserve(256);
}

TQvMiniVecDraw::~TQvMiniVecDraw()
{
    if (gVecDraw == this) gVecDraw = nullptr;
    UnlockTarget();
    target_.reset();
}

void TQvMiniVecDraw::SetColor(int slot, const TFloatVector4& colour, float alphaScale)
{
    slot &= 255;
    BuildCoverageRamp(colour, alphaScale, ramps_.ramp[TVecRaster::LayerOfSlot(slot)]);
    const uint32_t* r = ramps_.ramp[TVecRaster::LayerOfSlot(slot)];
    const uint32_t a = (r[31] >> 24) * 256 / 255, rgb = r[31] & 0x00FFFFFFu;
    const uint32_t steps[4] = {17, 40, 73, 128};
    for (int k = 0; k < 4; ++k) slotRamps_[slot][k] = (steps[k] * a / 256) << 24 | rgb;
}

void TQvMiniVecDraw::BeginTarget(float x, float y, const TTextureRef& target)
{
    const int qx = QuarterOf(x * 4.0f), qy = QuarterOf(y * 4.0f);
    originX_ = qx >> 2;
    originY_ = qy >> 2;
    phaseX_ = qx & 3;
    phaseY_ = qy & 3;
    if (target != target_)
    {
        Flush();
        target_ = target;
        if (target_) LockTarget();
    }
}

void TQvMiniVecDraw::BeginPixelTarget(float x, float y, uint32_t* pixels, int width, int height,
                                      int pitch)
{
    BeginTarget(x, y, TTextureRef());
    FlushVertices();
    UnlockTarget();
    pixelTarget_ = true;
    pixels_ = pixels;
    width_ = width;
    height_ = height;
    pitch_ = pitch;
}

void TQvMiniVecDraw::Render(const uint8_t* shape, const uint8_t* end, float qx, float qy)
{
    if (!shape || shape >= end) return;
    const int tx = phaseX_ + QuarterOf(qx), ty = phaseY_ + QuarterOf(qy);
    int count = 0;
    const TVecSpan* spans = raster_.Render(shape, end, tx & 3, ty & 3, transform, &count);
    PutSpans(spans, count, originX_ + (tx >> 2), originY_ + (ty >> 2));
}

void TQvMiniVecDraw::RenderRect(float qx, float qy, float qw, float qh)
{
    if (!(qw > 0.0f) || !(qh > 0.0f)) return;
    // Shape units per quarter pixel, as fine as 16 bits allow.
    const float unitsPerQuarter = std::min(32.0f, 32000.0f / std::max(qw, qh));
    const int16_t w = int16_t(qw * unitsPerQuarter), h = int16_t(qh * unitsPerQuarter);
    const int16_t corners[5][2] = {{0, 0}, {w, 0}, {w, h}, {0, h}, {0, 0}};
    uint8_t shape[3 + 5 * 5 + 1] = {};
    uint8_t* p = shape;
    *p++ = 2;
    *p++ = 1;
    for (int i = 0; i < 5; ++i)
    {
        *p++ = i == 0 ? 4 : 5;
        for (int16_t v : corners[i])
        {
            *p++ = uint8_t(uint16_t(v) & 255);
            *p++ = uint8_t(uint16_t(v) >> 8);
        }
    }
    *p++ = 8;
    const TVecTransform keep = transform;
    transform.scaleX = transform.scaleY = 128.0f / unitsPerQuarter;
    transform.italic = false;
    transform.outline[0] = transform.outline[1] = 0.0f;
    const bool cached = raster_.IsCacheEnabled();
    raster_.SetCacheEnabled(false);
    Render(shape, p, qx, qy);
    raster_.SetCacheEnabled(cached);
    transform = keep;
}

void TQvMiniVecDraw::PutSpans(const TVecSpan* spans, int count, int originX, int originY)
{
    if (pixels_)
    {
        WriteVecSpans(spans, count, originX, originY, ramps_, pixels_, width_, height_, pitch_,
                      targetMode);
        return;
    }
    for (int i = 0; i < count; ++i)
    {
        const TVecSpan& s = spans[i];
        const uint32_t c = ramps_.ramp[s.layer & 3][(s.level - 1) & 31];
        if ((c >> 24) == 0) continue;
        const float y = float(originY + s.y) + offRow_;
        PushVertex(float(originX + s.x0) + offStart_, y, c);
        PushVertex(float(originX + s.x1) - 0.25f + offEnd_, y, c);
    }
}

void TQvMiniVecDraw::PushVertex(float x, float y, uint32_t colour)
{
    vertices_.push_back(TDrawVertex{x, y, 0.1f, 0.5f, colour, 0, 0.0f, 0.0f});
    if (int(vertices_.size()) >= batch_) FlushVertices();
}

void TQvMiniVecDraw::FlushVertices()
{
    if (vertices_.empty()) return;
    if (TDrawContext* dc = TDrawContext::GetIfMade())
    {
        dc->SetTexture(TTextureRef());
        dc->SetBlendMode(0);
        TVertexSet set;
        set.kind = 3;
        set.vertices = vertices_.data();
        set.count = int(vertices_.size()) & ~1;
        dc->DrawVertices(GFX_PT_LINELIST, set);
    }
    vertices_.clear();
}

void TQvMiniVecDraw::Flush()
{
    FlushVertices();
    UnlockTarget();
    target_.reset();
}

bool TQvMiniVecDraw::LockTarget()
{
    if (!target_) return false;
    TLockedPixels locked(target_);
    if (!locked) return false;
    pixels_ = locked.GetPixels();
    pitch_ = locked.GetPitch();
    locked_ = std::move(locked);
    target_->GetSurfaceSize(&width_, &height_);
    width_ = std::min(width_, pitch_);
    return true;
}

void TQvMiniVecDraw::EndPixelTarget()
{
    if (pixelTarget_) UnlockTarget();
}

void TQvMiniVecDraw::UnlockTarget()
{
    if (pixelTarget_)
    {
        pixelTarget_ = false;
        pixels_ = nullptr;
        return;
    }
    locked_.Release();
    pixels_ = nullptr;
}

uint32_t TQvMiniVecDraw::ReadPixel(int x, int y) const
{
    if (!pixels_ || x < 0 || y < 0 || x >= width_ || y >= height_) return 0;
    return pixels_[size_t(y) * size_t(pitch_) + size_t(x)];
}

void TQvMiniVecDraw::SetSpanOffsets(int a, int b, int c)
{
    offStart_ = float(a) / 4.0f - 1.0f;
    offEnd_ = float(b) / 4.0f - 1.0f;
    offRow_ = float(c) / 4.0f;
}

// ---------------------------------------------------------------------------
// Calibration

int TQvMiniVecDraw::RunCalibrationPass(const TTextureRef& texture, int* blank)
{
    TDrawContext* dc = TDrawContext::GetIfMade();
    *blank = 0;
    if (!dc || !dc->BeginRenderTarget(texture, 0)) return -2;
    {
        TScoped2d block;
        dc->FillRect(TRect(0, 0, 800, 512), TFloatVector4(0, 0, 0, 1), TTextureRef());
        SetColor(0, TFloatVector4(1, 1, 1, 1), 1.0f);
        for (int m = 0; m < 128; ++m)
        {
            SetSpanOffsets((m / 8) % 4, m % 8, m / 32);
            // Two one-pixel spans, given in quarter pixels as the sweep makes
            // them: first quarter, last quarter, row.
            const int spans[2][3] = {{16 * m + 4, 16 * m + 7, 4}, {16 * m + 8, 16 * m + 11, 8}};
            for (const auto& s : spans)
            {
                PushVertex(float(s[0]) / 4.0f + offStart_, float(s[2]) / 4.0f + offRow_, kWhite);
                PushVertex(float(s[1]) / 4.0f + offEnd_, float(s[2]) / 4.0f + offRow_, kWhite);
            }
        }
        FlushVertices();
    }
    dc->EndRenderTarget();

    const TLockedPixels px(texture);
    if (!px) return -2;
    auto lit = [&](int x, int y) { return px.Row(y)[x] & 0x00FFFFFFu; };
    int best = -1;
    uint32_t bestSum = 0;
    for (int m = 0; m < 128; ++m)
    {
        const int x = 4 * m + 1;
        const uint32_t on1 = lit(x, 1), on2 = lit(x + 1, 2);
        const uint32_t off = lit(x - 1, 1) | lit(x + 1, 1) | lit(x, 0) | lit(x, 2) |
                             lit(x + 2, 2) | lit(x + 1, 3);
        if (!on1 && !on2 && !off) ++*blank;
        if (!on1 || !on2 || off) continue;
        const uint32_t sum = (on1 & 255) + ((on1 >> 8) & 255) + ((on1 >> 16) & 255) + (on2 & 255) +
                             ((on2 >> 8) & 255) + ((on2 >> 16) & 255);
        if (best < 0 || sum >= bestSum)
        {
            best = m;
            bestSum = sum;
        }
    }
    return best;
}

void TQvMiniVecDraw::CalibrateRendering()
{
    TDrawContext* dc = TDrawContext::GetIfMade();
    if (!dc) return;
    Flush();
    TTextureRef texture = TTexture::CreateEmpty(800, 512, true);
    if (!texture) return;
    for (;;)
    {
        int blank = 0;
        const int m = RunCalibrationPass(texture, &blank);
        if (m == -2) return;  // no target to test in: keep what we have
        if (m >= 0)
        {
            SetSpanOffsets((m / 8) % 4, m % 8, m / 32);
            calibratedCase_ = m;
            break;
        }
        SetSpanOffsets(1, 1, 1);
        calibratedCase_ = -1;
        if (blank > 75 && batch_ != 64)
        {
            batch_ = 64;
            continue;
        }
        break;
    }
    LogPrintf("Vector drawer calibrated: case %d, span offsets %.2f %.2f %.2f, batch %d",
              calibratedCase_, double(offStart_), double(offEnd_), double(offRow_), batch_);
}
