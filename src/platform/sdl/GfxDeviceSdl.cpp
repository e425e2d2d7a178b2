// The graphics device over SDL2's renderer (OpenGL/GLES2 backends): an
// off-screen back buffer presented into the window, fixed-function state
// mapped to custom blend modes, vertices converted to SDL_Vertex.
#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>

#include "platform/gfx/Device.h"

namespace
{

class SdlTexture final : public GfxTexture
{
public:
    SDL_Texture* handle = nullptr;
    // Copies in which fully transparent texels are white or black: alpha-0
    // texels must leave the destination alone under the multiply and
    // subtractive factors, which ignore alpha.
    SDL_Texture* variant[2] = {nullptr, nullptr};
    bool variantStale[2] = {true, true};
    bool cpuNewer = true;   // pixels changed since the last upload
    bool gpuNewer = false;  // drawn into on the GPU since the last read-back
    unsigned generation = 0;
    // Last modes handed to SDL for the texture in use: the GL backend applies
    // a scale mode at once, so unchanged ones are not sent again.
    SDL_Texture* modesFor = nullptr;
    SDL_BlendMode lastBlend = SDL_BLENDMODE_INVALID;
    SDL_ScaleMode lastScale = SDL_ScaleModeBest;
};

SDL_BlendFactor ToSdlFactor(uint32_t f)
{
    switch (f)
    {
        case GFX_BLEND_ZERO:
            return SDL_BLENDFACTOR_ZERO;
        case GFX_BLEND_ONE:
            return SDL_BLENDFACTOR_ONE;
        case GFX_BLEND_SRCCOLOR:
            return SDL_BLENDFACTOR_SRC_COLOR;
        case GFX_BLEND_INVSRCCOLOR:
            return SDL_BLENDFACTOR_ONE_MINUS_SRC_COLOR;
        case GFX_BLEND_SRCALPHA:
            return SDL_BLENDFACTOR_SRC_ALPHA;
        case GFX_BLEND_INVSRCALPHA:
            return SDL_BLENDFACTOR_ONE_MINUS_SRC_ALPHA;
        case GFX_BLEND_DESTALPHA:
            return SDL_BLENDFACTOR_DST_ALPHA;
        case GFX_BLEND_INVDESTALPHA:
            return SDL_BLENDFACTOR_ONE_MINUS_DST_ALPHA;
        case GFX_BLEND_DESTCOLOR:
            return SDL_BLENDFACTOR_DST_COLOR;
        case GFX_BLEND_INVDESTCOLOR:
            return SDL_BLENDFACTOR_ONE_MINUS_DST_COLOR;
        default:
            return SDL_BLENDFACTOR_ONE;
    }
}

// Drawing into a texture's alpha: the stage set-up replicates the texel alpha
// into the colour (call it v) and makes the source alpha 1. Only the
// destination alpha may change, so the factors are re-read in those terms:
// the shader's source alpha is v.
SDL_BlendFactor ToCaptureFactor(uint32_t f)
{
    switch (f)
    {
        case GFX_BLEND_ZERO:
            return SDL_BLENDFACTOR_ZERO;
        case GFX_BLEND_ONE:
            return SDL_BLENDFACTOR_ONE;
        case GFX_BLEND_SRCALPHA:
            return SDL_BLENDFACTOR_ONE;
        case GFX_BLEND_INVSRCALPHA:
            return SDL_BLENDFACTOR_ZERO;
        case GFX_BLEND_SRCCOLOR:
            return SDL_BLENDFACTOR_SRC_ALPHA;
        case GFX_BLEND_INVSRCCOLOR:
            return SDL_BLENDFACTOR_ONE_MINUS_SRC_ALPHA;
        case GFX_BLEND_DESTALPHA:
        case GFX_BLEND_DESTCOLOR:
            return SDL_BLENDFACTOR_DST_ALPHA;
        default:
            return SDL_BLENDFACTOR_ONE_MINUS_DST_ALPHA;
    }
}

GfxMatrix Multiply(const GfxMatrix& a, const GfxMatrix& b)
{
    GfxMatrix r{};
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
        {
            float s = 0;
            for (int k = 0; k < 4; ++k) s += a.m[i][k] * b.m[k][j];
            r.m[i][j] = s;
        }
    return r;
}

inline SDL_Color ToSdlColor(uint32_t argb)
{
    return SDL_Color{static_cast<Uint8>(argb >> 16), static_cast<Uint8>(argb >> 8),
                     static_cast<Uint8>(argb), static_cast<Uint8>(argb >> 24)};
}

using GlGetString = const unsigned char* (*)(unsigned int);

// True when the window had to change size.
bool ResizeWindow(SDL_Window* window, int width, int height)
{
    int oldWidth = 0, oldHeight = 0;
    SDL_GetWindowSize(window, &oldWidth, &oldHeight);
    if (oldWidth == width && oldHeight == height) return false;
    SDL_SetWindowSize(window, width, height);
    return true;
}

// A window that changed size is centred on its display again: kept where it
// was, a window placed for a smaller size grows over the display's right and
// bottom edges. One that keeps its size keeps the place it was given.
void CentreWindow(SDL_Window* window)
{
    const int display = std::max(0, SDL_GetWindowDisplayIndex(window));
    SDL_SetWindowPosition(window, int(SDL_WINDOWPOS_CENTERED_DISPLAY(display)),
                          int(SDL_WINDOWPOS_CENTERED_DISPLAY(display)));
}

class SdlDevice final : public IGfxDevice
{
public:
    SdlDevice()
    {
        for (auto& s : rs_) s = 0;
        for (auto& s : tss_) s = 0;
        rs_[GFX_RS_SRCBLEND] = GFX_BLEND_ONE;
        rs_[GFX_RS_DESTBLEND] = GFX_BLEND_ZERO;
        rs_[GFX_RS_TEXTUREFACTOR] = 0xFFFFFFFFu;
        tss_[GFX_TSS_COLOROP] = GFX_TOP_MODULATE;
        tss_[GFX_TSS_COLORARG1] = GFX_TA_TEXTURE;
        tss_[GFX_TSS_COLORARG2] = GFX_TA_CURRENT;
        tss_[GFX_TSS_ALPHAOP] = GFX_TOP_SELECTARG1;
        tss_[GFX_TSS_ALPHAARG1] = GFX_TA_TEXTURE;
        tss_[GFX_TSS_MAGFILTER] = GFX_TFILTER_LINEAR;
        tss_[GFX_TSS_MINFILTER] = GFX_TFILTER_LINEAR;
        for (int i = 0; i < 3; ++i) transforms_[i] = GfxMatrix::Identity();
        SDL_AddEventWatch(&SdlDevice::EventWatch, this);
    }

    ~SdlDevice() override
    {
        SDL_DelEventWatch(&SdlDevice::EventWatch, this);
        DestroyDisplay();
        if (cursor_) SDL_FreeCursor(cursor_);
        for (SdlTexture* t : textures_) delete t;
    }

    // ----- display -----
    GfxDesktopInfo GetDesktop() override
    {
        GfxDesktopInfo d;
        SDL_DisplayMode mode;
        if (SDL_WasInit(SDL_INIT_VIDEO) && SDL_GetDesktopDisplayMode(0, &mode) == 0)
        {
            d.width = mode.w;
            d.height = mode.h;
            int bpp = SDL_BITSPERPIXEL(mode.format);
            if (bpp == 24 && SDL_BYTESPERPIXEL(mode.format) == 4) bpp = 32;
            d.bitsPerPixel = bpp;
            d.colourCount = bpp > 8 ? -1 : (1 << bpp);
        }
        return d;
    }

    std::vector<GfxMonitor> GetMonitors() override
    {
        std::vector<GfxMonitor> out;
        if (!SDL_WasInit(SDL_INIT_VIDEO)) return out;
        int n = SDL_GetNumVideoDisplays();
        for (int i = 0; i < n; ++i)
        {
            SDL_Rect b, u;
            if (SDL_GetDisplayBounds(i, &b) != 0) continue;
            if (SDL_GetDisplayUsableBounds(i, &u) != 0) u = b;
            out.push_back({{b.x, b.y, b.x + b.w, b.y + b.h}, {u.x, u.y, u.x + u.w, u.y + u.h}});
        }
        return out;
    }

    std::vector<GfxDisplayMode> GetDisplayModes() override
    {
        std::vector<GfxDisplayMode> out;
        if (!SDL_WasInit(SDL_INIT_VIDEO)) return out;
        int n = SDL_GetNumDisplayModes(0);
        for (int i = 0; i < n; ++i)
        {
            SDL_DisplayMode m;
            if (SDL_GetDisplayMode(0, i, &m) == 0)
            {
                int bpp = SDL_BITSPERPIXEL(m.format);
                if (bpp == 24 && SDL_BYTESPERPIXEL(m.format) == 4) bpp = 32;
                out.push_back({m.w, m.h, bpp, m.refresh_rate});
            }
        }
        return out;
    }

    int GetAdapterCount() override { return 1; }

    GfxResult CreateDisplay(void* window, bool fullScreen, int width, int height, int /*depth*/,
                            uint32_t flags) override
    {
        DestroyDisplay();
        SDL_Window* win = static_cast<SDL_Window*>(window);
        if (!win || width <= 0 || height <= 0) return GFX_E_POINTER;
        if ((flags >> 16) >= 1) return GFX_E_FAIL;  // one adapter
        window_ = win;
        fullScreen_ = fullScreen;
        bool resized = false;
        if (fullScreen)
        {
            SDL_SetWindowFullscreen(win, SDL_WINDOW_FULLSCREEN_DESKTOP);
        }
        else
        {
            SDL_SetWindowFullscreen(win, 0);
            if (!(flags & GFX_DISPLAY_KEEP_WINDOW)) resized = ResizeWindow(win, width, height);
        }
        // Geometry of many small quads is only fast when SDL may batch.
        SDL_SetHint(SDL_HINT_RENDER_BATCHING, "1");
        renderer_ =
            SDL_CreateRenderer(win, -1, SDL_RENDERER_ACCELERATED | SDL_RENDERER_TARGETTEXTURE);
        if (!renderer_) renderer_ = SDL_CreateRenderer(win, -1, SDL_RENDERER_TARGETTEXTURE);
        if (!renderer_)
        {
            window_ = nullptr;
            return GFX_E_FAIL;
        }
        // Only now: making the renderer may make the window again (X11 does
        // for a window without GL), which drops a place given before.
        if (resized) CentreWindow(win);
        SDL_RenderSetVSync(renderer_, vsync_ ? 1 : 0);
        back_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_TARGET,
                                  width, height);
        if (!back_)
        {
            DestroyDisplay();
            return GFX_E_OUTOFVIDEOMEMORY;
        }
        backW_ = width;
        backH_ = height;
        ++generation_;
        blendCache_.clear();
        blendDirty_ = true;
        lost_ = false;
        deviceReset_ = false;
        ClearBack();
        viewport_ = {0, 0, width, height, 0.0f, 1.0f};
        viewportDirty_ = true;
        appliedFull_ = false;
        return GFX_OK;
    }

    void DestroyDisplay() override
    {
        for (SdlTexture* t : textures_) ForgetGpu(t);
        DropGpuObjects(&pointer_);
        if (back_) SDL_DestroyTexture(back_);
        back_ = nullptr;
        if (renderer_) SDL_DestroyRenderer(renderer_);
        renderer_ = nullptr;
        if (window_ && fullScreen_) SDL_SetWindowFullscreen(window_, 0);
        window_ = nullptr;
        backW_ = backH_ = 0;
    }

    bool HasDisplay() const override { return renderer_ != nullptr; }

    GfxDeviceInfo GetInfo() override
    {
        GfxDeviceInfo info;
        if (!renderer_) return info;
        SDL_RendererInfo ri;
        if (SDL_GetRendererInfo(renderer_, &ri) == 0)
        {
            info.driver = ri.name ? ri.name : "";
            info.maxTextureWidth = ri.max_texture_width;
            info.maxTextureHeight = ri.max_texture_height;
            info.hardware = (ri.flags & SDL_RENDERER_ACCELERATED) != 0;
        }
        if (info.driver.rfind("opengl", 0) == 0)
        {
            auto getString = reinterpret_cast<GlGetString>(SDL_GL_GetProcAddress("glGetString"));
            if (getString)
            {
                const unsigned char* s = getString(0x1F01);  // GL_RENDERER
                if (s) info.description = reinterpret_cast<const char*>(s);
                s = getString(0x1F00);  // GL_VENDOR
                if (s) info.vendor = reinterpret_cast<const char*>(s);
            }
        }
        if (info.description.empty()) info.description = info.driver;
        info.customBlend = ProbeCustomBlend();
        return info;
    }

    GfxResult Present() override
    {
        if (!renderer_ || !back_) return GFX_E_POINTER;
        if (lost_) return GFX_E_SURFACELOST;
        SDL_SetRenderTarget(renderer_, nullptr);
        int ow = 0, oh = 0;
        SDL_GetRendererOutputSize(renderer_, &ow, &oh);
        SDL_RenderSetViewport(renderer_, nullptr);
        SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
        SDL_RenderClear(renderer_);
        // Letterbox: the whole picture at the largest scale that fits, centred.
        SDL_Rect dst{0, 0, backW_, backH_};
        if (ow > 0 && oh > 0 && (ow != backW_ || oh != backH_))
        {
            double s = std::min(double(ow) / backW_, double(oh) / backH_);
            dst.w = int(std::lround(backW_ * s));
            dst.h = int(std::lround(backH_ * s));
            dst.x = (ow - dst.w) / 2;
            dst.y = (oh - dst.h) / 2;
        }
        SDL_SetTextureBlendMode(back_, SDL_BLENDMODE_NONE);
        SDL_SetTextureScaleMode(back_, SDL_ScaleModeLinear);
        SDL_RenderCopy(renderer_, back_, nullptr, &dst);
        DrawPointer(dst);
        if (capture_) CaptureWindow(ow, oh);
        SDL_RenderPresent(renderer_);
        SDL_SetRenderTarget(renderer_, back_);
        viewportDirty_ = true;
        appliedFull_ = false;
        return lost_ ? GFX_E_SURFACELOST : GFX_OK;
    }

    GfxResult GetFlipStatus() override { return GFX_OK; }
    GfxResult TestLost() override { return lost_ ? GFX_E_SURFACELOST : GFX_OK; }

    GfxResult RestoreSurfaces() override
    {
        if (!renderer_) return GFX_E_POINTER;
        if (!lost_) return GFX_OK;
        if (deviceReset_)
        {
            // The renderer's own objects are gone with the GL context.
            SDL_Window* win = window_;
            bool fs = fullScreen_;
            int w = backW_, h = backH_;
            return CreateDisplay(win, fs, w, h, 32, GFX_DISPLAY_KEEP_WINDOW);
        }
        // Target contents are undefined after a reset: every texture uploads its
        // copy again, and the back buffer starts black.
        ++generation_;
        for (SdlTexture* t : textures_) ForgetGpu(t);
        lost_ = false;
        ClearBack();
        viewportDirty_ = true;
        appliedFull_ = false;
        return GFX_OK;
    }

    void SetVsync(bool on) override
    {
        vsync_ = on;
        if (renderer_) SDL_RenderSetVSync(renderer_, on ? 1 : 0);
    }

    int GetRefreshRate() override
    {
        SDL_DisplayMode m;
        int index = window_ ? SDL_GetWindowDisplayIndex(window_) : 0;
        if (SDL_WasInit(SDL_INIT_VIDEO) &&
            SDL_GetCurrentDisplayMode(index < 0 ? 0 : index, &m) == 0)
            return m.refresh_rate;
        return 0;
    }

    GfxRect GetWindowClientRect() override
    {
        if (!window_) return {0, 0, 0, 0};
        int x = 0, y = 0, w = 0, h = 0;
        SDL_GetWindowPosition(window_, &x, &y);
        SDL_GetWindowSize(window_, &w, &h);
        return {x, y, x + w, y + h};
    }

    void MoveWindow(int x, int y) override
    {
        if (window_) SDL_SetWindowPosition(window_, x, y);
    }
    void ShowWindow() override
    {
        if (window_) SDL_ShowWindow(window_);
    }
    void SimulateLoss() override { lost_ = true; }

    // ----- scene and state -----
    GfxResult BeginScene() override
    {
        if (!renderer_) return GFX_E_POINTER;
        if (lost_) return GFX_E_SURFACELOST;
        inScene_ = true;
        return GFX_OK;
    }
    GfxResult EndScene() override
    {
        if (!renderer_) return GFX_E_POINTER;
        inScene_ = false;
        return lost_ ? GFX_E_SURFACELOST : GFX_OK;
    }

    GfxResult SetRenderState(GfxRenderState state, uint32_t value) override
    {
        if (state < 0 || state >= GFX_RS_COUNT) return GFX_E_INVALIDARG;
        if (rs_[state] != value) blendDirty_ = true;
        rs_[state] = value;
        return GFX_OK;
    }
    uint32_t GetRenderState(GfxRenderState state) const override
    {
        return (state >= 0 && state < GFX_RS_COUNT) ? rs_[state] : 0;
    }
    GfxResult SetTextureStageState(int stage, GfxStageState state, uint32_t value) override
    {
        if (state < 0 || state >= GFX_TSS_COUNT || stage < 0 || stage > 7) return GFX_E_INVALIDARG;
        if (stage == 0 && tss_[state] != value)
        {
            tss_[state] = value;
            blendDirty_ = true;
        }
        return GFX_OK;
    }
    uint32_t GetTextureStageState(int stage, GfxStageState state) const override
    {
        return (stage == 0 && state >= 0 && state < GFX_TSS_COUNT) ? tss_[state] : 0;
    }
    GfxResult SetTransform(GfxTransformKind kind, const GfxMatrix& matrix) override
    {
        if (kind < 0 || kind > 2) return GFX_E_INVALIDARG;
        transforms_[kind] = matrix;
        combinedDirty_ = true;
        return GFX_OK;
    }
    GfxResult SetMaterial(const GfxMaterial&) override { return GFX_OK; }

    GfxResult SetViewport(const GfxViewport& vp) override
    {
        if (vp.width < 0 || vp.height < 0 || vp.x < 0 || vp.y < 0) return GFX_E_INVALIDARG;
        if (backW_ > 0 && (vp.x + vp.width > backW_ || vp.y + vp.height > backH_))
            return GFX_E_INVALIDARG;
        viewport_ = vp;
        viewportDirty_ = true;
        return GFX_OK;
    }
    GfxViewport GetViewport() const override { return viewport_; }

    GfxResult SetTexture(int stage, GfxTexture* texture) override
    {
        if (stage == 0) texture_ = static_cast<SdlTexture*>(texture);
        return GFX_OK;
    }
    GfxResult ClearDepth(uint32_t) override { return renderer_ ? GFX_OK : GFX_E_POINTER; }

    GfxResult DrawPrimitive(GfxPrimitive type, uint32_t fvf, const void* vertices,
                            int count) override
    {
        return Draw(type, fvf, vertices, count, nullptr, count);
    }
    GfxResult DrawIndexedPrimitive(GfxPrimitive type, uint32_t fvf, const void* vertices,
                                   int vertexCount, const uint16_t* indices,
                                   int indexCount) override
    {
        if (!indices) return GFX_E_INVALIDARG;
        return Draw(type, fvf, vertices, vertexCount, indices, indexCount);
    }

    // ----- textures -----
    GfxTexture* CreateTexture(int width, int height, GfxTextureUsage usage) override
    {
        if (width <= 0 || height <= 0 || width > 16384 || height > 16384) return nullptr;
        auto* t = new SdlTexture;
        t->width = width;
        t->height = height;
        t->usage = usage;
        t->pixels.assign(size_t(width) * height, 0u);
        textures_.push_back(t);
        textureMemory_.Add(width, height);
        return t;
    }

    void DestroyTexture(GfxTexture* tex) override
    {
        auto* t = static_cast<SdlTexture*>(tex);
        if (!t) return;
        auto it = std::find(textures_.begin(), textures_.end(), t);
        if (it == textures_.end()) return;
        textures_.erase(it);
        textureMemory_.Remove(t->width, t->height);
        if (texture_ == t) texture_ = nullptr;
        if (renderer_) ForgetGpu(t);
        delete t;
    }

    GfxTextureMemory GetTextureMemory() const override { return textureMemory_; }

    bool GetTextureSize(const GfxTexture* t, int* w, int* h) const override
    {
        if (!t) return false;
        if (w) *w = t->width;
        if (h) *h = t->height;
        return true;
    }

    uint32_t* LockTexture(GfxTexture* tex) override
    {
        auto* t = static_cast<SdlTexture*>(tex);
        if (!t || t->locked) return nullptr;
        if (t->gpuNewer) ReadTextureBack(t);
        t->locked = true;
        return t->pixels.data();
    }

    void UnlockTexture(GfxTexture* tex) override
    {
        auto* t = static_cast<SdlTexture*>(tex);
        if (!t || !t->locked) return;
        t->locked = false;
        t->cpuNewer = true;
        t->variantStale[0] = t->variantStale[1] = true;
    }

    // ----- back buffer -----
    GfxResult ColorFill(GfxTexture* tex, const GfxRect& r, uint32_t argb) override
    {
        auto* target = static_cast<SdlTexture*>(tex);
        if (target)
        {
            GfxRect c = r.ClippedTo(target->width, target->height);
            if (c.right <= c.left || c.bottom <= c.top) return GFX_OK;
            if (target->gpuNewer) ReadTextureBack(target);
            for (int y = c.top; y < c.bottom; ++y)
                std::fill_n(target->pixels.begin() + size_t(y) * target->width + c.left,
                            c.right - c.left, argb);
            target->cpuNewer = true;
            target->variantStale[0] = target->variantStale[1] = true;
            return GFX_OK;
        }
        if (!renderer_ || !back_) return GFX_E_POINTER;
        if (lost_) return GFX_E_SURFACELOST;
        GfxRect c = r.ClippedTo(backW_, backH_);
        if (c.right <= c.left || c.bottom <= c.top) return GFX_OK;
        UseBackFull();
        SDL_SetRenderDrawBlendMode(renderer_, SDL_BLENDMODE_NONE);
        SDL_SetRenderDrawColor(renderer_, Uint8(argb >> 16), Uint8(argb >> 8), Uint8(argb),
                               Uint8(argb >> 24));
        SDL_Rect sr{c.left, c.top, c.right - c.left, c.bottom - c.top};
        SDL_RenderFillRect(renderer_, &sr);
        return GFX_OK;
    }

    GfxResult CopyBackToTexture(const GfxRect& area, GfxTexture* tex) override
    {
        auto* t = static_cast<SdlTexture*>(tex);
        if (!t) return GFX_E_POINTER;
        if (!renderer_ || !back_) return GFX_E_POINTER;
        if (lost_) return GFX_E_SURFACELOST;
        GfxRect c = area.ClippedTo(std::min(t->width, backW_), std::min(t->height, backH_));
        if (c.right <= c.left || c.bottom <= c.top) return GFX_OK;
        if (t->gpuNewer) ReadTextureBack(t);
        std::vector<uint32_t> rows(size_t(c.Width()) * c.Height());
        GfxResult r = ReadBack(c, rows.data());
        if (GfxFailed(r)) return r;
        for (int y = 0; y < c.Height(); ++y)
            std::memcpy(&t->pixels[size_t(c.top + y) * t->width + c.left],
                        &rows[size_t(y) * c.Width()], size_t(c.Width()) * 4);
        t->cpuNewer = true;
        t->variantStale[0] = t->variantStale[1] = true;
        return GFX_OK;
    }

    GfxResult CopyTextureToBack(GfxTexture* tex, const GfxRect& area) override
    {
        auto* t = static_cast<SdlTexture*>(tex);
        if (!t) return GFX_E_POINTER;
        if (!renderer_ || !back_) return GFX_E_POINTER;
        if (lost_) return GFX_E_SURFACELOST;
        GfxRect c = area.ClippedTo(std::min(t->width, backW_), std::min(t->height, backH_));
        if (c.right <= c.left || c.bottom <= c.top) return GFX_OK;
        SDL_Texture* h = Upload(t);
        if (!h) return GFX_E_OUTOFVIDEOMEMORY;
        UseBackFull();
        SDL_SetTextureBlendMode(h, SDL_BLENDMODE_NONE);
        t->modesFor = nullptr;
        SDL_SetTextureColorMod(h, 255, 255, 255);
        SDL_SetTextureAlphaMod(h, 255);
        SDL_SetTextureScaleMode(h, SDL_ScaleModeNearest);
        SDL_Rect sr{c.left, c.top, c.Width(), c.Height()};
        SDL_RenderCopy(renderer_, h, &sr, &sr);
        return GFX_OK;
    }

    GfxResult ReadBack(const GfxRect& area, uint32_t* out) override
    {
        if (!out) return GFX_E_POINTER;
        if (!renderer_ || !back_) return GFX_E_POINTER;
        GfxRect c = area.ClippedTo(backW_, backH_);
        if (c.left != area.left || c.top != area.top || c.right != area.right ||
            c.bottom != area.bottom)
            return GFX_E_INVALIDARG;
        if (c.Width() <= 0 || c.Height() <= 0) return GFX_OK;
        UseBackFull();
        SDL_Rect sr{c.left, c.top, c.Width(), c.Height()};
        if (SDL_RenderReadPixels(renderer_, &sr, SDL_PIXELFORMAT_ARGB8888, out, c.Width() * 4) != 0)
            return GFX_E_FAIL;
        return GFX_OK;
    }

    bool GetBackBufferSize(int* w, int* h) const override
    {
        if (!back_) return false;
        if (w) *w = backW_;
        if (h) *h = backH_;
        return true;
    }

    // ----- pointer -----
    bool SetPointerImage(const uint32_t* argb, int width, int height) override
    {
        DropGpuObjects(&pointer_);
        pointer_.pixels.clear();
        pointer_.width = pointer_.height = 0;
        if (!argb || width <= 0 || height <= 0) return true;
        if (width > 1024 || height > 1024) return false;
        pointer_.width = width;
        pointer_.height = height;
        pointer_.pixels.assign(argb, argb + size_t(width) * height);
        pointer_.cpuNewer = true;
        return true;
    }

    void SetPointerPlacement(int x, int y, const GfxRect& clip, bool visible) override
    {
        pointerX_ = x;
        pointerY_ = y;
        pointerClip_ = clip;
        pointerVisible_ = visible;
    }

    bool SetColorCursor(const uint32_t* argb, int hotX, int hotY) override
    {
        SDL_Cursor* made = nullptr;
        if (argb)
        {
            SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormatFrom(
                const_cast<uint32_t*>(argb), 32, 32, 32, 32 * 4, SDL_PIXELFORMAT_ARGB8888);
            if (!surface) return false;
            made = SDL_CreateColorCursor(surface, hotX, hotY);
            SDL_FreeSurface(surface);
            if (!made) return false;
            SDL_SetCursor(made);
            SDL_ShowCursor(SDL_ENABLE);
        }
        else
        {
            SDL_SetCursor(SDL_GetDefaultCursor());
        }
        if (cursor_) SDL_FreeCursor(cursor_);
        cursor_ = made;
        return true;
    }

    void CapturePresentedPicture(bool on) override { capture_ = on; }

    bool GetPresentedPicture(std::vector<uint32_t>* pixels, int* width, int* height) const override
    {
        if (captured_.empty()) return false;
        if (pixels) *pixels = captured_;
        if (width) *width = capturedW_;
        if (height) *height = capturedH_;
        return true;
    }

private:
    // The pointer over the picture placed at dst (window pixels), scaled as
    // the picture is, and cut to its clip area.
    void DrawPointer(const SDL_Rect& dst)
    {
        if (!pointerVisible_ || pointer_.pixels.empty() || backW_ <= 0 || backH_ <= 0) return;
        SDL_Texture* h = Upload(&pointer_);
        if (!h) return;
        const double sx = double(dst.w) / backW_, sy = double(dst.h) / backH_;
        const GfxRect c = pointerClip_.ClippedTo(backW_, backH_);
        if (c.right <= c.left || c.bottom <= c.top) return;
        SDL_Rect clip{dst.x + int(std::lround(c.left * sx)), dst.y + int(std::lround(c.top * sy)),
                      int(std::lround(c.Width() * sx)), int(std::lround(c.Height() * sy))};
        SDL_Rect to{dst.x + int(std::lround(pointerX_ * sx)),
                    dst.y + int(std::lround(pointerY_ * sy)), int(std::lround(pointer_.width * sx)),
                    int(std::lround(pointer_.height * sy))};
        SDL_RenderSetClipRect(renderer_, &clip);
        SDL_SetTextureBlendMode(h, SDL_BLENDMODE_BLEND);
        SDL_SetTextureColorMod(h, 255, 255, 255);
        SDL_SetTextureAlphaMod(h, 255);
        SDL_SetTextureScaleMode(
            h, sx == 1.0 && sy == 1.0 ? SDL_ScaleModeNearest : SDL_ScaleModeLinear);
        SDL_RenderCopy(renderer_, h, nullptr, &to);
        SDL_RenderSetClipRect(renderer_, nullptr);
    }

    void CaptureWindow(int w, int h)
    {
        if (w <= 0 || h <= 0) return;
        captured_.assign(size_t(w) * h, 0u);
        if (SDL_RenderReadPixels(renderer_, nullptr, SDL_PIXELFORMAT_ARGB8888, captured_.data(),
                                 w * 4) != 0)
        {
            captured_.clear();
            return;
        }
        capturedW_ = w;
        capturedH_ = h;
    }

    static int SDLCALL EventWatch(void* self, SDL_Event* e)
    {
        auto* d = static_cast<SdlDevice*>(self);
        if (e->type == SDL_RENDER_TARGETS_RESET) d->lost_ = true;
        if (e->type == SDL_RENDER_DEVICE_RESET)
        {
            d->lost_ = true;
            d->deviceReset_ = true;
        }
        return 0;
    }

    bool ProbeCustomBlend()
    {
        SDL_BlendMode m = SDL_ComposeCustomBlendMode(
            SDL_BLENDFACTOR_ZERO, SDL_BLENDFACTOR_SRC_COLOR, SDL_BLENDOPERATION_ADD,
            SDL_BLENDFACTOR_ONE, SDL_BLENDFACTOR_ONE, SDL_BLENDOPERATION_ADD);
        return back_ && SDL_SetTextureBlendMode(back_, m) == 0;
    }

    void ClearBack()
    {
        SDL_SetRenderTarget(renderer_, back_);
        SDL_RenderSetViewport(renderer_, nullptr);
        SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
        SDL_RenderClear(renderer_);
    }

    // The back buffer as target with a full-size viewport (for fills and copies).
    void UseBackFull()
    {
        if (SDL_GetRenderTarget(renderer_) != back_) SDL_SetRenderTarget(renderer_, back_);
        SDL_RenderSetViewport(renderer_, nullptr);
        viewportDirty_ = true;
        appliedFull_ = true;
    }

    // Geometry that lies wholly inside the viewport is not clipped by it, so
    // it can be drawn in the whole target: consecutive draws in different
    // viewports then stay in one batch of the renderer.
    void UseBackUnclipped()
    {
        if (SDL_GetRenderTarget(renderer_) != back_)
        {
            SDL_SetRenderTarget(renderer_, back_);
            appliedFull_ = false;
        }
        if (!appliedFull_)
        {
            SDL_RenderSetViewport(renderer_, nullptr);
            appliedFull_ = true;
        }
        viewportDirty_ = true;
    }

    // The converted vertices (viewport-relative, in SDL's space where pixel
    // centres sit on halves) lie within the viewport's own rectangle: no
    // pixel centre outside it can be covered, so clipping changes nothing.
    bool InsideViewport() const
    {
        const float w = float(viewport_.width), h = float(viewport_.height);
        for (const SDL_Vertex& v : verts_)
        {
            if (!(v.position.x >= 0.0f && v.position.x <= w && v.position.y >= 0.0f &&
                  v.position.y <= h))
                return false;
        }
        return true;
    }

    void UseBackViewport()
    {
        if (SDL_GetRenderTarget(renderer_) != back_)
        {
            SDL_SetRenderTarget(renderer_, back_);
            viewportDirty_ = true;
            appliedFull_ = false;
        }
        if (viewportDirty_)
        {
            SDL_Rect r{viewport_.x, viewport_.y, viewport_.width, viewport_.height};
            SDL_RenderSetViewport(renderer_, &r);
            viewportDirty_ = false;
            appliedFull_ = false;
        }
    }

    // Destroys the texture's GPU objects; the CPU copy is uploaded again on
    // next use.
    static void DropGpuObjects(SdlTexture* t)
    {
        if (t->handle) SDL_DestroyTexture(t->handle);
        for (auto& v : t->variant)
            if (v) SDL_DestroyTexture(v);
        t->handle = t->variant[0] = t->variant[1] = nullptr;
        t->modesFor = nullptr;
        t->cpuNewer = true;
        t->variantStale[0] = t->variantStale[1] = true;
    }

    void ForgetGpu(SdlTexture* t)
    {
        if (t->gpuNewer && renderer_ && t->handle) ReadTextureBack(t);
        DropGpuObjects(t);
        t->gpuNewer = false;
    }

    void ReadTextureBack(SdlTexture* t)
    {
        t->gpuNewer = false;
        if (!renderer_ || !t->handle) return;
        SDL_Texture* old = SDL_GetRenderTarget(renderer_);
        if (SDL_SetRenderTarget(renderer_, t->handle) == 0)
        {
            SDL_RenderReadPixels(renderer_, nullptr, SDL_PIXELFORMAT_ARGB8888, t->pixels.data(),
                                 t->width * 4);
        }
        SDL_SetRenderTarget(renderer_, old);
        viewportDirty_ = true;
        appliedFull_ = false;
    }

    SDL_Texture* Upload(SdlTexture* t)
    {
        if (!renderer_) return nullptr;
        if (t->generation != generation_)
        {
            DropGpuObjects(t);
            t->generation = generation_;
        }
        if (!t->handle)
        {
            t->handle = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_ARGB8888,
                                          t->usage == GFX_TEXTURE_TARGET ? SDL_TEXTUREACCESS_TARGET
                                                                         : SDL_TEXTUREACCESS_STATIC,
                                          t->width, t->height);
            if (!t->handle) return nullptr;
            t->modesFor = nullptr;
            t->cpuNewer = true;
        }
        if (t->cpuNewer)
        {
            SDL_UpdateTexture(t->handle, nullptr, t->pixels.data(), t->width * 4);
            t->cpuNewer = false;
        }
        return t->handle;
    }

    SDL_Texture* UploadVariant(SdlTexture* t, int which)
    {
        if (!Upload(t)) return nullptr;
        SDL_Texture*& v = t->variant[which];
        if (!v)
        {
            v = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STATIC,
                                  t->width, t->height);
            if (!v) return nullptr;
            t->modesFor = nullptr;
            t->variantStale[which] = true;
        }
        if (t->variantStale[which])
        {
            std::vector<uint32_t> copy(t->pixels);
            const uint32_t neutral = which == 0 ? 0x00FFFFFFu : 0x00000000u;
            for (uint32_t& p : copy)
                if ((p >> 24) == 0) p = neutral;
            SDL_UpdateTexture(v, nullptr, copy.data(), t->width * 4);
            t->variantStale[which] = false;
        }
        return v;
    }

    // The alpha test (alpha >= reference) drops every pixel of a draw whose
    // output alpha is scaled by the vertex alpha when that alpha is below the
    // reference at every vertex: interpolation cannot raise it, and texel
    // alpha only lowers it. SDL has no alpha test, and blends such as multiply
    // ignore alpha, so such a draw (a sprite faded out) must be dropped here.
    bool AlphaTestDropsAll(const GfxVertex* v, int count) const
    {
        if (!rs_[GFX_RS_ALPHATESTENABLE] || rs_[GFX_RS_ALPHAFUNC] != GFX_CMP_GREATEREQUAL)
            return false;
        const uint32_t ref = rs_[GFX_RS_ALPHAREF];
        if (ref == 0) return false;
        auto isDiffuse = [](uint32_t arg)
        {
            arg &= 0xF;
            return arg == GFX_TA_DIFFUSE ||
                   arg == GFX_TA_CURRENT;  // stage 0: current is the diffuse colour
        };
        const uint32_t op = tss_[GFX_TSS_ALPHAOP];
        const bool scaled = (op == GFX_TOP_MODULATE && (isDiffuse(tss_[GFX_TSS_ALPHAARG1]) ||
                                                        isDiffuse(tss_[GFX_TSS_ALPHAARG2]))) ||
                            (op == GFX_TOP_SELECTARG1 && isDiffuse(tss_[GFX_TSS_ALPHAARG1]));
        if (!scaled) return false;
        for (int i = 0; i < count; ++i)
            if ((v[i].diffuse >> 24) >= ref) return false;
        return true;
    }

    // The stage set-up of drawing into a texture's alpha: the colour carries a
    // replicated alpha (or the white texture factor) and the alpha is 1.
    bool CaptureMode() const
    {
        const uint32_t arg1 = tss_[GFX_TSS_COLORARG1];
        return (arg1 & GFX_TA_ALPHAREPLICATE) != 0 ||
               ((arg1 & 0xF) == GFX_TA_TFACTOR && tss_[GFX_TSS_ALPHAARG1] == GFX_TA_TFACTOR);
    }

    // Which blend the state asks for, and whether transparent texels must be
    // made neutral (-1 no, 0 white, 1 black).
    SDL_BlendMode CurrentBlend(int* variant)
    {
        *variant = -1;
        const bool capture = CaptureMode();
        const bool enable = rs_[GFX_RS_ALPHABLENDENABLE] != 0;
        uint32_t src = enable ? rs_[GFX_RS_SRCBLEND] : GFX_BLEND_ONE;
        uint32_t dst = enable ? rs_[GFX_RS_DESTBLEND] : GFX_BLEND_ZERO;
        uint64_t key = (uint64_t(src) << 8) | dst | (capture ? 1u << 16 : 0u);
        if (!capture && enable && rs_[GFX_RS_ALPHATESTENABLE] && src == GFX_BLEND_ZERO)
        {
            if (dst == GFX_BLEND_SRCCOLOR) *variant = 0;
            if (dst == GFX_BLEND_INVSRCCOLOR) *variant = 1;
        }
        auto it = blendCache_.find(key);
        if (it != blendCache_.end()) return it->second;
        SDL_BlendMode mode;
        if (capture)
        {
            mode = SDL_ComposeCustomBlendMode(SDL_BLENDFACTOR_ZERO, SDL_BLENDFACTOR_ONE,
                                              SDL_BLENDOPERATION_ADD, ToCaptureFactor(src),
                                              ToCaptureFactor(dst), SDL_BLENDOPERATION_ADD);
        }
        else
        {
            mode = SDL_ComposeCustomBlendMode(ToSdlFactor(src), ToSdlFactor(dst),
                                              SDL_BLENDOPERATION_ADD, ToSdlFactor(src),
                                              ToSdlFactor(dst), SDL_BLENDOPERATION_ADD);
        }
        blendCache_[key] = mode;
        return mode;
    }

    GfxResult Draw(GfxPrimitive type, uint32_t fvf, const void* vertices, int count,
                   const uint16_t* indices, int indexCount)
    {
        if (!renderer_ || !back_) return GFX_E_POINTER;
        if (lost_) return GFX_E_SURFACELOST;
        if (!vertices || count < 0 || indexCount < 0) return GFX_E_INVALIDARG;
        // Line lists carry the vector drawer's spans, one pixel row a pair.
        if (type == GFX_PT_LINELIST && fvf == GFX_FVF_TLVERTEX)
        {
            GfxLineListToQuads(static_cast<const GfxVertex*>(vertices), count, indices, indexCount,
                               lineQuads_);
            const int n = int(lineQuads_.size());
            return Draw(GFX_PT_TRIANGLELIST, fvf, lineQuads_.data(), n, nullptr, n);
        }
        // Lit vertices need lighting; points and strips have no use here.
        if (fvf == GFX_FVF_VERTEX || type < GFX_PT_TRIANGLELIST || type > GFX_PT_TRIANGLEFAN)
            return GFX_OK;
        if (fvf != GFX_FVF_LVERTEX && fvf != GFX_FVF_TLVERTEX) return GFX_E_INVALIDARG;
        if (indexCount < 3 || viewport_.width <= 0 || viewport_.height <= 0) return GFX_OK;

        const auto* src = static_cast<const GfxVertex*>(vertices);
        if (AlphaTestDropsAll(src, count)) return GFX_OK;
        // Captured into alpha is the shader's texel alpha times vertex alpha.
        // A set-up that selects one argument alone must not be scaled by the
        // other: the texel's alone (vertex alpha made 1), the vertex's alone (no
        // texel), or the white factor (neither).
        uint32_t alphaOr = 0;
        bool untextured = false;
        if (tss_[GFX_TSS_COLOROP] == GFX_TOP_SELECTARG1 && CaptureMode())
        {
            const uint32_t arg = tss_[GFX_TSS_COLORARG1] & 0xF;
            if (arg == GFX_TA_TEXTURE || arg == GFX_TA_TFACTOR) alphaOr = 0xFF000000u;
            untextured = arg == GFX_TA_TFACTOR || arg == GFX_TA_DIFFUSE;
        }
        verts_.resize(size_t(count));
        // Pixel centres lie on integers in our vertex space and on halves in SDL's.
        if (fvf == GFX_FVF_TLVERTEX)
        {
            const float ox = 0.5f - float(viewport_.x), oy = 0.5f - float(viewport_.y);
            for (int i = 0; i < count; ++i)
            {
                const GfxVertex& v = src[i];
                verts_[i] =
                    SDL_Vertex{{v.x + ox, v.y + oy}, ToSdlColor(v.diffuse | alphaOr), {v.u, v.v}};
            }
        }
        else
        {
            if (combinedDirty_)
            {
                combined_ = Multiply(
                    Multiply(transforms_[GFX_TRANSFORM_WORLD], transforms_[GFX_TRANSFORM_VIEW]),
                    transforms_[GFX_TRANSFORM_PROJECTION]);
                combinedDirty_ = false;
            }
            const auto& m = combined_.m;
            const float hw = viewport_.width * 0.5f, hh = viewport_.height * 0.5f;
            for (int i = 0; i < count; ++i)
            {
                const GfxVertex& v = src[i];
                float cx = v.x * m[0][0] + v.y * m[1][0] + v.z * m[2][0] + m[3][0];
                float cy = v.x * m[0][1] + v.y * m[1][1] + v.z * m[2][1] + m[3][1];
                float cw = v.x * m[0][3] + v.y * m[1][3] + v.z * m[2][3] + m[3][3];
                if (cw == 0.0f) cw = 1e-6f;
                const float px = (cx / cw + 1.0f) * hw + 0.5f;
                const float py = (1.0f - cy / cw) * hh + 0.5f;
                verts_[i] = SDL_Vertex{{px, py}, ToSdlColor(v.diffuse | alphaOr), {v.u, v.v}};
            }
        }

        // SDL draws triangle lists only.
        const int n = indices ? indexCount : count;
        const int tris = type == GFX_PT_TRIANGLELIST ? n / 3 : std::max(0, n - 2);
        idx_.resize(size_t(tris) * 3);
        int* out = idx_.data();
        for (int t = 0; t < tris; ++t, out += 3)
        {
            if (type == GFX_PT_TRIANGLELIST)
            {
                out[0] = 3 * t;
                out[1] = 3 * t + 1;
                out[2] = 3 * t + 2;
            }
            else
            {
                out[0] = type == GFX_PT_TRIANGLEFAN ? 0 : t;
                out[1] = t + 1;
                out[2] = t + 2;
            }
        }
        // Without indices every entry is in range by construction.
        if (indices)
        {
            for (int& k : idx_)
            {
                k = indices[k];
                if (k >= count) return GFX_E_INVALIDARG;
            }
        }

        if (blendDirty_)
        {
            cachedBlend_ = CurrentBlend(&cachedVariant_);
            blendDirty_ = false;
        }
        const int variant = cachedVariant_;
        const SDL_BlendMode blend = cachedBlend_;
        SDL_Texture* tex = nullptr;
        if (texture_ && !untextured)
        {
            tex = variant >= 0 ? UploadVariant(texture_, variant) : Upload(texture_);
            if (!tex) return GFX_E_OUTOFVIDEOMEMORY;
            const SDL_ScaleMode scale = tss_[GFX_TSS_MAGFILTER] == GFX_TFILTER_POINT
                                            ? SDL_ScaleModeNearest
                                            : SDL_ScaleModeLinear;
            if (texture_->modesFor != tex || texture_->lastBlend != blend)
                SDL_SetTextureBlendMode(tex, blend);
            if (texture_->modesFor != tex || texture_->lastScale != scale)
                SDL_SetTextureScaleMode(tex, scale);
            texture_->modesFor = tex;
            texture_->lastBlend = blend;
            texture_->lastScale = scale;
        }
        else
        {
            SDL_SetRenderDrawBlendMode(renderer_, blend);
        }
        if (InsideViewport())
        {
            const float dx = float(viewport_.x), dy = float(viewport_.y);
            for (SDL_Vertex& v : verts_)
            {
                v.position.x += dx;
                v.position.y += dy;
            }
            UseBackUnclipped();
        }
        else
        {
            UseBackViewport();
        }
        if (SDL_RenderGeometry(renderer_, tex, verts_.data(), count, idx_.data(),
                               int(idx_.size())) != 0)
            return GFX_E_FAIL;
        return GFX_OK;
    }

    SDL_Window* window_ = nullptr;
    SDL_Renderer* renderer_ = nullptr;
    SDL_Texture* back_ = nullptr;
    int backW_ = 0, backH_ = 0;
    bool fullScreen_ = false;
    bool vsync_ = false;
    bool lost_ = false;
    bool deviceReset_ = false;
    bool inScene_ = false;
    unsigned generation_ = 1;
    uint32_t rs_[GFX_RS_COUNT];
    uint32_t tss_[GFX_TSS_COUNT];
    GfxMatrix transforms_[3];
    GfxMatrix combined_{};
    bool combinedDirty_ = true;
    GfxViewport viewport_{0, 0, 0, 0, 0.0f, 1.0f};
    bool viewportDirty_ = true;
    bool appliedFull_ = false;  // SDL's viewport is known to be the whole back buffer
    SdlTexture* texture_ = nullptr;
    std::vector<SdlTexture*> textures_;
    GfxTextureMemory textureMemory_;
    std::vector<SDL_Vertex> verts_;
    std::vector<GfxVertex> lineQuads_;
    std::vector<int> idx_;
    std::map<uint64_t, SDL_BlendMode> blendCache_;
    bool blendDirty_ = true;
    SDL_BlendMode cachedBlend_ = SDL_BLENDMODE_NONE;
    int cachedVariant_ = -1;
    SdlTexture pointer_;
    int pointerX_ = 0, pointerY_ = 0;
    GfxRect pointerClip_{0, 0, 0, 0};
    bool pointerVisible_ = false;
    SDL_Cursor* cursor_ = nullptr;
    bool capture_ = false;
    std::vector<uint32_t> captured_;
    int capturedW_ = 0, capturedH_ = 0;
};

}  // namespace

std::unique_ptr<IGfxDevice> GfxCreateSdlDevice()
{
    return std::make_unique<SdlDevice>();
}

void* GfxCreateHiddenWindow(int width, int height)
{
    if (!SDL_WasInit(SDL_INIT_VIDEO) && SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return nullptr;
    return SDL_CreateWindow("gfx", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, width, height,
                            SDL_WINDOW_HIDDEN | SDL_WINDOW_OPENGL);
}

void GfxDestroyWindow(void* window)
{
    if (window) SDL_DestroyWindow(static_cast<SDL_Window*>(window));
}

void GfxQuitVideo()
{
    if (SDL_WasInit(SDL_INIT_VIDEO)) SDL_QuitSubSystem(SDL_INIT_VIDEO);
    SDL_Quit();
}
