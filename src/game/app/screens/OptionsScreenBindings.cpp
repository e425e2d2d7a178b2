// The options dialog's script functions: the three toggles its buttons call.
#include "game/app/MySoundManager.h"
#include "game/app/Player.h"
#include "game/app/screens/OptionsScreen.h"
#include "host/App.h"

void TOptionsScreen::PublishBindings()
{
    Bindings().Member("ToggleFullScreen", this, &TOptionsScreen::ToggleFullScreen);
    Bindings().Member("ToggleSoundMute", this, &TOptionsScreen::ToggleSoundMute);
    Bindings().Member("ToggleGameCursor", this, &TOptionsScreen::ToggleGameCursor);
}

bool TOptionsScreen::ToggleFullScreen()
{
    TApp* app = GetApp();
    if (app == nullptr) return false;
    const bool wanted = !app->IsFullScreen();
    if (!app->SetFullScreen(wanted)) return false;
    if (TPlayer* player = TPlayer::GetInstance()) player->SetFullScreen(wanted);
    return true;
}

void TOptionsScreen::ToggleSoundMute()
{
    TPlayer* player = TPlayer::GetInstance();
    if (player == nullptr) return;
    const bool off = !player->GetSoundOff();
    player->SetSoundOff(off);
    if (TMySoundManager* sounds = TMySoundManager::GetInstance()) sounds->SetMute(off);
}

void TOptionsScreen::ToggleGameCursor()
{
    TPlayer* player = TPlayer::GetInstance();
    if (player == nullptr) return;
    player->SetGameCursor(!player->GetGameCursor());
    player->ApplyCursor();
}
