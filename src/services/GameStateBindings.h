// The board's script functions: "GetState", "_SetState", "QueryMuteGame",
// "QueryRestartMode" and "QueryJumpToMenu".
#pragma once

class TScript;

// Publishes the five functions into the script's globals. They reach the
// board through TGameState::GetInstance on every call; with no board GetState
// answers "", _SetState does nothing and the queries answer false. Publishing
// raises the engine's memory error when the state cannot grow; an inert
// script (no state) gets nothing.
void RegisterGameStateFunctions(TScript& script);
