// The screen stack's exit and the cursor trail's frame.
#include "game/app/ScreenStack.h"

#include "game/app/MyCursor.h"
#include "game/app/Player.h"
#include "graphics/DrawContext.h"
#include "ui/Window.h"
#include "ui/WindowManager.h"

void LeaveScreenStack(TWindow* window)
{
    TPlayer* player = TPlayer::GetIfMade();
    if (player == nullptr) return;
    player->RemoveScreen(window->GetName());
    TWindowManager* wm = GetWindowManager();
    TWindow* top = player->TopScreen();
    if (wm != nullptr && top != nullptr && top != window && IsLiveWindow(top))
        wm->SetFocusWindow(top);
}

void DrawCursorTrail()
{
    TDrawContext* dc = TDrawContext::Instance();
    if (dc == nullptr) return;
    TScoped2d block(false);
    if (!dc->Is2d()) block.began = dc->Begin2d();
    if (TMyCursor* cursor = TMyCursor::GetIfMade()) cursor->Draw();
}
