// The game-wide pause rules around closing and activation.
#include "game/app/AppEvents.h"

#include <optional>

#include "core/Clock.h"
#include "core/Log.h"
#include "game/app/GameHelper.h"
#include "game/app/MySoundManager.h"
#include "game/app/Player.h"
#include "game/app/Res.h"
#include "game/app/RunningLevel.h"
#include "game/app/screens/OptionsScreen.h"
#include "host/App.h"
#include "script/Script.h"
#include "ui/Window.h"
#include "ui/WindowAppLink.h"
#include "ui/WindowManager.h"
#include "ui/WindowScriptLink.h"

namespace
{

constexpr const char* kQuitScript = "scripts/core/quitverify.lua";
// However the pause closes (its button, or the focus coming back), the level
// screen, when one lies right under it, lets the level go on.
constexpr const char* kPauseText =
    "DoModal(\"scripts/core/screen/pause.lua\") if ResumeLevelAfterPause then ResumeLevelAfterPause() end";

// The saved level as it was before the open question stored over it.
std::optional<TPlayer::TKeptSavedLevel> gKeptSavedLevel;

// Dialogs under which a lost activation leaves the level to them: they hold
// the level themselves, or are the question or the pause itself.
constexpr const char* kHoldingDialogs[] = {"quit",    "pause",   "load", "game_over",     "intro",
                                           "options", "in_game", "help", "close_tutorial"};
// Dialogs that keep the level paused when the question closes over them.
constexpr const char* kPausingDialogs[] = {"intro", "in_game", "help", "game_over", "close_tutorial"};

template <size_t N>
bool IsOneOf(const TString& name, const char* const (&names)[N])
{
    for (const char* n : names)
        if (name == TString(n)) return true;
    return false;
}

bool IsLoading()
{
    TRes* res = TRes::GetIfMade();
    return res != nullptr && res->IsLoading();
}

TClock* HeldClock()
{
    TPlayer* player = TPlayer::GetIfMade();
    return player != nullptr && player->HoldsClock() ? player->GetHeldClock() : nullptr;
}

void ShowSystemCursor(bool show)
{
    if (TApp* app = GetApp()) app->ShowSystemCursor(show);
}

// The name of the modal under the top one; "" with none.
TString SecondModalName()
{
    TWindowManager* wm = GetWindowManager();
    TWindow* second = wm != nullptr ? wm->GetModal(1) : nullptr;
    return second != nullptr ? second->GetName() : TString();
}

// The steps before the question: what a close takes from the running game.
void HoldTheGame()
{
    IRunningLevel& level = GetRunningLevel();
    if (level.IsRunning())
    {
        if (TMySoundManager* sounds = TMySoundManager::GetIfMade()) sounds->PauseSounds();
        if (TPlayer* player = TPlayer::GetIfMade()) gKeptSavedLevel = player->KeepSavedLevel();
        level.SaveLevelState();
        level.Pause(true, false);
    }
    if (IsLoading()) ShowSystemCursor(true);
    if (TClock* clock = HeldClock()) clock->Stop();
}

}  // namespace

void ResetAppEvents()
{
    gKeptSavedLevel.reset();
}

TString GetTopModalName()
{
    TWindowManager* wm = GetWindowManager();
    TWindow* top = wm != nullptr ? wm->GetTopModal() : nullptr;
    return top != nullptr ? top->GetName() : TString();
}

namespace
{

TWindow* FindOfClass(TWindow* window, TWindowClassId id)
{
    if (window == nullptr) return nullptr;
    if (window->IsKindOf(id)) return window;
    for (TWindow* child : window->GetChildren())
        if (TWindow* found = FindOfClass(child, id)) return found;
    return nullptr;
}

}  // namespace

TWindow* FindOnModalStack(TWindowClassId id)
{
    TWindowManager* wm = GetWindowManager();
    for (int depth = 0; wm != nullptr && depth < wm->GetModalCount(); ++depth)
        if (TWindow* found = FindOfClass(wm->GetModal(depth), id)) return found;
    return nullptr;
}

void OnQuitRequest(bool fromOutside)
{
    const bool asking = GetTopModalName() == TString("quit");
    if (!asking) HoldTheGame();
    if (fromOutside)
    {
        // What the question's "Yes" would have kept stays: the saved level.
        gKeptSavedLevel.reset();
        LogPrintf("Close requested from outside: the game ends without asking");
        GetWindowAppLink().Quit(0);
        return;
    }
    if (asking) return;
    TScript* script = GetWindowManagerScript();
    const bool ran = script != nullptr && script->RunScript(kQuitScript);
    if (ran && GetTopModalName() == TString("quit")) return;
    // A close that asks nothing would leave the player unable to quit.
    LogPrintf("ERROR: %s did not put up its \"quit\" window; the game ends", kQuitScript);
    gKeptSavedLevel.reset();
    GetWindowAppLink().Quit(0);
}

void MyCloseNon()
{
    TPlayer* player = TPlayer::GetIfMade();
    if (gKeptSavedLevel && player != nullptr) player->PutBackSavedLevel(*gKeptSavedLevel);
    gKeptSavedLevel.reset();
    IRunningLevel& level = GetRunningLevel();
    // The question is still on top while its "No" runs: what lies under it
    // decides whether the level may go on.
    if (level.IsRunning() && !IsOneOf(SecondModalName(), kPausingDialogs))
    {
        if (TMySoundManager* sounds = TMySoundManager::GetIfMade()) sounds->ResumeSounds();
        level.Pause(false, false);
    }
    if (IsLoading()) ShowSystemCursor(false);
    if (TClock* clock = HeldClock()) clock->Start();
}

void OnAppActivate(bool active)
{
    TWindowManager* wm = GetWindowManager();
    if (active)
    {
        if (wm != nullptr && GetTopModalName() == TString("pause"))
            wm->PopModal(wm->GetTopModal()->GetIdString());
        if (TRes* res = TRes::GetIfMade(); res != nullptr && res->IsLoading())
            res->SetLoadingPaused(false);
        if (TClock* clock = HeldClock()) clock->Start();
        return;
    }
    const TString top = GetTopModalName();
    IRunningLevel& level = GetRunningLevel();
    if (level.IsRunning() && !IsOneOf(top, kHoldingDialogs))
    {
        level.Pause(true, false);
        level.RequestPause();
    }
    if (TRes* res = TRes::GetIfMade(); res != nullptr && res->IsLoading())
        res->SetLoadingPaused(true);
    if (TClock* clock = HeldClock()) clock->Stop();
    if (wm != nullptr && !(top == TString("pause")) && wm->GetTopModal() != nullptr)
        wm->RunScriptForWindow(wm->GetTopModal(), kPauseText);
}

void OnDisplayModeChange()
{
    TApp* app = GetApp();
    TPlayer* player = TPlayer::GetIfMade();
    if (app != nullptr && player != nullptr) player->SetFullScreen(app->IsFullScreen());
    if (GetTopModalName() == "options")
        if (TWindow* w = FindOnModalStack(TOptionsScreen::ClassId()))
            static_cast<TOptionsScreen*>(w)->RefreshFullScreen();
    if (GetRunningLevel().IsRunning()) GetGameHelper().RebuildBubble();
}
