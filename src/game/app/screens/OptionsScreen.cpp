// The options dialog.
#include "game/app/screens/OptionsScreen.h"

#include "core/Event.h"
#include "game/app/MySoundManager.h"
#include "game/app/Player.h"
#include "graphics/DrawContext.h"
#include "host/App.h"
#include "ui/Button.h"
#include "ui/Message.h"
#include "ui/Slider.h"

namespace
{


template <class T>
T* Child(TWindow* screen, const char* name)
{
    TWindow* w = screen->FindChild(name, -1);
    return w != nullptr && w->IsKindOf(T::ClassId()) ? static_cast<T*>(w) : nullptr;
}

}  // namespace

ORVELLE_WINDOW_RECORD(TOptionsScreen)

TOptionsScreen::TOptionsScreen() : TGameScreen(TGameScreen::kTickMs)
{
    PublishBindings();
}

void TOptionsScreen::PostInit(TWindowStyle& style)
{
    ShowDisplayMode();
    if (TPlayer* player = TPlayer::GetInstance())
    {
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
    TDrawContext* dc = TDrawContext::GetIfMade();
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
    // The click turns the box over after its command has run: a switch the
    // display refused is undone here.
    ShowDisplayMode();
    return TGameScreen::OnTimer();
}

bool TOptionsScreen::OnKeyDown(int8_t key, int32_t)
{
    if (key == kKeyEnter || key == kKeyEscape) PressButton("ok_button");
    return false;
}

void TOptionsScreen::ShowDisplayMode()
{
    TButton* button = Child<TButton>(this, "full_screen");
    if (button == nullptr) return;
    // The box shows the display as it is: the profile keeps the player's
    // wish, which a display that refuses full screen does not follow.
    TApp* app = GetApp();
    TPlayer* player = TPlayer::GetInstance();
    const bool on =
        app != nullptr ? app->IsFullScreen() : player != nullptr && player->GetFullScreen();
    if (button->IsOn() != on) button->SetToggleState(on);
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
