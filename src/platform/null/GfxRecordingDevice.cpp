// The recording graphics device: plain-memory surfaces and a call log.
#include "platform/null/GfxRecordingDevice.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>

namespace
{

std::string Str(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string Str(const char* format, ...)
{
    char buf[256];
    va_list args;
    va_start(args, format);
    vsnprintf(buf, sizeof buf, format, args);
    va_end(args);
    return buf;
}

}  // namespace

GfxRecordingDevice::GfxRecordingDevice()
{
    for (auto& s : rs_) s = 0;
    for (auto& s : tss_) s = 0;
    for (auto& t : transforms) t = GfxMatrix::Identity();
    info.driver = "recording";
    info.description = "Recording Device";
    info.maxTextureWidth = 4096;
    info.maxTextureHeight = 4096;
    info.customBlend = true;
    desktop.width = 1920;
    desktop.height = 1080;
    monitors.push_back({{0, 0, 1920, 1080}, {0, 0, 1920, 1040}});
    modes.push_back({800, 600, 32, 60});
}

GfxRecordingDevice::~GfxRecordingDevice()
{
    for (GfxTexture* t : textures_) delete t;
}

bool GfxRecordingDevice::Called(const std::string& prefix) const
{
    return CountCalls(prefix) > 0;
}

int GfxRecordingDevice::CountCalls(const std::string& prefix) const
{
    int n = 0;
    for (const std::string& c : calls)
        if (c.compare(0, prefix.size(), prefix) == 0) ++n;
    return n;
}

uint32_t GfxRecordingDevice::BackPixel(int x, int y) const
{
    if (x < 0 || y < 0 || x >= backW_ || y >= backH_) return 0;
    return back_[size_t(y) * backW_ + x];
}

GfxResult GfxRecordingDevice::Take(const std::string& op)
{
    auto it = failures.find(op);
    if (it == failures.end() || it->second.empty()) return GFX_OK;
    GfxResult r = it->second.front();
    it->second.pop_front();
    return r;
}

GfxResult GfxRecordingDevice::CreateDisplay(void* win, bool fs, int width, int height, int depth,
                                            uint32_t flags)
{
    calls.push_back(
        Str("CreateDisplay %s %dx%d %d 0x%x", fs ? "full" : "window", width, height, depth, flags));
    DestroyDisplay();
    if (GfxResult r = Take("CreateDisplay"); GfxFailed(r)) return r;
    if (int(flags >> 16) >= adapterCount) return GFX_E_FAIL;
    if (width <= 0 || height <= 0) return GFX_E_INVALIDARG;
    hasDisplay_ = true;
    window = win;
    fullScreen = fs;
    createFlags = flags;
    createDepth = depth;
    backW_ = width;
    backH_ = height;
    back_.assign(size_t(width) * height, 0xFF000000u);
    viewport_ = {0, 0, width, height, 0.0f, 1.0f};
    lost = false;
    if (windowRect.right == 0 && windowRect.bottom == 0) windowRect = {0, 0, width, height};
    return GFX_OK;
}

void GfxRecordingDevice::DestroyDisplay()
{
    if (hasDisplay_) calls.push_back("DestroyDisplay");
    hasDisplay_ = false;
    back_.clear();
    backW_ = backH_ = 0;
}

GfxResult GfxRecordingDevice::Present()
{
    calls.push_back("Present");
    if (!hasDisplay_) return GFX_E_POINTER;
    if (GfxResult r = Take("Present"); GfxFailed(r)) return r;
    if (lost) return GFX_E_SURFACELOST;
    ++presents;
    if (capture_) ComposePicture();
    return GFX_OK;
}

bool GfxRecordingDevice::SetPointerImage(const uint32_t* argb, int width, int height)
{
    calls.push_back(Str("SetPointerImage %dx%d", width, height));
    pointerPixels.clear();
    pointerWidth = pointerHeight = 0;
    if (!argb || width <= 0 || height <= 0) return true;
    if (GfxFailed(Take("SetPointerImage"))) return false;
    pointerPixels.assign(argb, argb + size_t(width) * height);
    pointerWidth = width;
    pointerHeight = height;
    return true;
}

void GfxRecordingDevice::SetPointerPlacement(int x, int y, const GfxRect& clip, bool visible)
{
    pointerX = x;
    pointerY = y;
    pointerClip = clip;
    pointerVisible = visible;
}

bool GfxRecordingDevice::SetColorCursor(const uint32_t* argb, int hotX, int hotY)
{
    calls.push_back(Str("SetColorCursor %d %d", hotX, hotY));
    if (GfxFailed(Take("SetColorCursor"))) return false;
    if (argb)
        colorCursor.assign(argb, argb + 32 * 32);
    else
        colorCursor.clear();
    colorCursorHotX = hotX;
    colorCursorHotY = hotY;
    return true;
}

void GfxRecordingDevice::ComposePicture()
{
    presented_ = back_;
    if (!pointerVisible || pointerPixels.empty()) return;
    const GfxRect c = pointerClip.ClippedTo(backW_, backH_);
    for (int y = 0; y < pointerHeight; ++y)
        for (int x = 0; x < pointerWidth; ++x)
        {
            const int px = pointerX + x, py = pointerY + y;
            if (px < c.left || px >= c.right || py < c.top || py >= c.bottom) continue;
            const uint32_t src = pointerPixels[size_t(y) * pointerWidth + x];
            uint32_t& dst = presented_[size_t(py) * backW_ + px];
            const uint32_t a = src >> 24, i = 255 - a;
            if (a == 0) continue;
            if (a == 255)
            {
                dst = (dst & 0xFF000000u) | (src & 0xFFFFFFu);
                continue;
            }
            uint32_t out = dst & 0xFF000000u;
            for (int shift = 0; shift < 24; shift += 8)
            {
                const uint32_t d = (dst >> shift) & 255, s = (src >> shift) & 255;
                out |= (((d * i + s * a) >> 8) & 255) << shift;
            }
            dst = out;
        }
}

bool GfxRecordingDevice::GetPresentedPicture(std::vector<uint32_t>* pixels, int* width,
                                             int* height) const
{
    if (presented_.empty()) return false;
    if (pixels) *pixels = presented_;
    if (width) *width = backW_;
    if (height) *height = backH_;
    return true;
}

GfxResult GfxRecordingDevice::GetFlipStatus()
{
    if (flipStillDrawing > 0)
    {
        --flipStillDrawing;
        return GFX_E_WASSTILLDRAWING;
    }
    return GFX_OK;
}

GfxResult GfxRecordingDevice::RestoreSurfaces()
{
    calls.push_back("RestoreSurfaces");
    if (GfxResult r = Take("RestoreSurfaces"); GfxFailed(r)) return r;
    lost = false;
    std::fill(back_.begin(), back_.end(), 0xFF000000u);
    return GFX_OK;
}

void GfxRecordingDevice::SetVsync(bool on)
{
    calls.push_back(Str("SetVsync %d", on ? 1 : 0));
    vsync = on;
}

void GfxRecordingDevice::MoveWindow(int x, int y)
{
    calls.push_back(Str("MoveWindow %d %d", x, y));
    int w = windowRect.Width(), h = windowRect.Height();
    windowRect = {x, y, x + w, y + h};
}

GfxResult GfxRecordingDevice::BeginScene()
{
    calls.push_back("BeginScene");
    if (!hasDisplay_) return GFX_E_POINTER;
    if (GfxResult r = Take("BeginScene"); GfxFailed(r)) return r;
    return lost ? GFX_E_SURFACELOST : GFX_OK;
}

GfxResult GfxRecordingDevice::EndScene()
{
    calls.push_back("EndScene");
    if (!hasDisplay_) return GFX_E_POINTER;
    return Take("EndScene");
}

GfxResult GfxRecordingDevice::SetRenderState(GfxRenderState state, uint32_t value)
{
    calls.push_back(Str("SetRenderState %d %u", int(state), value));
    if (state < 0 || state >= GFX_RS_COUNT) return GFX_E_INVALIDARG;
    if (GfxResult r = Take("SetRenderState"); GfxFailed(r)) return r;
    rs_[state] = value;
    return GFX_OK;
}

uint32_t GfxRecordingDevice::GetRenderState(GfxRenderState state) const
{
    return (state >= 0 && state < GFX_RS_COUNT) ? rs_[state] : 0;
}

GfxResult GfxRecordingDevice::SetTextureStageState(int stage, GfxStageState state, uint32_t value)
{
    calls.push_back(Str("SetTextureStageState %d %d %u", stage, int(state), value));
    if (state < 0 || state >= GFX_TSS_COUNT) return GFX_E_INVALIDARG;
    if (GfxResult r = Take("SetTextureStageState"); GfxFailed(r)) return r;
    if (stage == 0) tss_[state] = value;
    return GFX_OK;
}

uint32_t GfxRecordingDevice::GetTextureStageState(int stage, GfxStageState state) const
{
    return (stage == 0 && state >= 0 && state < GFX_TSS_COUNT) ? tss_[state] : 0;
}

GfxResult GfxRecordingDevice::SetTransform(GfxTransformKind kind, const GfxMatrix& matrix)
{
    calls.push_back(Str("SetTransform %d", int(kind)));
    if (kind < 0 || kind > 2) return GFX_E_INVALIDARG;
    transforms[kind] = matrix;
    return GFX_OK;
}

GfxResult GfxRecordingDevice::SetMaterial(const GfxMaterial& m)
{
    calls.push_back("SetMaterial");
    material = m;
    return GFX_OK;
}

GfxResult GfxRecordingDevice::SetViewport(const GfxViewport& vp)
{
    calls.push_back(Str("SetViewport %d %d %d %d", vp.x, vp.y, vp.width, vp.height));
    if (GfxResult r = Take("SetViewport"); GfxFailed(r)) return r;
    if (vp.width < 0 || vp.height < 0 || vp.x < 0 || vp.y < 0) return GFX_E_INVALIDARG;
    if (backW_ > 0 && (vp.x + vp.width > backW_ || vp.y + vp.height > backH_))
        return GFX_E_INVALIDARG;
    viewport_ = vp;
    return GFX_OK;
}

GfxResult GfxRecordingDevice::SetTexture(int stage, GfxTexture* texture)
{
    calls.push_back(Str("SetTexture %d %s", stage, texture ? "tex" : "none"));
    if (stage == 0) texture_ = texture;
    return GFX_OK;
}

GfxResult GfxRecordingDevice::ClearDepth(uint32_t flags)
{
    calls.push_back(Str("ClearDepth %u", flags));
    return hasDisplay_ ? GFX_OK : GFX_E_POINTER;
}

GfxResult GfxRecordingDevice::DrawPrimitive(GfxPrimitive type, uint32_t fvf, const void* vertices,
                                            int count)
{
    calls.push_back(Str("DrawPrimitive %d 0x%x %d", int(type), fvf, count));
    if (GfxResult r = Take("DrawPrimitive"); GfxFailed(r)) return r;
    if (!vertices || count < 0) return GFX_E_INVALIDARG;
    const auto* v = static_cast<const GfxVertex*>(vertices);
    lastVertices.assign(v, v + count);
    lastIndices.clear();
    lastFvf = fvf;
    lastPrimitive = type;
    ++drawCalls;
    draws.push_back(
        {texture_, lastVertices, rs_[GFX_RS_SRCBLEND], rs_[GFX_RS_DESTBLEND], viewport_});
    if (type == GFX_PT_LINELIST && fvf == GFX_FVF_TLVERTEX) DrawLineList(v, count, nullptr, 0);
    return GFX_OK;
}

GfxResult GfxRecordingDevice::DrawIndexedPrimitive(GfxPrimitive type, uint32_t fvf,
                                                   const void* vertices, int vertexCount,
                                                   const uint16_t* indices, int indexCount)
{
    calls.push_back(
        Str("DrawIndexedPrimitive %d 0x%x %d %d", int(type), fvf, vertexCount, indexCount));
    if (GfxResult r = Take("DrawIndexedPrimitive"); GfxFailed(r)) return r;
    if (!vertices || !indices || vertexCount < 0 || indexCount < 0) return GFX_E_INVALIDARG;
    const auto* v = static_cast<const GfxVertex*>(vertices);
    lastVertices.assign(v, v + vertexCount);
    lastIndices.assign(indices, indices + indexCount);
    lastFvf = fvf;
    lastPrimitive = type;
    ++drawCalls;
    if (type == GFX_PT_LINELIST && fvf == GFX_FVF_TLVERTEX)
        DrawLineList(v, vertexCount, indices, indexCount);
    return GFX_OK;
}

// Pixel centres lie on integers: a quad covers the centres left <= x < right
// and top <= y < bottom, inside the viewport.
void GfxRecordingDevice::DrawLineList(const GfxVertex* v, int count, const uint16_t* indices,
                                      int indexCount)
{
    if (!hasDisplay_) return;
    std::vector<GfxVertex> quads;
    GfxLineListToQuads(v, count, indices, indexCount, quads);
    const bool blend = rs_[GFX_RS_ALPHABLENDENABLE] && rs_[GFX_RS_SRCBLEND] == GFX_BLEND_SRCALPHA &&
                       rs_[GFX_RS_DESTBLEND] == GFX_BLEND_INVSRCALPHA;
    const int vl = std::max(viewport_.x, 0), vt = std::max(viewport_.y, 0);
    const int vr = std::min(viewport_.x + viewport_.width, backW_),
              vb = std::min(viewport_.y + viewport_.height, backH_);
    auto index = [](float f, int lo, int hi)
    { return f != f ? lo : int(std::clamp(std::ceil(f), float(lo), float(hi))); };
    for (size_t q = 0; q + 5 < quads.size(); q += 6)
    {
        const GfxVertex& a = quads[q];
        const GfxVertex& c = quads[q + 2];
        const int x0 = index(a.x, vl, vr), x1 = index(c.x, vl, vr);
        const int y0 = index(a.y, vt, vb), y1 = index(c.y, vt, vb);
        const uint32_t src = a.diffuse, sa = src >> 24;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x)
            {
                uint32_t& d = back_[size_t(y) * backW_ + x];
                if (!blend)
                {
                    d = src;
                    continue;
                }
                uint32_t out = d & 0xFF000000u;
                for (int s = 0; s < 24; s += 8)
                {
                    const uint32_t ch =
                        (((src >> s) & 255) * sa + ((d >> s) & 255) * (255 - sa) + 127) / 255;
                    out |= ch << s;
                }
                d = out;
            }
    }
}

GfxTexture* GfxRecordingDevice::CreateTexture(int width, int height, GfxTextureUsage usage)
{
    calls.push_back(Str("CreateTexture %d %d %u", width, height, unsigned(usage)));
    if (GfxFailed(Take("CreateTexture"))) return nullptr;
    if (width <= 0 || height <= 0) return nullptr;
    auto* t = new GfxTexture;
    t->width = width;
    t->height = height;
    t->usage = usage;
    t->pixels.assign(size_t(width) * height, 0u);
    textures_.push_back(t);
    textureMemory_.Add(width, height);
    return t;
}

void GfxRecordingDevice::DestroyTexture(GfxTexture* t)
{
    auto it = std::find(textures_.begin(), textures_.end(), t);
    if (it == textures_.end()) return;
    textures_.erase(it);
    textureMemory_.Remove(t->width, t->height);
    if (texture_ == t) texture_ = nullptr;
    delete t;
}

bool GfxRecordingDevice::GetTextureSize(const GfxTexture* t, int* w, int* h) const
{
    if (!t) return false;
    if (w) *w = t->width;
    if (h) *h = t->height;
    return true;
}

uint32_t* GfxRecordingDevice::LockTexture(GfxTexture* t)
{
    if (!t || t->locked) return nullptr;
    t->locked = true;
    return t->pixels.data();
}

void GfxRecordingDevice::UnlockTexture(GfxTexture* t)
{
    if (t) t->locked = false;
}

GfxResult GfxRecordingDevice::ColorFill(GfxTexture* target, const GfxRect& rect, uint32_t argb)
{
    calls.push_back(Str("ColorFill %s %d %d %d %d 0x%08x", target ? "tex" : "back", rect.left,
                        rect.top, rect.right, rect.bottom, argb));
    if (GfxResult r = Take("ColorFill"); GfxFailed(r)) return r;
    std::vector<uint32_t>* px = target ? &target->pixels : &back_;
    int w = target ? target->width : backW_, h = target ? target->height : backH_;
    if (!target && !hasDisplay_) return GFX_E_POINTER;
    GfxRect c = rect.ClippedTo(w, h);
    for (int y = c.top; y < c.bottom; ++y)
        for (int x = c.left; x < c.right; ++x) (*px)[size_t(y) * w + x] = argb;
    return GFX_OK;
}

GfxResult GfxRecordingDevice::CopyBackToTexture(const GfxRect& area, GfxTexture* t)
{
    calls.push_back(
        Str("CopyBackToTexture %d %d %d %d", area.left, area.top, area.right, area.bottom));
    if (GfxResult r = Take("CopyBackToTexture"); GfxFailed(r)) return r;
    if (!t || !hasDisplay_) return GFX_E_POINTER;
    GfxRect c = area.ClippedTo(std::min(t->width, backW_), std::min(t->height, backH_));
    for (int y = c.top; y < c.bottom; ++y)
        for (int x = c.left; x < c.right; ++x)
            t->pixels[size_t(y) * t->width + x] = back_[size_t(y) * backW_ + x];
    return GFX_OK;
}

GfxResult GfxRecordingDevice::CopyTextureToBack(GfxTexture* t, const GfxRect& area)
{
    calls.push_back(
        Str("CopyTextureToBack %d %d %d %d", area.left, area.top, area.right, area.bottom));
    if (GfxResult r = Take("CopyTextureToBack"); GfxFailed(r)) return r;
    if (!t || !hasDisplay_) return GFX_E_POINTER;
    GfxRect c = area.ClippedTo(std::min(t->width, backW_), std::min(t->height, backH_));
    for (int y = c.top; y < c.bottom; ++y)
        for (int x = c.left; x < c.right; ++x)
            back_[size_t(y) * backW_ + x] = t->pixels[size_t(y) * t->width + x];
    return GFX_OK;
}

GfxResult GfxRecordingDevice::ReadBack(const GfxRect& area, uint32_t* out)
{
    calls.push_back(Str("ReadBack %d %d %d %d", area.left, area.top, area.right, area.bottom));
    if (GfxResult r = Take("ReadBack"); GfxFailed(r)) return r;
    if (!out || !hasDisplay_) return GFX_E_POINTER;
    if (area.left < 0 || area.top < 0 || area.right > backW_ || area.bottom > backH_)
        return GFX_E_INVALIDARG;
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x) *out++ = back_[size_t(y) * backW_ + x];
    return GFX_OK;
}

bool GfxRecordingDevice::GetBackBufferSize(int* w, int* h) const
{
    if (!hasDisplay_) return false;
    if (w) *w = backW_;
    if (h) *h = backH_;
    return true;
}
