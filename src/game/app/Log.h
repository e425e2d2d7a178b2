// TLog: the game's log object. Making it moves the framework's "user:",
// "common:" and "desktop:" folders to "users", "common" and "desktop" under
// the game's own per-user data folder; the game's progress lines written to
// it are discarded.
#pragma once

#include "core/String.h"
#include "game/app/Singleton.h"

class TLog : public Singleton<TLog>
{
public:
    // Resolves the per-user data folder of the game (publisher and game
    // name from the settings), makes the three folders and points the
    // framework's folders at them. When the per-user folder is unknown or
    // cannot be made, the framework's folders stay as they are (one log
    // line).
    TLog();
    ~TLog() override = default;

    // Discards text.
    void Write(const TString& text);
    // The folder the three were placed under ("" when the fallback was
    // taken), without a trailing "/".
    const TString& GetBaseFolder() const { return base_; }

private:
    TString base_;
};
