// IRunningLevel: what the game's spine needs of the level simulation, which
// sits in a library above this one. The program entry installs the level
// logic's own implementation; until then (and in tests) a level that never
// runs stands in, whose every operation does nothing.
#pragma once

class TClock;

class IRunningLevel
{
public:
    virtual ~IRunningLevel() = default;

    // The level-running flag: a level is being played.
    virtual bool IsRunning() const { return false; }
    // Clears the level-running and level-finished flags (start-up).
    virtual void ClearRunningFlags() {}
    // Pauses (true) or resumes (false) the level; partial keeps the parts a
    // dialog over the level still shows moving.
    virtual void Pause(bool pause, bool partial) { (void)pause, (void)partial; }
    // Builds the snapshot of the running level and stores it in the profile
    // (TPlayer::SaveLevelState).
    virtual void SaveLevelState() {}
    // Calls the level screen's pause-request handler when one is bound.
    virtual void RequestPause() {}
    // The level logic's main clock, which the helper character runs on; null
    // when there is none.
    virtual TClock* GetMainClock() { return nullptr; }
};

// The installed level (never null: the do-nothing one when none is
// installed or after SetRunningLevel(nullptr)). Borrowed: the installer
// keeps it alive until it installs null.
IRunningLevel& GetRunningLevel();
void SetRunningLevel(IRunningLevel* level);
