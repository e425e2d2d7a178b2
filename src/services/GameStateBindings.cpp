// Script access to the game-state board.
#include "services/GameStateBindings.h"

#include "script/Binding.h"
#include "script/Script.h"
#include "services/GameState.h"

namespace
{

TString ScriptGetState(TString key)
{
    TGameState* board = TGameState::GetInstance();
    return board ? board->GetState(key) : TString();
}

void ScriptSetState(TString key, TString value)
{
    if (TGameState* board = TGameState::GetInstance()) board->SetState(key, value);
}

bool ScriptQueryMuteGame()
{
    TGameState* board = TGameState::GetInstance();
    return board && board->QueryMuteGame();
}

bool ScriptQueryRestartMode()
{
    TGameState* board = TGameState::GetInstance();
    return board && board->QueryRestartMode();
}

bool ScriptQueryJumpToMenu()
{
    TGameState* board = TGameState::GetInstance();
    return board && board->QueryJumpToMenu();
}

}  // namespace

void RegisterGameStateFunctions(TScript& script)
{
    lua_State* L = script.GetState();
    if (!L) return;
    LuaBindFunction(L, "GetState", &ScriptGetState);
    LuaBindFunction(L, "_SetState", &ScriptSetState);
    LuaBindFunction(L, "QueryMuteGame", &ScriptQueryMuteGame);
    LuaBindFunction(L, "QueryRestartMode", &ScriptQueryRestartMode);
    LuaBindFunction(L, "QueryJumpToMenu", &ScriptQueryJumpToMenu);
}
