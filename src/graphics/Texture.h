// TTexture: the drawable image asset. Textures are cached in the asset
// manager by a key built from the file name and options, drawn as tinted,
// transformed quads inside a 2D block, copied as rectangles outside drawing
// blocks, locked for pixel access and rebuilt after the device was lost.
//
// Failure: the creation calls return an empty TTextureRef (the data logs
// what went wrong); Draw, DrawAt and CopyTo silently do nothing when their
// preconditions do not hold; a TLockedPixels of a texture that cannot be
// locked is empty.
#pragma once

#include <cstdint>
#include <memory>

#include "core/Asset.h"
#include "core/String.h"
#include "core/ValueTypes.h"
#include "graphics/DrawParams.h"
#include "graphics/TextureData.h"

class TTexture;
using TTextureRef = std::shared_ptr<TTexture>;

class TTexture : public TAsset
{
public:
    // Option bits of Get.
    enum : uint32_t
    {
        kOptionMipmap = 1,
        kOptionAlpha = 2,
        kOptionNoAlpha = 4
    };

    TTexture();
    ~TTexture() override;

    static TClassId ClassId();
    const char* GetClassName() const override { return "TTexture"; }
    bool IsKindOf(TClassId id) const override { return id == ClassId() || TAsset::IsKindOf(id); }
    static TTextureRef FromAsset(TAsset* asset) { return AssetCast<TTexture>(asset); }

    void ReleaseDeviceData() override;
    void RestoreDeviceData() override;
    // One quad inside a 2D block (not for simple textures).
    virtual void Draw(const TDrawParams& params);
    // Draw with parameters from position, alpha, scale and flags, rotated by
    // rotation radians.
    virtual void DrawAt(float x, float y, float alpha, float scale, float rotation, uint32_t flags);
    // Outside drawing blocks: copies rect (clamped to the image; null = all)
    // to (x, y) of dest, or of the screen when dest is empty.
    virtual void CopyTo(int x, int y, const TRect* rect, const TTextureRef& dest);
    virtual int GetWidth() const;
    virtual int GetHeight() const;

    // --- creation ---
    static TTextureRef Get(const TString& name, uint32_t options);
    static TTextureRef GetWithMask(const TString& name, const TString& maskName, uint32_t options);
    static TTextureRef CreateEmpty(int width, int height, bool alpha);
    static TTextureRef GetCursorImage(const TString& name);
    static TTextureRef Find(const TString& key);
    // A new texture registered under key (an empty key: its own "%x:tex:r").
    static TTextureRef Create(const TString& key);

    // --- queries ---
    bool HasAlpha() const;
    bool IsSimple() const;
    void GetSurfaceSize(int* width, int* height) const;
    void CheckLost();
    TString GetSourceName() const;
    TTextureRef GetShared();
    TTextureData* GetData() const { return data_.get(); }
    TDxTextureData* GetDxData() const { return data_.get(); }

private:
    friend class TLockedPixels;
    bool Lock(uint32_t** pixels, int* pitch);
    void Unlock();

    std::unique_ptr<TDxTextureData> data_;
};

// A texture's pixels, locked for as long as the view lives (and the texture
// kept alive with it). Empty for a null texture, one without a surface or a
// lock that failed. Moves, never copies.
class TLockedPixels
{
public:
    TLockedPixels() = default;
    explicit TLockedPixels(TTextureRef texture);
    ~TLockedPixels() { Release(); }
    TLockedPixels(TLockedPixels&& other) noexcept;
    TLockedPixels& operator=(TLockedPixels&& other) noexcept;
    TLockedPixels(const TLockedPixels&) = delete;
    TLockedPixels& operator=(const TLockedPixels&) = delete;

    explicit operator bool() const { return pixels_ != nullptr; }
    uint32_t* GetPixels() const { return pixels_; }
    // In pixels, from one row to the next.
    int GetPitch() const { return pitch_; }
    uint32_t* Row(int y) const { return pixels_ + size_t(y) * size_t(pitch_); }
    // Unlocks now; the view is empty from here.
    void Release();

private:
    TTextureRef texture_;
    uint32_t* pixels_ = nullptr;
    int pitch_ = 0;
};

TString MakeTextureKey(const TString& name, bool alpha, bool mipmap, bool simple);
TString MakeMaskedTextureKey(const TString& name, const TString& maskName, bool mipmap);
TString MakeUnnamedTextureKey(const TTexture* texture);

// Installs TTexture as the asset map's image loader.
void RegisterTextureAssetLoader();
