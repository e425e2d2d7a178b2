// The main menu's script functions.
#include <algorithm>

#include "core/StringTable.h"
#include "game/app/MyParticle.h"
#include "game/app/MySoundManager.h"
#include "game/app/MySprite.h"
#include "game/app/Player.h"
#include "game/app/screens/MainMenuScreen.h"
#include "graphics/TextGraphic.h"
#include "ui/Text.h"
#include "ui/WindowAppLink.h"

namespace
{

const char* const kLocation = "main_menu:images/core/main_menu/locat_0";
const char* const kFlashSound = "core_audio:audio/sound/core/main_menu_intro_flash";

}  // namespace

void TMainMenuScreen::PublishBindings()
{
    Bindings().Member("SetCurrentPlayerName", this, &TMainMenuScreen::SetCurrentPlayerName);
    Bindings().Member("MainMenuButtonDepress", this, &TMainMenuScreen::MainMenuButtonDepress);
    Bindings().Member("StartFlash", this, &TMainMenuScreen::StartFlash);
}

void TMainMenuScreen::SetCurrentPlayerName()
{
    TWindow* label = FindChild("player_name", -1);
    if (label != nullptr && label->IsKindOf(TText::ClassId()))
    {
        TText* text = static_cast<TText*>(label);
        TPlayer* player = TPlayer::GetIfMade();
        // The current player's profile may have gone (deleted from the list
        // over the menu): nobody is greeted then.
        const bool current = player != nullptr && player->GetCurrentUser() >= 0;
        const TString name = current ? player->GetName() : TString();
        TStringTable* strings = GetWindowAppLink().GetStringTable();
        if (name.IsEmpty() || strings == nullptr)
            text->SetText(TString());
        else
            text->SetText(strings->GetString("profile_text", name));
        if (TTextGraphic* graphic = text->GetTextGraphic())
        {
            if (greetingSize_ == 0) greetingSize_ = graphic->GetFontSize();
            graphic->SetFontSize(greetingSize_);
            // Two lines would reach above the label's box, over the top of
            // the screen.
            graphic->ShrinkToOneLine(std::max(1, greetingSize_ / 2));
        }
    }
    if (locationPicture_) locationPicture_->Load(kLocation, true);
}

void TMainMenuScreen::MainMenuButtonDepress(int32_t) {}

void TMainMenuScreen::StartFlash()
{
    for (auto& particle : particles_) particle->Start();
    flash_.Start(false);
    if (TMySoundManager* sounds = TMySoundManager::GetIfMade())
    {
        sounds->PauseAll();
        sounds->PlaySound(kFlashSound, false);
    }
}
