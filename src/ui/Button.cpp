// The button: states and layers, mouse tracking, the mask hit test, the
// press and its command, radio groups.
#include "ui/Button.h"

#include "core/Log.h"
#include "core/SettingKeys.h"
#include "core/Settings.h"
#include "script/LuaFunction.h"
#include "script/LuaTable.h"
#include "script/lang/lua.h"
#include "sound/Sound.h"
#include "ui/Image.h"
#include "ui/Message.h"
#include "ui/ModalWindow.h"
#include "ui/Screen.h"
#include "ui/WindowManager.h"
#include "ui/WindowScriptLink.h"
#include "ui/WindowSpider.h"
#include "ui/WindowStyle.h"

namespace
{

// Mask pixels with red, green and blue all below this are outside.
const uint32_t kMaskThreshold = 20;

void Invalidate()
{
    if (TWindowManager* wm = GetWindowManager()) wm->Invalidate();
}

void PlaySound(const std::shared_ptr<TSound>& sound)
{
    if (sound) sound->Play(false);
}

// Turns off the other buttons of the group of button: pass 0 finds the
// group's first button (the last one flagged at or before button), pass 1
// walks from it to the next flagged window.
class TRadioButtonSpider : public TWindowSpider
{
public:
    explicit TRadioButtonSpider(TButton* button) : button_(button) {}
    int pass = 0;

    bool Visit(TWindow* window) override
    {
        const bool begins = (window->GetFlags() & kWindowBeginsGroup) != 0;
        if (pass == 0)
        {
            if (begins) groupStart_ = window;
            return window != button_;
        }
        if (found_ && begins) return false;
        if (!found_ && window == groupStart_) found_ = true;
        if (found_ && window != button_ && window->IsKindOf(TButton::ClassId()))
            static_cast<TButton*>(window)->SetToggleState(false);
        return true;
    }

private:
    TButton* button_;
    TWindow* groupStart_ = nullptr;
    bool found_ = false;
};

// GetButtonName's value: the name rides in the closure as a string value,
// so no name ever becomes source text.
int ButtonNameFunction(lua_State* L)
{
    lua_pushvalue(L, lua_upvalueindex(1));
    return 1;
}

void DefineGetButtonName(lua_State* L, const TString& name)
{
    lua_pushstring(L, "GetButtonName");
    lua_pushlstring(L, name.CStr(), static_cast<size_t>(name.Length()));
    lua_pushcclosure(L, &ButtonNameFunction, 1);
    lua_settable(L, LUA_GLOBALSINDEX);
}

// The window library stores the group mark as the number 0 or 1 (set by
// BeginGroup for the next window made); 0 must not start a group, so a
// number counts as true only when it is not 0.
bool ReadGroupMark(const TWindowStyle& style)
{
    if (!style.Find("beginGroup")) return false;
    lua_State* L = style.GetState();
    const bool v = lua_type(L, -1) == LUA_TNUMBER ? lua_tonumber(L, -1) != 0 : lua_toboolean(L, -1) != 0;
    lua_pop(L, 1);
    return v;
}

bool InTree(const TWindow* window, const TWindowManager* wm)
{
    const TWindow* root = wm != nullptr ? wm->GetScreen() : nullptr;
    for (const TWindow* w = window; w != nullptr; w = w->GetParent())
        if (w == root) return true;
    return false;
}

}  // namespace

// ---------------------------------------------------------------------------
// Actions

TButton::LuaAction::LuaAction(TLuaFunction* function) : function_(function) {}

TButton::LuaAction::~LuaAction() = default;

void TButton::LuaAction::Run(TButton* button)
{
    TWindowManager* wm = GetWindowManager();
    TWindowScriptLink* script = wm != nullptr ? wm->GetScript() : nullptr;
    if (script == nullptr || !function_) return;
    // The script takes a reference of its own: this action may be replaced
    // or deleted while the command waits in the queue.
    lua_State* L = function_->GetThread();
    DefineGetButtonName(L, button->GetName());
    function_->Push();
    script->PostToScript(
        std::make_unique<TMessage>(kCommandOnly, TString("LuaAction:") + button->GetName()),
        std::make_unique<TLuaFunction>(L));
}

// ---------------------------------------------------------------------------
// Construction

ORVELLE_WINDOW_RECORD(TButton)

TButton::TButton() : TLayeredWindow(4) {}

TButton::~TButton()
{
    OnMouseLeave();
}

bool TButton::OnAttached()
{
    SetStateBits(kNormal);
    return true;
}

void TButton::Init(TWindowStyle& style)
{
    TWindow::Init(style);

    const TString sound = style.GetString("sound");
    const TString rollover = style.GetString("rolloversound");
    const TString mask = style.GetString("mask");
    SetType(style.GetInt("type", kPush));
    const float scale = static_cast<float>(style.GetNumber("scale", 1.0));
    uint32_t options = 0;
    if (style.GetBool("sendToParent", false)) options |= kOptionSendToParent;
    if (ReadGroupMark(style)) options |= kOptionBeginGroup;
    if (style.GetBool("close", false)) options |= kOptionClose;
    if (style.GetBool("default", false)) options |= kOptionDefault;
    if (style.GetBool("cancel", false)) options |= kOptionCancel;
    // Before the options: a radio button's own group flag is not set yet.
    if (style.GetBool("on", false)) SetToggleState(true);
    SetOptions(options);

    if (!sound.IsEmpty()) SetSound(1, sound);
    if (!rollover.IsEmpty()) SetSound(2, rollover);
    if (!mask.IsEmpty()) SetMaskImage(TTexture::Get(mask, 0));
    (void)style.GetString("tooltip");

    if (std::unique_ptr<TLuaTable> graphics{style.GetTable("graphics")})
    {
        const int count = type_ == kPush ? 3 : 4;
        int32_t flip = 0;
        if (style.GetBool("hflip", false)) flip |= TDrawParams::kMirrorX;
        if (style.GetBool("vflip", false)) flip |= TDrawParams::kMirrorY;
        const bool rotate = style.GetBool("rotate", false);
        TImage* image = nullptr;
        for (int i = 0; i < count; ++i)
        {
            const TString name = graphics->GetStringAt(i + 1);
            if (!name.IsEmpty())
            {
                image = new TImage();
                image->SetRotate(rotate);
                image->SetTexture(TTexture::Get(name, 0), scale);
                image->SetName(TString::Format("image%d", i));
                image->SetFlip(flip);
            }
            SelectLayer(i);
            if (image != nullptr && !AddChild(image, true) && !HasChild(image))
            {
                delete image;
                image = nullptr;
            }
        }
        FitToChildren();
    }

    if (TLuaFunction* command = style.GetFunction("command")) SetAction(new LuaAction(command));
    SelectLayer(kAllLayers);
}

void TButton::PostInit(TWindowStyle& style)
{
    TWindow::PostInit(style);
    SetStateBits(kNormal);
}

// ---------------------------------------------------------------------------
// Mouse

bool TButton::OnMouseDown(TPoint point)
{
    if (state_ == kNormal)
        if (TWindowManager* wm = GetWindowManager()) wm->AddHover(this);
    SetStateBits(kPressed);
    IsOutsideHitArea(point);
    return true;
}

bool TButton::OnMouseUp(TPoint point)
{
    if (state_ == kNormal || IsOutsideHitArea(point)) return true;
    if (state_ == kPressed && !Click()) return true;
    if (IsVisible())
        SetStateBits(kHover);
    else
        OnMouseLeave();
    return true;
}

bool TButton::OnMouseMove(TPoint point)
{
    if (IsOutsideHitArea(point)) return false;
    if (state_ == kNormal)
    {
        SetStateBits(kHover);
        if (TWindowManager* wm = GetWindowManager()) wm->AddHover(this);
    }
    return true;
}

bool TButton::OnMouseLeave()
{
    if (state_ != kNormal)
        if (TWindowManager* wm = GetWindowManager()) wm->RemoveHover(this);
    SetStateBits(kNormal);
    return true;
}

bool TButton::IsOutsideHitArea(TPoint point)
{
    if (point.x < 0 || point.x >= GetWidth() || point.y < 0 || point.y >= GetHeight())
    {
        OnMouseLeave();
        return true;
    }
    if (mask_.empty() || maskWidth_ <= 0 || maskHeight_ <= 0) return false;
    const float sx = float(GetWidth()) / float(maskWidth_);
    const float sy = float(GetHeight()) / float(maskHeight_);
    int64_t mx, my;
    if (GetSettingBool(kSettingFixButtonMask))
    {
        mx = static_cast<int64_t>(float(point.x) / sx);
        my = static_cast<int64_t>(float(point.y) / sy);
    }
    else
    {
        mx = static_cast<int64_t>(float(point.x) * sx);
        my = static_cast<int64_t>(float(point.y) * sy);
    }
    if (mx < 0 || my < 0 || mx >= maskWidth_ || my >= maskHeight_)
    {
        OnMouseLeave();
        return true;
    }
    const uint32_t pixel = mask_[size_t(my) * size_t(maskWidth_) + size_t(mx)];
    const uint32_t r = (pixel >> 16) & 0xFF, g = (pixel >> 8) & 0xFF, b = pixel & 0xFF;
    if (r < kMaskThreshold && g < kMaskThreshold && b < kMaskThreshold)
    {
        OnMouseLeave();
        return true;
    }
    return false;
}

// ---------------------------------------------------------------------------
// States

void TButton::SetStateBits(int32_t state)
{
    const int32_t previous = state_;
    state_ = ((state & 0x7) ^ 0x4) - 0x4;
    SetState(state_, previous);
}

void TButton::SetState(int32_t state, int32_t previous)
{
    if (state != previous && state != kPressed && previous != kClicking && state >= 0 &&
        state <= 2 && (GetFlags() & kWindowVisible) != 0)
        PlaySound(sounds_[state]);

    if (type_ != kPush && type_ != kToggle && type_ != kRadio) return;
    const bool on = type_ != kPush && IsOn();
    switch (state)
    {
    case kNormal: SelectLayer(on ? 1 : 0); break;
    case kPressed: SelectLayer(type_ == kPush ? 1 : (on ? 0 : 1)); break;
    case kHover: SelectLayer(type_ == kPush ? 2 : (on ? 3 : 2)); break;
    default: break;
    }
}

void TButton::SetToggleState(bool on)
{
    if (type_ == kRadio && on && GetParent() != nullptr)
    {
        TRadioButtonSpider spider(this);
        GetParent()->VisitChildren(spider, true);
        spider.pass = 1;
        GetParent()->VisitChildren(spider, true);
    }
    if (on)
        options_ |= kOn;
    else
        options_ &= ~uint32_t(kOn);
    SetStateBits(state_);
    Invalidate();
}

void TButton::SetOptions(uint32_t bits)
{
    if (bits & kOptionBeginGroup) AddRoleFlags(kWindowBeginsGroup);
    if (bits & kOptionSendToParent) options_ |= kSendToParent;
    if (bits & kOptionClose) options_ |= kCloseDialog;
    if (bits & kOptionDefault) options_ |= kDefault;
    if (bits & kOptionCancel) options_ |= kCancel;
}

void TButton::SetAction(Action* action)
{
    if (action_.get() == running_)
        (void)action_.release();  // RunCommand deletes it when its run ends
    action_.reset(action);
}

void TButton::SetSound(int32_t slot, const TString& name)
{
    if (slot < 0 || slot > 2) return;
    sounds_[slot] = TSound::Get(name, true, 0);
}

void TButton::SetMaskImage(const TTextureRef& texture)
{
    const TLockedPixels pixels(texture);
    if (!pixels) return;
    const int w = texture->GetWidth(), h = texture->GetHeight();
    if (w <= 0 || h <= 0 || pixels.GetPitch() < w) return;
    mask_.assign(size_t(w) * size_t(h), 0);
    for (int y = 0; y < h; ++y)
        std::copy(pixels.Row(y), pixels.Row(y) + w,
                  mask_.begin() + ptrdiff_t(size_t(y) * size_t(w)));
    maskWidth_ = w;
    maskHeight_ = h;
}

// ---------------------------------------------------------------------------
// The press

bool TButton::Click()
{
    SetState(kClicking, kPressed);
    if (IsVisible()) PlaySound(sounds_[1]);
    if (RunCommand())
    {
        OnMouseLeave();
        return false;
    }
    if (type_ == kRadio)
    {
        SetToggleState(true);
    }
    else if (type_ == kToggle)
    {
        options_ ^= kOn;
        SetStateBits(state_);
    }
    TWindowManager* wm = GetWindowManager();
    TWindow* top = wm != nullptr ? wm->GetTopModal() : nullptr;
    if (top != static_cast<TWindow*>(GetModalParent()))
    {
        OnMouseLeave();
        return false;
    }
    return true;
}

bool TButton::RunCommand()
{
    TWindowManager* wm = GetWindowManager();
    TModalWindow* modal = GetModalParent();
    if ((options_ & kCloseDialog) != 0 && modal != nullptr && wm != nullptr)
    {
        wm->QueueMessage(std::make_unique<TMessage>(kCloseWindow, modal->GetIdString()));
        if (TWindowScriptLink* script = wm->GetScript()) script->SetGlobalText("gReturnValue", GetName());
    }

    TWindow* receiver = GetParent();
    if ((options_ & kSendToParent) != 0)
    {
        TWindow* top = wm != nullptr ? wm->GetTopModal() : nullptr;
        receiver = top != nullptr ? top->GetParent() : nullptr;
    }
    auto message = std::make_unique<TMessage>(kButtonPress, GetName(), receiver);
    if (!action_)
    {
        if (wm != nullptr) wm->QueueMessage(std::move(message));
        return false;
    }
    const TScriptHandle receiverHandle =
        receiver != nullptr ? receiver->GetScriptHandle() : TScriptHandle();

    // The command may replace this action (SetAction defers the delete to
    // here) or take the button out of the tree.
    Action* action = action_.get();
    running_ = action;
    action->Run(this);
    running_ = nullptr;
    if (action_.get() != action) delete action;

    // A receiver destroyed or condemned by the command is forgotten.
    if (receiver != nullptr && (TWindow::FromHandle(receiverHandle) == nullptr ||
                                (wm != nullptr && wm->IsPendingDelete(receiver))))
        message->SetReceiver(nullptr);
    if (InTree(this, wm))
    {
        wm->QueueMessage(std::move(message));
        return false;
    }
    if ((options_ & kSendToParent) != 0 && wm != nullptr) wm->QueueMessage(std::move(message));
    return true;
}

bool FindDefault::Visit(TWindow* window)
{
    if (window->IsKindOf(TButton::ClassId()))
    {
        auto* button = static_cast<TButton*>(window);
        if ((button->GetOptions() & TButton::kDefault) != 0 && button->IsVisible()) defaultButton = button;
        if ((button->GetOptions() & TButton::kCancel) != 0 && button->IsVisible()) cancelButton = button;
        return defaultButton == nullptr || cancelButton == nullptr;
    }
    window->VisitChildren(*this);
    return true;
}
