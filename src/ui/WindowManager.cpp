// The window manager: modal stack, event routing, messages, deferred
// deletion and frame pacing.
#include "ui/WindowManager.h"

#include <algorithm>
#include <utility>

#include "core/Clock.h"
#include "core/SettingKeys.h"
#include "core/Settings.h"
#include "core/Task.h"
#include "graphics/DrawContext.h"
#include "ui/Message.h"
#include "ui/ModalWindow.h"
#include "ui/Screen.h"
#include "ui/Window.h"
#include "ui/WindowAppLink.h"
#include "ui/WindowScript.h"
#include "ui/WindowScriptLink.h"
#include "ui/WindowSpider.h"
#include "ui/XSellWindow.h"

TWindowManager* window_manager_detail::gManager = nullptr;

TScript* GetWindowManagerScript()
{
    TWindowManager* wm = GetWindowManager();
    return wm != nullptr ? dynamic_cast<TScript*>(wm->GetScript()) : nullptr;
}
using window_manager_detail::gManager;

namespace
{

constexpr uint32_t kFastFrameMs = 12;
constexpr uint32_t kSlowFrameMs = 200;
// The frame check relies on it: a frame not due at the fast rate is not due
// at the slow one.
static_assert(kFastFrameMs <= kSlowFrameMs);

bool IsModal(const TWindow* w)
{
    return w != nullptr && w->IsModalWindow();
}

TModalWindow* AsModal(TWindow* w)
{
    return IsModal(w) ? static_cast<TModalWindow*>(w) : nullptr;
}

bool MatchesNameOrId(const TWindow* w, const TString& text)
{
    return w->GetName() == text || w->GetIdString() == text;
}

}  // namespace

TWindowManager::TWindowManager()
{
    gManager = this;
}

TWindowManager::~TWindowManager()
{
    listeners_.clear();
    while (!modals_.empty()) PopTopModal();
    DeletePending();
    std::vector<TWindow*> overlays;
    overlays.swap(overlays_);
    for (TWindow* w : overlays) delete w;
    // Deleting windows may have queued more; nothing delivers them now. One
    // at a time: a message's destructor may still queue another.
    while (!queue_.empty()) queue_.pop_front();
    capture_.reset();
    DetachScriptTask();
    script_.reset();
    if (gManager == this) gManager = nullptr;
}

// ---------------------------------------------------------------------------
// Script

void TWindowManager::CreateRootScreen(int width, int height)
{
    if (screen_ != nullptr) return;
    TScreen* screen = new TScreen();
    screen->SetSize(width, height);
    SetScreen(screen);
}

bool TWindowManager::SetTranslateLabels(bool translate)
{
    if (script_) return script_->SetTranslateLabels(translate);
    const bool previous = translateLabels_;
    translateLabels_ = translate;
    return previous;
}

bool TWindowManager::GetTranslateLabels() const
{
    return script_ ? script_->GetTranslateLabels() : translateLabels_;
}

namespace
{
std::function<void(TScript&)> gWindowScriptHook;
}  // namespace

void SetWindowScriptHook(std::function<void(TScript& script)> hook)
{
    gWindowScriptHook = std::move(hook);
}

void TWindowManager::CreateWindowScript()
{
    auto* script = new TWindowScript();
    if (gWindowScriptHook) gWindowScriptHook(*script);
    SetScript(script);
}

void TWindowManager::StopMovieIfPlaying()
{
    if (script_) script_->StopMovieIfPlaying();
}

void TWindowManager::DetachScriptTask()
{
    // The list would delete the script a second time.
    if (scriptTask_ != nullptr && scriptTaskList_ != nullptr) scriptTaskList_->Remove(scriptTask_);
    scriptTask_ = nullptr;
    scriptTaskList_ = nullptr;
}

void TWindowManager::SetScript(TWindowScriptLink* script)
{
    DetachScriptTask();
    script_.reset(script);
    if (script_)
    {
        script_->SetTranslateLabels(translateLabels_);
        script_->RegisterWindowType("XSellWindow", TXSellWindow::ClassId());
        if (TWindow* top = GetTopModal()) script_->SetTopModal(top);
        scriptTask_ = script_->AttachToManager();
        scriptTaskList_ = scriptTask_ != nullptr ? GetWindowAppLink().GetTaskList() : nullptr;
        if (scriptTaskList_ != nullptr) scriptTaskList_->Add(scriptTask_);
    }
}

bool TWindowManager::RunScriptForWindow(TWindow* window, const TString& text)
{
    if (!script_) return false;
    script_->PushWindow(window);
    const bool ok = script_->RunText(text);
    script_->PopWindow();
    return ok;
}

void TWindowManager::RegisterWindowType(const TString& typeName, TWindowClassId id)
{
    if (script_) script_->RegisterWindowType(typeName, id);
}

// ---------------------------------------------------------------------------
// Modal stack

TWindow* TWindowManager::GetModal(int depth) const
{
    if (depth < 0 || depth >= static_cast<int>(modals_.size())) return nullptr;
    return modals_[modals_.size() - 1 - static_cast<size_t>(depth)];
}

bool TWindowManager::IsOnModalStack(const TWindow* window) const
{
    return Has(modals_, window);
}

void TWindowManager::PushModal(TWindow* modal)
{
    if (modal == nullptr) return;
    outline_ = nullptr;
    if (!hover_.empty())
    {
        // One window's leave may delete another that left with it.
        std::vector<TScriptHandle> left;
        left.reserve(hover_.size());
        for (TWindow* w : hover_) left.push_back(w->GetScriptHandle());
        hover_.clear();
        hoverChanged_ = true;
        for (TScriptHandle handle : left)
            if (TWindow* w = TWindow::FromHandle(handle)) w->OnMouseLeave();
    }
    TWindow* previous = GetTopModal();
    if (previous != nullptr && focus_ != nullptr && focus_ != previous && previous->Contains(focus_))
        coveredFocus_.emplace_back(previous, focus_);
    modals_.push_back(modal);
    if (previous != nullptr)
    {
        previous->AddChild(modal, false);
        if (TModalWindow* m = AsModal(previous)) m->GetClock().Stop();
    }
    SetFocusWindow(modal);
    if (script_) script_->SetTopModal(modal);
    modal->OnAttached();
    if (modal->GetWidth() == 0 && modal->GetParent() != nullptr)
        modal->SetSize(modal->GetParent()->GetWidth(), modal->GetParent()->GetHeight());
    Invalidate();
}

void TWindowManager::PopTopModal()
{
    TWindow* top = GetTopModal();
    if (top == nullptr) return;
    if (TWindow* parent = top->GetParent()) parent->RemoveChild(top);
    ScheduleDelete(top);
    Erase(modals_, top);
    if (TModalWindow* m = AsModal(top)) m->DeleteTasks();
    if (TWindow* newTop = GetTopModal())
    {
        if (script_) script_->SetTopModal(newTop);
        TWindow* kept = TakeCoveredFocus(newTop);
        SetFocusWindow(kept != nullptr ? kept : newTop);
    }
    else if (script_)
    {
        script_->SetTopModal(nullptr);
    }
    TModalPoppedSpider popped;
    top->VisitChildren(popped);
    Invalidate();
    abortDraw_ = true;
}

void TWindowManager::PopModal(const TString& text)
{
    outline_ = nullptr;
    TWindow* found = nullptr;
    for (TWindow* w = GetTopModal(); w != nullptr; w = w->GetParent())
    {
        if (MatchesNameOrId(w, text))
        {
            found = w;
            break;
        }
    }
    if (found != nullptr)
    {
        while (TWindow* top = GetTopModal())
        {
            const bool last = MatchesNameOrId(top, text);
            PopTopModal();
            if (last) break;
        }
    }
    if (TModalWindow* m = AsModal(GetTopModal())) m->GetClock().Start();
}

bool TWindowManager::SetScreen(TScreen* screen)
{
    if (screen == nullptr) return false;
    screen_ = screen;
    PushModal(screen);
    TDrawContext* dc = TDrawContext::GetIfMade();
    if (dc != nullptr && GetWindowAppLink().IsDisplayReady())
    {
        const TRect v = dc->GetViewport();
        if (v.right > v.left && v.bottom > v.top)
            screen->SetSize(v.right - v.left, v.bottom - v.top);
    }
    return screen->OnAttached();
}

// ---------------------------------------------------------------------------
// Focus and hover

TWindow* TWindowManager::SetFocusWindow(TWindow* window)
{
    TWindow* previous = focus_;
    focus_ = window;
    if (window != nullptr) window->OnFocusChanged(previous);
    return previous;
}

TWindow* TWindowManager::ReplaceFocusWindow(TWindow* window)
{
    TWindow* previous = focus_;
    focus_ = window;
    return previous;
}

void TWindowManager::AddHover(TWindow* window)
{
    if (window == nullptr || Has(hover_, window)) return;
    hover_.insert(hover_.begin(), window);
}

void TWindowManager::RemoveHover(TWindow* window)
{
    if (!Has(hover_, window)) return;
    Erase(hover_, window);
    hoverChanged_ = true;
}

// ---------------------------------------------------------------------------
// Messages

void TWindowManager::QueueMessage(std::unique_ptr<TMessage> message)
{
    if (message != nullptr) queue_.push_back(std::move(message));
}

void TWindowManager::FlushMessages()
{
    while (!queue_.empty())
    {
        std::unique_ptr<TMessage> m = std::move(queue_.front());
        queue_.pop_front();
        DeliverMessage(m);
    }
}

void TWindowManager::DeliverMessage(std::unique_ptr<TMessage>& message)
{
    if (message->GetKind() == kQuitNow)
    {
        message.reset();
        GetWindowAppLink().Quit(0);
        return;
    }
    TWindow* receiver = message->GetReceiver();
    if (receiver == nullptr)
    {
        TMessage* inner = listeners_.empty() ? message.get() : InnerMessage(message.get());
        for (auto& listener : listeners_)
        {
            if (listener->OnMessage(inner)) return;
        }
        receiver = focus_ != nullptr ? focus_ : GetTopModal();
        if (receiver == nullptr) return;
    }
    receiver->SendMessage(std::move(message));
}

void TWindowManager::AddListener(TMessageListener* listener)
{
    if (listener != nullptr) listeners_.emplace_back(listener);
}

// ---------------------------------------------------------------------------
// Deletion

bool TWindowManager::IsPendingDelete(const TWindow* window) const
{
    return Has(pending_, window);
}

void TWindowManager::ScheduleDelete(TWindow* window)
{
    if (window == nullptr || IsPendingDelete(window)) return;
    if (TWindow* parent = window->GetParent()) parent->RemoveChild(window);
    outline_ = nullptr;
    pending_.push_back(window);
    ClearReceivers(window, true);
    RemoveHover(window);
}

void TWindowManager::ClearReceivers(const TWindow* window, bool inside)
{
    for (const std::unique_ptr<TMessage>& m : queue_)
    {
        TWindow* r = m->GetReceiver();
        if (r == nullptr) continue;
        if (r == window || (inside && window->Contains(r))) m->SetReceiver(nullptr);
    }
}

TWindow* TWindowManager::TakeCoveredFocus(TWindow* modal)
{
    TWindow* kept = nullptr;
    for (auto it = coveredFocus_.begin(); it != coveredFocus_.end();)
    {
        if (it->first == modal)
        {
            kept = it->second;
            it = coveredFocus_.erase(it);
        }
        else
        {
            ++it;
        }
    }
    // Moved out of the modal since: the modal itself takes the focus.
    return kept != nullptr && modal->Contains(kept) ? kept : nullptr;
}

void TWindowManager::WindowDestroyed(TWindow* window)
{
    outline_ = nullptr;
    if (focus_ == window) focus_ = nullptr;
    std::erase_if(coveredFocus_, [window](const std::pair<TWindow*, TWindow*>& entry)
                  { return entry.first == window || entry.second == window; });
    RemoveHover(window);
    Erase(modals_, window);
    Erase(overlays_, window);
    Erase(pending_, window);
    if (screen_ == window) screen_ = nullptr;
    ClearReceivers(window, false);
    for (TWindow* w : modals_)
    {
        TModalWindow* m = AsModal(w);
        if (m != nullptr && m->GetFocusChild() == window) m->SetFocusChild(nullptr);
    }
    if (script_) script_->ForgetWindow(window);
}

void TWindowManager::DeletePending()
{
    bool any = false;
    // Destructors may schedule more; those go in the same pass.
    while (!pending_.empty())
    {
        std::vector<TWindow*> batch;
        batch.swap(pending_);
        for (TWindow* w : batch) delete w;
        any = true;
    }
    if (any)
    {
        outline_ = nullptr;
        Invalidate();
    }
}

void TWindowManager::AddOverlay(TWindow* window)
{
    if (window != nullptr && !Has(overlays_, window)) overlays_.push_back(window);
}

// ---------------------------------------------------------------------------
// Events

void TWindowManager::HandleEvent(const TEvent& event)
{
    if (event.type == kEventEmpty) return;
    TClockPass pass;
    if (event.type == kEventDisplayModeChanged) capture_.reset();
    if (event.type == kEventClose && script_) script_->WakeOnClose();
    DeletePending();
    if (modals_.empty()) return;

    switch (event.type)
    {
        case kEventIdle:
            if (TModalWindow* top = AsModal(GetTopModal())) top->RunTasks(TaskPhaseIdle);
            FlushMessages();
            Draw();
            break;
        case kEventLeftDown:
        case kEventButton:
        case kEventLeftUp:
        case kEventMouseMove:
        case kEventHover:
            HandleMouse(event);
            break;
        case kEventMouseLeave:
            MouseLeaveAll();
            FlushMessages();
            break;
        case kEventKeyDown:
        case kEventKeyUp:
        case kEventChar:
        case kEventCharUtf8:
        {
            // A hot key that typed no character must not eat the next one.
            if (event.type == kEventKeyDown) SetSwallowNextChar(false);
            TWindow* target = focus_ != nullptr ? focus_ : GetTopModal();
            const TWindow* topBefore = GetTopModal();
            DispatchEvent(target, event, false);
            // A key that opened or closed a dialog has done its work: its
            // character must not act again in the dialog now on top (Escape
            // that asked the quit question would answer it "No" at once).
            if (event.type == kEventKeyDown && GetTopModal() != topBefore) SetSwallowNextChar(true);
            FlushMessages();
            break;
        }
        case kEventRedraw:
            Invalidate();
            FlushMessages();
            Draw();
            break;
        case kEventActivate:
            break;
        default:
            FlushMessages();
            if (TWindow* top = GetTopModal()) DispatchEvent(top, event, false);
            break;
    }
}

void TWindowManager::HoverCapture(const TEvent& event)
{
    TWindow* top = GetTopModal();
    const bool relative = GetWindowAppLink().IsRelativeMouse();
    const std::vector<TWindow*> snapshot = hover_;
    hoverChanged_ = false;
    for (TWindow* w : snapshot)
    {
        // Left the list (or was destroyed) since the walk began.
        if (!Has(hover_, w)) continue;
        if (!relative && !w->GetScreenRect().Contains(event.x, event.y))
        {
            w->OnMouseLeave();
            if (GetTopModal() != top) return;
            if (!Has(hover_, w)) continue;
        }
        TEvent local = event;
        if (!(relative && event.type == kEventMouseMove))
        {
            const TPoint p = w->FromScreen(TPoint(event.x, event.y));
            local.x = p.x;
            local.y = p.y;
        }
        DispatchEvent(w, local, false);
        if (GetTopModal() != top) return;
    }
}

void TWindowManager::HandleMouse(const TEvent& event)
{
    if (!hover_.empty())
    {
        HoverCapture(event);
        FlushMessages();
        return;
    }
    if (event.type == kEventMouseMove && GetWindowAppLink().IsRelativeMouse()) return;

    const bool overlayMouse = GetSettingBool(kSettingOverlayMouse);
    if (overlayMouse)
    {
        const std::vector<TWindow*> overlays = overlays_;
        for (TWindow* overlay : overlays)
        {
            if (!Has(overlays_, overlay)) continue;
            TPoint local;
            TWindow* hit =
                overlay->HitDeep(overlay->FromParent(TPoint(event.x, event.y)), -1, &local);
            if (hit == nullptr) continue;
            TEvent e = event;
            e.x = local.x;
            e.y = local.y;
            if (DispatchEvent(hit, e, false))
            {
                outline_ = hit;
                if (outlineEnabled_) Invalidate();
                FlushMessages();
                return;
            }
        }
    }

    TWindow* top = GetTopModal();
    TPoint local;
    TWindow* hit = top->HitDeep(top->FromScreen(TPoint(event.x, event.y)), -1, &local);
    outline_ = hit;
    if (outlineEnabled_) Invalidate();
    bool handled = false;
    if (hit != nullptr)
    {
        TEvent e = event;
        e.x = local.x;
        e.y = local.y;
        handled = DispatchEvent(hit, e, false);
    }
    if (!handled && overlayMouse && event.type == kEventLeftUp)
        QueueMessage(std::make_unique<TMessage>(kPressAnyKey, "mouse:up"));
    FlushMessages();
}

void TWindowManager::MouseLeaveAll()
{
    TWindow* top = GetTopModal();
    const std::vector<TWindow*> snapshot = hover_;
    hoverChanged_ = false;
    for (TWindow* w : snapshot)
    {
        if (!Has(hover_, w)) continue;
        w->OnMouseLeave();
        if (GetTopModal() != top) return;
    }
}

// ---------------------------------------------------------------------------
// Drawing

void TWindowManager::Draw()
{
    abortDraw_ = false;
    if (drawingDisabled_ || !redrawNeeded_) return;
    // Within the fast interval no frame is due at either rate: most passes
    // end here without asking the application anything.
    uint32_t now = 0;
    if (PassTimeWithin(lastDrawTime_, kFastFrameMs, &now)) return;
    TWindowAppLink& app = GetWindowAppLink();
    if (!app.IsFlipDone()) return;
    if (!app.IsFastFrameRate() && PassTimeWithin(lastDrawTime_, kSlowFrameMs, &now)) return;
    lastDrawTime_ = now;
    DrawFrame(app);
}

// Apart from the frame check: most passes stop there and need none of this.
void TWindowManager::DrawFrame(TWindowAppLink& app)
{
    if (modals_.empty()) return;
    TWindow* bottom = modals_.front();
    bottom->SetFlags(bottom->GetFlags() & ~kWindowCaptured);
    TWindowClearFlags clear(~kWindowCaptured, true);
    bottom->VisitChildren(clear);

    if (TTaskList* tasks = app.GetTaskList()) tasks->RunTasks(TaskPhaseDraw);
    if (TModalWindow* top = AsModal(GetTopModal())) top->RunTasks(TaskPhaseDraw);
    // The draw pass may have emptied the stack.
    if (modals_.empty()) return;

    TDrawContext* dc = TDrawContext::GetIfMade();
    if (dc == nullptr) return;
    if (capture_ && dc->BeginRenderTarget(capture_, 0))
    {
        DrawModalStack(kDrawCapture);
        dc->EndRenderTarget();
    }
    if (!dc->BeginDraw(false)) return;
    redrawNeeded_ = false;
    // The clip stack keeps its first entry for good: it must be the whole
    // display (again after a mode change).
    const TRect display = dc->GetViewport();
    if (dc->GetState().clipStack.empty() || !(dc->GetClipRect() == display))
        dc->PushClipRect(display);
    if (capture_)
    {
        if (screen_ != nullptr) DrawTree(dc, screen_, kDrawNormal);
        DrawModalStack(kDrawAfterCapture);
    }
    else
    {
        DrawModalStack(kDrawNormal);
    }
    const std::vector<TWindow*> overlays = overlays_;
    for (TWindow* w : overlays)
        if (Has(overlays_, w)) DrawTree(dc, w, kDrawNormal);
    if (outlineEnabled_ && outline_ != nullptr)
    {
        const TRect r = outline_->GetScreenRect();
        const TFloatVector4 red(1.0f, 0.0f, 0.0f, 1.0f);
        const TRect lines[4] = {TRect(r.left, r.top, r.right, r.top + 2),
                                TRect(r.right - 2, r.top, r.right, r.bottom),
                                TRect(r.left, r.bottom - 2, r.right, r.bottom),
                                TRect(r.left, r.top, r.left + 2, r.bottom)};
        for (const TRect& line : lines) dc->FillRect(line, red, TTextureRef());
    }
    dc->EndDraw(true);
}

void TWindowManager::DrawModalStack(int pass)
{
    TWindowAppLink& app = GetWindowAppLink();
    if (abortDraw_ || !app.IsAppReady() || modals_.empty() || !app.IsDisplayReady()) return;
    TDrawContext* dc = TDrawContext::GetIfMade();
    if (dc == nullptr) return;
    if (pass == kDrawAfterCapture || topModalOnly_)
    {
        DrawTree(dc, GetTopModal(), pass);
        return;
    }
    const TWindow* reference = screen_ != nullptr ? screen_ : modals_.front();
    size_t first = 0;
    for (size_t i = modals_.size(); i-- > 0;)
    {
        const TWindow* m = modals_[i];
        const uint32_t need = kWindowOpaque | kWindowVisible;
        if ((m->GetFlags() & need) == need && m->GetWidth() == reference->GetWidth() &&
            m->GetHeight() == reference->GetHeight())
        {
            first = i;
            break;
        }
    }
    // A snapshot: a handler drawing may pop (and so abort) the stack.
    const std::vector<TWindow*> layers(modals_.begin() + static_cast<std::ptrdiff_t>(first),
                                       modals_.end());
    for (size_t i = 0; i < layers.size(); ++i)
    {
        if (pass == kDrawCapture && i + 1 == layers.size()) break;
        if (abortDraw_ || !app.IsDisplayReady()) return;
        DrawTree(dc, layers[i], pass);
    }
}

// ---------------------------------------------------------------------------
// Helpers

void TWindowManager::Erase(std::vector<TWindow*>& list, const TWindow* window)
{
    list.erase(std::remove(list.begin(), list.end(), window), list.end());
}

bool TWindowManager::Has(const std::vector<TWindow*>& list, const TWindow* window)
{
    return std::find(list.begin(), list.end(), window) != list.end();
}
