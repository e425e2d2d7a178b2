// TImage: a window that draws one texture, optionally scaled, faded,
// mirrored or turned a quarter turn, and sizes itself to the texture. Made
// from Lua tables under the type name "Bitmap".
#pragma once

#include <cstdint>

#include "graphics/Texture.h"
#include "ui/Window.h"

class TImage : public TWindow
{
public:
    // screenLayer sets the screen-layer role bit (the "Bitmap" factory and
    // buttons pass true). The window starts opaque.
    explicit TImage(bool screenLayer = true);
    ORVELLE_WINDOW_CLASS(TWindow);
    ~TImage() override = default;

    // Keys "image", "mask", "scale", "alpha", "mipmap", "hflip", "vflip",
    // "rotate", "autoscale"; then the window's name and placement (a size
    // taken from the texture wins over "w" and "h"). A texture that does not
    // load leaves the image empty (it draws nothing).
    void Init(TWindowStyle& style) override;
    // Nothing without a texture.
    void Draw() override;

    // The size becomes the texture's times scale (rounded), swapped when
    // turned. An empty texture keeps the size.
    void SetTexture(const TTextureRef& texture, float scale);
    // TDrawParams::kMirrorX and kMirrorY.
    void SetFlip(int32_t bits);
    void SetRotate(bool rotate);
    // Opaque exactly when alpha is 1 and the texture exists without an alpha
    // channel.
    void SetAlpha(float alpha);

    const TTextureRef& GetTexture() const { return texture_; }
    float GetScale() const { return scale_; }
    float GetAlpha() const { return alpha_; }
    int32_t GetFlip() const { return flip_; }
    bool GetRotate() const { return rotate_; }
    // The parameters Draw hands the texture.
    TDrawParams MakeDrawParams() const;

private:
    void SizeToTexture();
    void SetOpaque(bool opaque);

    TTextureRef texture_;
    float scale_ = 1.0f;
    float alpha_ = 1.0f;
    int32_t flip_ = 0;
    bool rotate_ = false;
};
