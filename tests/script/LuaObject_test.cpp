// References to script values: TLuaObjectWrapper anchoring, TLuaTable getters
// with their defaults (missing entries, wrong kinds, failing handlers, values
// that are not tables), traversal, TLuaFunction::CallAlert, TLuaThread and
// TLuaStackGuard.
#include "script/LuaObject.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "HostTestSupport.h"
#include "script/LuaFunction.h"
#include "script/LuaStackGuard.h"
#include "script/LuaTable.h"
#include "script/LuaThread.h"
#include "script/Script.h"

namespace
{

class LuaObjectTest : public ::testing::Test
{
protected:
    // A reference to the value of a script expression. (Two results: a
    // function as the one result of a run would start as the coroutine.)
    template <class T = TLuaTable>
    std::unique_ptr<T> Make(const char* expr)
    {
        EXPECT_EQ(script_.DoLuaString(TString::Format("return %s, 0", expr), -1, 2), 0) << expr;
        lua_pop(L, 1);
        return std::make_unique<T>(L);
    }

    hosttest::TempFolder folder_;
    TScript script_;
    lua_State* L = script_.GetState();
};

TEST_F(LuaObjectTest, WrapperAnchorsItsValueUntilDeleted)
{
    auto a = Make<TLuaObjectWrapper>("{1, 2}");
    EXPECT_EQ(lua_gettop(L), 0);  // the value was taken off the stack
    a->Push();
    auto b = std::make_unique<TLuaObjectWrapper>(L);  // a second entry, same table
    lua_setgcthreshold(L, 0);
    a->Push();
    b->Push();
    EXPECT_TRUE(lua_rawequal(L, -1, -2));
    lua_settop(L, 0);
    a.reset();
    lua_setgcthreshold(L, 0);
    EXPECT_EQ(b->GetType(), LUA_TTABLE);
    b->Push();
    lua_rawgeti(L, -1, 2);
    EXPECT_EQ(lua_tonumber(L, -1), 2);
    lua_settop(L, 0);

    EXPECT_STREQ(Make<TLuaObjectWrapper>("'text'")->ToString().CStr(), "text");
    EXPECT_STREQ(Make<TLuaObjectWrapper>("12")->ToString().CStr(), "12");
    EXPECT_STREQ(Make<TLuaObjectWrapper>("{}")->ToString().CStr(), "");
    EXPECT_EQ(lua_gettop(L), 0);
    // An empty stack anchors nil.
    TLuaObjectWrapper empty(L);
    EXPECT_EQ(empty.GetType(), LUA_TNIL);
    EXPECT_EQ(lua_gettop(L), 0);
}

TEST_F(LuaObjectTest, GettersReadEntriesAndFallBackToDefaults)
{
    auto t = Make(
        "{num = 4.5, numtext = '12', text = 'abc', tab = {}, no = false, yes = true, [2] = 'two', "
        "[3] = 7}");
    struct NumberCase
    {
        const char* name;
        double expect;
    };
    const NumberCase numbers[] = {
        {"num", 4.5}, {"numtext", 12}, {"text", 0}, {"tab", 0}, {"no", 0}, {"missing", -1},
    };
    for (const NumberCase& c : numbers) EXPECT_EQ(t->GetNumber(c.name, -1), c.expect) << c.name;
    EXPECT_EQ(t->GetNumberAt(3, -1), 7);
    EXPECT_EQ(t->GetNumberAt(9, -1), -1);

    EXPECT_STREQ(t->GetString("text", "def").CStr(), "abc");
    EXPECT_STREQ(t->GetString("num", "def").CStr(), "4.5");
    EXPECT_STREQ(t->GetString("missing", "def").CStr(), "def");
    EXPECT_STREQ(t->GetString("tab", "def").CStr(), "");
    EXPECT_STREQ(t->GetStringAt(2, "def").CStr(), "two");
    EXPECT_STREQ(t->GetStringAt(1, "def").CStr(), "def");

    EXPECT_FALSE(t->GetBool("no", true));
    EXPECT_TRUE(t->GetBool("yes", false));
    EXPECT_TRUE(t->GetBool("num", false));
    EXPECT_TRUE(t->GetBool("missing", true));

    std::unique_ptr<TLuaTable> tab(t->GetTable("tab"));
    EXPECT_NE(tab, nullptr);
    EXPECT_EQ(t->GetTable("num"), nullptr);
    EXPECT_EQ(t->GetTable("missing"), nullptr);
    EXPECT_EQ(t->GetTableAt(2), nullptr);

    // PushField: false is a value; nil pushes nothing.
    EXPECT_TRUE(t->PushField("no"));
    EXPECT_EQ(lua_type(L, -1), LUA_TBOOLEAN);
    lua_pop(L, 1);
    EXPECT_FALSE(t->PushField("missing"));
    EXPECT_TRUE(t->PushIndex(2));
    EXPECT_STREQ(lua_tostring(L, -1), "two");
    lua_pop(L, 1);
    EXPECT_EQ(lua_gettop(L), 0);
}

TEST_F(LuaObjectTest, ColoursTakeEachMissingPartFromTheDefault)
{
    auto t =
        Make("{partial = {1, 0.5}, full = {0.1, 0.2, 0.3, 0.4}, word = 'red', list = {{0, 1}}}");
    const TFloatVector4 def(0, 0, 0, 1);
    struct Case
    {
        const char* name;
        TFloatVector4 expect;
    };
    const Case cases[] = {
        {"partial", TFloatVector4(1, 0.5f, 0, 1)},
        {"full", TFloatVector4(0.1f, 0.2f, 0.3f, 0.4f)},
        {"word", def},
        {"missing", def},
    };
    for (const Case& c : cases)
    {
        TFloatVector4 got = t->GetColor(c.name, def);
        for (int i = 0; i < 4; ++i) EXPECT_FLOAT_EQ(got[i], c.expect[i]) << c.name << " " << i;
    }
    std::unique_ptr<TLuaTable> list(t->GetTable("list"));
    TFloatVector4 first = list->GetColorAt(1, TFloatVector4(9, 9, 9, 9));
    EXPECT_FLOAT_EQ(first.x, 0);
    EXPECT_FLOAT_EQ(first.y, 1);
    EXPECT_FLOAT_EQ(first.z, 9);
    EXPECT_EQ(lua_gettop(L), 0);
}

TEST_F(LuaObjectTest, FailingHandlersAndNonTablesGiveDefaults)
{
    auto failing = Make("setmetatable({}, {__index = function(t, k) error('no ' .. k) end})");
    EXPECT_EQ(failing->GetNumber("x", 3), 3);
    EXPECT_STREQ(failing->GetString("x", "d").CStr(), "d");
    EXPECT_EQ(failing->GetTable("x"), nullptr);
    EXPECT_FALSE(failing->PushField("x"));
    TFloatVector4 c = failing->GetColor("x", TFloatVector4(1, 2, 3, 4));
    EXPECT_FLOAT_EQ(c.w, 4);

    auto handled = Make("setmetatable({}, {__index = function(t, k) return k .. '!' end})");
    EXPECT_STREQ(handled->GetString("hi", "").CStr(), "hi!");

    for (const char* expr : {"12", "'text'", "nil", "print"})
    {
        auto t = Make(expr);
        EXPECT_EQ(t->GetNumber("x", 5), 5) << expr;
        EXPECT_EQ(t->GetNumberAt(1, 5), 5) << expr;
        EXPECT_FALSE(t->GetBool("x", false)) << expr;
        EXPECT_EQ(t->GetCount(), 0) << expr;
        TLuaObjectWrapper* key = nullptr;
        EXPECT_EQ(t->Next(key), nullptr) << expr;
        EXPECT_EQ(key, nullptr);
    }
    EXPECT_EQ(lua_gettop(L), 0);
}

TEST_F(LuaObjectTest, CountFollowsTheTableSize)
{
    struct Case
    {
        const char* expr;
        int count;
    };
    const Case cases[] = {
        {"{1, 2, 3}", 3}, {"{1, 2, 3, n = 1}", 1}, {"{[10] = true}", 10}, {"{}", 0}};
    for (const Case& c : cases) EXPECT_EQ(Make(c.expr)->GetCount(), c.count) << c.expr;
}

TEST_F(LuaObjectTest, IntegersSaturateAndNaNTakesTheDefault)
{
    auto t = Make(
        "{nan = 0/0, inf = 1/0, ninf = -1/0, huge = 1e300, nhuge = -1e300, wrap = 4294967297, "
        "neg = -3.9, frac = 3.9, top = 2147483647.5, text = '12.5', word = 'abc', tab = {}, "
        "0/0, -7.5, 1/0}");
    struct Case
    {
        const char* name;
        int32_t expect;
    };
    const Case cases[] = {
        {"nan", -1},          {"inf", INT32_MAX},  {"ninf", INT32_MIN}, {"huge", INT32_MAX},
        {"nhuge", INT32_MIN}, {"wrap", INT32_MAX}, {"neg", -3},         {"frac", 3},
        {"top", INT32_MAX},   {"text", 12},        {"word", 0},         {"tab", 0},
        {"missing", -1},
    };
    for (const Case& c : cases) EXPECT_EQ(t->GetInt(c.name, -1), c.expect) << c.name;
    EXPECT_EQ(t->GetInt("nan"), 0);
    EXPECT_EQ(t->GetIntAt(1, 42), 42);
    EXPECT_EQ(t->GetIntAt(2, 42), -7);
    EXPECT_EQ(t->GetIntAt(3, 42), INT32_MAX);
    EXPECT_EQ(t->GetIntAt(4, 42), 42);
    EXPECT_EQ(Make("12")->GetInt("x", 5), 5);
    EXPECT_EQ(lua_gettop(L), 0);
}

TEST_F(LuaObjectTest, RowsStopAtTheCountAndItsLimit)
{
    struct Case
    {
        const char* expr;
        int limit;
        int count;  // rows visited
        bool logged;
    };
    const Case cases[] = {
        {"{{}, 'text', {}}", 100, 3, false},
        {"{{}, {}, n = 1}", 100, 1, false},
        {"{{}, {}, n = 0}", 100, 0, false},
        {"{{}, {}, n = -5}", 100, 0, false},
        {"{{}, {}, n = 0/0}", 100, 0, false},
        {"{{}, {}, n = 2e9}", 100, 100, true},
        {"{{}, {}, {}}", 2, 2, true},
        {"{{}, {}}", 2, 2, false},
        {"{{}}", 0, 0, true},
        {"{{}}", -3, 0, true},
        {"'not a list'", 100, 0, false},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.expr);
        SCOPED_TRACE(c.limit);
        const int before = folder_.LogCount("rows test: a table claims");
        auto t = Make(c.expr);
        const TLuaRows rows(*t, "rows test", c.limit);
        EXPECT_EQ(rows.Count(), c.count);
        int visited = 0;
        for (const TLuaRow& row : rows)
        {
            EXPECT_EQ(row.index, ++visited);
            ASSERT_LE(visited, c.count);
        }
        EXPECT_EQ(visited, c.count);
        EXPECT_EQ(folder_.LogCount("rows test: a table claims"), before + (c.logged ? 1 : 0));
    }
    EXPECT_EQ(lua_gettop(L), 0);
}

TEST_F(LuaObjectTest, RowsHandOutTheTableEntries)
{
    auto t = Make("{{name = 'a'}, 'text', 7, {name = 'b'}, n = 5}");
    std::vector<std::string> seen;
    for (const TLuaRow& row : TLuaRows(*t, "entries"))
        seen.push_back(row.table ? row.table->GetString("name").CStr() : "-");
    EXPECT_EQ(seen, (std::vector<std::string>{"a", "-", "-", "b", "-"}));
    // The default limit cuts a claimed count of two thousand million.
    EXPECT_EQ(TLuaRows(*Make("{n = 2e9}"), "huge").Count(), TLuaRows::kDefaultLimit);
    EXPECT_EQ(folder_.LogCount("huge: a table claims 2000000000 rows; the first 10000 are read"),
              1);
    EXPECT_EQ(lua_gettop(L), 0);
}

TEST_F(LuaObjectTest, NextVisitsEveryEntryOnce)
{
    auto t = Make("{10, 20, a = 'x', b = {}}");
    std::map<std::string, std::string> seen;
    TLuaObjectWrapper* key = nullptr;
    int steps = 0;
    while (TLuaObjectWrapper* value = t->Next(key))
    {
        ASSERT_NE(key, nullptr);
        std::string v = value->GetType() == LUA_TTABLE ? "table" : value->ToString().CStr();
        seen[key->ToString().CStr()] = v;
        delete value;
        ASSERT_LT(++steps, 10);
    }
    EXPECT_EQ(key, nullptr);
    EXPECT_EQ(seen, (std::map<std::string, std::string>{
                        {"1", "10"}, {"2", "20"}, {"a", "x"}, {"b", "table"}}));
    EXPECT_EQ(lua_gettop(L), 0);

    // A key the table does not hold ends the traversal.
    lua_pushstring(L, "stranger");
    TLuaObjectWrapper* stranger = new TLuaObjectWrapper(L);
    EXPECT_EQ(t->Next(stranger), nullptr);
    EXPECT_EQ(stranger, nullptr);
}

TEST_F(LuaObjectTest, AutoDeleteNeedsAnOwningScript)
{
    auto t = Make("{}");
    EXPECT_TRUE(t.release()->AutoDelete());
    EXPECT_EQ(script_.GetTemporaryCount(), 1);

    lua_State* bare = lua_open();
    lua_newtable(bare);
    auto orphan = std::make_unique<TLuaTable>(bare);
    EXPECT_FALSE(orphan->AutoDelete());  // stays with the caller
    EXPECT_EQ(folder_.LogCount("TLuaTable::AutoDelete: no script owns this state"), 1);
    orphan.reset();
    lua_close(bare);
}

TEST_F(LuaObjectTest, CallAlertRunsProtectedWithTheAlertHandler)
{
    ASSERT_EQ(script_.DoLuaString("calls = 0"), 0);
    auto ok = Make<TLuaFunction>("function() calls = calls + 1 end");
    lua_pushnumber(L, 77);  // the caller's own stack is left alone
    EXPECT_TRUE(ok->CallAlert());
    EXPECT_EQ(script_.GetGlobalNumber("calls"), 1);
    ASSERT_EQ(lua_gettop(L), 1);
    EXPECT_EQ(lua_tonumber(L, 1), 77);

    auto fails = Make<TLuaFunction>("function() error('callback broke') end");
    EXPECT_FALSE(fails->CallAlert());
    EXPECT_EQ(folder_.LogCount("Lua error: "), 1);
    EXPECT_EQ(folder_.LogCount(": callback broke"), 1);

    auto notFn = Make<TLuaFunction>("42");
    EXPECT_FALSE(notFn->CallAlert());
    EXPECT_EQ(lua_gettop(L), 1);
}

TEST_F(LuaObjectTest, ThreadLivesWhileHeldAndWrappersOutliveIt)
{
    auto thread = std::make_unique<TLuaThread>(L);
    lua_State* T = thread->GetState();
    ASSERT_NE(T, nullptr);
    EXPECT_NE(T, L);
    lua_setgcthreshold(L, 0);
    lua_pushstring(T, "shared");
    lua_gettable(T, LUA_GLOBALSINDEX);  // globals are shared
    lua_pushnumber(T, 5);
    auto onThread = std::make_unique<TLuaObjectWrapper>(T);
    EXPECT_EQ(onThread->GetType(), LUA_TNUMBER);
    thread.reset();
    lua_setgcthreshold(L, 0);  // the wrapper alone keeps the thread it reads through
    EXPECT_EQ(onThread->GetType(), LUA_TNUMBER);
    EXPECT_STREQ(onThread->ToString().CStr(), "5");
    onThread.reset();  // its registry entries are cleared through the main thread
    lua_setgcthreshold(L, 0);
    EXPECT_EQ(lua_gettop(L), 0);
}

TEST_F(LuaObjectTest, StackGuardRestoresOnEveryExit)
{
    lua_pushnumber(L, 1);
    {
        TLuaStackGuard guard(L);
        EXPECT_EQ(guard.GetSavedTop(), 1);
        for (int i = 0; i < 5; ++i) lua_pushnil(L);
    }
    EXPECT_EQ(lua_gettop(L), 1);
    // A script error unwinding through a native function runs its guard.
    static int topAfterError = -1;
    struct Thrower
    {
        static int Run(lua_State* S)
        {
            TLuaStackGuard guard(S);
            lua_pushstring(S, "a");
            lua_pushstring(S, "b");
            struct Probe
            {
                lua_State* S;
                ~Probe() { topAfterError = lua_gettop(S); }
            } probe{S};
            lua_pushstring(S, "thrown");
            lua_error(S);
            return 0;
        }
    };
    lua_pushcclosure(L, Thrower::Run, 0);
    EXPECT_NE(lua_pcall(L, 0, 0, 0), 0);
    EXPECT_EQ(topAfterError, 3);  // both pushes and the error value were there
    lua_settop(L, 0);
}

}  // namespace
