// The button, label and hot-key operations published to the window script's Lua state.
#include <string>

#include "script/Binding.h"
#include "script/LuaFunction.h"
#include "ui/Button.h"
#include "ui/LayeredWindow.h"
#include "ui/ModalWindow.h"
#include "ui/Text.h"
#include "ui/WindowManager.h"
#include "ui/WindowScript.h"

namespace
{

char AsciiUpper(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool IsContinuation(unsigned char c)
{
    return (c & 0xC0) == 0x80;
}

}  // namespace

TString TagHotKeyInLabel(const TString& key, const TString& label)
{
    if (key.IsEmpty()) return label;
    const std::string text(label.CStr(), static_cast<size_t>(label.Length()));
    const char wanted = AsciiUpper(key.CStr()[key.Length() - 1]);
    // Only at character starts: the tags never split a character.
    for (size_t i = 0; i < text.size(); ++i)
    {
        if (IsContinuation(static_cast<unsigned char>(text[i])) || AsciiUpper(text[i]) != wanted) continue;
        size_t end = i + 1;
        while (end < text.size() && IsContinuation(static_cast<unsigned char>(text[end]))) ++end;
        const std::string out = text.substr(0, i) + "<u>" + text.substr(i, end - i) + "</u>" + text.substr(end);
        return TString(out.c_str(), static_cast<int>(out.size()));
    }
    return label;
}

TString StripHotKeyFromLabel(const TString& label, TString* key)
{
    *key = TString();
    std::string text(label.CStr(), static_cast<size_t>(label.Length()));
    const size_t amp = text.find('&');
    if (amp == std::string::npos) return label;
    const unsigned char next = amp + 1 < text.size() ? static_cast<unsigned char>(text[amp + 1]) : 0;
    if (next != 0 && next < 192)
    {
        const char k[3] = {'@', static_cast<char>(next), '\0'};
        *key = TString(k, 2);
    }
    text.erase(amp, 1);
    return TString(text.c_str(), static_cast<int>(text.size()));
}

void TWindowScript::PublishButtonBindings()
{
    lua_State* L = GetState();
    LuaBindMember(L, "DoSelectLayer", this, &TWindowScript::DoSelectLayer);
    LuaBindMember(L, "SetCommand", this, &TWindowScript::SetCommand);
    LuaBindMember(L, "GetButtonToggleState", this, &TWindowScript::GetButtonToggleState);
    LuaBindMember(L, "SetButtonToggleState", this, &TWindowScript::SetButtonToggleState);
    LuaBindMember(L, "GetLabel", this, &TWindowScript::GetLabel);
    LuaBindMember(L, "SetLabel", this, &TWindowScript::SetLabel);
    LuaBindMember(L, "_RegisterHotkey", this, &TWindowScript::RegisterHotkey);
    LuaBindMember(L, "TagHotKey", this, &TWindowScript::TagHotKey);
    LuaBindMember(L, "StripKeyFromLabel", this, &TWindowScript::StripKeyFromLabel);
}

void TWindowScript::RegisterHotkey(TString key, TString button)
{
    TWindowManager* wm = GetWindowManager();
    TWindow* top = wm != nullptr ? wm->GetTopModal() : nullptr;
    if (key.IsEmpty() || top == nullptr || !top->IsKindOf(TModalWindow::ClassId())) return;
    static_cast<TModalWindow*>(top)->RegisterHotkey(key, button);
}

TString TWindowScript::TagHotKey(TString key, TString label)
{
    return TagHotKeyInLabel(key, label);
}

int TWindowScript::StripKeyFromLabel(lua_State* L)
{
    TString key;
    const TString label = StripHotKeyFromLabel(LuaArgString(L, 1), &key);
    lua_pushlstring(L, label.CStr(), static_cast<size_t>(label.Length()));
    lua_pushlstring(L, key.CStr(), static_cast<size_t>(key.Length()));
    return 2;
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
