// The game's slider: no rail of its own, the thumb picture's size known.
#include "game/app/controls/CustomSlider.h"

#include "core/Log.h"
#include "graphics/Texture.h"
#include "ui/WindowStyle.h"

ORVELLE_WINDOW_RECORD(TCustomSlider)

void TCustomSlider::Init(TWindowStyle& style)
{
    TSlider::Init(style);
    const TString name = style.GetString("sliderimage");
    const TTextureRef image = name.IsEmpty() ? TTextureRef() : TTexture::Get(name, 0);
    thumbWidth_ = image ? image->GetWidth() : 0;
    thumbHeight_ = image ? image->GetHeight() : 0;
    // The picture loader says nothing of a missing file.
    if (!name.IsEmpty() && !image)
        LogPrintf("ERROR: slider \"%s\": thumb picture \"%s\" did not load", GetName().CStr(),
                  name.CStr());
}
