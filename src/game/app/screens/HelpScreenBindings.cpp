// The help screen's script function.
#include "game/app/MySoundManager.h"
#include "game/app/Player.h"
#include "game/app/RunningLevel.h"
#include "game/app/screens/HelpScreen.h"

THelpScreen::THelpScreen() : TGameScreen(TGameScreen::kTickMs)
{
    Bindings().Member("HelpButtonDepress", this, &THelpScreen::HelpButtonDepress);
}

void THelpScreen::HelpButtonDepress(int32_t n)
{
    switch (n)
    {
        case 0:
        {
            // The script closes the screen; only a level paused for the help
            // goes on.
            TPlayer* player = TPlayer::GetIfMade();
            if (player == nullptr || !player->GetHelpPause()) return;
            GetRunningLevel().Pause(false, false);
            if (TMySoundManager* sounds = TMySoundManager::GetIfMade()) sounds->ResumeSounds();
            player->SetHelpPause(false);
            return;
        }
        case 1:
            ChangePage(-1);
            return;
        case 2:
            ChangePage(1);
            return;
        default:
            return;
    }
}
