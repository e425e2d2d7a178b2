// The game's plain dialog window: hot keys, the focus it hands on, the
// screen stack and the cursor trail.
#include "game/app/controls/CustomWindow.h"

#include <memory>

#include "core/Log.h"
#include "game/app/Player.h"
#include "game/app/ScreenStack.h"
#include "host/App.h"
#include "script/LuaTable.h"
#include "ui/Button.h"
#include "ui/WindowManager.h"
#include "ui/WindowStyle.h"

namespace
{

const TWindowClassInfo kCustomWindowClass{"TCustomWindow", &MakeWindowOf<TCustomWindow>};

constexpr int32_t kTickMs = 16;

}  // namespace

TWindowClassId TCustomWindow::ClassId()
{
    return &kCustomWindowClass;
}

TCustomWindow::TCustomWindow()
{
    AddRoleFlags(kWindowTakesFocus);
}

TCustomWindow::~TCustomWindow()
{
    LeaveScreenStack(this);
}

TWindow* TCustomWindow::GetFocusTarget() const
{
    return dynamic_cast<TWindow*>(TScriptObject::FromHandle(focusTarget_));
}

void TCustomWindow::PostInit(TWindowStyle& style)
{
    if (std::unique_ptr<TLuaTable> rows{style.GetTable("HotKey")})
    {
        const int n = rows->GetCount();
        hotKeys_.clear();
        hotKeys_.reserve(static_cast<size_t>(n));
        for (int i = 1; i <= n; ++i)
        {
            SHotKey hotKey;
            if (std::unique_ptr<TLuaTable> row{rows->GetTableAt(i)})
            {
                hotKey.button = row->GetStringAt(1);
                // Key codes are bytes; a larger number keeps its low byte.
                hotKey.key = static_cast<uint8_t>(StyleNumberToInt(row->GetNumberAt(2)));
            }
            hotKeys_.push_back(hotKey);
        }
    }

    TWindow* target = this;
    if (std::unique_ptr<TLuaTable> focus{style.GetTable("FocusWindow")})
    {
        const TString name = focus->GetString("name");
        // An empty name would find the first unnamed window.
        target = name.IsEmpty() ? nullptr : FindChild(name, -1);
        if (target == nullptr)
        {
            LogPrintf("ERROR: window \"%s\" has no child \"%s\" to take the focus",
                      GetName().CStr(), name.CStr());
            target = this;
        }
    }
    focusTarget_ = target->GetScriptHandle();

    if (TPlayer* player = TPlayer::GetInstance()) player->PushScreen(this);
    if (TApp* app = GetApp()) app->ShowSystemCursor(true);
    SetTimer(kTickMs, true, true, false);
    TWindow::Init(style);
    // The manager tells the new focus window itself; the first tick gives
    // the focus again, after whatever the opening script did with it.
    if (TWindowManager* wm = GetWindowManager()) wm->SetFocusWindow(target);
    focusPending_ = true;
}

void TCustomWindow::DrawOverlay()
{
    DrawCursorTrail(this);
}

bool TCustomWindow::OnTimer()
{
    TWindowManager* wm = GetWindowManager();
    if (focusPending_)
    {
        focusPending_ = false;
        TWindow* target = GetFocusTarget();
        if (wm != nullptr && target != nullptr) wm->SetFocusWindow(target);
    }
    if (wm != nullptr) wm->Invalidate();
    return true;
}

bool TCustomWindow::OnKeyDown(int8_t key, int32_t)
{
    const uint8_t code = static_cast<uint8_t>(key);
    // A copy: a press may run a script that builds or drops windows.
    const std::vector<SHotKey> hotKeys = hotKeys_;
    for (const SHotKey& hotKey : hotKeys)
    {
        if (hotKey.key != code || hotKey.button.IsEmpty()) continue;
        TWindow* window = FindChild(hotKey.button, -1);
        if (window != nullptr && window->IsKindOf(TButton::ClassId()))
            static_cast<TButton*>(window)->Click();
    }
    return false;
}
