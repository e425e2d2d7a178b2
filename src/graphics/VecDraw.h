// TQvMiniVecDraw: the vector drawer. Colours and places shapes rasterised by
// TVecRaster and puts their spans out in one of two ways: as vertex pairs of
// a line list drawn through the drawing context (each pair one pixel row),
// or written straight into the pixels of a locked target. A calibration at
// display set-up finds the span offsets at which the device's line lists
// cover exactly the pixels asked for.
//
// Failure: a target that cannot be locked sends its spans to the drawing
// context instead; a calibration that cannot make its texture keeps the
// offsets as they were; outside a 2D block the drawing context refuses the
// line lists with its own log line.
#pragma once

#include <cstdint>
#include <vector>

#include "core/ValueTypes.h"
#include "graphics/Texture.h"
#include "graphics/VecRaster.h"
#include "graphics/VertexSet.h"

// How spans are written into a target's pixels.
enum TVecTargetMode : int
{
    kVecBlendOver = 0,   // channel = (src a + dst (255 - a)) / 255, alpha kept
    kVecCopy = 1,        // the span colour replaces the pixel
    kVecAccumulate = 2,  // weighted by both alphas, alphas added
};

// The colour ramp of one coverage layer: entry c - 1 colours coverage c of 16.
struct TVecRamps
{
    uint32_t ramp[4][32] = {};
};

// Entry k: the colour with alpha min(16 (k + 1), 256) A / 256 below 16, then
// 255 A / 256, where A = the colour's alpha byte times alphaScale.
void BuildCoverageRamp(const TFloatVector4& colour, float alphaScale, uint32_t ramp[32]);

// Writes spans placed at pixel (originX, originY) into a block of 32-bit
// pixels (0xAARRGGBB words, pitch in pixels), clipped to width x height.
void WriteVecSpans(const TVecSpan* spans, int count, int originX, int originY,
                   const TVecRamps& ramps, uint32_t* pixels, int width, int height, int pitch,
                   int mode);

class TQvMiniVecDraw
{
public:
    TQvMiniVecDraw();
    virtual ~TQvMiniVecDraw();
    TQvMiniVecDraw(const TQvMiniVecDraw&) = delete;
    TQvMiniVecDraw& operator=(const TQvMiniVecDraw&) = delete;

    // Slot 1 is the text colour, 255 and 254 the first and second outline.
    void SetColor(int slot, const TFloatVector4& colour, float alphaScale);
    // Origin in pixels (whole part and quarter phase). A target other than the
    // current one flushes and releases the old one and locks the new one; an
    // empty target draws through the drawing context.
    void BeginTarget(float x, float y, const TTextureRef& target);
    // Device-free target: the caller's pixel block, written until
    // EndPixelTarget or Flush (BeginTarget with no texture only moves the
    // origin meanwhile).
    void BeginPixelTarget(float x, float y, uint32_t* pixels, int width, int height, int pitch);
    void EndPixelTarget();
    // Draws shape (read no further than end) at the origin plus (qx, qy)
    // quarter pixels, with the current transform and colours.
    void Render(const uint8_t* shape, const uint8_t* end, float qx, float qy);
    // A filled rectangle of qw x qh quarter pixels at the origin plus (qx, qy),
    // in slot 1's colour, as a closed path through the rasteriser (never
    // cached: its shape is made on the spot).
    void RenderRect(float qx, float qy, float qw, float qh);
    void FlushVertices();
    // FlushVertices, then unlocks and releases the target.
    void Flush();
    bool LockTarget();
    void UnlockTarget();
    // The locked target's pixel; 0 outside or when nothing is locked.
    uint32_t ReadPixel(int x, int y) const;
    // Quarter-pixel steps: x start a / 4 - 1, x end b / 4 - 1, y c / 4.
    void SetSpanOffsets(int a, int b, int c);
    void CalibrateRendering();

    void ClearCache() { raster_.ClearCache(); }
    TVecRaster& GetRaster() { return raster_; }
    float GetStartOffset() const { return offStart_; }
    float GetEndOffset() const { return offEnd_; }
    float GetRowOffset() const { return offRow_; }
    int GetBatchSize() const { return batch_; }
    int GetCalibrationCase() const { return calibratedCase_; }
    const TVecRamps& GetRamps() const { return ramps_; }

    TVecTransform transform;
    int targetMode = kVecBlendOver;

private:
    void PutSpans(const TVecSpan* spans, int count, int originX, int originY);
    void PushVertex(float x, float y, uint32_t colour);
    // The case whose offsets the 128 test spans chose (-1: none correct; -2:
    // the texture could not be drawn into or read).
    int RunCalibrationPass(const TTextureRef& texture, int* blank);

    TVecRaster raster_;
    TVecRamps ramps_;
    uint32_t slotRamps_[256][4] = {};
    int originX_ = 0, originY_ = 0, phaseX_ = 0, phaseY_ = 0;
    float offStart_ = 0.25f, offEnd_ = 0.25f, offRow_ = 0.25f;
    int batch_ = 256;
    int calibratedCase_ = -1;
    std::vector<TDrawVertex> vertices_;
    TTextureRef target_;
    TLockedPixels locked_;  // of target_, while pixels_ points into it
    uint32_t* pixels_ = nullptr;
    int width_ = 0, height_ = 0, pitch_ = 0;
    bool pixelTarget_ = false;
};

// The program's drawer, made by the display link at the first mode set; null
// before that and after shutdown. Text lays out without it but draws nothing.
TQvMiniVecDraw* GetVecDraw();
void SetVecDraw(TQvMiniVecDraw* draw);
