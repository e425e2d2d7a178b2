// TMessage: a message between windows (a kind, a name, an optional
// receiver), and TLuaMessageWrapper: a message that a script posted, which
// keeps the script's message value alive until the wrapper goes. Also the
// script side of messages: the values with the "qvMessageMetatable"
// registry entry.
#pragma once

#include <cstdint>
#include <memory>
#include <utility>

#include "core/Asset.h"
#include "core/SmallBlocks.h"
#include "core/String.h"
#include "script/LuaObject.h"
#include "script/ScriptObject.h"
#include "script/lang/lua.h"

class TWindow;

namespace message_detail
{
// Class identities compare by address; inline, so a kind test costs no call.
inline constexpr char kMessageClass = 0;
inline constexpr char kLuaMessageWrapperClass = 0;
}  // namespace message_detail

enum TMessageKind : int32_t
{
    kGeneric = 0,
    kCloseWindow = 1,    // name: the name or id text of the modal to close
    kDefaultAction = 2,  // Enter or Escape that no default or cancel button took
    kButtonPress = 3,
    kPressAnyKey = 4,  // "mouse:up" or "raw:" plus a key byte
    kQuitNow = 5,
    kModalClosed = 6,  // name: the closed modal's id text
    kTextEditChanged = 7,
    kCommandOnly = 8,
    kSliderValChanged = 9,
    kSliderMouseUp = 10,
    kSliderPageUp = 11,
    kSliderPageDown = 12,
    kUserMessageBase = 1000,
};

// The receiver is not owned: the window manager clears it when that window
// (or one containing it) is scheduled for deletion or destroyed. Messages
// come and go by the thousand: they are allocated from the small blocks.
class TMessage : public TScriptObject, public TSmallBlockAllocated
{
public:
    explicit TMessage(int32_t kind = kGeneric, TString name = TString(),
                      TWindow* receiver = nullptr)
        : kind_(kind), name_(std::move(name)), receiver_(receiver)
    {
    }
    virtual const char* GetClassName() const { return "TMessage"; }
    virtual bool IsKindOf(TClassId id) const { return id == ClassId(); }
    ~TMessage() override = default;
    TMessage(const TMessage&) = delete;
    TMessage& operator=(const TMessage&) = delete;

    static TClassId ClassId() { return &message_detail::kMessageClass; }

    int32_t GetKind() const { return kind_; }
    void SetKind(int32_t kind) { kind_ = kind; }
    const TString& GetName() const { return name_; }
    void SetName(const TString& name) { name_ = name; }
    TWindow* GetReceiver() const { return receiver_; }
    void SetReceiver(TWindow* receiver) { receiver_ = receiver; }

private:
    int32_t kind_;
    TString name_;
    TWindow* receiver_;
};

// The registry reference to a script's message value.
class TLuaMessage : public TLuaObjectWrapper
{
public:
    // Takes the value on the top of L's stack.
    explicit TLuaMessage(lua_State* L) : TLuaObjectWrapper(L) {}
};

class TLuaMessageWrapper : public TMessage
{
public:
    // Takes the message value on the top of L's stack (popped) and copies
    // its kind, name and receiver. A value that holds no message gives a
    // kGeneric wrapper without inner message.
    explicit TLuaMessageWrapper(lua_State* L);
    const char* GetClassName() const override { return "TLuaMessageWrapper"; }
    bool IsKindOf(TClassId id) const override { return id == ClassId() || TMessage::IsKindOf(id); }
    // Releases the reference only: the inner message belongs to its value's
    // "__gc".
    ~TLuaMessageWrapper() override;

    static TClassId ClassId() { return &message_detail::kLuaMessageWrapperClass; }

    // The message inside the script value; null when it held none.
    TMessage* GetInner() const { return inner_; }
    const TLuaMessage& GetLuaValue() const { return *value_; }

private:
    std::unique_ptr<TLuaMessage> value_;
    TMessage* inner_ = nullptr;
};

// The message that handlers outside the tree see: a wrapper's inner message
// (when it has one), else the message itself.
TMessage* InnerMessage(TMessage* message);

// --- Script values ----------------------------------------------------------

// Registers the metatable "qvMessageMetatable" in L's registry: "__gc"
// deletes the held message, "__index" gives "type" and "name". Every object
// pushed to scripts carries this metatable; for one that is not a live
// message both do nothing (a window value collected leaves its window be).
// The state's object values become owned references whose release does what
// "__gc" does, straight from the collector.
void RegisterMessageMetatable(lua_State* L);
// Pushes a new message value holding message; the script's collector owns
// the message from here. Nil for null.
void PushMessageValue(lua_State* L, std::unique_ptr<TMessage> message);
// The live message held by the value at idx; null for nil, any other value,
// or a message already freed.
TMessage* ToMessageValue(lua_State* L, int idx);
