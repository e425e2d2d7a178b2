// Modal windows: their tasks and clock, focus child, covering set and hot
// keys.
#include "ui/ModalWindow.h"

#include <cctype>
#include <string>

#include "core/Event.h"
#include "core/Log.h"
#include "ui/Button.h"
#include "ui/Message.h"
#include "ui/WindowManager.h"

ORVELLE_WINDOW_RECORD(TModalWindow)

TModalWindow::TModalWindow() : tasks_(std::make_unique<TTaskList>())
{
    AddRoleFlags(kWindowModal | kWindowTakesFocus);
}

TModalWindow::~TModalWindow()
{
    if (TWindowManager* wm = GetWindowManager())
        wm->QueueMessage(std::make_unique<TMessage>(kModalClosed, GetIdString()));
    tasks_.reset();
    hotkeys_.clear();
    clock_.Reset();
    covering_.clear();
}

bool TModalWindow::OnAttached()
{
    clock_.Start();
    return true;
}

void TModalWindow::PostInit(TWindowStyle& style)
{
    FitToChildren();
    TWindow::PostInit(style);
}

bool TModalWindow::OnMessage(TMessage* message)
{
    if (message->GetKind() != kCloseWindow) return false;
    if (!message->GetName().IsEmpty())
    {
        if (TWindowManager* wm = GetWindowManager()) wm->PopModal(message->GetName());
    }
    return true;
}

void TModalWindow::OnFocusChanged(TWindow* previous)
{
    if (focusChild_ == nullptr) return;
    if (TWindowManager* wm = GetWindowManager()) wm->ReplaceFocusWindow(focusChild_);
    focusChild_->OnFocusChanged(previous);
}

void TModalWindow::SetFocusChild(TWindow* child)
{
    focusChild_ = child;
    TWindowManager* wm = GetWindowManager();
    if (child != nullptr && wm != nullptr && wm->GetFocusWindow() == this)
        wm->SetFocusWindow(child);
}

void TModalWindow::AddTask(TTask* task)
{
    if (tasks_) tasks_->Add(task);
}

void TModalWindow::RunTasks(int phase)
{
    if (tasks_) tasks_->RunTasks(phase);
}

void TModalWindow::DeleteTasks()
{
    if (tasks_) tasks_->DeleteAll();
}

void TModalWindow::UpdateCovering(TWindow* window, bool covers)
{
    // Only a change of the set decides: an opacity the modal was given
    // directly stays while windows that never covered it come and go.
    const bool changed = covers ? covering_.insert(window).second : covering_.erase(window) != 0;
    if (!changed) return;
    const uint32_t flags = GetFlags();
    SetFlags(covering_.empty() ? (flags & ~kWindowOpaque) : (flags | kWindowOpaque));
}

void TModalWindow::WithdrawCovering(const TWindow* subtree)
{
    bool changed = false;
    for (auto it = covering_.begin(); it != covering_.end();)
    {
        if (subtree->Contains(*it))
        {
            it = covering_.erase(it);
            changed = true;
        }
        else
        {
            ++it;
        }
    }
    if (changed && covering_.empty()) SetFlags(GetFlags() & ~kWindowOpaque);
}

void TModalWindow::RegisterHotkey(const TString& key, const TString& button)
{
    const std::string normal = HotKeyText(key).CStr();
    if (button.IsEmpty())
        hotkeys_.erase(normal);
    else
        hotkeys_[normal] = button;
}

TString TModalWindow::GetHotkeyButton(const TString& key) const
{
    auto it = hotkeys_.find(HotKeyText(key).CStr());
    return it != hotkeys_.end() ? it->second : TString();
}

TString HotKeyText(const TString& description)
{
    const std::string d = description.CStr();
    std::string out;
    if (d.size() != 1 && !d.empty() && d[0] == '@')
    {
        out = "@";
    }
    else
    {
        if (d.find("shift-") != std::string::npos) out += "shift-";
        if (d.find("ctrl-") != std::string::npos || d.find("control-") != std::string::npos)
            out += "ctrl-";
        if (d.find("alt-") != std::string::npos) out += "alt-";
    }
    if (!d.empty())
    {
        const char last = d.back();
        out += last >= 'a' && last <= 'z' ? static_cast<char>(last - 'a' + 'A') : last;
    }
    return TString(out.c_str(), static_cast<int>(out.size()));
}

void TModalWindow::PressHotKeyButton(const TString& name)
{
    TWindow* w = FindChild(name, -1);
    if (w != nullptr && w->IsKindOf(TButton::ClassId()))
        static_cast<TButton*>(w)->Click();
    else
        LogPrintf("ERROR: Hot key button not found. Button:'%s'", name.CStr());
}

bool TModalWindow::OnKeyDown(int8_t key, int32_t modifiers)
{
    std::string text;
    if (modifiers & 1) text += "shift-";
    if (modifiers & 2) text += "ctrl-";
    if (modifiers & 4) text += "alt-";
    text += static_cast<char>(key);
    auto it = hotkeys_.find(HotKeyText(TString(text.c_str(), int(text.size()))).CStr());
    if (it == hotkeys_.end())
    {
        const char plain[3] = {'@', static_cast<char>(key), '\0'};
        it = hotkeys_.find(std::string(plain, 2));
    }
    if (it == hotkeys_.end()) return false;
    // A copy: the press may register or remove hot keys.
    const TString button = it->second;
    PressHotKeyButton(button);
    SetSwallowNextChar(true);
    return true;
}

bool TModalWindow::OnChar(char c)
{
    if (c != kKeyEnter && c != kKeyEscape) return false;
    auto message = std::make_unique<TMessage>(kDefaultAction);
    FindDefault finder;
    VisitChildren(finder);
    TButton* button = c == kKeyEnter ? finder.defaultButton : finder.cancelButton;
    if (button != nullptr && button->RunCommand()) return true;
    TWindowManager* wm = GetWindowManager();
    TWindow* focus = wm != nullptr ? wm->GetFocusWindow() : nullptr;
    (focus != nullptr ? focus : this)->SendMessage(std::move(message));
    return true;
}
