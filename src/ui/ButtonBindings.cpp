// The button operations published to the window script's Lua state.
#include "script/Binding.h"
#include "script/LuaFunction.h"
#include "ui/Button.h"
#include "ui/LayeredWindow.h"
#include "ui/WindowManager.h"
#include "ui/WindowScript.h"

void TWindowScript::PublishButtonBindings()
{
    lua_State* L = GetState();
    LuaBindMember(L, "DoSelectLayer", this, &TWindowScript::DoSelectLayer);
    LuaBindMember(L, "SetCommand", this, &TWindowScript::SetCommand);
    LuaBindMember(L, "GetButtonToggleState", this, &TWindowScript::GetButtonToggleState);
    LuaBindMember(L, "SetButtonToggleState", this, &TWindowScript::SetButtonToggleState);
}

void TWindowScript::DoSelectLayer(int32_t n)
{
    TWindow* current = GetCurrentWindow();
    if (current != nullptr && current->IsKindOf(TLayeredWindow::ClassId()))
        static_cast<TLayeredWindow*>(current)->SelectLayer(n);
}

int TWindowScript::SetCommand(lua_State* L)
{
    TWindow* w = FindBelowTopModal(LuaArgString(L, 1));
    if (w == nullptr || !w->IsKindOf(TButton::ClassId())) return 0;
    lua_settop(L, 2);
    static_cast<TButton*>(w)->SetAction(new TButton::LuaAction(new TLuaFunction(L)));
    return 0;
}

bool TWindowScript::GetButtonToggleState(TString name)
{
    TWindowManager* wm = GetWindowManager();
    for (TWindow* level = wm != nullptr ? wm->GetTopModal() : nullptr; level != nullptr;
         level = level->GetParent())
    {
        TWindow* w = level->FindChild(name, -1);
        if (w == nullptr) continue;
        return w->IsKindOf(TButton::ClassId()) && static_cast<TButton*>(w)->IsOn();
    }
    return false;
}

void TWindowScript::SetButtonToggleState(TString name, bool on)
{
    TWindowManager* wm = GetWindowManager();
    for (TWindow* level = wm != nullptr ? wm->GetTopModal() : nullptr; level != nullptr;
         level = level->GetParent())
    {
        TWindow* w = level->FindChild(name, -1);
        if (w != nullptr && w->IsKindOf(TButton::ClassId())) static_cast<TButton*>(w)->SetToggleState(on);
    }
}
