// The window tree: construction and destruction, children, geometry,
// placement, hit testing, event routing, drawing order and timers.
#include "ui/Window.h"

#include <algorithm>

#include "core/Log.h"
#include "core/SettingKeys.h"
#include "core/Settings.h"
#include "graphics/DrawContext.h"
#include "script/LuaFunction.h"
#include "ui/Message.h"
#include "ui/ModalWindow.h"
#include "ui/WindowManager.h"
#include "ui/WindowPlacement.h"
#include "ui/WindowScriptLink.h"
#include "ui/WindowSpider.h"
#include "ui/WindowStyle.h"

namespace
{

int32_t gNextId = 0;
bool gSwallowNextChar = false;

void InvalidateManager()
{
    if (TWindowManager* wm = GetWindowManager()) wm->Invalidate();
}

bool IsMouseEvent(int32_t type)
{
    return type == kEventLeftDown || type == kEventButton || type == kEventLeftUp ||
           type == kEventMouseMove || type == kEventHover;
}

}  // namespace

ORVELLE_WINDOW_RECORD(TWindow)

void SetSwallowNextChar(bool on)
{
    gSwallowNextChar = on;
}

bool GetSwallowNextChar()
{
    return gSwallowNextChar;
}

void ResetWindowIdCounter()
{
    gNextId = 0;
}

// ---------------------------------------------------------------------------
// Life

TWindow* TWindow::FromHandle(TScriptHandle handle)
{
    auto* window = dynamic_cast<TWindow*>(TScriptObject::FromHandle(handle));
    return window != nullptr && !window->destroying_ ? window : nullptr;
}

TWindow::TWindow() : id_(gNextId++) {}

TWindow::~TWindow()
{
    // From here on the window answers as a plain TWindow.
    modalWindow_.known = false;
    destroying_ = true;
    InvalidateManager();
    if (TModalWindow* modal = GetModalParent()) modal->UpdateCovering(this, false);
    // Deleted without RemoveChild first: the parent must not keep naming it.
    if (parent_ != nullptr)
    {
        auto& siblings = parent_->children_;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
    }
    std::vector<TWindow*> children;
    children.swap(children_);
    for (TWindow* child : children) delete child;
    DetachAnimation();
    if (TWindowManager* wm = GetWindowManager()) wm->WindowDestroyed(this);
}

// ---------------------------------------------------------------------------
// Children

bool TWindow::HasChild(const TWindow* child) const
{
    return std::find(children_.begin(), children_.end(), child) != children_.end();
}

bool TWindow::AddChild(TWindow* child, bool attachCheck)
{
    if (child == nullptr) return false;
    if (!HasChild(child))
    {
        children_.insert(children_.begin(), child);
        child->parent_ = this;
    }
    if (!attachCheck || child->OnAttached()) return true;
    child->parent_ = nullptr;
    // The child itself goes, wherever it stood: it may have been listed
    // already, and the front entry would then be another window.
    children_.erase(std::find(children_.begin(), children_.end(), child));
    child->SetSize(child->GetWidth(), child->GetHeight());
    return false;
}

void TWindow::RemoveChild(TWindow* child)
{
    if (child == nullptr) return;
    auto it = std::find(children_.begin(), children_.end(), child);
    if (it != children_.end())
    {
        InvalidateManager();
        if (TModalWindow* modal = child->GetModalParent()) modal->WithdrawCovering(child);
        children_.erase(it);
    }
    child->parent_ = nullptr;
}

bool TWindow::Contains(const TWindow* other) const
{
    for (const TWindow* w = other; w != nullptr; w = w->parent_)
        if (w == this) return true;
    return false;
}

void TWindow::VisitChildren(TWindowSpider& spider, bool backwards)
{
    const std::vector<TWindow*> children = children_;
    if (backwards)
    {
        for (auto it = children.rbegin(); it != children.rend(); ++it)
            if (!spider.Visit(*it)) return;
    }
    else
    {
        for (TWindow* child : children)
            if (!spider.Visit(child)) return;
    }
}

void TWindow::FitToChildren()
{
    GetLargest largest(GetWidth(), GetHeight());
    VisitChildren(largest);
    SetSize(largest.right, largest.bottom);
}

void TWindow::DeleteChildren()
{
    ChildrenDelete spider(this, GetWindowManager());
    VisitChildren(spider);
}

// ---------------------------------------------------------------------------
// Names, flags, geometry

TString TWindow::GetIdString() const
{
    return TString::Format("%8x", static_cast<unsigned>(id_));
}

void TWindow::SetFlags(uint32_t flags)
{
    const uint32_t old = flags_;
    flags_ = (flags & 0xFF00u) | (old & 0xFFu);
    if ((old ^ flags_) & kWindowVisible) InvalidateManager();
    // Covering depends on these two bits only; the per-frame clearing of
    // the capture bit must not walk to the modal for every window.
    if ((old ^ flags_) & (kWindowVisible | kWindowOpaque)) TellModalCovering();
}

TRect TWindow::GetScreenRect() const
{
    TRect r = rect_;
    for (const TWindow* w = parent_; w != nullptr; w = w->parent_)
    {
        r.left += w->rect_.left;
        r.right += w->rect_.left;
        r.top += w->rect_.top;
        r.bottom += w->rect_.top;
    }
    return r;
}

TPoint TWindow::ToScreen(TPoint p) const
{
    const TRect r = GetScreenRect();
    return TPoint(p.x + r.left, p.y + r.top);
}

TPoint TWindow::FromScreen(TPoint p) const
{
    const TRect r = GetScreenRect();
    return TPoint(p.x - r.left, p.y - r.top);
}

void TWindow::SetPosition(int32_t x, int32_t y)
{
    const int32_t w = GetWidth(), h = GetHeight();
    rect_.Set(x, y, x + w, y + h);
    InvalidateManager();
}

void TWindow::SetSize(int32_t width, int32_t height)
{
    rect_.right = rect_.left + width;
    rect_.bottom = rect_.top + height;
    InvalidateManager();
    TellModalCovering();
}

void TWindow::TellModalCovering()
{
    TModalWindow* modal = GetModalParent();
    if (modal == nullptr) return;
    // Only a visible window hides what lies beneath it.
    const uint32_t need = kWindowOpaque | kWindowVisible;
    const bool covers = (flags_ & need) == need && GetWidth() == modal->GetWidth() &&
                        GetHeight() == modal->GetHeight();
    modal->UpdateCovering(this, covers);
}

bool TWindow::IsVisible() const
{
    for (const TWindow* w = this; w != nullptr; w = w->parent_)
    {
        if (!(w->flags_ & kWindowVisible)) return false;
        if (w->IsModalLayer()) return true;
    }
    return true;
}

bool TWindow::FindModalWindow() const
{
    if (!IsKindOf(TModalWindow::ClassId())) return false;
    modalWindow_.known = true;
    return true;
}

TModalWindow* TWindow::GetModalParent() const
{
    for (TWindow* w = parent_; w != nullptr; w = w->parent_)
    {
        if (w->IsModalLayer()) return w->IsModalWindow() ? static_cast<TModalWindow*>(w) : nullptr;
    }
    return nullptr;
}

// ---------------------------------------------------------------------------
// Finding and hitting

TWindow* TWindow::FindChild(const TString& name, int depth)
{
    if (name_ == name) return this;
    if (depth == 0) return nullptr;
    for (TWindow* child : children_)
        if (TWindow* found = child->FindChild(name, depth - 1)) return found;
    return nullptr;
}

TWindow* TWindow::HitChild(TPoint point)
{
    for (TWindow* child : children_)
        if (child->rect_.Contains(point.x, point.y) && child->IsVisible()) return child;
    return this;
}

TWindow* TWindow::HitDeep(TPoint point, int depth, TPoint* local)
{
    TWindow* w = this;
    for (;; --depth)
    {
        if (depth == 0) return nullptr;
        TWindow* child = w->HitChild(point);
        if (child == w) break;
        point = child->FromParent(point);
        w = child;
    }
    if (local != nullptr) *local = point;
    return w;
}

// ---------------------------------------------------------------------------
// Placement

void TWindow::Init(TWindowStyle& style)
{
    SetName(style.GetString("name", TString()));
    ApplyPlacement(style);
}

void TWindow::PostInit(TWindowStyle& style)
{
    if (style.GetBool("fit", false)) FitToChildren();
    ApplyPlacement(style);
}

void TWindow::ApplyPlacement(TWindowStyle& style)
{
    TPlacementInput in;
    in.x = style.GetInt("x", 0);
    in.y = style.GetInt("y", 0);
    in.w = style.GetInt("w", GetWidth());
    in.h = style.GetInt("h", GetHeight());
    in.hasAlign = style.Has("align");
    in.align = in.hasAlign ? style.GetInt("align", -1) : 0;
    in.hasParent = parent_ != nullptr;
    if (parent_ != nullptr)
    {
        in.parentWidth = parent_->GetWidth();
        in.parentHeight = parent_->GetHeight();
    }
    in.left = rect_.left;
    in.top = rect_.top;
    in.width = GetWidth();
    in.height = GetHeight();
    TPlacementResult out;
    if (!ComputePlacement(in, out)) return;
    SetPosition(out.left, out.top);
    SetSize(out.width, out.height);
}

// ---------------------------------------------------------------------------
// Timers

TWindowAnim::~TWindowAnim()
{
    if (window_ != nullptr) window_->anim_ = nullptr;
}

bool TWindowAnim::DoTask()
{
    if (window_ == nullptr) return false;
    window_->OnTimer();
    // The handler may have deleted the window (which detaches this task).
    return window_ != nullptr;
}

TWindowAnim* TWindow::GetAnimTask()
{
    if (anim_ != nullptr) return anim_;
    TModalWindow* modal = IsModalWindow() ? static_cast<TModalWindow*>(this) : GetModalParent();
    if (modal == nullptr)
    {
        LogPrintf("TWindow::GetAnimTask: window '%s' has no modal window for its timer",
                  name_.CStr());
        return nullptr;
    }
    anim_ = new TWindowAnim(this);
    anim_->SetClock(&modal->GetClock());
    modal->AddTask(anim_);
    return anim_;
}

void TWindow::SetTimer(int32_t delay, bool repeat, bool restart, bool catchUp)
{
    if (TWindowAnim* task = GetAnimTask()) task->SetTimer(delay, repeat, restart, catchUp);
}

void TWindow::DetachAnimation()
{
    if (anim_ == nullptr) return;
    anim_->window_ = nullptr;
    anim_ = nullptr;
}

bool TWindow::OnMouseTrack(TPoint point)
{
    TWindowManager* wm = GetWindowManager();
    THoverTrackHandler* handler = wm != nullptr ? wm->GetHoverTrackHandler() : nullptr;
    return handler != nullptr && handler->OnMouseTrack(this, point);
}

// ---------------------------------------------------------------------------
// Messages

void TWindow::SendMessage(std::unique_ptr<TMessage> message)
{
    if (message == nullptr) return;
    TWindow* w = this;
    for (;;)
    {
        if (w->OnMessage(message.get())) return;
        if (w->IsModalLayer()) break;
        w = w->parent_;
        // A detached branch: nobody above can take it.
        if (w == nullptr) return;
    }
    if (w->IsModalWindow())
    {
        if (TWindow* focus = static_cast<TModalWindow*>(w)->GetFocusChild())
        {
            if (focus->OnMessage(InnerMessage(message.get()))) return;
        }
    }
    TWindowManager* wm = GetWindowManager();
    if (wm != nullptr && wm->GetScript() != nullptr)
        wm->GetScript()->PostToScript(std::move(message), nullptr);
}

// ---------------------------------------------------------------------------
// Event routing

bool DispatchEvent(TWindow* window, const TEvent& original, bool focusAssigned)
{
    TEvent event = original;
    while (window != nullptr)
    {
        const TPoint point(event.x, event.y);
        bool handled = false;
        switch (event.type)
        {
            case kEventLeftDown:
                handled = window->OnMouseDown(point);
                break;
            case kEventButton:
                handled = window->OnMouseButton(point, event.data);
                break;
            case kEventLeftUp:
                handled = window->OnMouseUp(point);
                break;
            case kEventMouseMove:
                handled = window->OnMouseMove(point);
                break;
            case kEventHover:
                handled = window->OnMouseTrack(point);
                break;
            case kEventKeyDown:
                handled = window->OnKeyDown(static_cast<int8_t>(event.data), event.modifiers);
                break;
            case kEventKeyUp:
                handled = window->OnKeyUp(static_cast<int8_t>(event.data));
                break;
            case kEventChar:
            case kEventCharUtf8:
                if (gSwallowNextChar)
                {
                    gSwallowNextChar = false;
                    handled = true;
                }
                else if (event.type == kEventChar)
                {
                    handled = window->OnChar(static_cast<char>(event.data));
                }
                else
                {
                    const TString text = TString::FromCodePoint(static_cast<uint32_t>(event.data));
                    handled = window->OnText(text);
                    if (!handled && text.Length() == 1)
                        handled = window->OnChar(static_cast<char>(event.data));
                }
                break;
            default:
                break;
        }

        if (event.type == kEventLeftDown && !focusAssigned)
        {
            for (TWindow* w = window; w != nullptr; w = w->GetParent())
            {
                if (w->GetFlags() & kWindowTakesFocus)
                {
                    if (TWindowManager* wm = GetWindowManager()) wm->SetFocusWindow(w);
                    focusAssigned = true;
                    break;
                }
            }
        }
        if (handled) return true;

        if (window->IsModalLayer())
        {
            const bool overlayMouse = GetSettingBool(kSettingOverlayMouse);
            TWindowManager* wm = GetWindowManager();
            if (!overlayMouse && wm != nullptr)
            {
                if (event.type == kEventLeftUp)
                {
                    wm->QueueMessage(std::make_unique<TMessage>(kPressAnyKey, "mouse:up"));
                }
                else if (event.type == kEventKeyDown)
                {
                    const char key[2] = {static_cast<char>(event.data), 0};
                    wm->QueueMessage(std::make_unique<TMessage>(kPressAnyKey,
                                                                TString("raw:") + TString(key, 1)));
                }
            }
            return false;
        }

        TWindow* parent = window->GetParent();
        if (parent == nullptr) return false;
        TEvent next = event;
        TPoint p = point;
        if (IsMouseEvent(event.type))
        {
            p = window->ToParent(point);
            next.x = p.x;
            next.y = p.y;
        }
        // The first visible sibling behind this window under the point takes
        // the event at its deepest window; else the parent.
        TWindow* target = parent;
        const auto& siblings = parent->GetChildren();
        auto it = std::find(siblings.begin(), siblings.end(), window);
        if (it != siblings.end())
        {
            for (++it; it != siblings.end(); ++it)
            {
                TWindow* s = *it;
                if (s->GetRect().Contains(p.x, p.y) && s->IsVisible())
                {
                    TPoint local;
                    target = s->HitDeep(s->FromParent(p), -1, &local);
                    if (IsMouseEvent(event.type))
                    {
                        next.x = local.x;
                        next.y = local.y;
                    }
                    break;
                }
            }
        }
        window = target;
        event = next;
    }
    return false;
}

// ---------------------------------------------------------------------------
// Drawing

bool DrawTree(TDrawContext* dc, TWindow* window, int kind)
{
    if (dc == nullptr || window == nullptr) return false;
    if (!(window->GetFlags() & kWindowVisible)) return false;
    if (kind == kDrawCapture)
    {
        TWindow* parent = window->GetParent();
        if (!(window->GetFlags() & kWindowScreenLayer) || parent == nullptr ||
            !(parent->GetFlags() & kWindowCaptured))
            return false;
        window->SetFlags(window->GetFlags() | kWindowCaptured);
    }
    else if (kind == kDrawAfterCapture && (window->GetFlags() & kWindowCaptured))
    {
        return false;
    }

    const TRect screen = window->GetScreenRect();
    TRect clip;
    clip.Intersect(screen, dc->GetClipRect());
    if (clip.right <= clip.left || clip.bottom <= clip.top) return true;

    dc->PushViewport(screen);
    dc->PushClipRect(clip);
    window->Draw();
    // Children are drawn bottom to top. A handler may change the list while
    // it draws: the walk goes on from where the child just drawn now stands.
    const std::vector<TWindow*>& children = window->GetChildren();
    for (size_t i = children.size(); i-- > 0;)
    {
        TWindow* child = children[i];
        if (!child->IsModalLayer()) DrawTree(dc, child, kind);
        if (i >= children.size() || children[i] != child)
        {
            auto it = std::find(children.begin(), children.end(), child);
            i = it != children.end() ? static_cast<size_t>(it - children.begin())
                                     : std::min(i, children.size());
        }
    }
    window->DrawOverlay();
    dc->PopClipRect();
    dc->PopViewport();
    return true;
}
