// Texture data over the graphics device: the image loader with its options,
// fall-backs and masks; surface creation, upload, lock, copies and restore.
#include "graphics/TextureData.h"

#include <algorithm>
#include <cstring>
#include <set>
#include <vector>

#include "core/FileNames.h"
#include "core/Log.h"
#include "core/SettingKeys.h"
#include "core/Settings.h"
#include "graphics/DXError.h"
#include "graphics/DisplayHandler.h"
#include "graphics/ImageDecoder.h"
#include "graphics/Texture.h"

namespace
{

constexpr const char* kFile = "dxtexturedata";
constexpr int kMaxPlainSide = 1024;

std::set<TDxTextureData*>& LiveData()
{
    static std::set<TDxTextureData*> live;
    return live;
}

bool Contains(const TString& text, const char* needle)
{
    return text.Find(needle) >= 0;
}

// The device when a display exists to make surfaces on, else null.
IGfxDevice* DisplayDevice()
{
    TDisplayHandler* h = GetDisplayHandler();
    if (!h || !h->GetDevice() || !h->GetPlatformData()->hasDisplay || !h->GetDevice()->HasDisplay())
        return nullptr;
    return h->GetDevice();
}

bool SquareTexturesOnly()
{
    TDisplayHandler* h = GetDisplayHandler();
    return h && h->GetPlatformData()->squareTexturesOnly;
}

void SetBrokenThrottled()
{
    if (TDisplayHandler* h = GetDisplayHandler()) h->SetBrokenThrottled();
}

// The name without a "?" suffix exists as given or with an image extension.
bool ImageFileExists(const TString& name)
{
    TString bare = name;
    const int q = bare.FindChar('?');
    if (q >= 0) bare = bare.Substring(0, q);
    return FileExists(bare) || FileExists(bare + ".jp2") || FileExists(bare + ".png") ||
           FileExists(bare + ".jpg");
}

}  // namespace

int TexturePowerOfTwo(int value, int minimum)
{
    int p = 1;
    while (p < value && p < (1 << 30)) p <<= 1;
    return std::max(p, minimum);
}

TDxTextureData::TDxTextureData()
{
    LiveData().insert(this);
}

TDxTextureData::~TDxTextureData()
{
    ReleaseSurface();
    LiveData().erase(this);
}

void TDxTextureData::ReleaseAllSurfaces()
{
    for (TDxTextureData* d : LiveData()) d->ReleaseSurface();
}

// ---------------------------------------------------------------------------
// Loader

bool TDxTextureData::Load(const TString& nameArg, const TString& maskArg)
{
    // Names written for another file system may use '\'; asset names use '/'.
    TString full = nameArg;
    full.Replace("\\", "/", kReplaceAll);
    TString mask = maskArg;
    mask.Replace("\\", "/", kReplaceAll);
    bool hasMask = !mask.IsEmpty();

    TString options;
    if (const char* q = std::strrchr(full.CStr(), '?'))
    {
        const int at = int(q - full.CStr());
        options = full.Substring(at);
        full = full.Substring(0, at);
        if (Contains(options, "slow")) flags |= kSlow | kSimple;
        if (Contains(options, "simple")) flags |= kSimple;
        if (Contains(options, "alpha")) flags = uint8_t((flags & ~kAlphaFromFile) | kAlpha);
        if (Contains(options, "mipmap")) flags |= kMipmap;
    }

    if (!FileExists(full))
    {
        if (!Contains(full, ".png") && !Contains(full, ".jpg") && !Contains(full, ".jp2"))
            return Load(full + ".png" + options, maskArg) ||
                   Load(full + ".jpg" + options, maskArg) || Load(full + ".jp2" + options, maskArg);
        return false;
    }
    if (hasMask && !FileExists(mask))
    {
        if (!Contains(mask, ".png") && !Contains(mask, ".jpg"))
            return Load(full, mask + ".jpg") || Load(full, mask + ".png");
        return false;
    }

    uint8_t* pixels = nullptr;
    int w = 0, h = 0, side = 0;
    if (Contains(full, ".png"))
    {
        uint32_t key = 0;
        int alpha = 0;
        if (!LoadPngImage(this, 0, full, &pixels, &w, &h, &side, &key, &alpha)) return false;
        if (HasFlag(kAlphaFromFile)) SetFlag(kAlpha, alpha != 0);
    }
    else if (Contains(full, ".jpg"))
    {
        const TString base = full.Substring(0, full.Find(".jpg"));
        if (GetSettingBool(kSettingAutoMergeMask) && FileExists(base + ".mask.png"))
        {
            flags = uint8_t((flags & ~kAlphaFromFile) | kAlpha);
            mask = base + ".mask.png";
            hasMask = true;
        }
        if (!LoadJpegImage(full, &pixels, &w, &h, &side)) return false;
    }
    else if (Contains(full, ".jp2"))
    {
        int alpha = 0;
        if (!LoadJp2Image(full, &pixels, &w, &h, &side, &alpha)) return false;
        if (HasFlag(kAlphaFromFile)) SetFlag(kAlpha, alpha != 0);
    }
    else
    {
        return false;
    }

    if (hasMask)
    {
        uint8_t* maskPixels = nullptr;
        int mw = 0, mh = 0, mside = 0;
        bool decoded = true;
        if (Contains(mask, ".png"))
        {
            uint32_t key = 0;
            int alpha = 0;
            decoded = LoadPngImage(this, 0, mask, &maskPixels, &mw, &mh, &mside, &key, &alpha);
        }
        else if (Contains(mask, ".jpg"))
        {
            decoded = LoadJpegImage(mask, &maskPixels, &mw, &mh, &mside);
        }
        if (!decoded)
        {
            ReleaseImageBlock(pixels);
            return false;
        }
        if (maskPixels && mside == side)
        {
            const size_t count = size_t(side) * size_t(side);
            for (size_t i = 0; i < count; ++i) pixels[i * 4 + 3] = maskPixels[i * 4 + 2];
        }
        ReleaseImageBlock(maskPixels);
    }

    int sw = side, sh = side;
    if (HasFlag(kSimple) || !SquareTexturesOnly())
    {
        sw = w <= 1 ? 1 : TexturePowerOfTwo(w, 1);
        sh = h <= 1 ? 1 : TexturePowerOfTwo(h, 1);
    }
    if ((sw > kMaxPlainSide || sh > kMaxPlainSide) && !HasFlag(kSlow))
    {
        ReleaseImageBlock(pixels);
        return false;
    }
    // Rows are packed in place so the block uploads without another copy.
    if (sw < side && sh > 1)
    {
        for (int r = 1; r < sh; ++r)
            std::memmove(pixels + size_t(r) * size_t(sw) * 4u,
                         pixels + size_t(r) * size_t(side) * 4u, size_t(sw) * 4u);
    }

    name = nameArg;
    maskName = mask;
    const bool created = CreateSurface(sw, sh, false);
    borderX = (sw - w) / 2;
    borderY = (sh - h) / 2;
    width = w;
    height = h;
    if (created && surface_) Upload(sw, sh, reinterpret_cast<const uint32_t*>(pixels));
    ReleaseImageBlock(pixels);
    return true;
}

// ---------------------------------------------------------------------------
// Surface

bool TDxTextureData::CreateSurface(int w, int h, bool clear)
{
    // The image keeps the size asked for; a square surface only adds borders.
    const int requestedW = w, requestedH = h;
    borderX = borderY = 0;
    if (!HasFlag(kSimple) && SquareTexturesOnly() && w != h)
    {
        const int side = std::max(TexturePowerOfTwo(w, 2), TexturePowerOfTwo(h, 2));
        borderX = (side - w) >> 1;
        borderY = (side - h) >> 1;
        w = h = side;
    }
    IGfxDevice* device = DisplayDevice();
    if (!device)
    {
        width = TexturePowerOfTwo(w, 2);
        height = TexturePowerOfTwo(h, 2);
        return HasFlag(kNoFile);
    }
    ReleaseSurface();
    const GfxTextureUsage usage =
        HasFlag(kNoFile) && !HasFlag(kSimple) ? GFX_TEXTURE_TARGET : GFX_TEXTURE_STATIC;
    surface_ = device->CreateTexture(w, h, usage);
    width = requestedW;
    height = requestedH;
    if (!surface_)
    {
        // The device refused the size or ran out of memory; the loader keeps the
        // image data's sizes, and Restore tries again.
        ReportDXError(GFX_E_INVALIDARG, kFile, 560);
        return false;
    }
    device_ = device;
    int sw = w, sh = h;
    device->GetTextureSize(surface_, &sw, &sh);
    surfaceWidth = sw;
    surfaceHeight = sh;
    mipRequest_ = HasFlag(kMipmap) ? -1 : 0;
    if (clear) CheckLost();
    return true;
}

void TDxTextureData::ReleaseSurface()
{
    if (!surface_) return;
    // A device that has gone away has taken its textures with it.
    TDisplayHandler* h = GetDisplayHandler();
    if (h && h->GetDevice() == device_ && device_) device_->DestroyTexture(surface_);
    surface_ = nullptr;
    device_ = nullptr;
}

bool TDxTextureData::Upload(int rowLength, int rows, const uint32_t* pixels)
{
    if (!surface_ || !pixels || rowLength <= 0 || rows <= 0) return false;
    uint32_t* dst = device_->LockTexture(surface_);
    if (!dst)
    {
        ReportDXError(GFX_E_FAIL, kFile, 700);
        return false;
    }
    const int cols = std::min(rowLength, surfaceWidth), lines = std::min(rows, surfaceHeight);
    const uint32_t fill = HasFlag(kAlpha) ? 0u : 0xFF000000u;
    for (int y = 0; y < lines; ++y)
    {
        const uint32_t* s = pixels + size_t(y) * size_t(rowLength);
        uint32_t* d = dst + size_t(y) * size_t(surfaceWidth);
        if (fill == 0)
            std::memcpy(d, s, size_t(cols) * 4u);
        else
            for (int x = 0; x < cols; ++x) d[x] = s[x] | fill;
    }
    device_->UnlockTexture(surface_);
    return true;
}

bool TDxTextureData::Lock(uint32_t** pixels, int* pitch)
{
    if (!surface_) return false;
    uint32_t* p = device_->LockTexture(surface_);
    if (!p)
    {
        ReportDXError(GFX_E_FAIL, kFile, 820);
        return false;
    }
    if (pixels) *pixels = p;
    if (pitch) *pitch = surfaceWidth;
    return true;
}

void TDxTextureData::Unlock()
{
    if (surface_) device_->UnlockTexture(surface_);
}

void TDxTextureData::CheckLost()
{
    if (!surface_) return;
    const GfxRect all{0, 0, surfaceWidth, surfaceHeight};
    GfxResult r = device_->ColorFill(surface_, all, 0u);
    if (r == GFX_E_SURFACELOST)
    {
        CheckDX(device_->RestoreSurfaces(), kFile, 905);
        r = device_->ColorFill(surface_, all, 0u);
    }
    CheckDX(r, kFile, 910);
}

void TDxTextureData::Blit(int x, int y, const TRect* rect, const TTextureRef& dest)
{
    if (!surface_) return;
    TRect src = rect ? *rect : TRect(0, 0, width, height);
    src.left = std::max(src.left, 0);
    src.top = std::max(src.top, 0);
    src.right = std::min(src.right, surfaceWidth);
    src.bottom = std::min(src.bottom, surfaceHeight);
    const int w = src.right - src.left, h = src.bottom - src.top;
    if (w <= 0 || h <= 0) return;
    static bool errorLogged = false;
    auto fail = [&](GfxResult r, int line)
    {
        if (r == GFX_E_SURFACELOST)
        {
            SetBrokenThrottled();
        }
        else if (!errorLogged)
        {
            errorLogged = true;
            ReportDXError(r, kFile, line);
        }
    };

    if (dest)
    {
        auto* target = dynamic_cast<TDxTextureData*>(dest->GetData());
        if (!target || !target->surface_) return;
        uint32_t* from = device_->LockTexture(surface_);
        if (!from) return fail(GFX_E_FAIL, 1010);
        // The same surface as source and target copies through a scratch row set.
        std::vector<uint32_t> copy;
        if (target->surface_ == surface_)
        {
            copy.assign(from, from + size_t(surfaceWidth) * size_t(surfaceHeight));
            device_->UnlockTexture(surface_);
            from = copy.data();
        }
        uint32_t* to = target->device_->LockTexture(target->surface_);
        if (!to)
        {
            if (copy.empty()) device_->UnlockTexture(surface_);
            return fail(GFX_E_FAIL, 1020);
        }
        for (int row = 0; row < h; ++row)
        {
            const int ty = y + row;
            if (ty < 0 || ty >= target->surfaceHeight) continue;
            for (int col = 0; col < w; ++col)
            {
                const int tx = x + col;
                if (tx < 0 || tx >= target->surfaceWidth) continue;
                to[size_t(ty) * size_t(target->surfaceWidth) + size_t(tx)] =
                    from[size_t(src.top + row) * size_t(surfaceWidth) + size_t(src.left + col)];
            }
        }
        target->device_->UnlockTexture(target->surface_);
        if (copy.empty()) device_->UnlockTexture(surface_);
        return;
    }

    // To the back buffer: the device copies area-to-same-area, so a copy that
    // moves the rectangle goes through a scratch texture laid out like the
    // back buffer.
    IGfxDevice* device = DisplayDevice();
    if (!device || device != device_) return;
    if (x == src.left && y == src.top)
    {
        const GfxResult r =
            device->CopyTextureToBack(surface_, {src.left, src.top, src.right, src.bottom});
        if (GfxFailed(r)) fail(r, 1060);
        return;
    }
    int bw = 0, bh = 0;
    if (!device->GetBackBufferSize(&bw, &bh)) return;
    const int right = std::min(x + w, bw), bottom = std::min(y + h, bh);
    const int left = std::max(x, 0), top = std::max(y, 0);
    if (right <= left || bottom <= top) return;
    GfxTexture* scratch = device->CreateTexture(right, bottom, GFX_TEXTURE_STATIC);
    if (!scratch) return fail(GFX_E_FAIL, 1070);
    uint32_t* to = device->LockTexture(scratch);
    uint32_t* from = to ? device->LockTexture(surface_) : nullptr;
    if (to && from)
    {
        for (int ty = top; ty < bottom; ++ty)
            for (int tx = left; tx < right; ++tx)
                to[size_t(ty) * size_t(right) + size_t(tx)] =
                    from[size_t(src.top + ty - y) * size_t(surfaceWidth) +
                         size_t(src.left + tx - x)];
    }
    if (from) device->UnlockTexture(surface_);
    if (to) device->UnlockTexture(scratch);
    if (to && from)
    {
        const GfxResult r = device->CopyTextureToBack(scratch, {left, top, right, bottom});
        if (GfxFailed(r)) fail(r, 1080);
    }
    device->DestroyTexture(scratch);
}

// ---------------------------------------------------------------------------
// Restore

bool TDxTextureData::Restore()
{
    if (!name.IsEmpty() && !maskName.IsEmpty())
    {
        const TString n = name, m = maskName;
        if (Load(n, m)) return true;
        LogPrintf("TDxTextureData::Restore: Failed to restore from file %s and %s.", n.CStr(),
                  m.CStr());
        if (!ImageFileExists(n) && !ImageFileExists(m)) return false;
    }
    else if (!name.IsEmpty())
    {
        const TString n = name;
        if (Load(n, TString())) return true;
        LogPrintf("TDxTextureData::Restore: Failed to restore from file %s.", n.CStr());
        if (!ImageFileExists(n)) return false;
    }
    else
    {
        if (CreateSurface(width, height, true)) return true;
        LogPrintf("TDxTextureData::Restore: Failed to restore %dx%d texture (%d,%d)", width, height,
                  surfaceWidth, surfaceHeight);
    }
    SetBrokenThrottled();
    return false;
}
