// The level screen's construction and its script functions.
#include "core/Log.h"
#include "game/app/MySoundManager.h"
#include "game/app/Player.h"
#include "game/app/RunningLevel.h"
#include "game/level/GameLogic.h"
#include "game/level/GameLogicScreen.h"
#include "ui/WindowManager.h"

TGameLogicScreen::TGameLogicScreen() : TGameScreen(TGameScreen::kTickMs)
{
    PublishBindings();
    // Made here if it is not yet: the level logic lives for the whole run.
    TGameLogic::GetInstance();
    GetRunningLevel().ClearRunningFlags();
    if (const TPlayer* player = TPlayer::GetIfMade()) levelNumber_ = player->GetLevelToPlay();
    loading_ = true;
    if (TMySoundManager* sounds = TMySoundManager::GetIfMade()) sounds->PlaySound(kClickSound, false);
}

void TGameLogicScreen::PublishBindings()
{
    Bindings().Member("AnswerToCloseTutorial", this, &TGameLogicScreen::AnswerToCloseTutorial);
    Bindings().Member("ResumeLevelAfterPause", this, &TGameLogicScreen::ResumeLevelAfterPause);
}

void TGameLogicScreen::AnswerToCloseTutorial(int32_t answer)
{
    TGameLogic* level = Level();
    if (level == nullptr) return;
    level->Pause(false, false);
    if (answer == 0)
    {
        level->Pause(false, false);
        GetLevelHelper().SetTutorialClosed();
        GetLevelHelper().CloseBubble(false);
    }
    else if (answer == 1)
    {
        level->Pause(false, false);
    }
}

void TGameLogicScreen::ResumeLevelAfterPause()
{
    TGameLogic* level = Level();
    TWindowManager* wm = GetWindowManager();
    if (level == nullptr || wm == nullptr || !level->IsRunning()) return;
    // Under another dialog the level stays with that dialog.
    if (wm->GetTopModal() == nullptr || wm->GetTopModal() != GetParent()) return;
    if (TMySoundManager* sounds = TMySoundManager::GetIfMade()) sounds->ResumeSounds();
    level->Pause(false, false);
}
