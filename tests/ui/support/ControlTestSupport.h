// Helpers for the control tests: the fixture scripts of
// tests/data/ui/controls, a manager with a screen and a window script that
// runs Lua texts, and a button action that records which buttons ran.
#pragma once

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "script/Binding.h"
#include "ui/Button.h"
#include "ui/WindowScript.h"
#include "ui/support/UiTestSupport.h"

namespace uitest
{

inline std::string ReadControls(const char* name)
{
    std::ifstream in(std::string(ORVELLE_TEST_DATA) + "/ui/controls/" + name, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// Records the name of each button whose command runs.
class NameAction : public TButton::Action
{
public:
    explicit NameAction(std::vector<std::string>* runs) : runs_(runs) {}
    void Run(TButton* b) override { runs_->push_back(b->GetName().CStr()); }

private:
    std::vector<std::string>* runs_;
};

class ScriptUiTest : public UiTest
{
protected:
    void SetUp() override
    {
        UiTest::SetUp();
        MakeScreen();
        wm->CreateWindowScript();
        script = static_cast<TWindowScript*>(wm->GetScript());
        L = script->GetState();
    }
    // Runs text, then gives the global r as text.
    std::string Eval(const std::string& text)
    {
        EXPECT_EQ(script->DoLuaString(("r = nil; " + text).c_str()), 0) << text;
        return Global("r");
    }
    // "nil", "true", "false", or the value as text.
    std::string Global(const char* name)
    {
        lua_pushstring(L, name);
        lua_gettable(L, LUA_GLOBALSINDEX);
        std::string out = lua_isnil(L, -1)       ? "nil"
                          : lua_isboolean(L, -1) ? (lua_toboolean(L, -1) ? "true" : "false")
                                                 : LuaArgString(L, -1).CStr();
        lua_pop(L, 1);
        return out;
    }

    TWindowScript* script = nullptr;
    lua_State* L = nullptr;
};

}  // namespace uitest
