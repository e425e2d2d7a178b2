// The display handler's device state: transforms and projections, the 2D and
// 3D state sets, blend modes with their texture-stage set-ups, filtering and
// addressing, and the viewport with its stack and clip rectangle.
#include <algorithm>
#include <cmath>

#include "core/Log.h"
#include "graphics/DXError.h"
#include "graphics/DeviceColour.h"
#include "graphics/DisplayHandler.h"

namespace
{

GfxMatrix ToGfx(const TMatrix4x4& m)
{
    GfxMatrix g;
    for (int r = 0; r < 4; ++r)
    {
        const TFloatVector4& row = m.Row(r);
        g.m[r][0] = row.x;
        g.m[r][1] = row.y;
        g.m[r][2] = row.z;
        g.m[r][3] = row.w;
    }
    return g;
}

TRect Intersected(const TRect& a, const TRect& b)
{
    TRect r;
    r.Intersect(a, b);
    return r;
}

}  // namespace

// ---------------------------------------------------------------------------
// Transforms

void TDisplayHandler::SetWorldTransform(const TMatrix4x4& m)
{
    if (device_) device_->SetTransform(GFX_TRANSFORM_WORLD, ToGfx(m));
}

void TDisplayHandler::SetViewTransform(const TMatrix4x4& m)
{
    if (device_)
        CheckDX(device_->SetTransform(GFX_TRANSFORM_VIEW, ToGfx(m)), kDisplayHandlerFile, 2309);
}

void TDisplayHandler::SetProjectionTransform(const TMatrix4x4& m)
{
    if (!device_) return;
    CheckDX(device_->SetTransform(GFX_TRANSFORM_PROJECTION, ToGfx(m)), kDisplayHandlerFile, 2318);
    data_->projection = m;
    data_->projectionDirty = true;
}

void TDisplayHandler::SetPerspective(float nearZ, float farZ, float fov, float aspect)
{
    TPlatformData& d = *data_;
    d.nearPlane = nearZ;
    d.farPlane = farZ;
    TRect r = Intersected(Intersected(d.viewport, d.screen), d.clip);
    const float rw = float(r.right - r.left), rh = float(r.bottom - r.top);
    const float vw = float(d.viewport.right - d.viewport.left),
                vh = float(d.viewport.bottom - d.viewport.top);
    if (aspect == 0.0f && rw != 0.0f) aspect = rh / rw;
    if (vh != 0.0f)
    {
        const float e = rh / vh;
        if (e != 1.0f) fov = 2.0f * std::atan(std::tan(fov / 2.0f) * e);
    }
    TFloatPoint shift(0.0f, 0.0f);
    if (vw != 0.0f) shift.x = (r.right - d.viewport.right) / vw + (r.left - d.viewport.left) / vw;
    if (vh != 0.0f) shift.y = (r.bottom - d.viewport.bottom) / vh + (r.top - d.viewport.top) / vh;
    TMatrix4x4 m;
    m.SetPerspective(nearZ, farZ, fov, aspect, shift);
    if (!device_) return;
    CheckDX(device_->SetTransform(GFX_TRANSFORM_PROJECTION, ToGfx(m)), kDisplayHandlerFile, 2486);
    d.projection = m;
}

// ---------------------------------------------------------------------------
// Simple states

void TDisplayHandler::SetShadeMode(int kind)
{
    if (device_) RS(GFX_RS_SHADEMODE, kind == 2 ? GFX_SHADE_GOURAUD : GFX_SHADE_FLAT, 2292);
}

void TDisplayHandler::SetCullMode(int kind)
{
    if (device_)
        RS(GFX_RS_CULLMODE,
           kind == 2   ? GFX_CULL_CW
           : kind == 3 ? GFX_CULL_CCW
                       : GFX_CULL_NONE,
           2361);
}

void TDisplayHandler::SetAmbient(const TFloatVector4& colour)
{
    if (device_) RS(GFX_RS_AMBIENT, PackArgb(colour), 2370);
}

void TDisplayHandler::SetMaterial(const GfxMaterial& material)
{
    if (device_) CheckDX(device_->SetMaterial(material), kDisplayHandlerFile, 2559);
}

void TDisplayHandler::SetZWrite(bool on)
{
    data_->depthWrite = on;
    if (device_) RS(GFX_RS_ZWRITEENABLE, on ? 1 : 0, 2857);
}

void TDisplayHandler::SetZEnable(bool on)
{
    data_->depthTest = on;
    if (device_) RS(GFX_RS_ZENABLE, on ? 1 : 0, 2863);
}

void TDisplayHandler::SetTextureAddress(int u, int v)
{
    if (!device_) return;
    auto kind = [](int k) {
        return k == 1 ? GFX_TADDRESS_WRAP : k == 2 ? GFX_TADDRESS_MIRROR : GFX_TADDRESS_CLAMP;
    };
    TSS(GFX_TSS_ADDRESSU, kind(u), 2893);
    TSS(GFX_TSS_ADDRESSV, kind(v), 2894);
}

void TDisplayHandler::SetTextureFilter(int mode)
{
    if (!device_) return;
    if (mode == 0)
    {
        TSS(GFX_TSS_MINFILTER, GFX_TFILTER_POINT, 2903);
        TSS(GFX_TSS_MAGFILTER, GFX_TFILTER_POINT, 2904);
        TSS(GFX_TSS_MIPFILTER, GFX_TFILTER_POINT, 2905);
    }
    else if (mode == 1)
    {
        TSS(GFX_TSS_MINFILTER, GFX_TFILTER_LINEAR, 2910);
        TSS(GFX_TSS_MAGFILTER, GFX_TFILTER_LINEAR, 2911);
        TSS(GFX_TSS_MIPFILTER, GFX_TFILTER_LINEAR, 2912);
    }
}

uint32_t TDisplayHandler::SetVertexKind(int kind)
{
    TPlatformData& d = *data_;
    if (device_)
    {
        if (kind >= 1 && kind <= 3)
            RS(GFX_RS_LIGHTING, 0, 2924);
        else
            RS(GFX_RS_LIGHTING, 1, 2928);
    }
    if (kind == 3) return GFX_FVF_TLVERTEX;
    if (d.projectionDirty && (own2d_ || host_->Is2d()))
    {
        d.projectionDirty = false;
        TRect r = Intersected(Intersected(d.viewport, d.screen), d.clip);
        const float dx = float(std::max(0, d.clip.left - d.viewport.left));
        const float dy = float(std::max(0, d.clip.top - d.viewport.top));
        const float o = d.pixelOffset;
        const float l = dx - o, rr = dx + float(r.right - r.left) - o;
        const float b = dy + float(r.bottom - r.top) - o, t = dy - o;
        // Left-handed orthographic off-centre projection; z passes through.
        TMatrix4x4 m;
        m.m0 = TFloatVector4(2.0f / (rr - l), 0, 0, 0);
        m.m1 = TFloatVector4(0, 2.0f / (t - b), 0, 0);
        m.m2 = TFloatVector4(0, 0, 1, 0);
        m.m3 = TFloatVector4((l + rr) / (l - rr), (t + b) / (b - t), 0, 1);
        SetProjectionTransform(m);
    }
    return (kind == 1 || kind == 2) ? GFX_FVF_LVERTEX : GFX_FVF_VERTEX;
}

// ---------------------------------------------------------------------------
// Blend modes

void TDisplayHandler::SetBlendMode(int mode)
{
    TPlatformData& d = *data_;
    d.blendMode = mode;
    if (!device_) return;
    const bool ta = TargetAlpha();
    switch (mode)
    {
        case 0:
            if (ta)
            {
                RS(GFX_RS_SRCBLEND, GFX_BLEND_SRCALPHA, 2795);
                RS(GFX_RS_DESTBLEND, GFX_BLEND_ONE, 2796);
                RS(GFX_RS_ALPHABLENDENABLE, 1, 2797);
            }
            else
            {
                RS(GFX_RS_SRCBLEND, GFX_BLEND_SRCALPHA, 2801);
                RS(GFX_RS_DESTBLEND, GFX_BLEND_INVSRCALPHA, 2802);
                RS(GFX_RS_ALPHABLENDENABLE, 1, 2803);
            }
            break;
        case 1:
            RS(GFX_RS_ALPHABLENDENABLE, 0, 2788);
            break;
        case 2:
            RS(GFX_RS_SRCBLEND, GFX_BLEND_SRCALPHA, 2810);
            RS(GFX_RS_DESTBLEND, GFX_BLEND_ONE, 2811);
            RS(GFX_RS_ALPHABLENDENABLE, 1, 2812);
            break;
        case 3:
            if (!ta)
            {
                RS(GFX_RS_SRCBLEND, GFX_BLEND_ZERO, 2822);
                RS(GFX_RS_DESTBLEND, GFX_BLEND_INVSRCCOLOR, 2823);
                RS(GFX_RS_ALPHABLENDENABLE, 1, 2824);
            }
            else if (d.newSubtractive)
            {
                RS(GFX_RS_SRCBLEND, GFX_BLEND_ONE, 2828);
                RS(GFX_RS_DESTBLEND, GFX_BLEND_ONE, 2829);
                RS(GFX_RS_ALPHABLENDENABLE, 1, 2830);
            }
            else
            {
                RS(GFX_RS_SRCBLEND, GFX_BLEND_SRCALPHA, 2834);
                RS(GFX_RS_DESTBLEND, GFX_BLEND_INVSRCALPHA, 2835);
                RS(GFX_RS_ALPHABLENDENABLE, 1, 2836);
            }
            break;
        case 4:
            RS(GFX_RS_SRCBLEND, GFX_BLEND_ZERO, 2843);
            RS(GFX_RS_DESTBLEND, GFX_BLEND_SRCCOLOR, 2844);
            RS(GFX_RS_ALPHABLENDENABLE, 1, 2845);
            break;
        default:
            break;
    }
    StageSetup(mode, ta);
}

void TDisplayHandler::StageSetup(int mode, bool targetAlpha)
{
    TPlatformData& d = *data_;
    const bool texture = host_->GetCurrentTexture() != nullptr;
    RS(GFX_RS_TEXTUREFACTOR, 0xFFFFFFFFu, 2711);
    if (targetAlpha)
    {
        if (mode == 3 && d.newSubtractive)
        {
            TSS(GFX_TSS_COLORARG1, GFX_TA_TFACTOR, 2718);
        }
        else if (texture)
        {
            TSS(GFX_TSS_COLORARG1, GFX_TA_TEXTURE | GFX_TA_ALPHAREPLICATE, 2722);
            if (d.newRenderBlend)
            {
                TSS(GFX_TSS_COLORARG2, GFX_TA_DIFFUSE | GFX_TA_ALPHAREPLICATE, 2725);
                TSS(GFX_TSS_COLOROP, GFX_TOP_MODULATE, 2726);
            }
        }
        else
        {
            TSS(GFX_TSS_COLORARG1, GFX_TA_DIFFUSE | GFX_TA_ALPHAREPLICATE, 2731);
            if (d.newRenderBlend) TSS(GFX_TSS_COLOROP, GFX_TOP_SELECTARG1, 2734);
        }
        if (!d.newRenderBlend) TSS(GFX_TSS_COLOROP, GFX_TOP_SELECTARG1, 2739);
        TSS(GFX_TSS_ALPHAARG1, GFX_TA_TFACTOR, 2741);
        TSS(GFX_TSS_ALPHAOP, GFX_TOP_SELECTARG1, 2742);
        return;
    }
    TSS(GFX_TSS_COLORARG1, GFX_TA_TEXTURE, 2746);
    if (d.newRenderBlend) TSS(GFX_TSS_COLORARG2, GFX_TA_CURRENT, 2749);
    TSS(GFX_TSS_COLOROP, GFX_TOP_MODULATE, 2751);
    if (mode == 1)
    {
        TSS(GFX_TSS_ALPHAARG1, GFX_TA_TFACTOR, 2755);
        TSS(GFX_TSS_ALPHAOP, GFX_TOP_SELECTARG1, 2756);
    }
    else if (mode == 3 && d.newSubtractive)
    {
        TSS(GFX_TSS_ALPHAARG1, GFX_TA_TFACTOR, 2760);
        TSS(GFX_TSS_ALPHAOP, GFX_TOP_SELECTARG1, 2761);
    }
    else
    {
        TSS(GFX_TSS_ALPHAARG1, GFX_TA_TEXTURE, 2765);
        TSS(GFX_TSS_ALPHAOP, GFX_TOP_MODULATE, 2766);
    }
}

void TDisplayHandler::SetTexture(GfxTexture* texture)
{
    if (!device_ || !IsDeviceValid()) return;
    CheckDX(device_->SetTexture(0, texture), kDisplayHandlerFile, texture ? 2536 : 2540);
    StageSetup(data_->blendMode, TargetAlpha());
}

// ---------------------------------------------------------------------------
// State sets

bool TDisplayHandler::Begin2dStates()
{
    if (!device_) return true;
    RS(GFX_RS_SPECULARENABLE, 0, 2385);
    RS(GFX_RS_CLIPPING, 0, 2386);
    SetTextureAddress(3, 3);
    SetBlendMode(0);
    SetTextureFilter(1);
    SetZEnable(false);
    SetZWrite(false);
    SetCullMode(1);
    device_->SetTransform(GFX_TRANSFORM_WORLD, GfxMatrix::Identity());
    device_->SetTransform(GFX_TRANSFORM_VIEW, GfxMatrix::Identity());
    data_->projectionDirty = true;
    return true;
}

bool TDisplayHandler::Begin3dStates()
{
    if (!device_) return true;
    RS(GFX_RS_SPECULARENABLE, data_->noSpecularGouraud ? 0 : 1, 2430);
    RS(GFX_RS_CLIPPING, 1, 2432);
    SetZEnable(true);
    SetZWrite(true);
    SetBlendMode(0);
    SetTextureFilter(1);
    SetTextureAddress(1, 1);
    SetCullMode(3);
    return true;
}

void TDisplayHandler::End2dStates()
{
    host_->SetCurrentTexture(nullptr);
    if (!device_) return;
    // The stage must agree with the context, or the next untextured draw
    // would sample the texture of the finished block.
    if (data_->hasDisplay && !data_->dxBroken) SetTexture(nullptr);
    device_->SetTransform(GFX_TRANSFORM_WORLD, GfxMatrix::Identity());
    device_->SetTransform(GFX_TRANSFORM_VIEW, GfxMatrix::Identity());
}

// ---------------------------------------------------------------------------
// Viewports

GfxResult TDisplayHandler::ApplyViewportRect(const TRect& rect, int targetWidth, int targetHeight)
{
    int left = std::max(rect.left, 0), top = std::max(rect.top, 0);
    int right = std::max(rect.right, left), bottom = std::max(rect.bottom, top);
    // An origin beyond the target is pinned to its last pixel with nothing to draw.
    const bool pastRight = left >= targetWidth, pastBottom = top >= targetHeight;
    if (pastRight) left = targetWidth - 1;
    if (pastBottom) top = targetHeight - 1;
    GfxViewport vp;
    vp.x = left;
    vp.y = top;
    vp.width = pastRight ? 0 : std::max(0, std::min(targetWidth, right) - left);
    vp.height = pastBottom ? 0 : std::max(0, std::min(targetHeight, bottom) - top);
    vp.minZ = 0.0f;
    vp.maxZ = 1.0f;
    if (host_->IsEmbedded())
    {
        const float s = host_->GetViewportScale();
        vp.x = int(std::lround(vp.x * s));
        vp.y = int(std::lround(vp.y * s));
        vp.width = int(std::lround(vp.width * s));
        vp.height = int(std::lround(vp.height * s));
        if (s != 0.0f)
        {
            int sw = 0, sh = 0;
            GetScreenSize(&sw, &sh, nullptr);
            if (sw < (vp.x + vp.width) / s) vp.width = int(std::lround(sw * s)) - vp.x;
            if (sh < (vp.y + vp.height) / s) vp.height = int(std::lround(sh * s)) - vp.y;
        }
    }
    if (!device_) return GFX_E_POINTER;
    return device_->SetViewport(vp);
}

bool TDisplayHandler::ApplyViewport()
{
    TPlatformData& d = *data_;
    TRect r = Intersected(d.viewport, d.clip);
    GfxResult res =
        ApplyViewportRect(r, d.screen.right - d.screen.left, d.screen.bottom - d.screen.top);
    return CheckDX(res, kDisplayHandlerFile, 1011);
}

void TDisplayHandler::SetViewport(int left, int top, int right, int bottom)
{
    TPlatformData& d = *data_;
    const TRect old = d.viewport;
    d.viewport = TRect(left, top, right, bottom);
    d.projectionDirty = true;
    if (!ApplyViewport())
    {
        LogPrintf("Bad viewport: %d, %d, %d, %d", left, top, right, bottom);
        d.viewport = old;
    }
    d.projectionDirty = true;
}

void TDisplayHandler::PushViewport(int left, int top, int right, int bottom)
{
    data_->viewportStack.push_front(data_->viewport);
    SetViewport(left, top, right, bottom);
}

void TDisplayHandler::PopViewport()
{
    TPlatformData& d = *data_;
    if (d.viewportStack.empty()) return;
    d.viewport = d.viewportStack.front();
    d.viewportStack.pop_front();
    ApplyViewportRect(d.viewport, d.screen.right - d.screen.left, d.screen.bottom - d.screen.top);
    d.projectionDirty = true;
}

void TDisplayHandler::SetClipRect(const TRect& clip)
{
    data_->clip = clip;
    data_->projectionDirty = true;
    ApplyViewport();
}

bool TPlatformData::SetRenderTarget(GfxTexture* current, GfxTexture* next)
{
    if (current == next) return true;
    // The device always draws into its back buffer; a texture becomes a
    // render target only through BeginRenderTarget (DeviceFrames.cpp), which
    // copies the drawn area out at its end. Only the record changes here.
    renderTarget = next;
    return true;
}
