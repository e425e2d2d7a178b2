// The game-state board and its process-wide handler list.
#include "services/GameState.h"

#include <cstring>

#include "host/App.h"
#include "sound/SoundManager.h"

namespace
{

TGameState* gBoard = nullptr;
TGameState::TFacadeTest gFacadeTest = nullptr;

// The list outlives any one board: portal switches list handlers before the
// facade (and so the board) exists.
std::vector<TGameStateHandler*>& Handlers()
{
    static std::vector<TGameStateHandler*> handlers;
    return handlers;
}

bool FacadeExists()
{
    return gFacadeTest ? gFacadeTest() : GetApp() != nullptr;
}

constexpr char kIncrementPrefix[] = "++";

}  // namespace

TString TGameStateHandler::OnGetState(const TString&, const TString& value)
{
    return value;
}

TGameState::TGameState() = default;

TGameState* TGameState::Get()
{
    if (!gBoard && FacadeExists()) gBoard = new TGameState();
    return gBoard;
}

TGameState* TGameState::Peek()
{
    return gBoard;
}

void TGameState::Destroy()
{
    // A handler's shutdown may still read the board, so the list goes first
    // and the board last. The list is detached before the loop so that a
    // handler adding another during its shutdown cannot invalidate it.
    std::vector<TGameStateHandler*> handlers;
    handlers.swap(Handlers());
    for (TGameStateHandler* handler : handlers)
    {
        handler->Shutdown();
        delete handler;
    }
    delete gBoard;
    gBoard = nullptr;
}

void TGameState::AddHandler(TGameStateHandler* handler)
{
    if (handler) Handlers().push_back(handler);
}

const std::vector<TGameStateHandler*>& TGameState::GetHandlers()
{
    return Handlers();
}

void TGameState::SetFacadeTestForTest(TFacadeTest test)
{
    gFacadeTest = test;
}

void TGameState::SetState(const TString& keyIn, const TString& valueIn)
{
    TString key = keyIn;
    TString value = valueIn;
    if (key.Length() >= 2 && key.CharAt(0) == kIncrementPrefix[0] &&
        key.CharAt(1) == kIncrementPrefix[1])
    {
        key = key.Substring(2);
        value = TString::Format("%d", GetState(key).ToInt() + 1);
    }
    TString& stored = states_[key];
    TString previous = stored;
    stored = value;
    for (TGameStateHandler* handler : Handlers())
    {
        if (handler->OnSetState(key, value)) return;
    }
    if (std::strcmp(key.CStr(), "mute") == 0) ApplyMute(previous, value);
}

void TGameState::ApplyMute(const TString& previous, const TString& value)
{
    const bool wasMuted = previous.ToInt() != 0;
    const bool nowMuted = value.ToInt() != 0;
    TSoundManager* sound = TSoundManager::Current();
    if (nowMuted && !wasMuted)
    {
        if (!sound) return;
        // A volume already saved (the unmute was consumed) is the player's;
        // the 0 in force now is not.
        if (!volumeSaved_) savedVolume_ = sound->GetGroupVolume(-1);
        volumeSaved_ = true;
        sound->SetMasterVolume(0.0f);
    }
    else if (wasMuted && !nowMuted && volumeSaved_)
    {
        if (sound) sound->SetMasterVolume(savedVolume_);
        savedVolume_ = 0.0f;
        volumeSaved_ = false;
    }
}

void TGameState::SetStateInt(const TString& key, int value)
{
    SetState(key, TString::Format("%d", value));
}

TString TGameState::GetState(const TString& key)
{
    TString value = states_[key];
    for (TGameStateHandler* handler : Handlers()) value = handler->OnGetState(key, value);
    return value;
}

bool TGameState::AnyHandler(bool (TGameStateHandler::*ask)())
{
    for (TGameStateHandler* handler : Handlers())
        if ((handler->*ask)()) return true;
    return false;
}

bool TGameState::QueryRestartMode()
{
    return AnyHandler(&TGameStateHandler::QueryRestartMode);
}

bool TGameState::QueryJumpToMenu()
{
    return AnyHandler(&TGameStateHandler::QueryJumpToMenu);
}

bool TGameState::IsHeld()
{
    return AnyHandler(&TGameStateHandler::IsHoldingGame);
}

bool TGameState::QueryMuteGame()
{
    return AnyHandler(&TGameStateHandler::QueryMuteGame) || GetState("mute").ToInt() != 0;
}
