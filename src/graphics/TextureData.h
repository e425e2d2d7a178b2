// Texture data: the names, sizes, flags and device surface behind every
// TTexture, and the image loader that turns a file name with options
// ("?slow", "?simple", "?alpha", "?mipmap") into a surface: extension
// fall-backs, separate and automatic alpha masks, power-of-two surfaces up to
// 1024 (unless slow), upload, lock/unlock, copies and recovery after the
// device was lost.
//
// Failure: bool operations return false (missing files and the 1024 limit
// silently, device errors with a "DX Error" line); void operations log and
// leave the surface as it was.
#pragma once

#include <cstdint>
#include <memory>

#include "core/String.h"
#include "core/ValueTypes.h"

class GfxTexture;
class IGfxDevice;
class TTexture;
using TTextureRef = std::shared_ptr<TTexture>;

class TTextureData
{
public:
    enum : uint8_t
    {
        kAlpha = 0x02,          // the surface carries alpha
        kAlphaFromFile = 0x04,  // the loader decides kAlpha from the image
        kMipmap = 0x08,
        kSimple = 0x10,  // plain surface: copied only, never drawn as a quad or drawn into
        kSlow = 0x20,    // sizes above 1024 allowed
        kNoFile = 0x80,  // created empty
    };

    virtual ~TTextureData() = default;

    virtual void ReleaseSurface() = 0;
    virtual bool Restore() = 0;
    // pixels: 32-bit ARGB, rowLength pixels per source row, rows rows.
    virtual bool Upload(int rowLength, int rows, const uint32_t* pixels) = 0;
    // The image keeps the size asked for; a display that wants square
    // textures gets a square surface, half its extra size recorded in
    // borderX and borderY. False when the device refuses; without a display
    // only a no-file texture reports true (Restore makes the surface later).
    virtual bool CreateSurface(int width, int height, bool clear) = 0;
    // Copies rect (null: the whole image) to (x, y) of dest's surface, or of
    // the screen's back buffer when dest is empty.
    virtual void Blit(int x, int y, const TRect* rect, const TTextureRef& dest) = 0;
    // Fills the whole surface with transparent black.
    virtual void CheckLost() = 0;
    // 32-bit ARGB pixels of the surface, pitch in pixels. False without a
    // surface or when the device refuses.
    virtual bool Lock(uint32_t** pixels, int* pitch) = 0;
    virtual void Unlock() = 0;

    bool HasFlag(uint8_t f) const { return (flags & f) != 0; }
    void SetFlag(uint8_t f, bool on) { flags = on ? uint8_t(flags | f) : uint8_t(flags & ~f); }

    TString name;      // as given to the loader, options included
    TString maskName;  // file whose red channel became alpha
    int32_t width = 0, height = 0;
    int32_t surfaceWidth = 0, surfaceHeight = 0;
    int32_t borderX = 0, borderY = 0;
    uint8_t flags = 0;
};

class TDxTextureData : public TTextureData
{
public:
    TDxTextureData();
    ~TDxTextureData() override;
    TDxTextureData(const TDxTextureData&) = delete;
    TDxTextureData& operator=(const TDxTextureData&) = delete;

    // The loader. False when no file (or fall-back) loads, a decoder or the
    // mask fails, or the surface would pass 1024 without the slow option.
    // Without a display the image still counts as loaded: Restore makes the
    // surface later.
    bool Load(const TString& name, const TString& maskName);

    void ReleaseSurface() override;
    bool Restore() override;
    bool Upload(int rowLength, int rows, const uint32_t* pixels) override;
    bool CreateSurface(int width, int height, bool clear) override;
    void Blit(int x, int y, const TRect* rect, const TTextureRef& dest) override;
    void CheckLost() override;
    bool Lock(uint32_t** pixels, int* pitch) override;
    void Unlock() override;

    // The device texture; null when none.
    GfxTexture* GetSurface() const { return surface_; }
    int GetMipRequest() const { return mipRequest_; }

    // Drops the surfaces of every live texture data (the device is going away).
    static void ReleaseAllSurfaces();

private:
    GfxTexture* surface_ = nullptr;
    IGfxDevice* device_ = nullptr;  // the device that made surface_
    int mipRequest_ = 0;
};

// Power-of-two helper of the loader: smallest power of two >= value, and at
// least minimum.
int TexturePowerOfTwo(int value, int minimum);
