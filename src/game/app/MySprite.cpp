// The still kind of the game sprite layer.
#include "game/app/MySprite.h"

#include "game/app/Res.h"

TTextureRef TMySprite::FindTexture(const TString& name, bool fromGroup)
{
    if (fromGroup) return TRes::GetInstance()->GetAsset(name);
    return TTexture::Get(name, 0);
}

TMySprite::TMySprite(const TString& name, bool fromGroup)
    : TMySprite(name.Length() == 0 ? TTextureRef() : FindTexture(name, fromGroup))
{
}

TMySprite::TMySprite(const TTextureRef& texture)
    : TMySpritePattern(kStill), sprite_(TSprite::Create(0, texture))
{
    SetOriginEnabled(false);
    SetSourceRectEnabled(false);
    SetAlpha(1.0f);
}

void TMySprite::GetSize(int32_t* width, int32_t* height)
{
    const TTextureRef& texture = sprite_->GetSpriteTexture();
    *width = texture ? texture->GetWidth() : 0;
    *height = texture ? texture->GetHeight() : 0;
}

void TMySprite::Load(const TString& name, bool fromGroup)
{
    sprite_ = TSprite::Create(0, FindTexture(name, fromGroup));
    ReapplySettings();
}

bool TMySprite::HitTest(int32_t x, int32_t y, int alphaThreshold, const TDrawParams& parent)
{
    const int point[2] = {x, y};
    return sprite_->HitTest(point, parent, alphaThreshold, -1);
}

void TMySprite::Draw()
{
    if (visible) sprite_->Draw(NeutralParent(), -1);
}
