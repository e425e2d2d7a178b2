// TRunningLevelLink: the level as the app library sees it (IRunningLevel).
// The level logic cannot be made before the framework runs (it reads
// scripts) and ends with the singletons, so the wiring hands the app this
// forwarding object instead: it answers through the level logic when one
// exists and with the do-nothing answers when none does, and makes the
// level logic only when asked for its main clock.
#pragma once

#include "game/app/RunningLevel.h"

class TRunningLevelLink : public IRunningLevel
{
public:
    bool IsRunning() const override;
    void ClearRunningFlags() override;
    void Pause(bool pause, bool partial) override;
    // The level logic stores its snapshot; nothing when there is none.
    void SaveLevelState() override;
    void RequestPause() override;
    // Makes the level logic when there is none yet; null when it cannot be made.
    TClock* GetMainClock() override;
};
