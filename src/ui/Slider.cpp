// The slider: value and thumb placement, size, dragging, page presses and
// the rail.
#include "ui/Slider.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "graphics/DrawContext.h"
#include "graphics/VertexSet.h"
#include "platform/gfx/Device.h"
#include "ui/Image.h"
#include "ui/Message.h"
#include "ui/WindowManager.h"
#include "ui/WindowStyle.h"

namespace
{

enum : int
{
    kRailTop = 0,
    kRailMiddle = 1,
    kRailBottom = 2,
};

TTextureRef LoadImage(const TString& name)
{
    return name.IsEmpty() ? TTextureRef() : TTexture::Get(name, 0);
}

}  // namespace

ORVELLE_WINDOW_RECORD(TSlider)

TSlider::TSlider()
    : looseThumb_(std::make_unique<TImage>(true)), thumb_(looseThumb_->GetScriptHandle())
{
}

TSlider::~TSlider()
{
    // A loose thumb handed to the manager's deletion is the manager's, and
    // one it deleted already is nobody's.
    if (!looseThumb_) return;
    TWindowManager* wm = GetWindowManager();
    if (GetThumb() == nullptr || (wm != nullptr && wm->IsPendingDelete(looseThumb_.get())))
        (void)looseThumb_.release();
}

TImage* TSlider::GetThumb() const
{
    // Made as a TImage: the handle names that very object while it lives.
    return static_cast<TImage*>(TWindow::FromHandle(thumb_));
}

void TSlider::AttachThumb()
{
    TImage* thumb = GetThumb();
    if (thumb == nullptr || thumb->GetParent() != nullptr || !AddChild(thumb, true)) return;
    if (thumb == looseThumb_.get()) (void)looseThumb_.release();
}

void TSlider::Init(TWindowStyle& style)
{
    TWindow::Init(style);
    if (initialised_) return;
    initialised_ = true;

    const int32_t w = style.GetInt("w", 0);
    const int32_t h = style.GetInt("h", 0);
    // A boolean reads as the number 0 here, so only an absent (or negative)
    // value leaves the choice to the shape.
    const double hslider = style.GetNumber("hslider", -1.0);
    horizontal_ = hslider >= 0.0 ? style.GetBool("hslider", false) : w > h;

    const TString railTop = style.GetString("railtop");
    const TString railMid = style.GetString("railmid");
    const TString railBot = style.GetString("railbot");
    const TString thumbName = style.GetString("sliderimage");
    const TString thumbRollName = style.GetString("sliderrollimage");
    const TString name = style.GetString("name");
    const float scale = static_cast<float>(style.GetNumber("scale", 1.0));
    crossOffset_ = style.GetInt("yoffset", 0);
    SetValue(static_cast<float>(style.GetNumber("value", 0.0)), true);

    const TTextureRef normal = LoadImage(thumbName);
    const TTextureRef rollover = LoadImage(thumbRollName);
    SetName(name);
    scale_ = scale;
    SetRails(LoadImage(railTop), LoadImage(railMid), LoadImage(railBot));
    SetThumbImages(normal, rollover);
    PlaceThumb();
    TImage* thumb = GetThumb();
    if (thumb != nullptr && thumb->GetParent() == nullptr)
    {
        AttachThumb();
        UpdateSize();
    }
}

// ---------------------------------------------------------------------------
// Value, thumb and size

void TSlider::SetValue(float value, bool silent)
{
    // Written so that NaN fails both tests and ends as 0.
    value_ = value >= 0.0f ? (value <= 1.0f ? value : 1.0f) : 0.0f;
    PlaceThumb();
    if (!silent) Notify(kSliderValChanged);
}

void TSlider::PlaceThumb()
{
    TImage* thumb = GetThumb();
    if (thumb == nullptr) return;
    if (horizontal_)
        thumb->SetPosition(static_cast<int32_t>(value_ * float(GetWidth() - thumb->GetWidth())), crossOffset_);
    else
        thumb->SetPosition(crossOffset_, static_cast<int32_t>(value_ * float(GetHeight() - thumb->GetHeight())));
}

void TSlider::SetRails(const TTextureRef& top, const TTextureRef& middle, const TTextureRef& bottom)
{
    rails_[kRailTop] = top;
    rails_[kRailMiddle] = middle;
    rails_[kRailBottom] = bottom;
    UpdateSize();
}

void TSlider::SetThumbImages(const TTextureRef& normal, const TTextureRef& rollover)
{
    thumbImage_ = normal;
    thumbRollImage_ = rollover;
    TImage* thumb = GetThumb();
    if (thumb != nullptr)
    {
        thumb->SetTexture(normal, scale_);
        AttachThumb();
    }
    UpdateSize();
}

void TSlider::UpdateSize()
{
    int32_t thickness = 0;
    for (const TTextureRef& rail : rails_)
        if (rail) thickness = std::max(thickness, static_cast<int32_t>(scale_ * float(rail->GetWidth())));
    if (const TImage* thumb = GetThumb())
        thickness = std::max(thickness, std::abs(crossOffset_) + (horizontal_ ? thumb->GetHeight() : thumb->GetWidth()));
    thickness_ = thickness;
    if (horizontal_)
        SetSize(GetWidth(), thickness);
    else
        SetSize(thickness, GetHeight());
}

void TSlider::ShowThumb(bool rollover)
{
    TImage* thumb = GetThumb();
    if (thumb == nullptr) return;
    const TTextureRef& wanted = rollover ? thumbRollImage_ : thumbImage_;
    if (thumb->GetTexture() == wanted && thumb->GetScale() == scale_) return;
    thumb->SetTexture(wanted, scale_);
    // Pictures of another size put the thumb where the value says for its
    // new size, so it never stands past the end of the slider.
    PlaceThumb();
}

bool TSlider::InThumb(TPoint point) const
{
    const TImage* thumb = GetThumb();
    return thumb != nullptr && thumb->GetRect().Contains(point.x, point.y);
}

void TSlider::Notify(int32_t kind)
{
    if (GetParent() != nullptr)
        GetParent()->SendMessage(std::make_unique<TMessage>(kind, GetName()));
}

// ---------------------------------------------------------------------------
// Mouse

bool TSlider::OnMouseDown(TPoint point)
{
    const TImage* thumb = GetThumb();
    if (thumb == nullptr) return false;
    if (InThumb(point))
    {
        drag_ = 1;
        if (TWindowManager* wm = GetWindowManager()) wm->AddHover(this);
        return true;
    }
    const bool before = horizontal_ ? point.x < thumb->GetRect().left : point.y < thumb->GetRect().top;
    Notify(before ? kSliderPageUp : kSliderPageDown);
    return true;
}

bool TSlider::OnMouseMove(TPoint point)
{
    TWindowManager* wm = GetWindowManager();
    ShowThumb(drag_ != 0 || InThumb(point));
    if (drag_ != 0 || GetLocalRect().Contains(point.x, point.y))
    {
        if (wm != nullptr) wm->AddHover(this);
    }
    else
    {
        if (wm != nullptr) wm->RemoveHover(this);
        ShowThumb(false);
    }
    if (drag_ == 0) return false;
    // A slider without length has no position to take: the value stays.
    const int32_t length = horizontal_ ? GetWidth() : GetHeight();
    if (length != 0)
        SetValue(float(horizontal_ ? point.x : point.y) / float(length), false);
    return true;
}

bool TSlider::OnMouseUp(TPoint point)
{
    if (drag_ == 0) return false;
    drag_ = 0;
    ShowThumb(InThumb(point));
    if (!GetLocalRect().Contains(point.x, point.y))
    {
        if (TWindowManager* wm = GetWindowManager()) wm->RemoveHover(this);
        ShowThumb(false);
    }
    Notify(kSliderMouseUp);
    return true;
}

bool TSlider::OnMouseLeave()
{
    if (drag_ != 0) return true;
    ShowThumb(false);
    if (TWindowManager* wm = GetWindowManager()) wm->RemoveHover(this);
    return true;
}

// ---------------------------------------------------------------------------
// The rail

void TSlider::DrawRailPiece(const TTextureRef& image, float start, float length)
{
    TDrawContext* dc = TDrawContext::GetIfMade();
    int sw = 0, sh = 0;
    image->GetSurfaceSize(&sw, &sh);
    const float across = scale_ * float(image->GetWidth());
    const float offset = (float(thickness_) - across) / 2.0f;
    const float u1 = float(image->GetWidth()) / float(std::max(sw, 1));
    const float v1 = float(image->GetHeight()) / float(std::max(sh, 1));
    const float alpha = railAlpha_ * 255.0f;
    const uint32_t a = alpha >= 255.0f ? 255u : alpha > 0.0f ? static_cast<uint32_t>(alpha) : 0u;
    const uint32_t diffuse = (a << 24) | 0x00FFFFFFu;

    // Corners of the image in the order of the two triangles.
    static const int kCorners[6][2] = {{0, 0}, {1, 0}, {0, 1}, {1, 0}, {1, 1}, {0, 1}};
    TDrawVertex v[6];
    for (int k = 0; k < 6; ++k)
    {
        const int cx = kCorners[k][0], cy = kCorners[k][1];
        // The image's width runs across the rail, its height along it.
        const float acrossPos = offset + float(cx) * across;
        const float alongPos = start + float(cy) * length;
        v[k].x = horizontal_ ? alongPos : acrossPos;
        v[k].y = horizontal_ ? acrossPos : alongPos;
        v[k].z = 0.1f;
        v[k].rhw = 0.5f;
        v[k].diffuse = diffuse;
        v[k].specular = 0xFF000000u;
        v[k].u = float(cx) * u1;
        v[k].v = float(cy) * v1;
    }
    dc->SetTexture(image);
    TVertexSet set;
    set.kind = 2;
    set.vertices = v;
    set.count = 6;
    dc->DrawVertices(GFX_PT_TRIANGLELIST, set);
}

void TSlider::Draw()
{
    TDrawContext* dc = TDrawContext::GetIfMade();
    if (dc == nullptr || (!rails_[0] && !rails_[1] && !rails_[2])) return;
    TScoped2d block(false);
    if (!dc->Is2d()) block.began = dc->Begin2d();
    dc->SetBlendMode(0);
    dc->SetCullMode(1);  // none

    const float total = float(horizontal_ ? GetWidth() : GetHeight());
    const auto along = [this](const TTextureRef& t) { return t ? scale_ * float(t->GetHeight()) : 0.0f; };
    const float topLength = along(rails_[kRailTop]);
    const float bottomLength = along(rails_[kRailBottom]);
    const float middleLength = std::max(0.0f, total - topLength - bottomLength);
    if (rails_[kRailTop]) DrawRailPiece(rails_[kRailTop], 0.0f, topLength);
    if (rails_[kRailMiddle]) DrawRailPiece(rails_[kRailMiddle], topLength, middleLength);
    if (rails_[kRailBottom]) DrawRailPiece(rails_[kRailBottom], topLength + middleLength, bottomLength);
}
