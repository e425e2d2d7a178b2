// The credits.
#include "game/app/screens/CreditsScreen.h"

#include <algorithm>

#include "core/Event.h"
#include "core/Log.h"
#include "core/Saturate.h"
#include "core/StringTable.h"
#include "game/app/MyAnimSprite.h"
#include "game/app/MySoundManager.h"
#include "game/app/MySprite.h"
#include "game/app/ScreenSize.h"
#include "graphics/DrawContext.h"
#include "graphics/TextGraphic.h"
#include "script/LuaTable.h"
#include "script/Script.h"
#include "ui/WindowAppLink.h"
#include "ui/WindowStyle.h"

namespace
{

constexpr int32_t kCentreX = kScreenWidth / 2;
constexpr const char* kNoText = "no_text";
// Offsets, heights and the speed from the list are cut to this many pixels:
// far past any screen, yet a column of as many entries as TLuaRows reads
// still fits the 32-bit coordinates it is laid out and scrolled in.
constexpr int32_t kMaxOffset = 50000;

int32_t OffsetOf(const TLuaTable& table, const char* key, int32_t def)
{
    return std::clamp(table.GetInt(key, def), -kMaxOffset, kMaxOffset);
}

class TTextItem : public TCreditsScreen::SItem
{
public:
    TTextItem(int32_t spacing, int32_t height, std::shared_ptr<TTextGraphic> text)
        : SItem(spacing), height_(height), text_(std::move(text))
    {
    }
    int32_t Layout(int32_t y, int32_t width) override
    {
        rect_ = TRect(kCentreX - width / 2, y, kCentreX + width / 2, y + height_);
        const TRect bounds = text_->GetTextBounds(1.0f);
        return y + spacing_ + (bounds.bottom - bounds.top);
    }

protected:
    void DrawOnScreen() override { DrawTextGraphicAt(text_, rect_, 1.0f, alpha_); }

private:
    int32_t height_;
    std::shared_ptr<TTextGraphic> text_;
};

class TImageItem : public TCreditsScreen::SItem
{
public:
    TImageItem(int32_t spacing, const TString& image)
        : SItem(spacing), sprite_(std::make_unique<TMySprite>(image, true))
    {
    }
    int32_t Layout(int32_t y, int32_t) override
    {
        int32_t w = 0, h = 0;
        sprite_->GetSize(&w, &h);
        rect_ = TRect(kCentreX - w / 2, y, kCentreX + w / 2, y + h);
        sprite_->SetPosition(float(kCentreX), float(y + h / 2));
        sprite_->UpdateTransform();
        return y + h + spacing_;
    }
    void Scroll(int32_t dy) override
    {
        SItem::Scroll(dy);
        const TFloatPoint at = sprite_->GetPosition();
        sprite_->SetPosition(at.x, at.y - float(dy));
        sprite_->UpdateTransform();
    }
    void SetAlpha(float alpha) override
    {
        SItem::SetAlpha(alpha);
        sprite_->SetAlpha(alpha);
    }

protected:
    void DrawOnScreen() override { sprite_->Draw(); }

private:
    std::unique_ptr<TMySprite> sprite_;
};

TString LookUpText(const TString& label)
{
    TStringTable* strings = GetWindowAppLink().GetStringTable();
    return strings != nullptr ? strings->GetString(label) : label;
}

}  // namespace

void TCreditsScreen::SItem::Scroll(int32_t dy)
{
    rect_.top -= dy;
    rect_.bottom -= dy;
}

int32_t TCreditsScreen::SItem::Draw()
{
    if (rect_.right < 0 || rect_.bottom < 0 || rect_.left > kScreenWidth ||
        rect_.top > kScreenHeight)
        return 0;
    if (TDrawContext::GetIfMade() != nullptr) DrawOnScreen();
    return 1;
}

ORVELLE_WINDOW_RECORD(TCreditsScreen)

TCreditsScreen::TCreditsScreen() : TGameScreen(TGameScreen::kTickMs)
{
    animationClock_.Start();
}

TCreditsScreen::~TCreditsScreen()
{
    if (TMySoundManager* sounds = TMySoundManager::GetIfMade()) sounds->PauseMusic();
}

void TCreditsScreen::PostInit(TWindowStyle& style)
{
    TGameScreen::PostInit(style);
    int32_t maskX = 0, maskY = 0;
    std::unique_ptr<TLuaTable> info(style.GetTable("window_info"));
    if (info)
    {
        itemStartY_ = OffsetOf(*info, "item_start_y", 0);
        maskX = info->GetInt("mask_x", 0);
        maskY = info->GetInt("mask_y", 0);
    }
    mask_ = std::make_unique<TMySprite>(kMask, true);
    mask_->SetPosition(float(maskX), float(maskY));
    mask_->UpdateTransform();
    if (std::unique_ptr<TLuaTable> anims(info ? info->GetTable("anim") : nullptr); anims)
    {
        for (const TLuaRow& row : TLuaRows(*anims, "TCreditsScreen: anim"))
        {
            const TLuaTable* entry = row.table.get();
            if (entry == nullptr) continue;
            auto anim = std::make_unique<TMyAnimSprite>(entry->GetStringAt(1), true);
            anim->SetClock(&animationClock_);
            anim->SetPosition(float(entry->GetNumberAt(2, 0)), float(entry->GetNumberAt(3, 0)));
            anim->UpdateTransform();
            anim->Play("DoAnim");
            animations_.push_back(std::move(anim));
        }
    }
    LoadList();
    LayOut();
    SetColumnAlpha(0.0f);
    SetPhase(kFadeIn);
    if (TMySoundManager* sounds = TMySoundManager::GetInstance()) sounds->PlayMusic(kMusic, true);
}

void TCreditsScreen::LoadList()
{
    TScript script;
    if (!script.RunScript(kListScript))
    {
        LogPrintf("ERROR: TCreditsScreen: \"%s\" did not run; the credits are empty", kListScript);
        return;
    }
    if (std::unique_ptr<TLuaTable> main(script.GetGlobalTable("gMain")); main)
    {
        if (std::unique_ptr<TLuaTable> times(main->GetTable("stage_time")); times)
        {
            for (const TLuaRow& row : TLuaRows(*times, "TCreditsScreen: stage_time"))
                durations_.push_back(times->GetIntAt(row.index, 0));
        }
        speed_ = OffsetOf(*main, "speed", 0);
        textWidth_ = OffsetOf(*main, "text_width", 100);
    }
    if (std::unique_ptr<TLuaTable> list(script.GetGlobalTable("gTextStyle")); list)
    {
        for (const TLuaRow& row : TLuaRows(*list, "TCreditsScreen: gTextStyle"))
        {
            const TLuaTable* entry = row.table.get();
            if (entry == nullptr) continue;
            SStyle s;
            s.font = entry->GetString("font");
            s.size = entry->GetInt("size", 0);
            s.flag = entry->GetInt("flag", 0);
            s.color = entry->GetColor("color", s.color);
            styles_.push_back(s);
        }
    }
    std::unique_ptr<TLuaTable> list(script.GetGlobalTable("gCreditsList"));
    if (!list) return;
    for (const TLuaRow& row : TLuaRows(*list, "TCreditsScreen: gCreditsList"))
    {
        const TLuaTable* entry = row.table.get();
        if (entry == nullptr) continue;
        const int32_t spacing = OffsetOf(*entry, "y_disp", 0);
        const TString text = entry->GetString("text", kNoText);
        if (text == TString(kNoText))
        {
            items_.push_back(std::make_unique<TImageItem>(spacing, entry->GetString("image")));
            continue;
        }
        const int32_t index = entry->GetInt("style", 0);
        SStyle style;
        if (index >= 0 && size_t(index) < styles_.size())
        {
            style = styles_[size_t(index)];
        }
        else
        {
            if (!styles_.empty()) style = styles_.front();
            LogPrintf("ERROR: TCreditsScreen: entry %d names style %d of %d; the first is used",
                      row.index, int(index), int(styles_.size()));
        }
        const int32_t height = OffsetOf(*entry, "height", 60);
        std::shared_ptr<TTextGraphic> graphic = TTextGraphic::Create(
            TString(), textWidth_, height, style.flag, style.font, style.size, style.color);
        graphic->SetText(LookUpText(text));
        items_.push_back(std::make_unique<TTextItem>(spacing, height, std::move(graphic)));
    }
}

void TCreditsScreen::LayOut()
{
    int32_t y = itemStartY_;
    for (auto& item : items_) y = item->Layout(y, textWidth_);
}

void TCreditsScreen::SetColumnAlpha(float alpha)
{
    for (auto& item : items_) item->SetAlpha(alpha);
}

void TCreditsScreen::SetPhase(int32_t phase)
{
    phase_ = phase;
    phaseClock_.Stop();
    phaseClock_.Reset();
    phaseClock_.Start();
}

float TCreditsScreen::Progress() const
{
    const int32_t duration = size_t(phase_) < durations_.size() ? durations_[size_t(phase_)] : 0;
    if (duration <= 0) return 1.0f;
    return float(phaseClock_.GetTime()) / float(duration);
}

void TCreditsScreen::Tick()
{
    const float c = Progress();
    switch (phase_)
    {
        case kFadeIn:
            if (c < 1.0f)
            {
                SetColumnAlpha(c);
            }
            else
            {
                SetColumnAlpha(1.0f);
                SetPhase(kHold);
            }
            break;
        case kHold:
            if (c >= 1.0f)
            {
                SetPhase(kScroll);
                scrolled_ = 0;
            }
            break;
        case kScroll:
        {
            // The offset follows the phase's whole time, so slow speeds move
            // too: per tick, 45 px/s is less than a pixel.
            const int32_t total =
                SaturateTo<int32_t>(float(speed_) / 1000.0f * float(phaseClock_.GetTime()));
            const int32_t dy = total - scrolled_;
            scrolled_ = total;
            for (auto& item : items_) item->Scroll(dy);
            if (drawnCount_ == 0) SetPhase(kPause);
            break;
        }
        default:
            if (c >= 1.0f)
            {
                LayOut();
                SetColumnAlpha(0.0f);
                SetPhase(kFadeIn);
            }
            break;
    }
}

void TCreditsScreen::Draw()
{
    TDrawContext* dc = TDrawContext::GetIfMade();
    TScoped2d block(false);
    if (dc != nullptr && !dc->Is2d()) block.began = dc->Begin2d();
    drawnCount_ = 0;
    for (auto& item : items_) drawnCount_ += item->Draw();
    if (dc == nullptr) return;
    if (mask_) mask_->Draw();
    for (auto& anim : animations_) anim->Draw();
}

bool TCreditsScreen::OnKeyDown(int8_t key, int32_t)
{
    if (key == kKeyEnter || key == kKeyEscape) PressButton("ok_button");
    return false;
}
