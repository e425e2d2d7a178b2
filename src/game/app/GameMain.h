// The game's start function, its main function and its event loop. The
// program entry (and the end-to-end tests, in-process) call StartGame with
// what the libraries above this one offer.
#pragma once

#include <vector>

#include "core/Event.h"
#include "core/String.h"
#include "game/app/WindowTypes.h"
#include "host/Start.h"

class IGameHelper;
class IRunningLevel;
class TApp;

struct TGameSetup
{
    // The window types of every library, registered in the game's order.
    std::vector<TWindowTypeRow> windowTypes;
    // Installed for the run; null: the do-nothing stand-ins.
    IRunningLevel* level = nullptr;
    IGameHelper* helper = nullptr;
    // Replaces the game's main function (the start-up benchmark's baseline);
    // null: GameMain.
    TGameMain mainFunction = nullptr;
    bool allowMultiple = false;
};

// Stores the start-up settings, registers the framework services and runs
// the framework around the main function. Returns the exit code (0 after a
// quit; see StartFramework). May run again in the same process.
int StartGame(const TString& commandLine, const TGameSetup& setup);

// The game's main function: render settings, title, the 800 x 600 window,
// the cursor, the log's folders, the profile, the window types, the level's
// flags and the helper's clock, "MyCloseNon", "scripts/mainloop.lua", the
// event loop; then the end of the game (EndGame). A missing or broken
// mainloop.lua is logged and leaves the game without a screen until it is
// closed.
void GameMain(TApp& app, const TString& commandLine);

// Fetches and handles events until the quit event.
void RunEventLoop(TApp& app);

// One event through the game's handlers (close, display mode, activation),
// then the window manager.
void HandleGameEvent(const TEvent& ev);

// The end of the main function: every modal above the root goes (screens'
// destructors still reach the profile and the resources), the player data
// is closed, then the game's singletons end, newest first, and the
// framework's data folders are back where they were before the game's log
// moved them (the framework writes its own files there at shutdown). Never
// fails.
void EndGame();
