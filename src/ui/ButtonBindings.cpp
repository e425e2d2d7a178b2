// The button and label operations published to the window script's Lua state.
#include "script/Binding.h"
#include "script/LuaFunction.h"
#include "ui/Button.h"
#include "ui/LayeredWindow.h"
#include "ui/Text.h"
#include "ui/WindowManager.h"
#include "ui/WindowScript.h"

void TWindowScript::PublishButtonBindings()
{
    lua_State* L = GetState();
    LuaBindMember(L, "DoSelectLayer", this, &TWindowScript::DoSelectLayer);
    LuaBindMember(L, "SetCommand", this, &TWindowScript::SetCommand);
    LuaBindMember(L, "GetButtonToggleState", this, &TWindowScript::GetButtonToggleState);
    LuaBindMember(L, "SetButtonToggleState", this, &TWindowScript::SetButtonToggleState);
    LuaBindMember(L, "GetLabel", this, &TWindowScript::GetLabel);
    LuaBindMember(L, "SetLabel", this, &TWindowScript::SetLabel);
}

TString TWindowScript::GetLabel(TString name)
{
    TWindowManager* wm = GetWindowManager();
    if (wm == nullptr || wm->GetTopModal() == nullptr) return TString();
    TWindow* w = FindBelowTopModal(name);
    if (w == nullptr) return name + "_is_not_found";
    if (w->IsKindOf(TText::ClassId())) return static_cast<TText*>(w)->GetText();
    if (w->IsKindOf(TButton::ClassId())) return GetLabelText(w);
    return name + "_is_not_a_TText_window_or_TButton";
}

void TWindowScript::SetLabel(TString name, TString text)
{
    TWindow* w = FindBelowTopModal(name);
    if (w == nullptr) return;
    if (w->IsKindOf(TText::ClassId()))
        static_cast<TText*>(w)->SetText(text);
    else if (w->IsKindOf(TButton::ClassId()))
        SetLabelText(w, text);
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
