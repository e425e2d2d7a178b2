// TMyAnimSprite: the animated kind of the game sprite layer, over a
// TAnimatedSprite whose script animation runs on a clock the owner gives.
//
// Failure: an animation that is not found leaves the sprite without one: it
// draws nothing, hit-tests false, has the size (0, 0) and Play does nothing
// (the texture loaders log their own errors).
#pragma once

#include "game/app/MySpritePattern.h"
#include "graphics/AnimatedSprite.h"

class TClock;

class TMyAnimSprite : public TMySpritePattern
{
public:
    // fromGroup: name is a resource-group asset name ("group:path");
    // otherwise the animation's file name.
    TMyAnimSprite(const TString& name, bool fromGroup);
    ~TMyAnimSprite() override = default;

    TDrawParams& GetDrawParams() override { return sprite_->params; }
    // The current frame's size.
    void GetSize(int32_t* width, int32_t* height) override;
    // Always from the resource groups, whatever fromGroup says. The clock is
    // handed on, and a sprite that was playing plays "DoAnim" again.
    void Load(const TString& name, bool fromGroup) override;
    bool HitTest(int32_t x, int32_t y, int alphaThreshold, const TDrawParams& parent) override;
    void Draw() override;

    // Not owned; null runs the animation on the application time.
    void SetClock(TClock* clock);
    TClock* GetClock() const { return clock_; }
    // Starts the named function of the animation's script and marks the
    // sprite as playing.
    void Play(const TString& functionName);
    // Only the owner clears it (rewinding).
    bool playing = false;

    const TAnimatedSpriteRef& GetSprite() const { return sprite_; }

protected:
    bool FindFramePoint(const TString& name, int32_t* x, int32_t* y) override;

private:
    void MakeSprite(const TAnimatedTextureRef& animation);

    TAnimatedSpriteRef sprite_;
    TClock* clock_ = nullptr;
};
