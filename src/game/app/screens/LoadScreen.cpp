// The loading screen: the timer that drives TRes's file queue and the
// progress bar with its soft edge.
#include "game/app/screens/LoadScreen.h"

#include <algorithm>

#include "game/app/Res.h"
#include "graphics/DrawContext.h"
#include "ui/WindowManager.h"
#include "ui/WindowStyle.h"

namespace
{

// The pictures and the style keys of one look.
struct PictureSet
{
    const char* background;
    const char* bar;
    const char* overlay;
    const char* barX;
    const char* barY;
    const char* overlayX;
    const char* overlayY;
};

const PictureSet kFirstLoading{"images/core/main_menu/fon_close",
                               "images/core/loading/first_load",
                               "images/core/loading/first_up_layer",
                               "first_load_x",
                               "first_load_y",
                               "first_up_x",
                               "first_up_y"};
const PictureSet kLaterLoading{"images/core/loading/fon", "images/core/loading/load",
                               "images/core/loading/up_layer", "load_x", "load_y", "up_x",
                               "up_y"};

constexpr uint32_t kAlphaMask = 0xFF000000u;

}  // namespace

ORVELLE_WINDOW_RECORD(TLoadScreen)

TLoadScreen::TLoadScreen()
{
    if (TRes* res = TRes::GetInstance()) res->RegisterLoadScreen(this);
}

TLoadScreen::~TLoadScreen()
{
    background_.reset();
    bar_.reset();
    overlay_.reset();
    barCopy_.reset();
    // A screen outliving TRes (torn down at exit) must not bring it back.
    if (TRes* res = TRes::GetIfMade())
    {
        res->UnloadGroup("load");
        res->UnregisterLoadScreen(this);
    }
}

int TLoadScreen::EdgeAlpha(int k)
{
    if (k > 10) return 255;
    return int(float(double(k) * 0.1) * 255.0f);
}

void TLoadScreen::Init(TWindowStyle& style)
{
    SetFlags(GetFlags() | kWindowOpaque);
    SetTimer(10, true, true, false);
    TWindow::Init(style);
    if (TWindowManager* wm = GetWindowManager()) wm->SetFocusWindow(this);
    progress_ = 0.0f;

    TRes* res = TRes::GetInstance();
    const PictureSet& set = (res == nullptr || res->IsFirstLoad()) ? kFirstLoading : kLaterLoading;

    background_ = std::make_unique<TMySprite>(set.background, false);
    background_->SetOriginEnabled(true);
    background_->SetOrigin(0, 0);

    bar_ = MakeBar(set.bar);
    bar_->SetOriginEnabled(true);
    bar_->SetOrigin(0, 0);
    bar_->SetSourceRectEnabled(true);
    bar_->SetPosition(float(style.GetNumber(set.barX, 0)), float(style.GetNumber(set.barY, 0)));
    bar_->UpdateTransform();

    overlay_ = std::make_unique<TMySprite>(set.overlay, false);
    overlay_->SetPosition(float(style.GetNumber(set.overlayX, 0)),
                          float(style.GetNumber(set.overlayY, 0)));
    overlay_->UpdateTransform();

    // Nothing of the bar shows before the first file is in.
    DrawProgress(0.0f);
}

std::unique_ptr<TMySprite> TLoadScreen::MakeBar(const TString& name)
{
    barCopy_.reset();
    barPixels_.clear();
    barWidth_ = barHeight_ = 0;
    TTextureRef picture = TTexture::Get(name, 0);
    if (!picture) return std::make_unique<TMySprite>(TTextureRef());

    const int w = picture->GetWidth(), h = picture->GetHeight();
    TTextureRef copy = w > 0 && h > 0 ? TTexture::CreateEmpty(w, h, true) : TTextureRef();
    if (!copy) return std::make_unique<TMySprite>(picture);
    {
        const TLockedPixels from(picture);
        if (!from) return std::make_unique<TMySprite>(picture);
        barPixels_.resize(size_t(w) * size_t(h));
        for (int y = 0; y < h; ++y)
            std::copy_n(from.Row(y), size_t(w), barPixels_.begin() + ptrdiff_t(y) * w);
    }
    const TLockedPixels to(copy);
    if (!to)
    {
        barPixels_.clear();
        return std::make_unique<TMySprite>(picture);
    }
    for (int y = 0; y < h; ++y)
        std::copy_n(barPixels_.begin() + ptrdiff_t(y) * w, size_t(w), to.Row(y));
    barCopy_ = copy;
    barWidth_ = w;
    barHeight_ = h;
    return std::make_unique<TMySprite>(copy);
}

void TLoadScreen::DrawProgress(float fraction)
{
    if (!bar_) return;
    fraction = std::clamp(fraction, 0.0f, 1.0f);
    int32_t w = 0, h = 0;
    bar_->GetSize(&w, &h);
    const int b = int(float(w) * fraction);
    bar_->SetSourceRect(0, 0, b, h);

    const TLockedPixels pixels(barCopy_);
    if (!pixels) return;
    // Every visible column is written from the picture's own pixels: what an
    // earlier step faded is whole again, and so is a copy the device lost.
    const int start = std::max(0, b - kSoftEdge);
    for (int y = 0; y < barHeight_; ++y)
    {
        const uint32_t* own = barPixels_.data() + size_t(y) * size_t(barWidth_);
        uint32_t* row = pixels.Row(y);
        std::copy_n(own, size_t(start), row);
        for (int c = start; c < b; ++c)
        {
            const uint32_t alpha = ((own[c] >> 24) * uint32_t(EdgeAlpha(b - c))) / 255u;
            row[c] = (own[c] & ~kAlphaMask) | (alpha << 24);
        }
    }
}

bool TLoadScreen::OnTimer()
{
    if (paused_) return true;
    TRes* res = TRes::GetInstance();
    if (res == nullptr) return true;
    res->LoadNextFile();
    const int32_t total = res->GetTotalFiles();
    progress_ = total <= 0 ? 1.0f
                           : std::min(1.0f, float(res->GetLoadedFiles()) / (float(total) * 0.9f));
    DrawProgress(progress_);
    if (TWindowManager* wm = GetWindowManager()) wm->Invalidate();
    return true;
}

void TLoadScreen::Draw()
{
    TDrawContext* dc = TDrawContext::GetIfMade();
    if (dc == nullptr) return;
    TScoped2d block(false);
    if (!dc->Is2d()) block.began = dc->Begin2d();
    if (background_) background_->Draw();
    if (bar_) bar_->Draw();
    if (overlay_) overlay_->Draw();
}
