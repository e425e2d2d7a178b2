// Script functions published over an object and taken back when it goes:
// only names that still hold the object's own closure are taken back, by
// closures that do nothing or by nil, and nothing breaks when the script
// went first.
#include "script/ScriptFunctions.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "core/FileTestSupport.h"
#include "script/Script.h"

namespace
{

class Counter : public TScriptObject
{
public:
    int hits = 0;
    int Hit(int by)
    {
        hits += by;
        return hits;
    }
    int Hits() const { return hits; }
};

// A script the take-back can see go, as the window script is.
class ObjectScript : public TScript, public TScriptObject
{
};

// A script that runs Lua texts (Eval), and the debug log.
class ScriptFunctionsTest : public ::testing::Test
{
protected:
    filetest::TempTree tree;
    std::unique_ptr<ObjectScript> script = std::make_unique<ObjectScript>();

    // Runs text, then gives the global r as text ("nil" for nil).
    std::string Eval(const std::string& text)
    {
        EXPECT_EQ(script->DoLuaString(("r = nil; " + text).c_str()), 0) << text;
        lua_State* L = script->GetState();
        lua_pushstring(L, "r");
        lua_gettable(L, LUA_GLOBALSINDEX);
        std::string out = lua_isnil(L, -1) ? "nil" : lua_tostring(L, -1);
        lua_pop(L, 1);
        return out;
    }
};

TEST_F(ScriptFunctionsTest, TakeBackLeavesNamesANewerObjectHolds)
{
    Counter first, second;
    auto firstFunctions = std::make_unique<TScriptFunctions>(script.get());
    firstFunctions->Member("Hit", &first, &Counter::Hit);
    firstFunctions->Member("Hits", &first, &Counter::Hits);
    EXPECT_EQ(firstFunctions->GetNames(), (std::vector<std::string>{"Hit", "Hits"}));
    EXPECT_EQ(Eval("r = Hit(2)"), "2");

    // A newer screen of the same kind takes "Hit" over.
    TScriptFunctions secondFunctions(script.get());
    secondFunctions.Member("Hit", &second, &Counter::Hit);
    firstFunctions.reset();

    EXPECT_EQ(Eval("r = Hit(5)"), "5");
    EXPECT_EQ(second.hits, 5);
    // The first object's own name now does nothing and gives nothing.
    EXPECT_EQ(Eval("r = Hits()"), "nil");
    EXPECT_EQ(Eval("r = type(Hits)"), "function");
    EXPECT_EQ(first.hits, 2);
}

TEST_F(ScriptFunctionsTest, RemovingTakeBackLeavesNilButSparesANewerObjectsNames)
{
    Counter first, second;
    auto firstFunctions =
        std::make_unique<TScriptFunctions>(script.get(), TScriptFunctions::kRemoveOnTakeBack);
    firstFunctions->Member("Hit", &first, &Counter::Hit);
    firstFunctions->Member("Hits", &first, &Counter::Hits);
    TScriptFunctions secondFunctions(script.get(), TScriptFunctions::kRemoveOnTakeBack);
    secondFunctions.Member("Hit", &second, &Counter::Hit);
    firstFunctions.reset();
    EXPECT_EQ(Eval("r = type(Hit) .. type(Hits)"), "functionnil");
    EXPECT_EQ(Eval("r = Hit(3)"), "3");

    // A name the script gave a value of its own is the script's.
    ASSERT_EQ(script->DoLuaString("Hit = 7"), 0);
    secondFunctions.TakeBack();
    EXPECT_EQ(Eval("r = Hit"), "7");
}

TEST_F(ScriptFunctionsTest, ADestroyedObjectIsNeverReachedNorReported)
{
    auto counter = std::make_unique<Counter>();
    {
        TScriptFunctions functions(script.get());
        functions.Member("Hit", counter.get(), &Counter::Hit);
    }
    counter.reset();
    const std::string before = tree.Log();
    EXPECT_EQ(Eval("r = Hit(1)"), "nil");
    // No dead-target line: the closure is not the object's any more.
    EXPECT_EQ(tree.Log(), before);
}

TEST_F(ScriptFunctionsTest, WithoutAScriptNothingIsPublished)
{
    Counter counter;
    TScriptFunctions none(nullptr);
    none.Member("Hit", &counter, &Counter::Hit);
    EXPECT_TRUE(none.GetNames().empty());

    // A script that goes first leaves a take-back with nothing to do.
    TScriptFunctions functions(script.get());
    functions.Member("Hit", &counter, &Counter::Hit);
    script.reset();
    functions.TakeBack();
    EXPECT_TRUE(functions.GetNames().empty());
}

}  // namespace
