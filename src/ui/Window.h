// TWindow: the base of every window, control, dialog and screen, and the
// window tree they form: children, hit testing, event routing inside the
// tree, coordinates, placement from a style table, drawing order and
// per-window timers. TWindowAnim: a window's timer task.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "core/AnimTask.h"
#include "core/Event.h"
#include "core/String.h"
#include "core/ValueTypes.h"
#include "script/ScriptObject.h"
#include "ui/WindowClass.h"

class TMessage;
class TModalWindow;
class TWindowAnim;
class TWindowSpider;
class TWindowStyle;
class TDrawContext;

// Flag bits. Bits 0-7 are role bits a class sets; bits 8-15 are state bits
// that SetFlags replaces.
enum : uint32_t
{
    kWindowModal = 0x1,        // a modal layer: propagation stops here
    kWindowTakesFocus = 0x2,   // a press inside makes it the focus window
    kWindowScreenLayer = 0x4,  // taken into the capture pass
    kWindowBeginsGroup = 0x8,  // the first button of a radio group
    kWindowVisible = 0x100,
    kWindowCaptured = 0x400,  // drawn in the capture pass of this frame
    kWindowOpaque = 0x800,    // covers everything behind it
};

// Kinds of DrawTree.
enum : int
{
    kDrawNormal = 0,
    kDrawCapture = 1,       // only screen-layer windows under a captured parent
    kDrawAfterCapture = 2,  // what the capture pass took is skipped
};

// Main thread only. A window owns its children and deletes them with
// itself; a window still in its parent's list is taken out with
// RemoveChild before it is deleted (the window manager's ScheduleDelete does
// both and deletes it at the start of the next event). Scripts hold windows
// through their script-object base.
class TWindow : public TScriptObject
{
public:
    TWindow();

    // --- Virtual operations, in their fixed order ---
    virtual const char* GetClassName() const { return ClassId()->name; }
    virtual bool IsKindOf(TWindowClassId id) const { return id == ClassId(); }
    virtual ~TWindow();
    // Attaching with the attach check, pushing as a modal or installing as
    // the screen: false refuses the attachment.
    virtual bool OnAttached() { return true; }
    virtual bool Reserved4() { return false; }
    // Sets the name from "name", then ApplyPlacement.
    virtual void Init(TWindowStyle& style);
    // FitToChildren when "fit" is true, then ApplyPlacement again.
    virtual void PostInit(TWindowStyle& style);
    virtual void Draw() {}
    // After the children are drawn.
    virtual void DrawOverlay() {}
    // Puts child in front of the others (when not listed yet) and sets its
    // parent; with attachCheck, a child whose OnAttached refuses is taken
    // out again and false returned (the caller keeps ownership).
    virtual bool AddChild(TWindow* child, bool attachCheck);
    // Unlinks child (not deleted) and withdraws it from its modal's covering set.
    virtual void RemoveChild(TWindow* child);
    virtual void OnModalPopped() {}
    virtual void Rescale(float factor, int32_t unused) { (void)factor, (void)unused; }
    // True: the message was taken (the caller then deletes it).
    virtual bool OnMessage(TMessage* message) { return (void)message, false; }
    virtual bool OnTimer() { return false; }
    virtual bool OnMouseDown(TPoint point) { return (void)point, false; }
    virtual bool OnMouseButton(TPoint point, int32_t button)
    {
        return (void)point, (void)button, false;
    }
    virtual bool OnMouseUp(TPoint point) { return (void)point, false; }
    virtual bool OnMouseMove(TPoint point) { return (void)point, false; }
    virtual bool OnMouseLeave() { return false; }
    virtual bool Reserved20() { return false; }
    virtual bool OnChar(char c) { return (void)c, false; }
    virtual bool OnText(TString text) { return (void)text, false; }
    virtual bool OnKeyDown(int8_t key, int32_t modifiers)
    {
        return (void)key, (void)modifiers, false;
    }
    virtual bool OnKeyUp(int8_t key) { return (void)key, false; }
    // The manager's hover-tracking handler when one is installed, else false.
    virtual bool OnMouseTrack(TPoint point);
    // This window has just become the manager's focus window.
    virtual void OnFocusChanged(TWindow* previous) { (void)previous; }
    virtual void Reserved27(void* unused) { (void)unused; }

    static TWindowClassId ClassId();

    // The window handle names (GetScriptHandle), from its construction until
    // its destruction begins; null after that, whatever is made later at its
    // address. What outlives a window's calls keeps its handle, not its
    // address.
    static TWindow* FromHandle(TScriptHandle handle);

    // --- Tree and geometry ---
    TWindow* GetParent() const { return parent_; }
    // Front (topmost) first.
    const std::vector<TWindow*>& GetChildren() const { return children_; }
    bool HasChild(const TWindow* child) const;

    const TString& GetName() const { return name_; }
    void SetName(const TString& name) { name_ = name; }
    int32_t GetId() const { return id_; }
    // The id as "%8x".
    TString GetIdString() const;
    uint32_t GetFlags() const { return flags_; }
    // Bits 8-15 replaced, bits 0-7 kept, higher bits cleared; a change of the
    // visible bit invalidates.
    void SetFlags(uint32_t flags);
    // Role bits are the class's own business.
    void AddRoleFlags(uint32_t bits) { flags_ |= (bits & 0xFFu); }

    const TRect& GetRect() const { return rect_; }
    int32_t GetWidth() const { return rect_.right - rect_.left; }
    int32_t GetHeight() const { return rect_.bottom - rect_.top; }
    TRect GetLocalRect() const { return TRect(0, 0, GetWidth(), GetHeight()); }
    TRect GetScreenRect() const;
    TPoint ToScreen(TPoint p) const;
    TPoint FromScreen(TPoint p) const;
    TPoint ToParent(TPoint p) const { return TPoint(p.x + rect_.left, p.y + rect_.top); }
    TPoint FromParent(TPoint p) const { return TPoint(p.x - rect_.left, p.y - rect_.top); }
    // Keeps the size; invalidates.
    void SetPosition(int32_t x, int32_t y);
    // Keeps the position; invalidates and tells the modal parent whether the
    // window now covers it.
    void SetSize(int32_t width, int32_t height);

    // Visible up to (and including) the first modal layer.
    bool IsVisible() const;
    bool IsModalLayer() const { return (flags_ & kWindowModal) != 0; }
    // IsKindOf(TModalWindow::ClassId()), asked on every delivery and idle
    // pass: once true the answer is kept.
    bool IsModalWindow() const { return modalWindow_.known || FindModalWindow(); }
    // The nearest modal-layer ancestor when it is a TModalWindow, else null.
    TModalWindow* GetModalParent() const;
    // This window or a descendant by name, to depth levels (0: only this
    // window, -1: the whole subtree); null when none.
    TWindow* FindChild(const TString& name, int depth);
    // The first visible child, front to back, containing point (in this
    // window's coordinates); this window when none.
    TWindow* HitChild(TPoint point);
    // The deepest window under point, descending at most depth - 1 levels
    // (-1: no limit); null when the depth runs out first. With local, the
    // point converted into the window found.
    TWindow* HitDeep(TPoint point, int depth, TPoint* local = nullptr);
    // True when other is this window or lies inside it.
    bool Contains(const TWindow* other) const;

    // Runs spider over a copy of the direct children (a visit may unlink),
    // front to back or back to front, until a visit returns false.
    void VisitChildren(TWindowSpider& spider, bool backwards = false);
    // Grows (never shrinks) the window to hold every child.
    void FitToChildren();
    // Every child is unlinked and handed to the manager's delayed deletion.
    void DeleteChildren();
    // Offers message up to the modal layer (see Message.h).
    void SendMessage(std::unique_ptr<TMessage> message);

    // Reads x, y, w, h and "align" from the style and places the window.
    void ApplyPlacement(TWindowStyle& style);

    // The window's timer task, made on first use on its modal's task list and
    // clock. Null (one log line) when the window has no modal.
    TWindowAnim* GetAnimTask();
    // No task (and one log line) when the window has no modal.
    void SetTimer(int32_t delay, bool repeat, bool restart, bool catchUp);
    void DetachAnimation();

private:
    friend class TWindowAnim;
    void TellModalCovering();
    bool FindModalWindow() const;

    TWindow* parent_ = nullptr;
    std::vector<TWindow*> children_;  // front = topmost
    TRect rect_;
    TString name_;
    uint32_t flags_ = kWindowVisible;
    int32_t id_ = 0;
    // Known to be a TModalWindow. A window is one from the modal's
    // construction until its destruction reaches this class, which clears
    // the mark; a no is never kept (the window may still be under
    // construction). A copy is another object: the mark is not copied.
    struct ModalMark
    {
        bool known = false;
        ModalMark() = default;
        ModalMark(const ModalMark&) {}
        ModalMark& operator=(const ModalMark&) { return *this; }
    };
    mutable ModalMark modalWindow_;
    TWindowAnim* anim_ = nullptr;
    // Set when ~TWindow begins: the handle still resolves until the script
    // object part goes, but the window is no longer one.
    bool destroying_ = false;
};

// Routes an event inside the tree (its point already in window's
// coordinates): the handler by type, focus on presses, then on refusal the
// sibling behind under the point or the parent, up to the modal layer.
// focusAssigned is passed on. True when some window handled it.
bool DispatchEvent(TWindow* window, const TEvent& event, bool focusAssigned);

// Draws window and its subtree (modal-layer children excepted) through dc.
// False when the window was not drawn for its kind or visibility.
bool DrawTree(TDrawContext* dc, TWindow* window, int kind);

// The character event that the platform makes for a fired hot key is
// dropped once.
void SetSwallowNextChar(bool on);
bool GetSwallowNextChar();

// Tests: the next window gets id 0 again.
void ResetWindowIdCounter();

// A window's timer: runs its OnTimer while the window lives.
class TWindowAnim : public TAnimTask
{
public:
    explicit TWindowAnim(TWindow* window) : window_(window) {}
    // Clears the window's pointer to this task.
    ~TWindowAnim() override;
    // False (the list drops the task) once the window is gone.
    bool DoTask() override;
    TWindow* GetWindow() const { return window_; }

private:
    friend class TWindow;
    TWindow* window_;
};
