// The image window.
#include "ui/Image.h"

#include <algorithm>

#include "graphics/DrawContext.h"
#include "ui/WindowAppLink.h"
#include "ui/WindowManager.h"
#include "ui/WindowStyle.h"

namespace
{

const float kQuarterTurn = 1.5707964f;

void Invalidate()
{
    if (TWindowManager* wm = GetWindowManager()) wm->Invalidate();
}

}  // namespace

ORVELLE_WINDOW_RECORD(TImage)

TImage::TImage(bool screenLayer)
{
    if (screenLayer) AddRoleFlags(kWindowScreenLayer);
    SetOpaque(true);
}

void TImage::SetOpaque(bool opaque)
{
    SetFlags(opaque ? (GetFlags() | kWindowOpaque) : (GetFlags() & ~uint32_t(kWindowOpaque)));
}

void TImage::Init(TWindowStyle& style)
{
    const TString image = style.GetString("image");
    const TString mask = style.GetString("mask");
    float scale = static_cast<float>(style.GetNumber("scale", 1.0));
    const bool alpha = style.GetBool("alpha", false);
    const bool mipmap = style.GetBool("mipmap", false);
    int32_t flip = 0;
    if (style.GetBool("hflip", false)) flip |= TDrawParams::kMirrorX;
    if (style.GetBool("vflip", false)) flip |= TDrawParams::kMirrorY;
    rotate_ = style.GetBool("rotate", false);
    flip_ = flip;

    uint32_t options = 0;
    if (alpha)
    {
        options = TTexture::kOptionAlpha;
        SetOpaque(false);
    }
    if (mipmap) options |= TTexture::kOptionMipmap;

    TTextureRef texture;
    if (!image.IsEmpty() && !mask.IsEmpty())
        texture = TTexture::GetWithMask(image, mask, options);
    else if (!image.IsEmpty())
        texture = TTexture::Get(image, options);

    if (texture && scale == 1.0f && style.GetBool("autoscale", false))
    {
        int displayWidth = 0, displayHeight = 0;
        GetWindowAppLink().GetDisplaySize(displayWidth, displayHeight);
        const int tw = texture->GetWidth(), th = texture->GetHeight();
        const float sx = tw != 0 ? float(displayWidth) / float(tw) : 1.0f;
        const float sy = th != 0 ? float(displayHeight) / float(th) : 1.0f;
        scale = sy > 1.0f ? sy : sx;
    }
    SetTexture(texture, scale);
    TWindow::Init(style);
}

void TImage::SizeToTexture()
{
    if (!texture_) return;
    int32_t w = static_cast<int32_t>(float(texture_->GetWidth()) * scale_ + 0.5f);
    int32_t h = static_cast<int32_t>(float(texture_->GetHeight()) * scale_ + 0.5f);
    if (rotate_) std::swap(w, h);
    SetSize(w, h);
}

void TImage::SetTexture(const TTextureRef& texture, float scale)
{
    texture_ = texture;
    scale_ = scale;
    SizeToTexture();
    Invalidate();
}

void TImage::SetFlip(int32_t bits)
{
    flip_ = bits;
    Invalidate();
}

void TImage::SetRotate(bool rotate)
{
    if (rotate == rotate_) return;
    rotate_ = rotate;
    SizeToTexture();
    Invalidate();
}

void TImage::SetAlpha(float alpha)
{
    alpha_ = alpha;
    SetOpaque(alpha == 1.0f && texture_ && !texture_->HasAlpha());
    Invalidate();
}

TDrawParams TImage::MakeDrawParams() const
{
    TDrawParams params(TFloatPoint(0.0f, 0.0f), alpha_, scale_,
                       static_cast<uint32_t>(flip_) | TDrawParams::kUseOrigin);
    if (rotate_ && texture_)
    {
        params.matrix.Rotate(kQuarterTurn);
        // Turned about the top-left corner the picture leaves the window on
        // one side; shift it back so it fills the window's rectangle.
        const float w = float(texture_->GetWidth()), h = float(texture_->GetHeight());
        const TFloatPoint corners[4] = {{0, 0}, {w, 0}, {w, h}, {0, h}};
        params.matrix.m2 = TFloatVector3(0.0f, 0.0f, 1.0f);
        float minX = 0, minY = 0;
        for (const TFloatPoint& c : corners)
        {
            TFloatPoint p = TransformFloatPoint(params.matrix, c);
            minX = std::min(minX, p.x);
            minY = std::min(minY, p.y);
        }
        params.matrix.m2 = TFloatVector3(-minX, -minY, 1.0f);
    }
    return params;
}

void TImage::Draw()
{
    if (!texture_) return;
    TDrawContext* dc = TDrawContext::GetIfMade();
    if (dc == nullptr) return;
    TScoped2d block(false);
    if (!dc->Is2d()) block.began = dc->Begin2d();
    texture_->Draw(MakeDrawParams());
}
