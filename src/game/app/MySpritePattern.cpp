// The game sprite layer's shared settings and their mapping onto the inner
// object's draw parameters.
#include "game/app/MySpritePattern.h"

void TMySpritePattern::SetFlagBit(uint32_t bit, bool on)
{
    uint32_t& flags = GetDrawParams().flags;
    flags = on ? (flags | bit) : (flags & ~bit);
}

void TMySpritePattern::SetOriginEnabled(bool enabled)
{
    originEnabled_ = enabled;
    SetFlagBit(TDrawParams::kUseOrigin, enabled);
}

void TMySpritePattern::SetSourceRectEnabled(bool enabled)
{
    sourceRectEnabled_ = enabled;
    SetFlagBit(TDrawParams::kSourceRect, enabled);
}

void TMySpritePattern::SetOrigin(int32_t x, int32_t y)
{
    origin_ = TPoint(x, y);
    GetDrawParams().origin = TFloatPoint(float(x), float(y));
}

void TMySpritePattern::SetSourceRect(int32_t x, int32_t y, int32_t width, int32_t height)
{
    sourceRect_ = TRect(x, y, x + width, y + height);
    GetDrawParams().sourceRect = sourceRect_;
}

void TMySpritePattern::SetFlip(bool flipX, bool flipY)
{
    flipX_ = flipX;
    flipY_ = flipY;
    SetFlagBit(TDrawParams::kMirrorX, flipX);
    SetFlagBit(TDrawParams::kMirrorY, flipY);
}

void TMySpritePattern::SetColor(const TFloatVector4& color)
{
    color_ = color;
    GetDrawParams().color = color;
}

void TMySpritePattern::SetAlpha(float alpha)
{
    alpha_ = alpha;
    GetDrawParams().alpha = alpha;
}

void TMySpritePattern::SetRotation(float radians)
{
    rotation_ = radians;
}

void TMySpritePattern::SetScale(float x, float y)
{
    scale_ = TFloatPoint(x, y);
}

void TMySpritePattern::SetPosition(float x, float y)
{
    position_ = TFloatPoint(x, y);
}

void TMySpritePattern::UpdateTransform()
{
    TAffineMatrix& m = GetDrawParams().matrix;
    m.SetIdentity();
    if (rotation_ != 0.0f) m.Rotate(rotation_);
    if (scale_.x != 1.0f || scale_.y != 1.0f) m.Scale(scale_.x, scale_.y);
    m.m2 = TFloatVector3(position_.x, position_.y, 1.0f);
}

TPoint TMySpritePattern::GetAnchor(const TString& name)
{
    int32_t x = 0, y = 0;
    if (!FindFramePoint(name, &x, &y)) return TPoint(kNoAnchor, kNoAnchor);
    return TPoint(x, y);
}

void TMySpritePattern::ReapplySettings()
{
    UpdateTransform();
    if (originEnabled_)
    {
        SetOriginEnabled(true);
        SetOrigin(origin_.x, origin_.y);
    }
    if (sourceRectEnabled_)
    {
        SetSourceRectEnabled(true);
        GetDrawParams().sourceRect = sourceRect_;
    }
    SetAlpha(alpha_);
}

const TDrawParams& TMySpritePattern::NeutralParent()
{
    static const TDrawParams parent(TFloatPoint(0.0f, 0.0f), 1.0f, 1.0f, 0);
    return parent;
}
