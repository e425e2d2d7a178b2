// TGameLogic::StartLevel: a fresh level n from whatever the logic held.
#include "core/Log.h"
#include "game/app/Player.h"
#include "game/level/GameLogic.h"
#include "game/level/LevelFiles.h"

void TGameLogic::StartLevel(int32_t levelNumber)
{
    LogPrintf("\tStartLevel %d", levelNumber);
    // Which description files and location the level uses (the screen asked
    // for the same list when it loaded the level's groups).
    std::vector<TString> groups;
    ListLevelResources(levelNumber, groups);

    // 1, 2, 5, 6, 7: the old level cleared; running, the clocks started; a
    // new grid, the HUD from the installed maker with its sprites, a new
    // economy paying at the level's tact with the sale tick bound.
    BeginLevel(levelNumber, levelLocation_);

    // 3. A saved state of this very level comes back.
    const TPlayer* player = TPlayer::GetIfMade();
    const bool restore =
        player != nullptr && player->GetSavedLevel().valid && player->GetSavedLevel().level == levelNumber;
    SetRestoring(restore);

    // 4.
    grid_->LoadPass(LevelPassFileName(kShippedLevelFolder, levelNumber));

    // 8.
    LoadLevel();

    // 9.
    if (restore)
    {
        RestoreLevelState();
        GetHud().UpdateClock();
    }
    SetRestoring(false);

    // 21. The start notification the level screen asked for.
    if (openIntro)
    {
        openIntro = false;
        if (onIntro) onIntro();
    }
    LogPrintf("\tStartLevel %d done", levelNumber);
}
