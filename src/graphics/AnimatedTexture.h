// TAnimatedTexture: a sprite sheet cut into frames. The texture's pixels are
// the whole sheet; drawing draws only the current frame, at its registration
// point, through its transform and with its alpha. Made by name through Get
// and cached weakly in the asset manager; the asset map's auto-load reaches
// it for ".xml" and ".anm" names.
//
// Failure: Get returns an empty reference when no description is found, it
// cannot be read (with the reader's log lines) or the sheet does not load.
// Frame indexes out of range are ignored by SetFrame and read as 0 (sizes)
// or (0, 0) (registration points).
#pragma once

#include <memory>
#include <string>

#include "core/String.h"
#include "graphics/AnimationFile.h"
#include "graphics/Texture.h"

class TSharedChunk;

class TAnimatedTexture;
using TAnimatedTextureRef = std::shared_ptr<TAnimatedTexture>;

// name + ":" + image + ":" + mask.
TString MakeAnimationKey(const TString& name, const TString& image, const TString& mask);

class TAnimatedTexture : public TTexture
{
public:
    // image and mask, when not empty, replace the sheet and mask the
    // description names.
    static TAnimatedTextureRef Get(const TString& name, const TString& image, const TString& mask);
    TAnimatedTexture();
    ~TAnimatedTexture() override;

    static TClassId ClassId();
    const char* GetClassName() const override { return "TAnimatedTexture"; }
    bool IsKindOf(TClassId id) const override { return id == ClassId() || TTexture::IsKindOf(id); }
    static TAnimatedTextureRef FromAsset(TAsset* asset)
    {
        return AssetCast<TAnimatedTexture>(asset);
    }

    // The current frame (nothing for frame -1 or a frame of width 0).
    void Draw(const TDrawParams& params) override;
    // Size of the current frame; 0 when there is none.
    int GetWidth() const override;
    int GetHeight() const override;

    int GetFrameCount() const { return int(data_.frames.size()); }
    // Ignored below -1 and from the frame count on; -1 hides the texture.
    void SetFrame(int index);
    int GetFrame() const { return currentFrame_; }
    // The first anchor of that name (case-sensitive) of the frame.
    bool GetFramePoint(int frame, const TString& anchor, int* x, int* y) const;
    void GetRegistration(int frame, int* x, int* y) const;
    // The frame's record; null out of range.
    const TAnimationFrame* GetFrameRecord(int frame) const;
    TString GetScript() const { return data_.script; }
    // The script compiled once for every sprite that plays it; empty when it
    // does not compile (the text is then run, and its error reported, as is).
    const TSharedChunk& GetScriptChunk() const;
    // Directory part of the name, with its last '/' or '\'; "" without one.
    TString GetFolder() const { return folder_; }
    const TString& GetFileName() const { return fileName_; }
    const TAnimationData& GetAnimation() const { return data_; }

private:
    bool LoadSheet();

    TAnimationData data_;
    TString fileName_;
    TString folder_;
    int currentFrame_ = 0;
    mutable std::unique_ptr<TSharedChunk> scriptChunk_;
};

// Installs TAnimatedTexture as the asset map's loader of ".xml" and ".anm" names.
void RegisterAnimatedTextureAssetLoader();
