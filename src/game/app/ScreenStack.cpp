// The screen stack's exit and the cursor trail's frame.
#include "game/app/ScreenStack.h"

#include "game/app/MyCursor.h"
#include "game/app/Player.h"
#include "game/app/controls/CustomWindow.h"
#include "game/app/screens/GameScreen.h"
#include "graphics/DrawContext.h"
#include "ui/Screen.h"
#include "ui/Window.h"
#include "ui/WindowManager.h"

namespace
{

bool DrawsTrail(const TWindow* window)
{
    if (window->IsKindOf(TCustomWindow::ClassId())) return true;
    return window->IsKindOf(TGameScreen::ClassId()) &&
           static_cast<const TGameScreen*>(window)->DrawsCursorTrail();
}

// The trail drawer whose overlay comes last when window's tree is drawn
// within clip: a window's overlay follows its children's, and the children
// are drawn from the back of the list to the front. Modal children are
// layers of their own and are left out, as the tree drawing leaves them.
TWindow* LastTrailDrawer(TWindow* window, const TRect& clip)
{
    if (!(window->GetFlags() & kWindowVisible)) return nullptr;
    TRect inside;
    inside.Intersect(window->GetScreenRect(), clip);
    if (inside.right <= inside.left || inside.bottom <= inside.top) return nullptr;
    if (DrawsTrail(window)) return window;
    for (TWindow* child : window->GetChildren())
    {
        if (child->IsModalLayer()) continue;
        if (TWindow* found = LastTrailDrawer(child, inside)) return found;
    }
    return nullptr;
}

// The display as the window tree is drawn on it: the root screen's
// rectangle (the drawing context's viewport and clip are those of the
// window being drawn just now).
TRect DisplayRect(const TWindowManager& wm)
{
    const TWindow* root = wm.GetScreen();
    if (root == nullptr && wm.GetModalCount() > 0) root = wm.GetModal(wm.GetModalCount() - 1);
    return root != nullptr ? root->GetScreenRect() : TRect();
}

}  // namespace

void LeaveScreenStack(TWindow* window)
{
    TPlayer* player = TPlayer::GetIfMade();
    if (player == nullptr) return;
    player->RemoveScreen(window->GetName());
    TWindowManager* wm = GetWindowManager();
    // The stack keeps handles; a screen going down with its parent's
    // destruction is not handed the focus.
    TWindow* top = player->TopScreen();
    if (wm != nullptr && top != nullptr && top != window &&
        TWindow::FromHandle(top->GetScriptHandle()) != nullptr)
        wm->SetFocusWindow(top);
}

TWindow* CursorTrailWindow()
{
    TWindowManager* wm = GetWindowManager();
    if (wm == nullptr || wm->GetModalCount() == 0) return nullptr;
    const TRect display = DisplayRect(*wm);
    for (int depth = 0; depth < wm->GetModalCount(); ++depth)
    {
        TWindow* modal = wm->GetModal(depth);
        if (modal == nullptr) continue;
        if (TWindow* found = LastTrailDrawer(modal, display)) return found;
    }
    return nullptr;
}

void DrawCursorTrail(const TWindow* caller)
{
    TDrawContext* dc = TDrawContext::GetIfMade();
    TMyCursor* cursor = TMyCursor::GetIfMade();
    if (dc == nullptr || cursor == nullptr || caller == nullptr || caller != CursorTrailWindow())
        return;
    // The pointer is in display coordinates, and the trail may leave the
    // window that draws it.
    const TRect display = DisplayRect(*GetWindowManager());
    dc->PushViewport(display);
    dc->PushClipRect(display);
    {
        TScoped2d block(false);
        if (!dc->Is2d()) block.began = dc->Begin2d();
        cursor->Draw();
    }
    dc->PopClipRect();
    dc->PopViewport();
}
