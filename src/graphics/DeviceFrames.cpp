// The display handler's per-frame device work: opening and closing scenes,
// render targets drawn in the back buffer and copied out, vertex lists with
// the driver work-arounds, rectangle fills, back-buffer copies and the pixel
// offset calibration.
#include <algorithm>
#include <cmath>

#include "core/Log.h"
#include "core/SettingKeys.h"
#include "core/Settings.h"
#include "graphics/DXError.h"
#include "graphics/DeviceColour.h"
#include "graphics/DisplayHandler.h"

namespace
{

// One colour channel scaled into its mask; out-of-range components are
// clamped so the conversion stays defined.
uint32_t Channel(float c, uint32_t mask)
{
    const double v = double(UnitComponent(c)) * double(mask);
    return uint32_t(v) & mask;
}

// A fill coordinate as a whole pixel (truncated); far-off values are held
// inside the integer range, where any clip bounds them anyway.
int32_t ToPixel(float v)
{
    return int32_t(std::clamp(v, -1.0e9f, 1.0e9f));
}

uint32_t FillColour(const TFloatVector4& c)
{
    return Channel(c.x, 0x00FF0000u) + Channel(c.y, 0x0000FF00u) + Channel(c.z, 0x000000FFu) +
           Channel(c.w, 0xFF000000u);
}

}  // namespace

// ---------------------------------------------------------------------------
// Scenes

bool TDisplayHandler::BeginDraw(bool restoreMouse)
{
    TPlatformData& d = *data_;
    if (!device_ || !d.hasDisplay || d.dxBroken) return false;
    GfxResult r = device_->TestLost();
    if (r == GFX_E_SURFACELOST)
    {
        // In the background the frame is simply skipped.
        if (host_->IsForeground()) SetBroken();
        return false;
    }
    r = device_->GetFlipStatus();
    if (r == GFX_E_WASSTILLDRAWING) return false;
    if (GfxFailed(r)) ReportDXError(r, kDisplayHandlerFile, 1105);
    if (restoreMouse && !d.context->PrepareFrame())
    {
        SetBroken();
        return false;
    }
    r = device_->BeginScene();
    if (r == GFX_E_SURFACELOST)
    {
        LogPrintf("TRenderer::BeginDraw: DDERR_SURFACELOST on BeginScene");
        if (d.inRestore)
        {
            SetBroken();
            return false;
        }
        d.Restore();
        if (d.dxBroken || !d.hasDisplay)
        {
            d.inScene = false;
            return false;
        }
        r = device_->BeginScene();
        if (GfxFailed(r))
        {
            ReportDXError(r, kDisplayHandlerFile, 1145);
            SetBroken();
            d.inScene = false;
            return false;
        }
    }
    else if (GfxFailed(r))
    {
        ReportDXError(r, kDisplayHandlerFile, 1153);
        d.inScene = false;
        return false;
    }
    ++d.workingCount;
    CheckDX(
        ApplyViewportRect(d.screen, d.screen.right - d.screen.left, d.screen.bottom - d.screen.top),
        kDisplayHandlerFile, 1157);
    d.context->ClearDepth(2);
    CheckDX(ApplyViewportRect(d.viewport, d.screen.right - d.screen.left,
                              d.screen.bottom - d.screen.top),
            kDisplayHandlerFile, 1161);
    d.inScene = true;
    return true;
}

GfxResult TDisplayHandler::EndDraw(bool present)
{
    TPlatformData& d = *data_;
    if (!d.inScene) return GFX_OK;
    d.inScene = false;
    if (!device_ || !d.hasDisplay) return GFX_OK;
    GfxResult r = device_->EndScene();
    if (r == GFX_E_SCENE_END_FAILED)
    {
        SetBroken();
        return r;
    }
    const bool endFailed = GfxFailed(r);
    if (endFailed) ReportDXError(r, kDisplayHandlerFile, 867);

    if (GfxTexture* capture = host_->TakeCaptureTexture())
    {
        if (BeginRenderTarget(capture, 0))
            EndRenderTarget();
        else
            host_->GiveBackCaptureTexture(capture);
    }

    if (present && !host_->HoldsPresentation() && !endFailed) r = d.context->Present();
    if (r == GFX_E_SURFACELOST)
    {
        LogPrintf("TPlatform::EndDraw: DDERR_SURFACELOST on UpdateFrame or EndScene");
        d.Restore();
    }
    else if (GfxFailed(r))
    {
        ReportDXError(r, kDisplayHandlerFile, 899);
        LogPrintf("TPlatform::EndDraw: Unexpected error (see above) on UpdateFrame or EndScene");
        d.Restore();
    }
    return r;
}

// ---------------------------------------------------------------------------
// Render targets

bool TDisplayHandler::BeginRenderTarget(GfxTexture* texture, int mode)
{
    TPlatformData& d = *data_;
    if (!device_ || !d.hasDisplay || d.dxBroken) return false;
    int tw = 0, th = 0;
    if (!texture || !device_->GetTextureSize(texture, &tw, &th))
    {
        SetBroken();
        return false;
    }
    d.renderTargetMode = mode;
    d.renderTargetTexture = texture;
    WaitForFlip();
    host_->SetViewportScale(1.0f);
    PushViewport(0, 0, tw, th);
    d.savedViewport = d.viewport;
    host_->InvalidateWindows();

    // A failed start leaves the viewport stack and the scale as they were.
    auto undo = [&]()
    {
        d.renderTargetTexture = nullptr;
        PopViewport();
        host_->SetViewportScale(host_->GetStoredViewportScale());
    };
    if (mode == 2 || mode == 3)
    {
        const GfxRect area{0, 0, std::min(d.savedViewport.right, d.screen.right),
                           std::min(d.savedViewport.bottom, d.screen.bottom)};
        GfxResult r = device_->CopyTextureToBack(texture, area);
        if (GfxFailed(r))
        {
            ReportDXError(r, kDisplayHandlerFile, 1541);
            LogPrintf("BeginRenderTarget failed because of the above DX error.");
            undo();
            return false;
        }
    }
    if (mode == 4)
    {
        // The area must start clear whatever the drawing context is doing.
        const GfxRect area{0, 0, std::min(tw, d.screen.right), std::min(th, d.screen.bottom)};
        CheckDX(device_->ColorFill(nullptr, area, 0u), kDisplayHandlerFile, 1323);
    }
    WaitForFlip();
    if (BeginDraw(false)) return true;
    undo();
    return false;
}

void TDisplayHandler::EndRenderTarget()
{
    TPlatformData& d = *data_;
    host_->SetViewportScale(host_->GetStoredViewportScale());
    GfxTexture* texture = d.renderTargetTexture;
    if (!texture) return;
    EndDraw(false);
    PopViewport();
    const TRect area(0, 0, std::min(d.savedViewport.right, d.screen.right),
                     std::min(d.savedViewport.bottom, d.screen.bottom));
    d.savedViewport = d.screen;
    if (d.renderTargetMode != 4)
    {
        GfxResult r = GFX_E_FAIL;
        if (d.screenBitDepth == 32)
            r = device_->CopyBackToTexture({area.left, area.top, area.right, area.bottom}, texture);
        if (GfxFailed(r)) CopyScreenToTexture(texture, area);
        if (d.renderTargetMode != 1) SetTextureOpaque(texture);
    }
    else
    {
        CopyScreenAlphaToTexture(texture);
    }
    d.renderTargetTexture = nullptr;
}

void TDisplayHandler::CopyScreenToTexture(GfxTexture* texture, const TRect& area)
{
    if (!device_ || !texture) return;
    int tw = 0, th = 0, bw = 0, bh = 0;
    device_->GetTextureSize(texture, &tw, &th);
    if (!device_->GetBackBufferSize(&bw, &bh)) return;
    const int w = std::min({area.right - area.left, tw, bw}),
              h = std::min({area.bottom - area.top, th, bh});
    if (w <= 0 || h <= 0) return;
    std::vector<uint32_t> rows(size_t(w) * h);
    if (!CheckDX(device_->ReadBack({0, 0, w, h}, rows.data()), kDisplayHandlerFile, 1640)) return;
    uint32_t* px = device_->LockTexture(texture);
    if (!px) return;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) px[size_t(y) * tw + x] = rows[size_t(y) * w + x] | 0xFF000000u;
    device_->UnlockTexture(texture);
}

void TDisplayHandler::CopyScreenAlphaToTexture(GfxTexture* texture)
{
    if (!device_ || !texture) return;
    int tw = 0, th = 0, bw = 0, bh = 0;
    device_->GetTextureSize(texture, &tw, &th);
    if (!device_->GetBackBufferSize(&bw, &bh)) return;
    const int w = std::min(tw, bw), h = std::min(th, bh);
    if (w <= 0 || h <= 0) return;
    std::vector<uint32_t> rows(size_t(w) * h);
    if (!CheckDX(device_->ReadBack({0, 0, w, h}, rows.data()), kDisplayHandlerFile, 1733)) return;
    uint32_t* px = device_->LockTexture(texture);
    if (!px) return;
    // The alpha-capture blend accumulates into the back buffer's own alpha.
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
        {
            uint32_t& p = px[size_t(y) * tw + x];
            p = (p & 0x00FFFFFFu) | (rows[size_t(y) * w + x] & 0xFF000000u);
        }
    device_->UnlockTexture(texture);
}

void TDisplayHandler::SetTextureOpaque(GfxTexture* texture)
{
    if (!device_ || !texture) return;
    int tw = 0, th = 0;
    device_->GetTextureSize(texture, &tw, &th);
    uint32_t* px = device_->LockTexture(texture);
    if (!px) return;
    for (size_t i = 0, n = size_t(tw) * th; i < n; ++i) px[i] |= 0xFF000000u;
    device_->UnlockTexture(texture);
}

// ---------------------------------------------------------------------------
// Primitives

void TDisplayHandler::DrawVertices(GfxPrimitive type, const TVertexSet& set)
{
    TPlatformData& d = *data_;
    if (d.dxBroken || !device_) return;
    if (GetSettingBool(kSettingBrokenIndexedVerts))
    {
        const int n = std::min(set.count, 65535);
        if (n <= 0) return;  // nothing to draw, and no buffer to hand over
        if (int(d.indexBuffer.size()) < n)
        {
            int cap = d.indexBuffer.empty() ? 1 : int(d.indexBuffer.size());
            while (cap < n) cap = std::min(cap * 2, 65535);
            d.indexBuffer.resize(size_t(cap));
            for (int i = 0; i < cap; ++i) d.indexBuffer[size_t(i)] = uint16_t(i);
        }
        DrawIndexedVertices(type, set, d.indexBuffer.data(), n);
        return;
    }
    const uint32_t fvf = SetVertexKind(set.kind);
    GfxResult r = device_->DrawPrimitive(type, fvf, set.vertices, set.count);
    if (r == GFX_E_OUTOFVIDEOMEMORY)
    {
        LogPrintf("DrawVertices out of video memory");
        OutOfVideoMemory();
    }
    else if (GfxFailed(r))
    {
        ReportDXError(r, kDisplayHandlerFile, 3084);
        SetBroken();
    }
}

void TDisplayHandler::DrawIndexedVertices(GfxPrimitive type, const TVertexSet& set,
                                          const uint16_t* indices, int count)
{
    if (data_->dxBroken || !device_) return;
    const uint32_t fvf = SetVertexKind(set.kind);
    if (splitEnable_ && splitRequest_)
    {
        if (!indices || count < 0) return;
        splitVertices_.resize(size_t(count));
        for (int i = 0; i < count; ++i)
        {
            // An index past the vertex list would read beyond it.
            if (indices[i] >= set.count)
            {
                LogPrintf("DrawIndexedVertices: index %d beyond %d vertices", int(indices[i]),
                          set.count);
                return;
            }
            splitVertices_[size_t(i)] = set.vertices[indices[i]];
        }
        CheckDX(device_->DrawPrimitive(type, fvf, splitVertices_.data(), count),
                kDisplayHandlerFile, 3120);
        return;
    }
    CheckDX(device_->DrawIndexedPrimitive(type, fvf, set.vertices, set.count, indices, count),
            kDisplayHandlerFile, 3129);
}

bool TDisplayHandler::FillRect(float left, float top, float right, float bottom,
                               const TFloatVector4& colour, GfxTexture* target)
{
    TPlatformData& d = *data_;
    if (!device_) return false;
    // An inverted rectangle covers nothing.
    if (!(right > left) || !(bottom > top)) return false;
    if (!target && host_->IsDrawing())
    {
        const bool was2d = host_->Is2d(), was3d = host_->Is3d();
        if (was3d) host_->End3d();
        if (!was2d) host_->Begin2d();
        const float ox = float(d.viewport.left), oy = float(d.viewport.top);
        const uint32_t argb =
            PackArgb(TFloatVector4(colour.x, colour.y, colour.z, TargetAlpha() ? colour.w : 1.0f));
        TDrawVertex v[4] = {{left - ox, top - oy, 0, 0, argb, 0, 0, 0},
                            {right - ox, top - oy, 0, 0, argb, 0, 1, 0},
                            {right - ox, bottom - oy, 0, 0, argb, 0, 1, 1},
                            {left - ox, bottom - oy, 0, 0, argb, 0, 0, 1}};
        GfxTexture* remembered = host_->GetCurrentTexture();
        host_->SetCurrentTexture(nullptr);
        SetTexture(nullptr);
        SetBlendMode(0);
        TVertexSet set;
        set.kind = 2;
        set.vertices = v;
        set.count = 4;
        DrawVertices(GFX_PT_TRIANGLEFAN, set);
        host_->SetCurrentTexture(remembered);
        SetTexture(remembered);
        if (!was2d) host_->End2d();
        if (was3d) host_->Begin3d();
        return true;
    }

    TRect bounds;
    if (target)
    {
        int tw = 0, th = 0;
        device_->GetTextureSize(target, &tw, &th);
        bounds = TRect(0, 0, tw, th);
    }
    else
    {
        bounds.Intersect(d.clip, d.screen);
    }
    TRect r{ToPixel(left), ToPixel(top), ToPixel(right), ToPixel(bottom)};
    r.Intersect(r, bounds);
    if (r.right <= r.left || r.bottom <= r.top) return false;
    if (!target && host_->IsEmbedded())
    {
        const float s = host_->GetViewportScale();
        r = TRect(int(r.left * s), int(r.top * s), int(r.right * s), int(r.bottom * s));
    }
    return CheckDX(
        device_->ColorFill(target, {r.left, r.top, r.right, r.bottom}, FillColour(colour)),
        kDisplayHandlerFile, 1323);
}

// ---------------------------------------------------------------------------
// Pixel offset

void TDisplayHandler::CalibratePixelOffset()
{
    TPlatformData& d = *data_;
    if (d.calibrationDone || !device_) return;
    d.calibrationDone = true;
    GfxTexture* cell = device_->CreateTexture(16, 16, GFX_TEXTURE_TARGET);
    GfxTexture* target = device_->CreateTexture(1024, 512, GFX_TEXTURE_TARGET);
    auto cleanup = [&]()
    {
        if (cell) device_->DestroyTexture(cell);
        if (target) device_->DestroyTexture(target);
    };
    if (cell)
    {
        FillRect(0, 0, 16, 16, TFloatVector4(1, 1, 1, 1), cell);
        if (uint32_t* px = device_->LockTexture(cell))
        {
            px[0] &= 0xFF000000u;
            px[15 * 16 + 15] &= 0xFF000000u;
            device_->UnlockTexture(cell);
        }
    }
    if (cell && target)
    {
        FillRect(0, 0, 512, 512, TFloatVector4(1, 0, 0, 1), target);
        if (!BeginRenderTarget(target, 0))
        {
            d.calibrationDone = false;
            cleanup();
            return;
        }
        // The calibration runs outside the drawing context's blocks, so the
        // handler itself counts as inside a 2D block for the pixel projection.
        own2d_ = true;
        Begin2dStates();
        SetTextureFilter(0);
        host_->SetCurrentTexture(cell);
        SetTexture(cell);
        for (int j = 0; j < 10; ++j)
        {
            d.pixelOffset = 0.1f * j - 0.5f;
            const float x = 16.0f * j;
            TDrawVertex v[4] = {{x, 0, 0, 0, 0xFFFFFFFFu, 0, 0, 0},
                                {x + 16, 0, 0, 0, 0xFFFFFFFFu, 0, 1, 0},
                                {x + 16, 16, 0, 0, 0xFFFFFFFFu, 0, 1, 1},
                                {x, 16, 0, 0, 0xFFFFFFFFu, 0, 0, 1}};
            TVertexSet set;
            set.kind = 2;
            set.vertices = v;
            set.count = 4;
            data_->projectionDirty = true;
            DrawVertices(GFX_PT_TRIANGLEFAN, set);
        }
        SetTextureFilter(1);
        End2dStates();
        own2d_ = false;
        EndRenderTarget();

        d.pixelOffset = -0.5f;
        if (uint32_t* px = device_->LockTexture(target))
        {
            for (int j = 0; j < 10; ++j)
            {
                const uint32_t a = px[size_t(16 * j)], b = px[size_t(15) * 1024 + 16 * j + 15];
                if ((a & 0x00FFFFFFu) == 0 && (b & 0x00FFFFFFu) == 0)
                {
                    d.pixelOffset = 0.1f * j - 0.5f;
                    break;
                }
            }
            device_->UnlockTexture(target);
        }
    }
    const TRect keepClip = d.clip;
    SetClipRect(d.screen);
    FillRect(float(d.screen.left), float(d.screen.top), float(d.screen.right),
             float(d.screen.bottom), TFloatVector4(0, 0, 0, 1), nullptr);
    SetClipRect(keepClip);
    cleanup();
}
