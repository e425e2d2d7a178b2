// Animated textures: the cache by name, image and mask, the sheet load and
// frame drawing.
#include "graphics/AnimatedTexture.h"

#include "core/AssetManager.h"
#include "core/AssetMap.h"
#include "script/Script.h"

#include <cstring>

TString MakeAnimationKey(const TString& name, const TString& image, const TString& mask)
{
    return name + ":" + image + ":" + mask;
}

TClassId TAnimatedTexture::ClassId()
{
    static const char id = 0;
    return &id;
}

TAnimatedTextureRef TAnimatedTexture::Get(const TString& name, const TString& image,
                                          const TString& mask)
{
    const TString key = MakeAnimationKey(name, image, mask);
    TAssetManager* manager = GetGlobalAssetManager();
    if (manager)
    {
        if (TAnimatedTextureRef found = FromAsset(manager->Find(key).get())) return found;
    }
    auto texture = std::make_shared<TAnimatedTexture>();
    texture->fileName_ = name;
    if (manager) manager->Register(key, texture);
    if (!LoadAnimationFile(name, name, texture->data_)) return TAnimatedTextureRef();
    int cut = -1;
    for (int i = 0; i < name.Length(); ++i)
        if (name.CharAt(unsigned(i)) == '/' || name.CharAt(unsigned(i)) == '\\') cut = i;
    texture->folder_ = name.Substring(0, cut + 1);
    if (!image.IsEmpty()) texture->data_.imageName = image;
    if (!mask.IsEmpty()) texture->data_.maskName = mask;
    if (!texture->LoadSheet()) return TAnimatedTextureRef();
    return texture;
}

bool TAnimatedTexture::LoadSheet()
{
    TDxTextureData* d = GetDxData();
    d->SetFlag(TTextureData::kAlpha, true);
    d->SetFlag(TTextureData::kAlphaFromFile, false);
    const TString& image = data_.imageName;
    const TString& mask = data_.maskName;
    if (d->Load(folder_ + image, mask.IsEmpty() ? TString() : folder_ + mask)) return true;
    return d->Load(image, mask);
}

const TAnimationFrame* TAnimatedTexture::GetFrameRecord(int frame) const
{
    if (frame < 0 || frame >= GetFrameCount()) return nullptr;
    return &data_.frames[size_t(frame)];
}

int TAnimatedTexture::GetWidth() const
{
    const TAnimationFrame* f = GetFrameRecord(currentFrame_);
    return f ? f->w : 0;
}

int TAnimatedTexture::GetHeight() const
{
    const TAnimationFrame* f = GetFrameRecord(currentFrame_);
    return f ? f->h : 0;
}

TAnimatedTexture::TAnimatedTexture() = default;
TAnimatedTexture::~TAnimatedTexture() = default;

const TSharedChunk& TAnimatedTexture::GetScriptChunk() const
{
    // Named by its animation file, so that its errors say where they are;
    // by its text, as a text run on its own would be, without one.
    if (!scriptChunk_)
    {
        const TString name =
            fileName_.IsEmpty() ? data_.script : TString("@") + fileName_;
        scriptChunk_ = std::make_unique<TSharedChunk>(
            data_.script.CStr(), size_t(data_.script.Length()), name.CStr());
    }
    return *scriptChunk_;
}

void TAnimatedTexture::SetFrame(int index)
{
    if (index < -1 || index >= GetFrameCount()) return;
    currentFrame_ = index;
}

bool TAnimatedTexture::GetFramePoint(int frame, const TString& anchor, int* x, int* y) const
{
    const TAnimationFrame* f = GetFrameRecord(frame);
    if (!f) return false;
    for (const TAnimationAnchor& a : f->anchors)
    {
        if (std::strcmp(a.name.CStr(), anchor.CStr()) != 0) continue;
        if (x) *x = a.x;
        if (y) *y = a.y;
        return true;
    }
    return false;
}

void TAnimatedTexture::GetRegistration(int frame, int* x, int* y) const
{
    const TAnimationFrame* f = GetFrameRecord(frame);
    if (x) *x = f ? f->regX : 0;
    if (y) *y = f ? f->regY : 0;
}

void TAnimatedTexture::Draw(const TDrawParams& params)
{
    const TAnimationFrame* f = GetFrameRecord(currentFrame_);
    if (!f) return;
    TDrawParams q = params;
    if (!(q.flags & TDrawParams::kUseOrigin))
    {
        q.flags |= TDrawParams::kUseOrigin;
        q.origin = TFloatPoint(float(f->regX), float(f->regY));
        if (q.flags & TDrawParams::kMirrorX) q.origin.x = float(GetWidth() - f->regX);
        if (q.flags & TDrawParams::kMirrorY) q.origin.y = float(GetHeight() - f->regY);
    }
    if (f->HasTransform())
    {
        const float* m = f->xform;
        const TAffineMatrix frame(m[0], m[1], 0.0f, m[2], m[3], 0.0f, m[4], m[5], 1.0f);
        q.matrix = MultiplyAffineMatrices(frame, q.matrix);
    }
    if (f->w == 0) return;
    const TRect r(f->x, f->y, f->x + f->w, f->y + f->h);
    if (q.flags & TDrawParams::kSourceRect)
    {
        TRect moved(q.sourceRect.left + f->x, q.sourceRect.top + f->y, q.sourceRect.right + f->x,
                    q.sourceRect.bottom + f->y);
        q.sourceRect.Intersect(moved, r);
    }
    else
    {
        q.flags |= TDrawParams::kSourceRect;
        q.sourceRect = r;
    }
    q.alpha *= f->alpha;
    TTexture::Draw(q);
}

void RegisterAnimatedTextureAssetLoader()
{
    RegisterAssetLoader(
        TAssetKind::kAnimatedTexture,
        {TAnimatedTexture::ClassId(),
         [](const TString& n, const TString& p) { return MakeAnimationKey(n + p, "", ""); },
         [](const TString& f)
         { return std::shared_ptr<TAsset>(TAnimatedTexture::Get(f, "", "")); }});
}
