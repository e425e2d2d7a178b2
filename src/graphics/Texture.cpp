// The texture asset: cache keys, creation entry points, quad drawing, copies
// and the asset-map loader registration.
#include "graphics/Texture.h"

#include <algorithm>
#include <utility>

#include "core/AssetManager.h"
#include "core/AssetMap.h"
#include "core/SettingKeys.h"
#include "core/Settings.h"
#include "graphics/DrawContext.h"

// ---------------------------------------------------------------------------
// Keys

TString MakeTextureKey(const TString& name, bool alpha, bool mipmap, bool simple)
{
    TString key = name;
    key.Replace("\\", "/", kReplaceAll);
    if (alpha) key = key + ":a";
    if (mipmap) key = key + ":m";
    if (simple) key = key + ":s";
    return key + ":tex";
}

TString MakeMaskedTextureKey(const TString& name, const TString& maskName, bool mipmap)
{
    TString key = name + ":" + maskName;
    if (mipmap) key = key + ":m";
    return key + ":tex";
}

TString MakeUnnamedTextureKey(const TTexture* texture)
{
    return TString::Format("%lx:tex:r",
                           static_cast<unsigned long>(reinterpret_cast<uintptr_t>(texture)));
}

// ---------------------------------------------------------------------------
// Lifetime

TClassId TTexture::ClassId()
{
    static const char id = 0;
    return &id;
}

TTexture::TTexture() : data_(std::make_unique<TDxTextureData>()) {}

TTexture::~TTexture()
{
    if (data_ && data_->name.IsEmpty())
    {
        if (TAssetManager* m = GetGlobalAssetManager()) m->Forget(MakeUnnamedTextureKey(this));
    }
    data_.reset();
}

void TTexture::ReleaseDeviceData()
{
    if (data_) data_->ReleaseSurface();
}

void TTexture::RestoreDeviceData()
{
    if (data_) data_->Restore();
}

TTextureRef TTexture::Find(const TString& key)
{
    TAssetManager* m = GetGlobalAssetManager();
    return m ? FromAsset(m->Find(key).get()) : TTextureRef();
}

TTextureRef TTexture::Create(const TString& key)
{
    auto texture = std::make_shared<TTexture>();
    const TString k = key.IsEmpty() ? MakeUnnamedTextureKey(texture.get()) : key;
    if (TAssetManager* m = GetGlobalAssetManager()) m->Register(k, texture);
    return texture;
}

TTextureRef TTexture::Get(const TString& name, uint32_t options)
{
    const TString key =
        MakeTextureKey(name, (options & kOptionAlpha) != 0, (options & kOptionMipmap) != 0, false);
    if (TTextureRef found = Find(key)) return found;
    TTextureRef texture = Create(key);
    TDxTextureData* d = texture->GetDxData();
    if (options & kOptionAlpha)
        d->SetFlag(TTextureData::kAlpha, true);
    else if (options & kOptionNoAlpha)
        d->SetFlag(TTextureData::kAlpha, false);
    else
        d->SetFlag(TTextureData::kAlphaFromFile, true);
    d->SetFlag(TTextureData::kMipmap, (options & kOptionMipmap) != 0);
    if (!d->Load(name, TString())) return TTextureRef();
    return texture;
}

TTextureRef TTexture::GetWithMask(const TString& name, const TString& maskName, uint32_t options)
{
    const TString key = MakeMaskedTextureKey(name, maskName, (options & kOptionMipmap) != 0);
    if (TTextureRef found = Find(key)) return found;
    TTextureRef texture = Create(key);
    TDxTextureData* d = texture->GetDxData();
    d->SetFlag(TTextureData::kAlpha, true);
    d->SetFlag(TTextureData::kMipmap, (options & kOptionMipmap) != 0);
    if (!d->Load(name, maskName)) return TTextureRef();
    return texture;
}

TTextureRef TTexture::GetCursorImage(const TString& name)
{
    const TString key = MakeTextureKey(name, false, false, true);
    if (TTextureRef found = Find(key)) return found;
    TTextureRef texture = Create(key);
    TDxTextureData* d = texture->GetDxData();
    d->SetFlag(TTextureData::kSimple, true);
    d->SetFlag(TTextureData::kAlphaFromFile, true);
    if (!d->Load(name, TString())) return TTextureRef();
    return texture;
}

TTextureRef TTexture::CreateEmpty(int width, int height, bool alpha)
{
    TTextureRef texture = Create(TString());
    TDxTextureData* d = texture->GetDxData();
    d->SetFlag(TTextureData::kAlpha, alpha);
    d->SetFlag(TTextureData::kNoFile, true);
    if (width <= 0 || height <= 0 || !d->CreateSurface(width, height, true)) return TTextureRef();
    return texture;
}

// ---------------------------------------------------------------------------
// Queries

int TTexture::GetWidth() const
{
    return data_ ? data_->width : 0;
}
int TTexture::GetHeight() const
{
    return data_ ? data_->height : 0;
}
bool TTexture::HasAlpha() const
{
    return data_ && data_->HasFlag(TTextureData::kAlpha);
}
bool TTexture::IsSimple() const
{
    return data_ && data_->HasFlag(TTextureData::kSimple);
}

void TTexture::GetSurfaceSize(int* width, int* height) const
{
    if (width) *width = data_ ? ((data_->width + 2 * data_->borderX + 1) & ~1) : 0;
    if (height) *height = data_ ? ((data_->height + 2 * data_->borderY + 1) & ~1) : 0;
}

bool TTexture::Lock(uint32_t** pixels, int* pitch)
{
    return data_ && data_->Lock(pixels, pitch);
}

void TTexture::Unlock()
{
    if (data_) data_->Unlock();
}

TLockedPixels::TLockedPixels(TTextureRef texture)
{
    uint32_t* pixels = nullptr;
    int pitch = 0;
    if (!texture || !texture->Lock(&pixels, &pitch)) return;
    texture_ = std::move(texture);
    pixels_ = pixels;
    pitch_ = pitch;
}

TLockedPixels::TLockedPixels(TLockedPixels&& other) noexcept
    : texture_(std::move(other.texture_)),
      pixels_(std::exchange(other.pixels_, nullptr)),
      pitch_(std::exchange(other.pitch_, 0))
{
}

TLockedPixels& TLockedPixels::operator=(TLockedPixels&& other) noexcept
{
    if (this != &other)
    {
        Release();
        texture_ = std::move(other.texture_);
        pixels_ = std::exchange(other.pixels_, nullptr);
        pitch_ = std::exchange(other.pitch_, 0);
    }
    return *this;
}

void TLockedPixels::Release()
{
    if (texture_) texture_->Unlock();
    texture_.reset();
    pixels_ = nullptr;
    pitch_ = 0;
}

void TTexture::CheckLost()
{
    if (data_) data_->CheckLost();
}

TString TTexture::GetSourceName() const
{
    return data_ ? data_->name + "." + data_->maskName : TString(".");
}

TTextureRef TTexture::GetShared()
{
    return FromAsset(this);
}

// ---------------------------------------------------------------------------
// Drawing

void TTexture::Draw(const TDrawParams& params)
{
    TDrawContext* dc = TDrawContext::GetIfMade();
    if (!data_ || !dc || !dc->Is2d() || IsSimple()) return;
    TRect src = (params.flags & TDrawParams::kSourceRect) ? params.sourceRect
                                                          : TRect(0, 0, GetWidth(), GetHeight());
    TFloatPoint c;
    if (params.flags & TDrawParams::kUseOrigin)
        c = -params.origin;
    else
        c = TFloatPoint(float(src.left - src.right) * 0.5f, float(src.top - src.bottom) * 0.5f);
    const float w = float(src.right - src.left), h = float(src.bottom - src.top);
    TFloatPoint p[4] = {c, TFloatPoint(c.x + w, c.y), TFloatPoint(c.x + w, c.y + h),
                        TFloatPoint(c.x, c.y + h)};
    if (params.flags & TDrawParams::kMirrorY)
    {
        std::swap(p[0].y, p[2].y);
        std::swap(p[1].y, p[3].y);
    }
    if (params.flags & TDrawParams::kMirrorX)
    {
        std::swap(p[0].x, p[1].x);
        std::swap(p[2].x, p[3].x);
    }
    const float sw = float(std::max(data_->surfaceWidth, 1)),
                sh = float(std::max(data_->surfaceHeight, 1));
    const TFloatPoint uv[2] = {TFloatPoint(float(src.left) / sw, float(src.top) / sh),
                               TFloatPoint(float(src.right) / sw, float(src.bottom) / sh)};
    TDrawVertex v[4];
    FillQuadVertices(v, TFloatPoint(0, 0), p, uv, params, params.alpha, params.color);

    // Read per quad, so looked up only when the store has changed.
    static uint32_t seenVersion = ~0u;
    static bool culling = false;
    if (seenVersion != GetSettingsVersion())
    {
        seenVersion = GetSettingsVersion();
        culling = GetSettingBool(kSettingSoftwareTextureCulling);
    }
    if (culling)
    {
        TRect clip = dc->GetClipRect();
        if (clip.left < clip.right)
        {
            const TRect view = dc->GetViewport();
            clip.left -= view.left;
            clip.right -= view.left;
            clip.top -= view.top;
            clip.bottom -= view.top;
            float minX = v[0].x, maxX = v[0].x, minY = v[0].y, maxY = v[0].y;
            for (const TDrawVertex& q : v)
            {
                minX = std::min(minX, q.x);
                maxX = std::max(maxX, q.x);
                minY = std::min(minY, q.y);
                maxY = std::max(maxY, q.y);
            }
            if (float(clip.right) < minX || float(clip.left) > maxX || float(clip.bottom) < minY ||
                float(clip.top) > maxY)
                return;
        }
    }

    dc->UseTexture(this);
    if (params.blendMode != -1) dc->SetBlendMode(params.blendMode);
    TVertexSet set;
    set.kind = 2;
    set.vertices = v;
    set.count = 4;
    dc->DrawVertices(6, set);
}

void TTexture::DrawAt(float x, float y, float alpha, float scale, float rotation, uint32_t flags)
{
    TDrawContext* dc = TDrawContext::GetIfMade();
    if (!data_ || !dc || !dc->Is2d()) return;
    TDrawParams params(TFloatPoint(x, y), alpha, scale, flags);
    params.matrix.Rotate(rotation);
    Draw(params);
}

void TTexture::CopyTo(int x, int y, const TRect* rect, const TTextureRef& dest)
{
    TDrawContext* dc = TDrawContext::GetIfMade();
    if (!data_ || (dc && dc->IsDrawing())) return;
    if (rect)
    {
        TRect r = *rect;
        r.left = std::max(r.left, 0);
        r.top = std::max(r.top, 0);
        r.right = std::min(r.right, GetWidth());
        r.bottom = std::min(r.bottom, GetHeight());
        data_->Blit(x, y, &r, dest);
    }
    else
    {
        data_->Blit(x, y, nullptr, dest);
    }
}

void RegisterTextureAssetLoader()
{
    RegisterAssetLoader(
        TAssetKind::kTexture,
        {TTexture::ClassId(),
         [](const TString& n, const TString& p)
         { return MakeTextureKey(n + p, false, false, false); },
         [](const TString& f) { return std::shared_ptr<TAsset>(TTexture::Get(f, 0)); }});
}
