// TButton: a layered window that shows one image per visual state (normal,
// pressed, hover, and for toggle and radio buttons the same again for "on"),
// tracks the mouse, hit-tests an optional mask, plays its click and rollover
// sounds, runs its command and posts kButtonPress. Made from Lua tables
// under the type name "Button".
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "graphics/Texture.h"
#include "ui/LayeredWindow.h"
#include "ui/WindowSpider.h"

class TLuaFunction;
class TSound;

// Main thread only.
class TButton : public TLayeredWindow
{
public:
    enum : int32_t
    {
        kPush = 0,
        kToggle = 1,
        kRadio = 2,
    };
    // Visual states; kClicking is passed to SetState by Click only.
    enum : int32_t
    {
        kNormal = 0,
        kPressed = 1,
        kHover = 2,
        kClicking = 3,
    };
    // Option bits.
    enum : uint32_t
    {
        kSendToParent = 0x1,
        kOn = 0x2,
        kCloseDialog = 0x4,
        kDefault = 0x8,
        kCancel = 0x10,
    };
    // Option bits SetOptions takes (kOn is the toggle state's own).
    enum : uint32_t
    {
        kOptionBeginGroup = 0x1,
        kOptionSendToParent = 0x2,
        kOptionClose = 0x4,
        kOptionDefault = 0x8,
        kOptionCancel = 0x10,
    };

    // What a press runs.
    class Action
    {
    public:
        virtual ~Action() = default;
        virtual void Run(TButton* button) = 0;
    };

    // A script function, run through the window script with the global
    // function GetButtonName answering the button's name.
    class LuaAction : public Action
    {
    public:
        // Owns function.
        explicit LuaAction(TLuaFunction* function);
        ~LuaAction() override;
        void Run(TButton* button) override;

    private:
        std::unique_ptr<TLuaFunction> function_;
    };

    TButton();
    ORVELLE_WINDOW_CLASS(TLayeredWindow);
    // Leaves the hover list first.
    ~TButton() override;
    bool OnAttached() override;
    // Keys: "type", "scale", "sound", "rolloversound", "mask",
    // "sendToParent", "beginGroup", "close", "default", "cancel", "on",
    // "tooltip" (no effect), "graphics" with "hflip", "vflip", "rotate", and
    // "command". Image children are named "image0" to "image3"; an empty or
    // missing entry of "graphics" reuses the image before it.
    void Init(TWindowStyle& style) override;
    void PostInit(TWindowStyle& style) override;
    bool OnMouseDown(TPoint point) override;
    bool OnMouseUp(TPoint point) override;
    bool OnMouseMove(TPoint point) override;
    bool OnMouseLeave() override;

    // --- Button operations (derived controls replace them) ---
    // Runs the press: false when the button left the tree or the top modal
    // changed.
    virtual bool Click();
    // Shows the layer of state and plays the rollover sound on entering
    // hover.
    virtual void SetState(int32_t state, int32_t previous);
    // Stores state, then SetState.
    virtual void SetStateBits(int32_t state);

    // Queues the close request ("close"), runs the action and queues
    // kButtonPress. True when the button left the window tree while its
    // action ran (the message is then dropped unless "sendToParent").
    bool RunCommand();
    // A radio button turned on turns the other buttons of its group off.
    void SetToggleState(bool on);
    bool IsOn() const { return (options_ & kOn) != 0; }
    // Owned from here; the previous action is deleted (one running now is
    // deleted once its run ends).
    void SetAction(Action* action);
    Action* GetAction() const { return action_.get(); }
    // Slot 1 click, 2 rollover.
    void SetSound(int32_t slot, const TString& name);
    // A texture that cannot be locked changes nothing.
    void SetMaskImage(const TTextureRef& texture);
    void SetType(int32_t type) { type_ = ((type & 0xF) ^ 0x8) - 0x8; }
    int32_t GetType() const { return type_; }
    // Bits are only added.
    void SetOptions(uint32_t bits);
    uint32_t GetOptions() const { return options_; }
    int32_t GetVisualState() const { return state_; }
    // Point in the button's coordinates; outside (the rectangle or a mask
    // pixel darker than (20, 20, 20)) also leaves the hover state.
    bool IsOutsideHitArea(TPoint point);

private:
    int32_t type_ = kPush;
    int32_t state_ = kNormal;
    uint32_t options_ = 0;
    std::unique_ptr<Action> action_;
    Action* running_ = nullptr;
    std::shared_ptr<TSound> sounds_[3];
    std::vector<uint32_t> mask_;
    int32_t maskWidth_ = 0;
    int32_t maskHeight_ = 0;
};

// The visible default and cancel buttons of a subtree; a later one in walk
// order replaces an earlier one, and the walk stops once both are known.
class FindDefault : public TWindowSpider
{
public:
    bool Visit(TWindow* window) override;
    TButton* defaultButton = nullptr;
    TButton* cancelButton = nullptr;
};

// The first character of label matching the key's last one (ASCII case
// ignored) wrapped in "<u>" and "</u>"; label unchanged when there is none
// or the key is empty.
TString TagHotKeyInLabel(const TString& key, const TString& label);
// Label without its first "&"; key gets "@" and the byte after the "&", or
// "" when there is none or it starts a longer UTF-8 character.
TString StripHotKeyFromLabel(const TString& label, TString* key);
