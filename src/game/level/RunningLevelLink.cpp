#include "game/level/RunningLevelLink.h"

#include "game/level/GameLogic.h"

bool TRunningLevelLink::IsRunning() const
{
    const TGameLogic* level = TGameLogic::GetIfMade();
    return level != nullptr && level->IsRunning();
}

void TRunningLevelLink::ClearRunningFlags()
{
    if (TGameLogic* level = TGameLogic::GetIfMade()) level->ClearRunningFlags();
}

void TRunningLevelLink::Pause(bool pause, bool partial)
{
    if (TGameLogic* level = TGameLogic::GetIfMade()) level->Pause(pause, partial);
}

void TRunningLevelLink::SaveLevelState()
{
    if (TGameLogic* level = TGameLogic::GetIfMade()) level->SaveLevelState();
}

void TRunningLevelLink::RequestPause()
{
    if (TGameLogic* level = TGameLogic::GetIfMade()) level->RequestPause();
}

TClock* TRunningLevelLink::GetMainClock()
{
    TGameLogic* level = TGameLogic::GetInstance();
    return level != nullptr ? &level->GetMainClock() : nullptr;
}
