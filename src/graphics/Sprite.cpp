// Sprite trees: children in layer order, drawing, bounds and the pixel hit
// test through a shared 4 x 4 render target.
#include "graphics/Sprite.h"

#include <algorithm>
#include <cstdint>

#include "core/Saturate.h"
#include "core/SettingKeys.h"
#include "core/Settings.h"
#include "graphics/DrawContext.h"

namespace
{

int gLiveSprites = 0;
// Made on the first pixel test, dropped when the last sprite goes.
TTextureRef& HitTestTexture()
{
    static TTextureRef texture;
    return texture;
}

void PublishCount()
{
    SetSetting(kSettingCurrentSpriteCount, TString::Format("%d", gLiveSprites));
}

}  // namespace

TClassId TSprite::ClassId()
{
    static const char id = 0;
    return &id;
}

TSpriteRef TSprite::Create(int layer, const TTextureRef& texture)
{
    auto sprite = std::make_shared<TSprite>(layer);
    if (texture) sprite->SetTexture(texture);
    return sprite;
}

TSprite::TSprite(int layer) : params(TFloatPoint(0, 0), 1.0f, 1.0f, 0), layer_(layer)
{
    ++gLiveSprites;
    PublishCount();
}

TSprite::~TSprite()
{
    for (const TSpriteRef& child : children_) child->parent_ = nullptr;
    children_.clear();
    if (--gLiveSprites == 0) HitTestTexture().reset();
    PublishCount();
    texture_.reset();
}

int TSprite::GetLiveCount()
{
    return gLiveSprites;
}

void TSprite::SetTexture(const TTextureRef& texture)
{
    texture_ = texture;
}

void TSprite::SortChildren()
{
    std::stable_sort(children_.begin(), children_.end(),
                     [](const TSpriteRef& a, const TSpriteRef& b)
                     { return a->layer_ < b->layer_; });
}

void TSprite::SetLayer(int layer)
{
    if (layer == layer_) return;
    layer_ = layer;
    if (parent_) parent_->SortChildren();
}

bool TSprite::AddChild(const TSpriteRef& child)
{
    if (!child) return false;
    for (const TSprite* s = this; s; s = s->parent_)
        if (s == child.get()) return false;
    // Held here while it leaves its old parent, which may hold the last reference.
    TSpriteRef keep = child;
    if (child->parent_) child->parent_->RemoveChild(child);
    child->parent_ = this;
    children_.push_back(child);
    SortChildren();
    return true;
}

bool TSprite::RemoveChild(const TSpriteRef& child)
{
    auto it = std::find(children_.begin(), children_.end(), child);
    if (it == children_.end() || !child) return false;
    child->parent_ = nullptr;
    children_.erase(it);
    return true;
}

void TSprite::Draw(const TDrawParams& parent, int depth)
{
    if (!visible_) return;
    const TDrawParams p = TDrawParams::Combine(params, parent);
    // Each child is held while it draws: a script run meanwhile may take it
    // out of this list.
    size_t i = 0;
    if (depth != 0)
    {
        for (; i < children_.size() && children_[i]->layer_ < 0; ++i)
        {
            TSpriteRef child = children_[i];
            child->Draw(p, depth - 1);
        }
    }
    if (texture_) texture_->Draw(p);
    if (depth != 0)
    {
        for (; i < children_.size(); ++i)
        {
            TSpriteRef child = children_[i];
            child->Draw(p, depth - 1);
        }
    }
}

void TSprite::GetBounds(TRect& out, const TDrawParams& parent, int depth)
{
    const TDrawParams p = TDrawParams::Combine(params, parent);
    out.left = out.top = 10000000;
    out.right = out.bottom = -10000000;
    if (texture_)
    {
        float w, h;
        if (p.flags & TDrawParams::kSourceRect)
        {
            w = float(p.sourceRect.right - p.sourceRect.left);
            h = float(p.sourceRect.bottom - p.sourceRect.top);
        }
        else
        {
            w = float(texture_->GetWidth());
            h = float(texture_->GetHeight());
        }
        const TFloatPoint offset = (params.flags & TDrawParams::kUseOrigin)
                                       ? -params.origin
                                       : TFloatPoint(-w * 0.5f, -h * 0.5f);
        const TFloatPoint corners[4] = {offset, TFloatPoint(offset.x + w, offset.y),
                                        TFloatPoint(offset.x, offset.y + h),
                                        TFloatPoint(offset.x + w, offset.y + h)};
        float minX = 0, minY = 0, maxX = 0, maxY = 0;
        for (int k = 0; k < 4; ++k)
        {
            const TFloatPoint c = TransformFloatPoint(p.matrix, corners[k]);
            if (k == 0 || c.x < minX) minX = c.x;
            if (k == 0 || c.y < minY) minY = c.y;
            if (k == 0 || c.x > maxX) maxX = c.x;
            if (k == 0 || c.y > maxY) maxY = c.y;
        }
        out.Set(SaturateTo<int32_t>(minX), SaturateTo<int32_t>(minY), SaturateTo<int32_t>(maxX),
                SaturateTo<int32_t>(maxY));
    }
    if (depth != 0)
    {
        for (size_t i = 0; i < children_.size(); ++i)
        {
            TSpriteRef child = children_[i];
            TRect r;
            child->GetBounds(r, p, depth - 1);
            out.Union(out, r);
        }
    }
}

bool TSprite::HitTest(const int point[2], const TDrawParams& parent, int alphaThreshold, int depth)
{
    if (!texture_ && !GetSettingBool(kSettingHitTestChildren)) return false;
    if (!visible_) return false;
    TRect r;
    GetBounds(r, parent, depth);
    const int x = point[0], y = point[1];
    if (x < r.left || x >= r.right || y < r.top || y >= r.bottom) return false;
    if (alphaThreshold < 0) return true;

    TDrawContext* dc = TDrawContext::GetIfMade();
    if (!dc) return false;
    TTextureRef& scratch = HitTestTexture();
    if (!scratch) scratch = TTexture::CreateEmpty(4, 4, true);
    if (!scratch) return false;
    // Mode 4 draws alpha into the target, which is what is read back.
    if (!dc->BeginRenderTarget(scratch, 4)) return false;
    dc->FillRect(TRect(1, 1, 2, 2), TFloatVector4(0, 0, 0, 0), scratch);
    if (dc->Begin2d())
    {
        TDrawParams shifted = parent;
        shifted.matrix.m2.x -= float(x - 1);
        shifted.matrix.m2.y -= float(y - 1);
        Draw(shifted, depth);
        dc->End2d();
    }
    dc->EndRenderTarget();

    int alpha = 0;
    {
        const TLockedPixels pixels(scratch);
        if (!pixels) return false;
        alpha = int(pixels.Row(1)[1] >> 24);
    }
    int threshold = alphaThreshold;
    if (threshold > 240 && dc->GetRenderSetting(kRenderSetting16BitMode).ToInt() != 0)
        threshold &= ~15;
    return alpha >= threshold;
}
