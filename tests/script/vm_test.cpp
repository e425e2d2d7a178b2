// The virtual machine's dialect rules: bitwise operations and exclusive or,
// the power path through "__pow", wide concatenation, per-type tables behind
// every value, comparison and the type-error messages.
#include <string>

#include "ScriptTestUtil.h"

namespace
{

class Vm : public ScriptTest
{
protected:
    void SetUp() override
    {
        ScriptTest::SetUp();
        // The power path calls the global "__pow"; record its operands.
        lua_register(L, "__pow",
                     [](lua_State* L1)
                     {
                         lua_pushnumber(L1, lua_tonumber(L1, 1) * 1000 + lua_tonumber(L1, 2));
                         return 1;
                     });
        lua_register(L, "type",
                     [](lua_State* L1)
                     {
                         lua_pushstring(L1, lua_typename(L1, lua_type(L1, 1)));
                         return 1;
                     });
    }
};

TEST_F(Vm, BitwiseOperationsOnThirtyTwoBits)
{
    struct Case
    {
        const char* expr;
        double value;
    } cases[] = {
        {"6 ^ 3", 5},      {"-1 & 255", 255}, {"1 << 31", 2147483648.0},  {"1 << 32", 1},
        {"-1 >> 28", 15},  {"1.9 | 0", 1},    {"-1.5 | 0", 4294967295.0}, {"6 & 3", 2},
        {"6 | 3", 7},      {"256 >> 4", 16},  {"0x80000000 >> 31", 1},    {"5 ^ 5", 0},
        {"(1e19) | 0", 0}, {"(0/0) | 0", 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(NumberOf(L, std::string("return ") + c.expr), c.value) << c.expr;
}

TEST_F(Vm, PowerPathCallsTheGlobalFunction)
{
    EXPECT_EQ(NumberOf(L, "return '6' ^ 3"), 6003);
    EXPECT_EQ(NumberOf(L, "return 2 ^ '10'"), 2010);
    lua_pushstring(L, "__pow");
    lua_pushnil(L);
    lua_settable(L, LUA_GLOBALSINDEX);
    EXPECT_NE(ErrorOf(L, "return '6' ^ 3").find("`__pow' (`^' operator) is not a function"),
              std::string::npos);
    EXPECT_EQ(NumberOf(L, "return 6 ^ 3"), 5);  // numbers never take the power path
}

TEST_F(Vm, BitwiseOperandsMustBeNumbers)
{
    EXPECT_NE(ErrorOf(L, "local s = '1' return s & 1").find("attempt to perform arithmetic on"),
              std::string::npos);
    // A numeric string first names the second operand.
    std::string err = ErrorOf(L, "local a, b = '3', {} return a | b");
    EXPECT_NE(err.find("local `b' (a table value)"), std::string::npos) << err;
    EXPECT_EQ(NumberOf(L, "return 3 + '1'"), 4);  // arithmetic still converts
}

TEST_F(Vm, ArithmeticHandlersOnlyOfTheFirstOperandWhenItHasATable)
{
    ASSERT_EQ(RunScript(L,
                        "t = {} "
                        "local mt = {} "
                        "mt.__add = function(a, b) return 99 end"),
              0);
    lua_pushstring(L, "t");
    lua_gettable(L, LUA_GLOBALSINDEX);
    ASSERT_EQ(RunScript(L, "local m = {} m.__add = function() return 99 end return m", nullptr, 1),
              0);
    lua_setmetatable(L, -2);
    lua_pop(L, 1);
    EXPECT_EQ(NumberOf(L, "return t + 5"), 99);
    std::string err = ErrorOf(L, "return 5 + t");
    EXPECT_NE(err.find("attempt to perform arithmetic on global `t' (a table value)"),
              std::string::npos)
        << err;
}

TEST_F(Vm, WideConcatenation)
{
    ASSERT_EQ(RunScript(L, "w = L\"ab\""), 0);
    std::string err = ErrorOf(L, "return 'a' .. w .. 1");
    EXPECT_NE(err.find("attempt to concatenate"), std::string::npos) << err;
    ASSERT_EQ(RunScript(L, "return w .. 1 .. L\"x\"", nullptr, 1), 0);
    EXPECT_EQ(lua_type(L, -1), LUA_TWSTRING);
    EXPECT_EQ(lua_strlen(L, -1), 4u);
    lua_pop(L, 1);
    ASSERT_EQ(RunScript(L, "return 1 .. 2", nullptr, 1), 0);
    EXPECT_STREQ(lua_tostring(L, -1), "12");
    lua_pop(L, 1);
    ASSERT_EQ(RunScript(L, "return L\"\" .. 0.5", nullptr, 1), 0);
    EXPECT_EQ(lua_type(L, -1), LUA_TWSTRING);
    EXPECT_EQ(lua_strlen(L, -1), 3u);
}

TEST_F(Vm, WideStringsCompareByIdentityAndRefuseOrder)
{
    EXPECT_EQ(NumberOf(L, "if L\"a\" == L\"a\" then return 1 end return 0"), 1);
    EXPECT_EQ(NumberOf(L, "if L\"a\" == 'a' then return 1 end return 0"), 0);
    std::string err = ErrorOf(L, "return L\"a\" < L\"b\"");
    EXPECT_NE(err.find("attempt to call a table value"), std::string::npos) << err;
    err = ErrorOf(L, "return 1 < 'x'");
    EXPECT_NE(err.find("attempt to compare number with string"), std::string::npos) << err;
    err = ErrorOf(L, "return {} < {}");
    EXPECT_NE(err.find("attempt to compare two table values"), std::string::npos) << err;
    EXPECT_EQ(NumberOf(L, "if 'a' < 'b' and 'a\\0b' > 'a' then return 1 end return 0"), 1);
}

TEST_F(Vm, PerTypeTablesBehindEveryValue)
{
    ASSERT_EQ(RunScript(L, "assert_nil = (5).x"), 0);
    EXPECT_EQ(NumberOf(L, "(5).x = 1 return (6).x"), 1);
    EXPECT_EQ(NumberOf(L, "local s = 'str' s.len2 = 7 return ('other').len2"), 7);
    EXPECT_EQ(NumberOf(L, "local b = true b.flag = 3 return (false).flag"), 3);
    // Functions and wide strings have tables of their own.
    EXPECT_EQ(NumberOf(L, "local f = function() end f.n = 2 return (type).n"), 2);
    EXPECT_EQ(NumberOf(L, "local w = L\"q\" w.n = 4 return (L\"z\").n"), 4);
    EXPECT_EQ(NumberOf(L, "if (5).n == nil then return 1 end return 0"), 1);
    std::string err = ErrorOf(L, "local a return a.x");
    EXPECT_NE(err.find("attempt to index local `a' (a nil value)"), std::string::npos) << err;
    err = ErrorOf(L, "return undefined_global.x");
    EXPECT_NE(err.find("attempt to index global `undefined_global' (a nil value)"),
              std::string::npos)
        << err;
    err = ErrorOf(L, "local n = 5 n()");
    EXPECT_NE(err.find("attempt to call local `n' (a number value)"), std::string::npos) << err;
}

TEST_F(Vm, UserdataWithoutIndexHandlerReadsItsMetatable)
{
    lua_newuserdata(L, 8);
    ASSERT_EQ(RunScript(L, "return {answer = 42}", nullptr, 1), 0);
    lua_setmetatable(L, -2);
    lua_pushstring(L, "u");
    lua_insert(L, -2);
    lua_settable(L, LUA_GLOBALSINDEX);
    EXPECT_EQ(NumberOf(L, "return u.answer"), 42);
    std::string err = ErrorOf(L, "u.answer = 1");
    EXPECT_NE(err.find("attempt to index global `u' (a userdata value)"), std::string::npos) << err;
}

TEST_F(Vm, IndexAndNewindexHandlers)
{
    ASSERT_EQ(RunScript(L, "p = {} store = {}"), 0);
    lua_pushstring(L, "p");
    lua_gettable(L, LUA_GLOBALSINDEX);
    ASSERT_EQ(RunScript(L,
                        "return {__index = function(t, k) return k * 2 end, "
                        "        __newindex = function(t, k, v) store[k] = v end}",
                        nullptr, 1),
              0);
    lua_setmetatable(L, -2);
    lua_pop(L, 1);
    EXPECT_EQ(NumberOf(L, "return p[21]"), 42);
    // The assignment goes to the handler; p keeps no field of its own.
    EXPECT_EQ(NumberOf(L, "p[3] = 5 return store[3] * 100 + p[3]"), 506);
}

TEST_F(Vm, HandlerChainsStopAfterAHundredSteps)
{
    ASSERT_EQ(RunScript(L, "loop = {}"), 0);
    lua_pushstring(L, "loop");
    lua_gettable(L, LUA_GLOBALSINDEX);
    lua_newtable(L);
    lua_pushstring(L, "__index");
    lua_pushvalue(L, -3);
    lua_rawset(L, -3);
    lua_pushstring(L, "__newindex");
    lua_pushvalue(L, -3);
    lua_rawset(L, -3);
    lua_setmetatable(L, -2);
    lua_pop(L, 1);
    // loop.__index is loop itself only through its metatable: a cycle.
    ASSERT_EQ(
        RunScript(L, "local m = {} m.__index = loop m.__newindex = loop return m", nullptr, 1), 0);
    lua_pushstring(L, "loop");
    lua_gettable(L, LUA_GLOBALSINDEX);
    lua_insert(L, -2);
    lua_setmetatable(L, -2);
    lua_pop(L, 1);
    EXPECT_NE(ErrorOf(L, "return loop.missing").find("loop in gettable"), std::string::npos);
    EXPECT_NE(ErrorOf(L, "loop.missing = 1").find("loop in settable"), std::string::npos);
}

TEST_F(Vm, CallHandlerOnlyForTablesAndUserdata)
{
    ASSERT_EQ(RunScript(L, "callable = {}"), 0);
    lua_pushstring(L, "callable");
    lua_gettable(L, LUA_GLOBALSINDEX);
    ASSERT_EQ(RunScript(L, "return {__call = function(self, a) return a + 1 end}", nullptr, 1), 0);
    lua_setmetatable(L, -2);
    lua_pop(L, 1);
    EXPECT_EQ(NumberOf(L, "return callable(41)"), 42);
    std::string err = ErrorOf(L, "local s = 'x' return s()");
    EXPECT_NE(err.find("attempt to call local `s' (a string value)"), std::string::npos) << err;
}

TEST_F(Vm, NumericForLimitsMayBeNumericStrings)
{
    EXPECT_EQ(NumberOf(L, "local n = 0 for i = 1, '3' do n = n + i end return n"), 6);
    EXPECT_EQ(NumberOf(L, "local n = 0 for i = 1, L\"4\" do n = n + i end return n"), 10);
    EXPECT_EQ(NumberOf(L, "local n = 0 for i = 10, 1, '-4' do n = n + i end return n"), 10 + 6 + 2);
    EXPECT_NE(ErrorOf(L, "for i = 1, {} do end").find("`for' limit must be a number"),
              std::string::npos);
    // The loop's set-up subtracts the step first, so a non-numeric start or
    // step fails there as arithmetic.
    EXPECT_NE(ErrorOf(L, "for i = 'a', 2 do end").find("perform arithmetic on"), std::string::npos);
    EXPECT_NE(ErrorOf(L, "for i = 1, 2, 'x' do end").find("perform arithmetic on"),
              std::string::npos);
}

TEST_F(Vm, VarargsAndMultipleResults)
{
    EXPECT_EQ(NumberOf(L, "local function f(...) return arg.n end return f(1, nil, 3)"), 3);
    EXPECT_EQ(NumberOf(L,
                       "local function three() return 1, 2, 3 end "
                       "local function count(...) return arg.n end "
                       "return count(three()) * 10 + count(three(), 9)"),
              32);
    EXPECT_EQ(NumberOf(L, "local t = {(function() return 1, 2, 3 end)()} return t[3]"), 3);
    // Extra arguments do not leak into locals of a fixed-arity function.
    EXPECT_EQ(
        NumberOf(
            L,
            "local function f(a) local b return b == nil and a end return f(7, 8, 9) and 1 or 0"),
        1);
}

TEST_F(Vm, TailCallsDoNotGrowTheStack)
{
    EXPECT_EQ(NumberOf(L,
                       "local function loop(n) if n == 0 then return 7 end return loop(n - 1) end "
                       "return loop(200000)"),
              7);
}

TEST_F(Vm, ErrorPositionsNameTheChunkAndLine)
{
    std::string err = ErrorOf(L, "local x = 1\nlocal y = nil\nreturn x + y");
    EXPECT_EQ(err, "test:3: attempt to perform arithmetic on local `y' (a nil value)");
}

TEST_F(Vm, ClosuresShareUpvalues)
{
    EXPECT_EQ(NumberOf(L,
                       "local function counter() local n = 0 "
                       "  return function() n = n + 1 return n end, function() return n end end "
                       "local inc, get = counter() inc() inc() inc() return get()"),
              3);
    EXPECT_EQ(
        NumberOf(L,
                 "local fs = {} for i = 1, 3 do local j = i fs[i] = function() return j end end "
                 "return fs[1]() + fs[2]() * 10 + fs[3]() * 100"),
        321);
}

TEST_F(Vm, TypeErrorsNameWhatTheCodeLoadedTheValueFrom)
{
    struct Case
    {
        const char* src;
        const char* message;
    } cases[] = {
        // A method call on a nil local names the local, not the call slot.
        {"local a\na:foo()", "test:2: attempt to index local `a' (a nil value)"},
        {"obj = {} obj:nomethod()", "test:1: attempt to call method `nomethod' (a nil value)"},
        {"local t = {} t.m:go()", "test:1: attempt to index field `m' (a nil value)"},
        {"local t = {} return t.x.y", "test:1: attempt to index field `x' (a nil value)"},
        {"return nofunc()", "test:1: attempt to call global `nofunc' (a nil value)"},
        // Forward jumps are followed: the register was last set on a path the
        // code may have skipped, so no name is given.
        {"return (xx or yy).z", "test:1: attempt to index a nil value"},
        {"local s = 'a' return s .. {}", "test:1: attempt to concatenate a table value"},
    };
    for (const Case& c : cases) EXPECT_EQ(ErrorOf(L, c.src), c.message) << c.src;
}

TEST_F(Vm, RunTimeErrorsCarryTheLineOfTheFailingOperation)
{
    // Each operation's error path must see the current position.
    const char* statements[] = {
        "return y + 1",   "return y .. 'a'", "return y < 1",        "y()",       "return y.f",
        "y.f = 1",        "return y & 1",    "for i = 1, y do end", "return -y", "return x ^ y",
        "return {} < {}", "return {} <= {}", "return x.f.g",
    };
    for (const char* stmt : statements)
    {
        std::string err = ErrorOf(L, std::string("local x = 1\nlocal y\n") + stmt);
        EXPECT_EQ(err.rfind("test:3: ", 0), 0u) << stmt << ": " << err;
    }
}

TEST_F(Vm, LightAndFullUserdataCompareAsTwoUserdataValues)
{
    static int anchor;
    lua_pushstring(L, "light");
    lua_pushlightuserdata(L, &anchor);
    lua_settable(L, LUA_GLOBALSINDEX);
    lua_pushstring(L, "full");
    lua_newuserdata(L, 4);
    lua_settable(L, LUA_GLOBALSINDEX);
    std::string err = ErrorOf(L, "return light < full");
    EXPECT_NE(err.find("attempt to compare two userdata values"), std::string::npos) << err;
}

TEST_F(Vm, CallsAdjustArgumentsAndResults)
{
    struct Case
    {
        const char* src;
        double value;
    } cases[] = {
        {"local function f() return 1 end local a, b, c = f() return (b == nil and c == nil) and a",
         1},
        {"local function f() return 1, 2, 3 end local a = f() return a", 1},
        {"local function f() end local a = 5 a = f() if a == nil then return 1 end return 0", 1},
        // An open result list feeds the next call.
        {"local function f() return 1, 2, 3 end local function g(a, b, c) return a + b + c end "
         "return g(f())",
         6},
        {"local function f(a, b) return b end if f(1) == nil then return 1 end return 0", 1},
        // Deep enough to grow both the value stack and the call records.
        {"local function d(n) if n == 0 then return 0 end local x, y = d(n - 1) return x + 1 end "
         "return d(3000)",
         3000},
    };
    for (const Case& c : cases) EXPECT_EQ(NumberOf(L, c.src), c.value) << c.src;
}

}  // namespace

namespace
{

int ThreeValues(lua_State* L)
{
    if (lua_isnil(L, 2))
    {
        lua_pushnumber(L, 1);
        lua_pushnumber(L, 2);
        lua_pushnumber(L, 3);
        return 3;
    }
    return 0;
}

TEST_F(Vm, GenericForWithManyVariablesFillsThemAll)
{
    // More loop variables than a native iterator's frame holds: the missing
    // results are nil and nothing is written past the stack.
    lua_register(L, "iter", ThreeValues);
    std::string vars, sum;
    for (int i = 1; i <= 60; i++)
    {
        vars += (i > 1 ? ", v" : "v") + std::to_string(i);
    }
    std::string src = "local n = 0 for " + vars +
                      " in iter do n = v1 + v2 + v3 if v60 == nil and v4 == nil then n = n + 100 "
                      "end end return n";
    EXPECT_EQ(NumberOf(L, src), 106);
}

}  // namespace
