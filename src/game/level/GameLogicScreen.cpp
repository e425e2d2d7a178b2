// The level screen: loading, the level's tick and drawing, input, the
// dialogs and the result.
#include "game/level/GameLogicScreen.h"

#include "core/Event.h"
#include "core/Log.h"
#include "game/app/MySoundManager.h"
#include "game/app/Player.h"
#include "game/app/Res.h"
#include "game/level/GameLogic.h"
#include "graphics/DrawContext.h"
#include "ui/ModalWindow.h"
#include "ui/WindowManager.h"

ORVELLE_WINDOW_RECORD(TGameLogicScreen)

namespace
{

const char kInGameDialog[] = "DoModal(\"scripts/core/screen/in_game.lua\")";
const char kHelpDialog[] = "DoModal(\"scripts/core/screen/help.lua\")";
const char kIntroDialog[] = "DoModal(\"scripts/core/screen/intro.lua\")";
const char kGameOverDialog[] = "DoModal(\"scripts/core/screen/game_over.lua\")";
const char kAskToCloseTutorial[] = "AskToCloseTutorial()";

// The screen whose handlers the level logic holds; null when none does.
TGameLogicScreen* gBoundScreen = nullptr;

}  // namespace

TGameLogicScreen::~TGameLogicScreen()
{
    UnbindHandlers();
    if (TPlayer* player = TPlayer::GetIfMade()) player->RemoveScreen(GetName());
    if (TGameLogic* level = Level()) level->ClearLevel();
    if (TRes* res = TRes::GetIfMade())
        for (const TString& group : groups_) res->UnloadGroup(group);
    groups_.clear();
}

TGameLogic* TGameLogicScreen::Level() const
{
    return TGameLogic::GetIfMade();
}

void TGameLogicScreen::PostInit(TWindowStyle& style)
{
    LogPrintf("\tinit GAME_LOGIC_SCREEN");
    TGameScreen::PostInit(style);
    LogPrintf("\tinit GAME_LOGIC_SCREEN done");
}

std::vector<TString> TGameLogicScreen::WantedGroups()
{
    LogPrintf("\tres_init GAME_LOGIC_SCREEN");
    loading_ = true;
    groups_.clear();
    if (TGameLogic* level = Level()) level->ListLevelResources(levelNumber_, groups_);
    LogPrintf("\tres_init GAME_LOGIC_SCREEN done");
    return groups_;
}

void TGameLogicScreen::OnGroupsLoaded()
{
    TGameLogic* level = Level();
    if (level == nullptr) return;
    loading_ = false;
    if (TWindowManager* wm = GetWindowManager()) wm->SetFocusWindow(this);
    BindHandlers();
    if (TWindow* parent = GetParent())
    {
        parent->SetPosition(0, 0);
        parent->SetSize(800, 600);
    }
    level->Pause(true, false);
    level->openIntro = true;
    level->StartLevel(levelNumber_);
    if (TWindow* parent = GetParent(); parent != nullptr && parent->IsKindOf(TModalWindow::ClassId()))
        static_cast<TModalWindow*>(parent)->SetFocusChild(this);
}

void TGameLogicScreen::Tick()
{
    if (loading_) return;
    if (TGameLogic* level = Level()) level->Update();
}

void TGameLogicScreen::Draw()
{
    TGameLogic* level = Level();
    if (loading_ || level == nullptr) return;
    TDrawContext* dc = TDrawContext::GetIfMade();
    if (dc == nullptr) return;
    TScoped2d block(false);
    if (!dc->Is2d()) block.began = dc->Begin2d();
    level->Draw();
}

bool TGameLogicScreen::OnMessage(TMessage*)
{
    return false;
}

bool TGameLogicScreen::TakesInput() const
{
    const TGameLogic* level = Level();
    return !loading_ && level != nullptr && level->IsRunning() && !level->IsWinSequenceRunning();
}

bool TGameLogicScreen::OnMouseDown(TPoint point)
{
    TGameLogic* level = Level();
    if (loading_ || level == nullptr || !level->IsRunning()) return true;
    return level->OnMouseDown(point.x, point.y);
}

bool TGameLogicScreen::OnMouseButton(TPoint point, int32_t button)
{
    if (TakesInput()) Level()->OnMouseUp(point.x, point.y, button);
    return true;
}

bool TGameLogicScreen::OnMouseUp(TPoint point)
{
    if (!TakesInput()) return true;
    return Level()->OnHudMouseUp(point.x, point.y);
}

bool TGameLogicScreen::OnMouseMove(TPoint point)
{
    if (!TakesInput()) return true;
    return Level()->OnMouseMove(point.x, point.y);
}

bool TGameLogicScreen::OnKeyDown(int8_t key, int32_t)
{
    if (!TakesInput()) return true;
    if (key != kKeyEscape) return false;
    OpenInGameMenu();
    return true;
}

// --- The handlers bound into the level logic ---

void TGameLogicScreen::BindHandlers()
{
    TGameLogic* level = Level();
    if (level == nullptr) return;
    // Each handler looks the screen up by its handle: one that outlived the
    // screen does nothing.
    const TScriptHandle self = GetScriptHandle();
    const auto screen = [self]() -> TGameLogicScreen* {
        return dynamic_cast<TGameLogicScreen*>(TScriptObject::FromHandle(self));
    };
    level->onOpenMenu = [screen] {
        if (TGameLogicScreen* s = screen()) s->OpenInGameMenu();
    };
    level->onOpenHelp = [screen] {
        if (TGameLogicScreen* s = screen()) s->OpenHelp();
    };
    level->onResult = [screen](const SCompleteLevel& result) {
        if (TGameLogicScreen* s = screen()) s->OnLevelResult(result);
    };
    level->onIntro = [screen] {
        if (TGameLogicScreen* s = screen()) s->OpenIntro();
    };
    level->onStartLevel = [screen](int32_t n) {
        TGameLogicScreen* s = screen();
        return s != nullptr ? s->RestartLevel(n) : -1;
    };
    level->onAskCloseTutorial = [screen] {
        if (TGameLogicScreen* s = screen()) s->AskToCloseTutorial();
    };
    gBoundScreen = this;
}

void TGameLogicScreen::UnbindHandlers()
{
    if (gBoundScreen != this) return;
    gBoundScreen = nullptr;
    TGameLogic* level = Level();
    if (level == nullptr) return;
    level->onOpenMenu = nullptr;
    level->onOpenHelp = nullptr;
    level->onResult = nullptr;
    level->onIntro = nullptr;
    level->onStartLevel = nullptr;
    level->onAskCloseTutorial = nullptr;
}

void TGameLogicScreen::FullPause()
{
    if (TGameLogic* level = Level()) level->Pause(true, false);
}

void TGameLogicScreen::RunDialog(const char* script)
{
    if (TWindowManager* wm = GetWindowManager()) wm->RunScriptForWindow(this, script);
}

void TGameLogicScreen::OpenInGameMenu()
{
    FullPause();
    if (TMySoundManager* sounds = TMySoundManager::GetIfMade()) sounds->PauseSounds();
    RunDialog(kInGameDialog);
}

void TGameLogicScreen::OpenHelp()
{
    FullPause();
    if (TMySoundManager* sounds = TMySoundManager::GetIfMade()) sounds->PauseSounds();
    if (TPlayer* player = TPlayer::GetIfMade()) player->SetHelpPause(true);
    RunDialog(kHelpDialog);
}

void TGameLogicScreen::OnLevelResult(const SCompleteLevel& result)
{
    if (TGameLogic* level = Level()) level->GetMainClock().Stop();
    if (TPlayer* player = TPlayer::GetIfMade()) player->SetLevelResult(levelNumber_ - 1, result);
    if (TMySoundManager* sounds = TMySoundManager::GetIfMade()) sounds->PauseSounds();
    RunDialog(kGameOverDialog);
}

void TGameLogicScreen::OpenIntro()
{
    FullPause();
    RunDialog(kIntroDialog);
}

int32_t TGameLogicScreen::RestartLevel(int32_t n)
{
    levelNumber_ = n;
    loading_ = true;
    RequestGroupsAgain();
    return n;
}

void TGameLogicScreen::AskToCloseTutorial()
{
    FullPause();
    RunDialog(kAskToCloseTutorial);
}
