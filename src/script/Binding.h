// Publishing native functions and member functions to scripts as global
// closures, with the adapters that convert arguments and results; and the
// host functions every script state gets ("_ALERT", "DebugOut", "toparams").
//
// A published function is a native closure with one upvalue, a full userdata
// holding the target (a function pointer, or an object's handle and pointer
// with a member function pointer). Nothing keeps the object alive: publishing
// code re-publishes or removes (LuaUnbind) its functions before the object
// goes; a member function called after its object died does nothing, returns
// no results and logs one line.
//
// Native objects that scripts hold, or whose members are published, derive
// from TScriptObject (script/ScriptObject.h): LuaBindMember and a T* result
// do not compile for a class that does not. Scripts see such an object as an
// object value: an external reference to its TScriptObject base whose key is
// the object's handle, so a value kept after its object died names nothing,
// even when a later object sits at the same address. A T* parameter takes
// T = a class derived from TScriptObject, or another polymorphic base of such
// objects (reached by dynamic_cast).
//
// Adapters do not check argument counts or kinds. Arguments convert as:
//   double, float        lua_tonumber (0 when it does not convert)
//   integers             lua_tonumber truncated toward zero, clamped to the
//                        parameter type's range (NaN reads 0)
//   bool                 false only for nil and false
//   TString              the text of a string or number, else ""
//   TLuaTable*           a new reference to the value, deleted after the call
//                        returns, before the owning script's next run
//   other T*             the live object an object value names when it is a
//                        T; null for nil and, with one log line, for anything
//                        else (a deleted object, one of another class, a
//                        value that is no object value, light userdata too)
//   lua_State*           the calling thread itself
// Results push as: nothing (void), a number (integers, floats), a boolean,
// a string (TString), an object value with the "qvMessageMetatable"
// registry entry as metatable (other T*; nil for a null pointer). A target
// that takes the thread and returns int returns its own result count.
//
// Failures: publishing raises the engine's memory error when the state
// cannot grow; adapters never fail on their own.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <tuple>
#include <type_traits>
#include <utility>

#include <typeinfo>

#include "core/Saturate.h"
#include "core/String.h"
#include "script/ScriptObject.h"
#include "script/lang/lua.h"

class TLuaTable;

// --- Conversions the adapters use (also for hand-written bindings) --------

// lua_tonumber truncated toward zero, saturating to T, NaN as 0. Inline:
// bindings that wait or poll read their argument this way on every call.
template <class T = int64_t>
inline T LuaArgInteger(lua_State* L, int idx)
{
    return SaturateTo<T>(lua_tonumber(L, idx));
}
// The text of a string or number at idx; "" for every other value.
TString LuaArgString(lua_State* L, int idx);
// The live object that the object value at idx names; null for every other
// value and for a value whose object is gone. Logs nothing.
TScriptObject* LuaToObject(lua_State* L, int idx);
// The live object that the object value (plain or owned reference) with this
// key names, else null: for the release hook of owned references.
inline TScriptObject* LuaObjectOfKey(uint64_t key)
{
    return TScriptObject::FromHandle(TScriptHandle::FromWord(key));
}
// LuaToObject for an argument: null for nil or an absent argument; null with
// one log line for any other value that does not name a live object.
TScriptObject* LuaArgObject(lua_State* L, int idx);
// The same, as a T: null with one log line when the object is of another
// class.
template <class T>
T* LuaArgObjectAs(lua_State* L, int idx);
// Logs that argument idx of the running binding is an object of another
// class than expected.
void LuaLogWrongClass(lua_State* L, int idx, const std::type_info& expected,
                      const TScriptObject& got);
// Logs that the object behind the running member binding is gone.
void LuaLogDeadTarget(lua_State* L);
// A new TLuaTable referring to the value at idx (of any kind).
TLuaTable* LuaArgTable(lua_State* L, int idx);
// Hands an argument table to the script owning L (deleted before its next
// run), or deletes it when no script owns the state.
void LuaReleaseArgTable(lua_State* L, TLuaTable* table);
// Pushes text, a string with static storage, made once per state: later
// pushes find it by text's address instead of hashing and looking the text
// up again (for names used on every call).
void LuaPushStaticString(lua_State* L, const char* text);
// Pushes an object value for object: an owned reference when the state has
// owned references (their metatable comes with them), else an external
// reference whose metatable is the registry entry "qvMessageMetatable" (when
// that is a table). Either refers to the TScriptObject base, with the
// object's handle as key. Nil for a null pointer.
void LuaPushObject(lua_State* L, const TScriptObject* object);
// The text of an error value for the log: the string or number itself, or a
// placeholder naming the kind ("(error value: table)").
TString LuaErrorText(lua_State* L, int idx);

// --- Publishing ------------------------------------------------------------

// Sets the global name to a closure of adapter with one upvalue holding a
// copy of the size bytes at record.
void LuaPublishClosure(lua_State* L, const char* name, lua_CFunction adapter, const void* record,
                       size_t size);
// Removes a published global (sets it to nil).
void LuaUnbind(lua_State* L, const char* name);

// Publishes "_ALERT", "DebugOut" and "toparams" into L's globals.
void PublishScriptHostFunctions(lua_State* L);
// The output function behind "DebugOut": it discards the text.
void ScriptDebugOut(TString text);

template <class T>
T* LuaArgObjectAs(lua_State* L, int idx)
{
    TScriptObject* object = LuaArgObject(L, idx);
    if constexpr (std::is_same_v<std::remove_cv_t<T>, TScriptObject>)
    {
        return object;
    }
    else
    {
        if (object == nullptr) return nullptr;
        // Most arguments are of exactly the class asked for; a type compare
        // is much cheaper than a search through the class graph.
        if constexpr (std::is_base_of_v<TScriptObject, std::remove_cv_t<T>>)
        {
            if (typeid(*object) == typeid(T)) return static_cast<T*>(object);
        }
        T* as = dynamic_cast<T*>(object);
        if (as == nullptr) LuaLogWrongClass(L, idx, typeid(T), *object);
        return as;
    }
}

namespace binding_detail
{

template <class T>
using Plain = std::remove_cv_t<std::remove_reference_t<T>>;

template <class T, class Enable = void>
struct Arg
{
    static_assert(sizeof(T) == 0, "no script conversion for this parameter type");
};

template <>
struct Arg<bool>
{
    bool v = false;
    void Read(lua_State* L, int i) { v = lua_toboolean(L, i) != 0; }
    bool Get() const { return v; }
    void Finish(lua_State*) {}
};

template <class T>
struct Arg<T, std::enable_if_t<std::is_floating_point_v<T>>>
{
    T v = 0;
    void Read(lua_State* L, int i) { v = static_cast<T>(lua_tonumber(L, i)); }
    T Get() const { return v; }
    void Finish(lua_State*) {}
};

template <class T>
struct Arg<T, std::enable_if_t<std::is_integral_v<T> && !std::is_same_v<T, bool>>>
{
    T v = 0;
    void Read(lua_State* L, int i) { v = LuaArgInteger<T>(L, i); }
    T Get() const { return v; }
    void Finish(lua_State*) {}
};

template <>
struct Arg<TString>
{
    TString v;
    void Read(lua_State* L, int i) { v = LuaArgString(L, i); }
    const TString& Get() const { return v; }
    void Finish(lua_State*) {}
};

template <>
struct Arg<lua_State*>
{
    lua_State* v = nullptr;
    void Read(lua_State* L, int) { v = L; }
    lua_State* Get() const { return v; }
    void Finish(lua_State*) {}
};

// The table lives until the call returns; only then does the owning script
// take it, so a run started from inside the call cannot delete it.
template <>
struct Arg<TLuaTable*>
{
    TLuaTable* v = nullptr;
    Arg() = default;
    Arg(const Arg&) = delete;
    Arg& operator=(const Arg&) = delete;
    ~Arg();
    void Read(lua_State* L, int i) { v = LuaArgTable(L, i); }
    TLuaTable* Get() const { return v; }
    void Finish(lua_State* L)
    {
        LuaReleaseArgTable(L, v);
        v = nullptr;
    }
};

template <class T>
struct Arg<T*, std::enable_if_t<!std::is_same_v<std::remove_cv_t<T>, char> &&
                                !std::is_same_v<std::remove_cv_t<T>, TLuaTable> &&
                                !std::is_same_v<std::remove_cv_t<T>, lua_State>>>
{
    static_assert(std::is_base_of_v<TScriptObject, std::remove_cv_t<T>> || std::is_polymorphic_v<T>,
                  "objects taken from scripts derive from TScriptObject");
    T* v = nullptr;
    void Read(lua_State* L, int i) { v = LuaArgObjectAs<T>(L, i); }
    T* Get() const { return v; }
    void Finish(lua_State*) {}
};

template <class R>
int PushResult(lua_State* L, R&& r)
{
    using P = Plain<R>;
    if constexpr (std::is_same_v<P, bool>)
    {
        lua_pushboolean(L, r ? 1 : 0);
    }
    else if constexpr (std::is_integral_v<P> || std::is_floating_point_v<P>)
    {
        lua_pushnumber(L, static_cast<lua_Number>(r));
    }
    else if constexpr (std::is_same_v<P, TString>)
    {
        lua_pushlstring(L, r.CStr(), static_cast<size_t>(r.Length()));
    }
    else if constexpr (std::is_pointer_v<P>)
    {
        static_assert(!std::is_same_v<std::remove_cv_t<std::remove_pointer_t<P>>, char>,
                      "return TString for text, not a character pointer");
        static_assert(std::is_base_of_v<TScriptObject, std::remove_cv_t<std::remove_pointer_t<P>>>,
                      "objects handed to scripts derive from TScriptObject");
        LuaPushObject(L, r);
    }
    else
    {
        static_assert(sizeof(P) == 0, "no script conversion for this result type");
    }
    return 1;
}

template <class... A>
constexpr bool kPassesThread = (std::is_same_v<Plain<A>, lua_State*> || ...);

// Reads the arguments left to right, calls, pushes the result.
template <class R, class... A, class F, size_t... I>
int Invoke(lua_State* L, F&& call, std::index_sequence<I...>)
{
    std::tuple<Arg<Plain<A>>...> args;
    (std::get<I>(args).Read(L, static_cast<int>(I) + 1), ...);
    if constexpr (std::is_void_v<R>)
    {
        call(std::get<I>(args).Get()...);
        (std::get<I>(args).Finish(L), ...);
        return 0;
    }
    else
    {
        R result = call(std::get<I>(args).Get()...);
        (std::get<I>(args).Finish(L), ...);
        if constexpr (std::is_same_v<Plain<R>, int> && kPassesThread<A...>)
        {
            return result;
        }
        else
        {
            return PushResult(L, std::move(result));
        }
    }
}

template <class R, class... A>
struct FreeRecord
{
    R (*fn)(A...);
};

template <class C, class M>
struct MemberRecord
{
    TScriptHandle handle;
    C* object;
    M method;
};

template <class R, class... A>
int FreeAdapter(lua_State* L)
{
    FreeRecord<R, A...> rec;
    std::memcpy(&rec, lua_touserdata(L, lua_upvalueindex(1)), sizeof rec);
    return Invoke<R, A...>(L, rec.fn, std::index_sequence_for<A...>{});
}

template <class C, class M, class R, class... A>
int MemberAdapter(lua_State* L)
{
    MemberRecord<C, M> rec;
    std::memcpy(&rec, lua_touserdata(L, lua_upvalueindex(1)), sizeof rec);
    if (TScriptObject::FromHandle(rec.handle) == nullptr)
    {
        LuaLogDeadTarget(L);
        return 0;
    }
    return Invoke<R, A...>(
        L,
        [&rec](auto&&... a) -> R
        { return (rec.object->*rec.method)(std::forward<decltype(a)>(a)...); },
        std::index_sequence_for<A...>{});
}

}  // namespace binding_detail

// Publishes a free function under the global name.
template <class R, class... A>
void LuaBindFunction(lua_State* L, const char* name, R (*fn)(A...))
{
    binding_detail::FreeRecord<R, A...> rec{fn};
    LuaPublishClosure(L, name, &binding_detail::FreeAdapter<R, A...>, &rec, sizeof rec);
}

// Publishes a member function called on object under the global name. The
// object may be of a class derived from the member's (an inherited member
// named through the derived class has the base's type).
template <class O, class C, class R, class... A>
void LuaBindMember(lua_State* L, const char* name, O* object, R (C::*method)(A...))
{
    static_assert(std::is_base_of_v<C, O>, "the object has no such member");
    static_assert(std::is_base_of_v<TScriptObject, O>,
                  "objects whose members scripts call derive from TScriptObject");
    using M = R (C::*)(A...);
    binding_detail::MemberRecord<C, M> rec{object->GetScriptHandle(), object, method};
    LuaPublishClosure(L, name, &binding_detail::MemberAdapter<C, M, R, A...>, &rec, sizeof rec);
}

template <class O, class C, class R, class... A>
void LuaBindMember(lua_State* L, const char* name, const O* object, R (C::*method)(A...) const)
{
    static_assert(std::is_base_of_v<C, O>, "the object has no such member");
    static_assert(std::is_base_of_v<TScriptObject, O>,
                  "objects whose members scripts call derive from TScriptObject");
    using M = R (C::*)(A...) const;
    binding_detail::MemberRecord<const C, M> rec{object->GetScriptHandle(), object, method};
    LuaPublishClosure(L, name, &binding_detail::MemberAdapter<const C, M, R, A...>, &rec,
                      sizeof rec);
}
