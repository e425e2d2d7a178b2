// TScriptFunctions: the script functions one native object publishes into a
// script, and their take-back when the object goes. Screens, the profile and
// the cross-sell window publish closures over themselves under fixed global
// names; a later object of the same kind publishes the same names again.
// When an object is destroyed, each of its names whose global still holds
// the closure it published is taken back, so a script calling it afterwards
// neither reaches a dead object nor logs a dead-target line; names that a
// newer object has taken over are left alone. A name taken back holds a
// closure that does nothing and returns no value, or nil for an object made
// with kRemoveOnTakeBack (scripts that test the name see it gone).
#pragma once

#include <string>
#include <vector>

#include "script/Binding.h"
#include "script/ScriptObject.h"

class TScript;

class TScriptFunctions
{
public:
    enum ETakeBack
    {
        kDoNothingOnTakeBack,
        kRemoveOnTakeBack,
    };

    // Publishes into script's state (null: nothing is published).
    explicit TScriptFunctions(TScript* script, ETakeBack takeBack = kDoNothingOnTakeBack);
    // TakeBack.
    ~TScriptFunctions();
    TScriptFunctions(const TScriptFunctions&) = delete;
    TScriptFunctions& operator=(const TScriptFunctions&) = delete;

    // Publishes object's member under the global name.
    template <class O, class C, class R, class... A>
    void Member(const char* name, O* object, R (C::*method)(A...))
    {
        if (lua_State* L = State())
        {
            LuaBindMember(L, name, object, method);
            Remember(L, name);
        }
    }
    template <class O, class C, class R, class... A>
    void Member(const char* name, const O* object, R (C::*method)(A...) const)
    {
        if (lua_State* L = State())
        {
            LuaBindMember(L, name, object, method);
            Remember(L, name);
        }
    }
    template <class R, class... A>
    void Function(const char* name, R (*fn)(A...))
    {
        if (lua_State* L = State())
        {
            LuaBindFunction(L, name, fn);
            Remember(L, name);
        }
    }

    // Takes back every name still holding its closure and forgets them all.
    // Harmless when the script is already gone.
    void TakeBack();
    // The names published so far, in order.
    std::vector<std::string> GetNames() const;

private:
    // The script's state while the script lives, else null.
    lua_State* State() const;
    void Remember(lua_State* L, const char* name);

    struct SEntry
    {
        std::string name;
        int ref;  // registry reference to the closure as published
    };
    TScriptObject* owner_ = nullptr;  // the script as a script object, when it is one
    TScriptHandle handle_;
    TScript* script_ = nullptr;
    ETakeBack takeBack_;
    std::vector<SEntry> entries_;
};
