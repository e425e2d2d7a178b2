// The screen pattern.
#include "game/app/screens/GameScreen.h"

#include "game/app/Player.h"
#include "game/app/Res.h"
#include "game/app/ScreenStack.h"
#include "ui/Button.h"
#include "ui/WindowManager.h"

ORVELLE_BASE_WINDOW_RECORD(TGameScreen)

TGameScreen::TGameScreen(int32_t timerMs)
    : bindings_(GetWindowManagerScript()), timerMs_(timerMs)
{
    AddRoleFlags(kWindowTakesFocus);
}

TGameScreen::~TGameScreen()
{
    bindings_.TakeBack();
    // Only instances that exist: a screen deleted in the framework's own
    // teardown must not bring a profile or resources back to life.
    if (TRes* res = TRes::GetIfMade()) res->ForgetRequester(this);
    LeaveScreenStack(this);
}

void TGameScreen::ShowWindow(TWindow* window, bool show)
{
    if (window == nullptr) return;
    const uint32_t flags = window->GetFlags() & 0xFF00u;
    window->SetFlags(show ? (flags | kWindowVisible) : (flags & ~uint32_t(kWindowVisible)));
}

void TGameScreen::PressButton(const char* name)
{
    TWindow* w = FindChild(name, -1);
    if (w != nullptr && w->IsKindOf(TButton::ClassId())) static_cast<TButton*>(w)->Click();
}

void TGameScreen::PostInit(TWindowStyle& style)
{
    TWindow::PostInit(style);
    SetTimer(timerMs_, true, true, false);
    if (TPlayer* player = TPlayer::GetInstance()) player->PushScreen(this);
    if (TWindowManager* wm = GetWindowManager()) wm->SetFocusWindow(this);
}

void TGameScreen::DrawOverlay()
{
    DrawCursorTrail(this);
}

bool TGameScreen::OnTimer()
{
    if (!requested_)
    {
        requested_ = true;
        RequestGroups();
        return true;
    }
    Tick();
    if (TWindowManager* wm = GetWindowManager()) wm->Invalidate();
    return true;
}

void TGameScreen::RequestGroupsAgain()
{
    requested_ = false;
    groupsLoaded_ = false;
}

void TGameScreen::RequestGroups()
{
    std::vector<TString> groups = WantedGroups();
    TRes* res = groups.empty() ? nullptr : TRes::GetInstance();
    if (res == nullptr)
    {
        GroupsArrived();
        return;
    }
    // The screen's handle, not its address: the call may come after the
    // screen is gone, when TRes no longer holds this request.
    const TScriptHandle self = GetScriptHandle();
    res->SetRequester(
        this,
        [self]
        {
            if (auto* screen = dynamic_cast<TGameScreen*>(TScriptObject::FromHandle(self)))
                screen->GroupsArrived();
        });
    res->LoadGroups(groups);
}

void TGameScreen::GroupsArrived()
{
    groupsLoaded_ = true;
    OnGroupsLoaded();
}
