// The options dialog.
#include "game/app/screens/OptionsScreen.h"

#include "game/app/MySoundManager.h"
#include "game/app/Player.h"
#include "graphics/DrawContext.h"
#include "host/App.h"
#include "ui/Button.h"
#include "ui/Message.h"
#include "ui/Slider.h"

namespace
{

const TWindowClassInfo kOptionsClass{"TOptionsScreen", &MakeWindowOf<TOptionsScreen>};

constexpr int8_t kKeyEnter = 13;
constexpr int8_t kKeyEscape = 27;

template <class T>
T* Child(TWindow* screen, const char* name)
{
    TWindow* w = screen->FindChild(name, -1);
    return w != nullptr && w->IsKindOf(T::ClassId()) ? static_cast<T*>(w) : nullptr;
}

}  // namespace

TWindowClassId TOptionsScreen::ClassId()
{
    return &kOptionsClass;
}

TOptionsScreen::TOptionsScreen() : TGameScreen(16)
{
    PublishBindings();
}

void TOptionsScreen::PostInit(TWindowStyle& style)
{
    if (TPlayer* player = TPlayer::GetInstance())
    {
        if (TButton* b = Child<TButton>(this, "full_screen"))
            b->SetToggleState(player->GetFullScreen());
        if (TButton* b = Child<TButton>(this, "mute_sound"))
            b->SetToggleState(player->GetSoundOff());
        if (TButton* b = Child<TButton>(this, "game_cursor"))
            b->SetToggleState(player->GetGameCursor());
        // Not silent: the change messages store the values back, evening
        // out what the profile held beyond the sliders' reach.
        if (TSlider* s = Child<TSlider>(this, "sfx_slider"))
            s->SetValue(float(player->GetSoundLevel()) / 1000.0f, false);
        if (TSlider* s = Child<TSlider>(this, "music_slider"))
            s->SetValue(float(player->GetMusicLevel()) / (1000.0f * kMusicTravel), false);
    }
    TGameScreen::PostInit(style);
}

void TOptionsScreen::Draw()
{
    TDrawContext* dc = TDrawContext::Instance();
    if (dc == nullptr) return;
    TScoped2d block(false);
    if (!dc->Is2d()) block.began = dc->Begin2d();
}

bool TOptionsScreen::OnMessage(TMessage* message)
{
    if (message == nullptr || message->GetKind() != kSliderValChanged) return false;
    TPlayer* player = TPlayer::GetInstance();
    TMySoundManager* sounds = TMySoundManager::GetInstance();
    if (message->GetName() == "sfx_slider")
    {
        TSlider* slider = Child<TSlider>(this, "sfx_slider");
        if (slider == nullptr) return false;
        const float v = slider->GetValue();
        if (player != nullptr) player->SetSoundLevel(v * 1000.0f);
        if (sounds != nullptr) sounds->SetSoundVolume(v);
        return true;
    }
    if (message->GetName() == "music_slider")
    {
        TSlider* slider = Child<TSlider>(this, "music_slider");
        if (slider == nullptr) return false;
        const float v = slider->GetValue() * kMusicTravel;
        if (player != nullptr) player->SetMusicLevel(v * 1000.0f);
        if (sounds != nullptr) sounds->SetMusicVolume(v);
        return true;
    }
    return false;
}

bool TOptionsScreen::OnTimer()
{
    TSlider* sfx = Child<TSlider>(this, "sfx_slider");
    const bool dragging = sfx != nullptr && sfx->IsDragging();
    if (!dragging && sfxDragging_)
    {
        if (TMySoundManager* sounds = TMySoundManager::GetInstance())
            sounds->PlaySound(kSliderSound, false);
    }
    sfxDragging_ = dragging;
    return TGameScreen::OnTimer();
}

bool TOptionsScreen::OnKeyDown(int8_t key, int32_t)
{
    if (key == kKeyEnter || key == kKeyEscape) PressButton("ok_button");
    return false;
}

void TOptionsScreen::RefreshFullScreen()
{
    TButton* button = Child<TButton>(this, "full_screen");
    TApp* app = GetApp();
    if (button == nullptr || app == nullptr) return;
    const bool on = app->IsFullScreen();
    button->SetToggleState(on);
    if (TPlayer* player = TPlayer::GetInstance()) player->SetFullScreen(on);
}
