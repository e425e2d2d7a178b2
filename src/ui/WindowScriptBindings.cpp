// The window operations published to the window script's Lua state.
#include <algorithm>

#include "core/Clock.h"
#include "core/Log.h"
#include "core/Settings.h"
#include "core/StringTable.h"
#include "graphics/DrawContext.h"
#include "graphics/Texture.h"
#include "host/HostServices.h"
#include "script/Binding.h"
#include "script/LuaTable.h"
#include "ui/Button.h"
#include "ui/Image.h"
#include "ui/Message.h"
#include "ui/ModalWindow.h"
#include "ui/Screen.h"
#include "ui/Window.h"
#include "ui/WindowAppLink.h"
#include "ui/WindowManager.h"
#include "ui/WindowPlacement.h"
#include "ui/WindowScript.h"
#include "ui/WindowStyle.h"

namespace
{

int32_t RawInt(lua_State* L, int table, int index)
{
    lua_rawgeti(L, table, index);
    const double v = lua_isnumber(L, -1) ? lua_tonumber(L, -1) : 0.0;
    lua_pop(L, 1);
    return StyleNumberToInt(v);
}

float RawFloat(lua_State* L, int table, int index)
{
    lua_rawgeti(L, table, index);
    const double v = lua_isnumber(L, -1) ? lua_tonumber(L, -1) : 0.0;
    lua_pop(L, 1);
    return static_cast<float>(v);
}

// A userdata with the message metatable that holds a live message.
bool IsMessageValue(lua_State* L, int idx)
{
    if (lua_type(L, idx) != LUA_TUSERDATA || !lua_getmetatable(L, idx)) return false;
    lua_pushstring(L, "qvMessageMetatable");
    lua_rawget(L, LUA_REGISTRYINDEX);
    const bool same = lua_rawequal(L, -1, -2) != 0;
    lua_pop(L, 2);
    return same && ToMessageValue(L, idx) != nullptr;
}

}  // namespace

void TWindowScript::PublishBindings()
{
    lua_State* L = GetState();
    LuaBindMember(L, "PostCreate", this, &TWindowScript::PostCreate);
    LuaBindMember(L, "_SetBitmap", this, &TWindowScript::SetBitmap);
    LuaBindMember(L, "SetPosition", this, &TWindowScript::SetWindowPosition);
    LuaBindMember(L, "SetWindowName", this, &TWindowScript::SetWindowName);
    LuaBindMember(L, "FillRect", this, &TWindowScript::FillRect);
    LuaBindMember(L, "GetTimer", this, &TWindowScript::GetTimer);
    LuaBindMember(L, "GetConfig", this, &TWindowScript::GetConfig);
    LuaBindMember(L, "IsEnabled", this, &TWindowScript::IsEnabled);
    LuaBindMember(L, "EnableWindow", this, &TWindowScript::EnableWindow);
    LuaBindMember(L, "PopWindow", this, &TWindowScript::PopWindow);
    LuaBindMember(L, "RealSetFocus", this, &TWindowScript::RealSetFocus);
    LuaBindMember(L, "StringToClipboard", this, &TWindowScript::StringToClipboard);
    LuaBindMember(L, "UpdateWindow", this, &TWindowScript::UpdateWindow);
    LuaBindMember(L, "PushModal", this, &TWindowScript::PushModal);
    LuaBindMember(L, "ClearModalChildren", this, &TWindowScript::ClearModalChildren);
    LuaBindMember(L, "GetWindowDepth", this, &TWindowScript::GetWindowDepth);
    LuaBindMember(L, "DoPopModal", this, &TWindowScript::DoPopModal);
    // Called only from this script's own state, which this script outlives:
    // the plain pointer needs none of the adapter's handle check.
    lua_pushstring(L, "HandleGetMessage");
    lua_pushlightuserdata(L, this);
    lua_pushcclosure(L, &TWindowScript::WaitBinding, 1);
    lua_settable(L, LUA_GLOBALSINDEX);
    LuaBindMember(L, "GenericCreate", this, &TWindowScript::GenericCreate);
    LuaBindMember(L, "CreateNamedMessage", this, &TWindowScript::CreateNamedMessage);
    LuaBindMember(L, "CreateCloseMessage", this, &TWindowScript::CreateCloseMessage);
    LuaBindMember(L, "PostMessage", this, &TWindowScript::PostMessage);
    LuaBindMember(L, "PostMessageToParent", this, &TWindowScript::PostMessageToParent);
    LuaBindMember(L, "_GetString", this, &TWindowScript::GetString);
    LuaBindMember(L, "StartMovie", this, &TWindowScript::StartMovie);
    LuaBindMember(L, "IsMoviePlaying", this, &TWindowScript::IsMoviePlaying);
    LuaBindMember(L, "StopMovie", this, &TWindowScript::StopMovie);
    LuaBindMember(L, "ImageLoaded", this, &TWindowScript::ImageLoaded);
    LuaBindMember(L, "DestroyWindow", this, &TWindowScript::DestroyWindow);
    LuaBindMember(L, "DoFitToChildren", this, &TWindowScript::DoFitToChildren);
    // The game-state services publish their own once they are up.
    LuaBindMember(L, "_SetState", this, &TWindowScript::SetState);
    PublishButtonBindings();
}

TWindow* TWindowScript::FindBelowTopModal(const TString& name) const
{
    TWindowManager* wm = GetWindowManager();
    TWindow* top = wm != nullptr ? wm->GetTopModal() : nullptr;
    return top != nullptr ? top->FindChild(name, -1) : nullptr;
}

TWindow* TWindowScript::FindBelowCurrent(const TString& name) const
{
    TWindow* current = GetCurrentWindow();
    return current != nullptr ? current->FindChild(name, -1) : nullptr;
}

void TWindowScript::PostCreate(TLuaTable* table)
{
    TWindow* current = GetCurrentWindow();
    if (current == nullptr) return;
    TWindowStyle style(GetState(), table);
    current->PostInit(style);
}

void TWindowScript::SetBitmap(TString name, TString image, double scale)
{
    TWindow* w = FindBelowTopModal(name);
    if (w == nullptr || !w->IsKindOf(TImage::ClassId())) return;
    static_cast<TImage*>(w)->SetTexture(TTexture::Get(image, 0), static_cast<float>(scale));
}

void TWindowScript::SetWindowPosition(TString name, double x, double y)
{
    TWindow* w = FindBelowTopModal(name);
    if (w == nullptr) return;
    const TWindow* parent = w->GetParent();
    const int64_t pw = parent != nullptr ? parent->GetWidth() : w->GetWidth();
    const int64_t ph = parent != nullptr ? parent->GetHeight() : w->GetHeight();
    const int64_t left = ResolvePlacementCoordinate(StyleNumberToInt(x), pw, w->GetWidth(), false);
    const int64_t top = ResolvePlacementCoordinate(StyleNumberToInt(y), ph, w->GetHeight(), false);
    w->SetPosition(static_cast<int32_t>(std::clamp<int64_t>(left, INT32_MIN, INT32_MAX)),
                   static_cast<int32_t>(std::clamp<int64_t>(top, INT32_MIN, INT32_MAX)));
}

void TWindowScript::SetWindowName(TString name)
{
    if (TWindow* current = GetCurrentWindow()) current->SetName(name);
}

int TWindowScript::FillRect(lua_State* L)
{
    TDrawContext* dc = TDrawContext::Instance();
    TWindowManager* wm = GetWindowManager();
    if (dc == nullptr || wm == nullptr || wm->GetScreen() == nullptr) return 0;
    if (lua_type(L, 1) != LUA_TTABLE || lua_type(L, 2) != LUA_TTABLE) return 0;
    TRect rect(RawInt(L, 1, 1), RawInt(L, 1, 2), RawInt(L, 1, 3), RawInt(L, 1, 4));
    const TFloatVector4 colour(RawFloat(L, 2, 1), RawFloat(L, 2, 2), RawFloat(L, 2, 3),
                               RawFloat(L, 2, 4));
    const TRect screen = wm->GetScreen()->GetRect();
    rect.left = std::max(rect.left, screen.left);
    rect.top = std::max(rect.top, screen.top);
    rect.right = std::min(rect.right, screen.right);
    rect.bottom = std::min(rect.bottom, screen.bottom);
    if (rect.right <= rect.left || rect.bottom <= rect.top) return 0;
    dc->PushClipRect(rect);
    dc->FillRect(rect, colour, TTextureRef());
    dc->PopClipRect();
    return 0;
}

double TWindowScript::GetTimer()
{
    return GetClockSourceTime();
}

TString TWindowScript::GetConfig(TString key, TString def)
{
    return GetSetting(key, def);
}

bool TWindowScript::IsEnabled(TString key)
{
    return GetSettingBool(key);
}

bool TWindowScript::EnableWindow(TString name, bool enable)
{
    TWindowManager* wm = GetWindowManager();
    for (TWindow* level = wm != nullptr ? wm->GetTopModal() : nullptr; level != nullptr;
         level = level->GetParent())
    {
        TWindow* w = level->FindChild(name, -1);
        if (w == nullptr) continue;
        const uint32_t flags = enable ? (w->GetFlags() | kWindowVisible)
                                      : (w->GetFlags() & ~uint32_t(kWindowVisible));
        w->SetFlags(flags);
        // A hidden button no longer hovers.
        if (!enable && w->IsKindOf(TButton::ClassId())) w->OnMouseLeave();
        wm->Invalidate();
        return true;
    }
    return false;
}

void TWindowScript::RealSetFocus(TString name)
{
    TWindowManager* wm = GetWindowManager();
    if (wm == nullptr || GetCurrentWindow() == nullptr) return;
    wm->SetFocusWindow(FindBelowCurrent(name));
}

void TWindowScript::StringToClipboard(TString text)
{
    GetWindowAppLink().SetClipboardText(text);
}

void TWindowScript::UpdateWindow()
{
    if (TWindowManager* wm = GetWindowManager()) wm->Invalidate();
}

TString TWindowScript::PushModal(TString name)
{
    TWindowManager* wm = GetWindowManager();
    if (wm == nullptr) return TString();
    auto* modal = new TModalWindow();
    modal->SetName(name);
    const TString id = modal->GetIdString();
    wm->PushModal(modal);
    return id;
}

void TWindowScript::ClearModalChildren()
{
    TWindowManager* wm = GetWindowManager();
    TWindow* top = wm != nullptr ? wm->GetTopModal() : nullptr;
    if (top == nullptr) return;
    if (top->IsKindOf(TModalWindow::ClassId())) static_cast<TModalWindow*>(top)->DeleteTasks();
    top->DeleteChildren();
    top->SetSize(0, 0);
    top->SetPosition(0, 0);
}

int TWindowScript::GetWindowDepth()
{
    TWindowManager* wm = GetWindowManager();
    int depth = 0;
    for (TWindow* w = wm != nullptr ? wm->GetTopModal() : nullptr; w != nullptr;
         w = w->GetParent())
        ++depth;
    return depth;
}

void TWindowScript::DoPopModal(TString text)
{
    if (TWindowManager* wm = GetWindowManager()) wm->PopModal(text);
}

TMessage* TWindowScript::CreateNamedMessage(int32_t kind, TString name)
{
    return new TMessage(kind, name);
}

TMessage* TWindowScript::CreateCloseMessage()
{
    TWindow* current = GetCurrentWindow();
    return new TMessage(kCloseWindow, current != nullptr ? current->GetIdString() : TString());
}

int TWindowScript::QueueScriptMessage(lua_State* L, bool toParent)
{
    TWindowManager* wm = GetWindowManager();
    if (wm == nullptr || !IsMessageValue(L, 1)) return 0;
    lua_settop(L, 1);
    auto* wrapper = new TLuaMessageWrapper(L);
    if (toParent)
    {
        TWindow* top = wm->GetTopModal();
        wrapper->SetReceiver(top != nullptr ? top->GetParent() : nullptr);
    }
    wm->QueueMessage(wrapper);
    return 0;
}

int TWindowScript::PostMessage(lua_State* L)
{
    return QueueScriptMessage(L, false);
}

int TWindowScript::PostMessageToParent(lua_State* L)
{
    return QueueScriptMessage(L, true);
}

int TWindowScript::GetString(lua_State* L)
{
    const TString label = LuaArgString(L, 1);
    TString text;
    if (label.CStr()[0] == '#')
    {
        text = TString(label.CStr() + 1);
    }
    else if (TStringTable* table = GetWindowAppLink().GetStringTable())
    {
        TString args[5];
        for (int i = 0; i < 5; ++i) args[i] = LuaArgString(L, i + 2);
        text = table->Lookup(label, 5, args);
    }
    else
    {
        text = label;
    }
    lua_pushlstring(L, text.CStr(), static_cast<size_t>(text.Length()));
    return 1;
}

bool TWindowScript::ImageLoaded(TString name)
{
    TWindow* w = FindBelowTopModal(name);
    return w != nullptr && w->IsKindOf(TImage::ClassId()) &&
           static_cast<TImage*>(w)->GetTexture() != nullptr;
}

void TWindowScript::DestroyWindow(TString name)
{
    TWindowManager* wm = GetWindowManager();
    TWindow* w = FindBelowCurrent(name);
    if (wm == nullptr || w == nullptr) return;
    if (w->GetParent() == nullptr || wm->IsOnModalStack(w))
    {
        LogPrintf("DestroyWindow: \"%s\" is a modal or has no parent; refused", name.CStr());
        return;
    }
    w->GetParent()->RemoveChild(w);
    wm->ScheduleDelete(w);
}

void TWindowScript::DoFitToChildren()
{
    if (TWindow* current = GetCurrentWindow()) current->FitToChildren();
}

void TWindowScript::SetState(TString key, TString value)
{
    if (THostGameState* gs = GetWindowAppLink().GetGameState()) gs->SetState(key, value);
}
