// The main menu's script functions.
#include "core/StringTable.h"
#include "game/app/MyParticle.h"
#include "game/app/MySoundManager.h"
#include "game/app/MySprite.h"
#include "game/app/Player.h"
#include "game/app/screens/MainMenuScreen.h"
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
    if (TWindow* label = FindChild("player_name", -1))
    {
        TPlayer* player = TPlayer::GetIfMade();
        const TString name = player != nullptr ? player->GetName() : TString();
        TStringTable* strings = GetWindowAppLink().GetStringTable();
        if (strings != nullptr && label->IsKindOf(TText::ClassId()))
            static_cast<TText*>(label)->SetText(strings->GetString("profile_text", name));
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
