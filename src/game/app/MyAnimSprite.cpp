// The animated kind of the game sprite layer.
#include "game/app/MyAnimSprite.h"

#include "game/app/Res.h"

TMyAnimSprite::TMyAnimSprite(const TString& name, bool fromGroup) : TMySpritePattern(kAnimated)
{
    MakeSprite(fromGroup ? TRes::GetInstance()->GetAnimation(name)
                         : TAnimatedTexture::Get(name, TString(), TString()));
    SetOriginEnabled(false);
    SetSourceRectEnabled(false);
    SetAlpha(1.0f);
}

void TMyAnimSprite::MakeSprite(const TAnimatedTextureRef& animation)
{
    sprite_ = TAnimatedSprite::Create(0);
    if (animation) sprite_->SetTexture(animation);
}

void TMyAnimSprite::GetSize(int32_t* width, int32_t* height)
{
    *width = *height = 0;
    // The animated texture is shared; its own current frame is whichever
    // sprite drew last, so the size is read from this sprite's frame.
    const TAnimatedTextureRef& animation = sprite_->GetAnimation();
    if (!animation) return;
    if (const TAnimationFrame* frame = animation->GetFrameRecord(sprite_->GetCurrentFrame()))
    {
        *width = frame->w;
        *height = frame->h;
    }
}

void TMyAnimSprite::Load(const TString& name, bool fromGroup)
{
    (void)fromGroup;
    MakeSprite(TRes::GetInstance()->GetAnimation(name));
    if (clock_ != nullptr) sprite_->SetClock(clock_);
    ReapplySettings();
    if (playing) Play("DoAnim");
}

bool TMyAnimSprite::HitTest(int32_t x, int32_t y, int alphaThreshold, const TDrawParams& parent)
{
    const int point[2] = {x, y};
    return sprite_->HitTest(point, parent, alphaThreshold, -1);
}

void TMyAnimSprite::Draw()
{
    if (visible) sprite_->Draw(NeutralParent(), -1);
}

void TMyAnimSprite::SetClock(TClock* clock)
{
    clock_ = clock;
    sprite_->SetClock(clock);
}

void TMyAnimSprite::Play(const TString& functionName)
{
    sprite_->Play(functionName);
    playing = true;
}

bool TMyAnimSprite::FindFramePoint(const TString& name, int32_t* x, int32_t* y)
{
    const TAnimatedTextureRef& animation = sprite_->GetAnimation();
    int px = 0, py = 0;
    if (!animation || !animation->GetFramePoint(sprite_->GetCurrentFrame(), name, &px, &py))
        return false;
    *x = px;
    *y = py;
    return true;
}
