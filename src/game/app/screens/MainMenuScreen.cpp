// The main menu.
#include "game/app/screens/MainMenuScreen.h"

#include <algorithm>

#include "core/Event.h"
#include "core/Log.h"
#include "core/StringTable.h"
#include "host/App.h"
#include "game/app/AppEvents.h"
#include "game/app/MyAnimSprite.h"
#include "game/app/MyParticle.h"
#include "game/app/MySoundManager.h"
#include "game/app/MySprite.h"
#include "game/app/Player.h"
#include "game/app/Res.h"
#include "game/app/ScreenSize.h"
#include "graphics/DrawContext.h"
#include "graphics/TextGraphic.h"
#include "script/LuaTable.h"
#include "script/Script.h"
#include "ui/Text.h"
#include "ui/WindowManager.h"
#include "ui/WindowStyle.h"

namespace
{

constexpr int kCentreX = kScreenWidth / 2;
constexpr int kCentreY = kScreenHeight / 2;
constexpr int kPulseFrames = 70;
constexpr int32_t kMusicFadeMs = 1000;

const char* const kBackground = "main_menu:images/core/main_menu/fon_open";
const char* const kHud = "main_menu:images/core/main_menu/hud";
const char* const kClosed = "main_menu:images/core/main_menu/fon_close";
const char* const kFlash1 = "main_menu:images/core/main_menu/flash_1";
const char* const kFlash2 = "main_menu:images/core/main_menu/flash_2";
const char* const kIntroMusic = "core_audio:audio/music/main_menu_intro";
const char* const kMenuMusic = "core_audio:audio/music/main_menu";


}  // namespace

ORVELLE_WINDOW_RECORD(TMainMenuScreen)

TMainMenuScreen::TMainMenuScreen() : TGameScreen(TGameScreen::kTickMs)
{
    PublishBindings();
    screenClock_.Start();
}

TMainMenuScreen::~TMainMenuScreen()
{
    if (TMySoundManager* sounds = TMySoundManager::GetIfMade())
        sounds->PauseMusicByName(kMenuMusic);
}

void TMainMenuScreen::PostInit(TWindowStyle& style)
{
    TGameScreen::PostInit(style);
    TRes* res = TRes::GetInstance();
    flashOn_ = res != nullptr && res->IsFirstLoad();
    locationY_ = style.GetInt("locat_image_y", 0);
    locationX_ = style.GetInt("locat_image_x", 0);
    closedPicture_ = std::make_unique<TMySprite>(TString(), true);
    closedPicture_->SetPosition(float(kCentreX), float(kCentreY));
    closedPicture_->UpdateTransform();
    if (flashOn_)
    {
        ReadFlash(style);
        ReadPrompt(style);
    }
    ReadAnimations(style);
    ReadParticles(style);
    ReadScroll(style);
    ShowWindow(Required("shell"), false);
    if (TWindow* editor = Required("editor")) editor->SetPosition(400, -200);
}

void TMainMenuScreen::ReadFlash(TWindowStyle& style)
{
    std::unique_ptr<TLuaTable> table{style.GetTable("Flash")};
    auto value = [&](const char* key) { return table ? float(table->GetNumber(key, 0)) : 0.0f; };
    auto whole = [&](const char* key) { return table ? table->GetInt(key, 0) : 0; };
    for (int n = 1; n <= 2; ++n)
    {
        TAnimatedElementList::SStep in;
        in.duration = whole("up_time");
        in.name = n == 1 ? kFlash1 : kFlash2;
        in.turns = value(n == 1 ? "up_rotate_1" : "up_rotate_2");
        in.scaleStart = value("up_scale_start");
        in.scaleEnd = value("up_scale_stop");
        in.alphaFraction = value("up_alpha_time");
        TAnimatedElementList::SStep out;
        out.duration = whole("down_time");
        out.turns = value(n == 1 ? "down_rotate_1" : "down_rotate_2");
        out.scaleStart = value("down_scale_start");
        out.scaleEnd = value("down_scale_stop");
        out.alphaFraction = value("down_alpha_time");
        flash_.AddElement(in, out);
    }
    flash_.SetPosition(kCentreX, kCentreY);
}

void TMainMenuScreen::ReadPrompt(TWindowStyle& style)
{
    std::unique_ptr<TLuaTable> table{style.GetTable("PAK")};
    if (!table) return;
    const int32_t x = table->GetInt("x");
    const int32_t y = table->GetInt("y");
    const int32_t w = table->GetInt("w");
    const int32_t h = table->GetInt("h");
    pressRect_ = TRect(x, y, x + w, y + h);
    pressSize_ = table->GetInt("size");
    pressFontSize_ = pressSize_;
    TString text = table->GetString("text");
    TWindowManager* wm = GetWindowManager();
    text = TText::TranslateLabel(text, wm != nullptr && wm->GetTranslateLabels());
    pressText_ = TTextGraphic::Create(text, w, h, table->GetInt("flag"),
                                      table->GetString("font", "__DEFAULT"), pressSize_,
                                      table->GetColor("color", TFloatVector4(1, 1, 1, 1)));
}

void TMainMenuScreen::ReadAnimations(TWindowStyle& style)
{
    std::unique_ptr<TLuaTable> table{style.GetTable("Anim")};
    if (!table) return;
    for (const TLuaRow& row : TLuaRows(*table, "TMainMenuScreen: Anim"))
    {
        const TLuaTable* entry = row.table.get();
        if (entry == nullptr) continue;
        SAnim anim;
        anim.name = entry->GetStringAt(1);
        anim.sprite = std::make_unique<TMyAnimSprite>(TString(), true);
        anim.sprite->SetClock(&screenClock_);
        anim.sprite->SetPosition(float(entry->GetNumberAt(2)), float(entry->GetNumberAt(3)));
        anim.sprite->UpdateTransform();
        anims_.push_back(std::move(anim));
    }
}

void TMainMenuScreen::ReadParticles(TWindowStyle& style)
{
    std::unique_ptr<TLuaTable> table{style.GetTable("Part")};
    if (!table) return;
    for (const TLuaRow& row : TLuaRows(*table, "TMainMenuScreen: Part"))
    {
        const TLuaTable* entry = row.table.get();
        if (entry == nullptr) continue;
        auto particle = std::make_unique<TMyParticle>(entry->GetStringAt(1), entry->GetStringAt(2));
        particle->SetClock(&screenClock_);
        particle->SetPosition(float(entry->GetNumberAt(3)), float(entry->GetNumberAt(4)));
        particles_.push_back(std::move(particle));
    }
}

void TMainMenuScreen::ReadScroll(TWindowStyle& style)
{
    std::unique_ptr<TLuaTable> table{style.GetTable("Scroll")};
    if (table)
    {
        scrollStartX_ = table->GetInt("start_x");
        scrollStartY_ = table->GetInt("start_y");
        scrollEndX_ = table->GetInt("finish_x");
        scrollEndY_ = table->GetInt("finish_y");
        scrollTime_ = table->GetInt("time");
    }
    if (TWindow* button = Required("profile_button"))
        button->SetPosition(scrollStartX_, scrollStartY_);
}

TWindow* TMainMenuScreen::Required(const char* name)
{
    TWindow* child = FindChild(name, -1);
    if (child == nullptr) LogPrintf("ERROR: The main menu has no \"%s\"; it is skipped", name);
    return child;
}

std::vector<TString> TMainMenuScreen::GroupsFor(int users, int comicDue)
{
    std::vector<TString> groups = {"helper", "main_menu", "map", "core_audio", "window_audio"};
    if (users == 0)
    {
        groups.push_back("comics_1");
    }
    else if (comicDue != -1)
    {
        groups.push_back("comics");
        groups.push_back(TString::Format("comics_%d", comicDue));
        groups.push_back(TString::Format("comics_%d_audio", comicDue));
    }
    return groups;
}

std::vector<TString> TMainMenuScreen::WantedGroups()
{
    TPlayer* player = TPlayer::GetInstance();
    if (player == nullptr) return GroupsFor(0, -1);
    const int users = player->GetNumUsers();
    return GroupsFor(users, users != 0 ? player->GetComicDue() : -1);
}

void TMainMenuScreen::OnGroupsLoaded()
{
    firstFrame_ = false;
    if (TApp* app = GetApp()) app->ShowSystemCursor(true);
    // The manager tells this screen of the change itself.
    if (TWindowManager* wm = GetWindowManager()) wm->SetFocusWindow(this);

    background_ = std::make_unique<TMySprite>(kBackground, true);
    background_->SetPosition(float(kCentreX), float(kCentreY));
    background_->UpdateTransform();
    if (TPlayer* player = TPlayer::GetIfMade()) player->SetComicsNumber(1);
    locationPicture_ = std::make_unique<TMySprite>(TString(), true);
    locationPicture_->SetPosition(float(locationX_), float(locationY_));
    locationPicture_->UpdateTransform();
    hud_ = std::make_unique<TMySprite>(kHud, true);
    int32_t hudWidth = 0;
    int32_t hudHeight = 0;
    hud_->GetSize(&hudWidth, &hudHeight);
    hud_->SetOriginEnabled(true);
    hud_->SetOrigin(hudWidth, 0);
    hud_->SetPosition(float(kScreenWidth), 0.0f);
    hud_->UpdateTransform();

    for (SAnim& anim : anims_)
    {
        anim.sprite->Load(anim.name, true);
        anim.sprite->Play("DoAnim");
    }
    for (auto& particle : particles_) particle->Start();

    if (flashOn_)
    {
        closedPicture_->Load(kClosed, true);
        flash_.SetClock(&screenClock_);
    }
    else
    {
        ShowWindow(Required("shell"), true);
        StartScroll();
    }
    if (TWindow* parent = GetParent())
    {
        parent->SetPosition(0, 0);
        parent->SetSize(kScreenWidth, kScreenHeight);
    }
    SetCurrentPlayerName();
    PlayMenuMusic(flashOn_ ? kIntroMusic : kMenuMusic);
    if (TScript* script = GetWindowManagerScript())
        script->DoLuaString("if type(FirstPlayer) == 'function' then FirstPlayer() end");
    if (TWindowManager* wm = GetWindowManager()) wm->Invalidate();
}

void TMainMenuScreen::PlayMenuMusic(const char* name)
{
    TMySoundManager* sounds = TMySoundManager::GetIfMade();
    if (sounds == nullptr) return;
    sounds->StartMusicFadeIn(kMusicFadeMs);
    sounds->PlayMusic(name, true);
}

void TMainMenuScreen::StartScroll()
{
    scrolling_ = true;
    scrollStart_ = screenClock_.GetTime();
    StepScroll();
}

void TMainMenuScreen::StepScroll()
{
    // A slide of no length ends where it was going.
    float t = 1.0f;
    if (scrollTime_ > 0)
    {
        t = float(screenClock_.GetTime() - scrollStart_) / float(scrollTime_);
        if (t > 1.0f) t = 1.0f;
    }
    if (TWindow* button = FindChild("profile_button", -1))
        button->SetPosition(scrollStartX_ + int32_t(float(scrollEndX_ - scrollStartX_) * t),
                            scrollStartY_ + int32_t(float(scrollEndY_ - scrollStartY_) * t));
    if (t >= 1.0f) scrolling_ = false;
}

void TMainMenuScreen::Tick()
{
    if (flashOn_)
    {
        if (flash_.GetFirstPhase() == TAnimatedElementList::kNotStarted)
        {
            if (++pulseFrames_ % kPulseFrames == 0)
            {
                pulseToggle_ ^= 1;
                pressFontSize_ = pressSize_ + pulseToggle_;
                if (pressText_) pressText_->SetFontSize(pressFontSize_);
            }
        }
        else
        {
            const int32_t before = flash_.GetFirstPhase();
            flash_.Update();
            if (before == TAnimatedElementList::kIn &&
                flash_.GetFirstPhase() >= TAnimatedElementList::kOut)
                ShowWindow(Required("shell"), true);
            if (flash_.HasEnded())
            {
                flashOn_ = false;
                StartScroll();
                PlayMenuMusic(kMenuMusic);
            }
        }
    }
    for (auto& particle : particles_) particle->Update();
    if (scrolling_) StepScroll();
}

void TMainMenuScreen::Draw()
{
    if (firstFrame_) return;
    TDrawContext* dc = TDrawContext::GetIfMade();
    if (dc == nullptr) return;
    TScoped2d block(false);
    if (!dc->Is2d()) block.began = dc->Begin2d();
    dc->FillRect(TRect(0, 0, kScreenWidth, kScreenHeight), TFloatVector4(0, 0, 0, 1),
                 TTextureRef());
    if (background_) background_->Draw();
    if (locationPicture_) locationPicture_->Draw();
    for (SAnim& anim : anims_) anim.sprite->Draw();
    for (auto& particle : particles_) particle->Draw();
    if (hud_) hud_->Draw();
}

void TMainMenuScreen::DrawOverlay()
{
    if (firstFrame_ || !flashOn_) return;
    TDrawContext* dc = TDrawContext::GetIfMade();
    if (dc == nullptr) return;
    TScoped2d block(false);
    if (!dc->Is2d()) block.began = dc->Begin2d();
    const int32_t phase = flash_.GetFirstPhase();
    if (phase <= TAnimatedElementList::kIn) closedPicture_->Draw();
    if (phase == TAnimatedElementList::kNotStarted)
    {
        if (pressText_)
            pressText_->Draw(TFloatPoint(float(pressRect_.left), float(pressRect_.top)),
                             pressRect_.bottom - pressRect_.top, 1.0f);
    }
    else if (phase != TAnimatedElementList::kDone)
    {
        flash_.Draw();
    }
}

bool TMainMenuScreen::OnMessage(TMessage*)
{
    return true;
}

bool TMainMenuScreen::OnMouseDown(TPoint)
{
    if (firstFrame_) return true;
    if (flashOn_ && flash_.GetFirstPhase() == TAnimatedElementList::kNotStarted)
    {
        StartFlash();
        return true;
    }
    return false;
}

bool TMainMenuScreen::OnMouseMove(TPoint)
{
    return false;
}

bool TMainMenuScreen::OnKeyDown(int8_t key, int32_t)
{
    if (firstFrame_) return true;
    if (flashOn_ && flash_.GetFirstPhase() == TAnimatedElementList::kNotStarted)
    {
        StartFlash();
        return true;
    }
    if (key == kKeyEscape)
        PressButton("quit");
    else if (key == kKeyEnter)
        PressButton("play_button");
    return false;
}
