// TMySprite: the still kind of the game sprite layer, over a TSprite.
//
// Failure: an empty name, a group that is not loaded or a file that does not
// load leave the sprite without a texture: it draws nothing, hit-tests false
// and has the size (0, 0). The texture loaders log their own errors.
#pragma once

#include "game/app/MySpritePattern.h"
#include "graphics/Sprite.h"
#include "graphics/Texture.h"

class TMySprite : public TMySpritePattern
{
public:
    // fromGroup: name is a resource-group asset name ("group:path"), looked up
    // in the loaded groups; otherwise a file name. An empty name looks
    // nothing up.
    TMySprite(const TString& name, bool fromGroup);
    // Over a texture the owner made itself (the loading screen's own copy of
    // its bar).
    explicit TMySprite(const TTextureRef& texture);
    ~TMySprite() override = default;

    TDrawParams& GetDrawParams() override { return sprite_->params; }
    void GetSize(int32_t* width, int32_t* height) override;
    // Also looks up an empty name (which finds nothing).
    void Load(const TString& name, bool fromGroup) override;
    bool HitTest(int32_t x, int32_t y, int alphaThreshold, const TDrawParams& parent) override;
    void Draw() override;

    const TTextureRef& GetTexture() const { return sprite_->GetSpriteTexture(); }

private:
    static TTextureRef FindTexture(const TString& name, bool fromGroup);

    TSpriteRef sprite_;
};
