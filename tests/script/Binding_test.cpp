// Binding adapters: argument conversions (numbers, booleans, strings, wide
// strings, tables, object pointers, absent arguments), result conversions,
// member functions on live objects, and the host functions "_ALERT",
// "DebugOut" and "toparams". Closures are called through lua_pcall.
#include "script/Binding.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <functional>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "HostTestSupport.h"
#include "script/LuaPush.h"
#include "script/LuaTable.h"
#include "script/Script.h"
#include "script/lang/WideString.h"

namespace
{

// What the last call of Record saw.
struct Seen
{
    double d = -1;
    float f = -1;
    int i = -1;
    unsigned u = 1;
    bool b = true;
    TString s = "unset";
} gSeen;

void Record(double d, float f, int i, unsigned u, bool b, const TString& s)
{
    gSeen = Seen{d, f, i, u, b, s};
}

// A state with no script host around it.
class BareState : public ::testing::Test
{
protected:
    void SetUp() override
    {
        L = lua_open();
        ASSERT_NE(L, nullptr);
    }
    void TearDown() override { lua_close(L); }

    // Calls the global name with the values pushed by push; returns the status.
    template <class Push>
    int Call(const char* name, Push push, int nresults = 1)
    {
        lua_pushstring(L, name);
        lua_gettable(L, LUA_GLOBALSINDEX);
        int before = lua_gettop(L);
        push();
        return lua_pcall(L, lua_gettop(L) - before, nresults, 0);
    }

    lua_State* L = nullptr;
};

using BindingTest = BareState;

enum class V
{
    kNone,
    kNil,
    kTrue,
    kFalse,
    kNumber,
    kNumericString,
    kText,
    kWide,
    kTable
};

void PushValue(lua_State* L, V v, double n)
{
    static const lua_WChar wide[] = {'4', '2', 0};
    switch (v)
    {
        case V::kNone:
            break;
        case V::kNil:
            lua_pushnil(L);
            break;
        case V::kTrue:
            lua_pushboolean(L, 1);
            break;
        case V::kFalse:
            lua_pushboolean(L, 0);
            break;
        case V::kNumber:
            lua_pushnumber(L, n);
            break;
        case V::kNumericString:
            lua_pushstring(L, "12.75");
            break;
        case V::kText:
            lua_pushstring(L, "hello");
            break;
        case V::kWide:
            PushWideString(L, wide);
            break;
        case V::kTable:
            lua_newtable(L);
            break;
    }
}

TEST_F(BindingTest, ArgumentConversions)
{
    LuaBindFunction(L, "Record", &Record);
    struct Case
    {
        V value;
        double n;
        double d;
        int i;
        unsigned u;
        bool b;
        const char* s;
    };
    const Case cases[] = {
        {V::kNone, 0, 0, 0, 0, false, ""},
        {V::kNil, 0, 0, 0, 0, false, ""},
        {V::kFalse, 0, 0, 0, 0, false, ""},
        {V::kTrue, 0, 0, 0, 0, true, ""},
        {V::kNumber, 3.9, 3.9, 3, 3, true, "3.9"},
        // Integers saturate at their type's limits instead of wrapping.
        {V::kNumber, -3.9, -3.9, -3, 0, true, "-3.9"},
        {V::kNumber, 0, 0, 0, 0, true, "0"},
        {V::kNumber, 4294967295.0, 4294967295.0, INT_MAX, 0xFFFFFFFFu, true, "4294967295"},
        {V::kNumber, 4294967297.0, 4294967297.0, INT_MAX, 0xFFFFFFFFu, true, "4294967297"},
        {V::kNumber, -4294967297.0, -4294967297.0, INT_MIN, 0, true, "-4294967297"},
        {V::kNumber, HUGE_VAL, HUGE_VAL, INT_MAX, 0xFFFFFFFFu, true, nullptr},
        {V::kNumber, -HUGE_VAL, -HUGE_VAL, INT_MIN, 0, true, nullptr},
        {V::kNumber, NAN, NAN, 0, 0, true, nullptr},  // text of NaN not checked
        {V::kNumericString, 0, 12.75, 12, 12, true, "12.75"},
        {V::kText, 0, 0, 0, 0, true, "hello"},
        // Digits in a wide string convert to a number, but there is no text.
        {V::kWide, 0, 42, 42, 42, true, ""},
        {V::kTable, 0, 0, 0, 0, true, ""},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(static_cast<int>(c.value));
        SCOPED_TRACE(c.n);
        // Every parameter gets the same value.
        ASSERT_EQ(Call("Record",
                       [&]
                       {
                           for (int k = 0; k < 6; ++k) PushValue(L, c.value, c.n);
                       }),
                  0);
        if (std::isnan(c.d))
        {
            EXPECT_TRUE(std::isnan(gSeen.d));
        }
        else
        {
            EXPECT_EQ(gSeen.d, c.d);
            EXPECT_EQ(gSeen.f, static_cast<float>(c.d));
        }
        EXPECT_EQ(gSeen.i, c.i);
        EXPECT_EQ(gSeen.u, c.u);
        EXPECT_EQ(gSeen.b, c.b);
        if (c.s != nullptr)
        {
            EXPECT_STREQ(gSeen.s.CStr(), c.s);
        }
        lua_settop(L, 0);
    }
}

unsigned AllOnes()
{
    return 0xFFFFFFFFu;
}
int MinusOne()
{
    return -1;
}
float Half()
{
    return 0.5f;
}
bool Yes()
{
    return true;
}
TString Text()
{
    return TString("made here");
}
void Nothing() {}

// Script-visible classes: Square has its TScriptObject base behind another
// base, so its own address and its base's differ.
class Shape : public TScriptObject
{
public:
    int sides = 0;
};
class Labelled
{
public:
    virtual ~Labelled() = default;
    TString label = "none";
};
class Square : public Labelled, public Shape
{
public:
    Square() { sides = 4; }
};
class Sound : public TScriptObject
{
};

Square gObject;
Square* Object()
{
    return &gObject;
}
Square* NoObject()
{
    return nullptr;
}

TEST_F(BindingTest, ResultConversions)
{
    LuaBindFunction(L, "AllOnes", &AllOnes);
    LuaBindFunction(L, "MinusOne", &MinusOne);
    LuaBindFunction(L, "Half", &Half);
    LuaBindFunction(L, "Yes", &Yes);
    LuaBindFunction(L, "Text", &Text);
    auto none = [] {};
    ASSERT_EQ(Call("AllOnes", none), 0);
    EXPECT_EQ(lua_tonumber(L, -1), 4294967295.0);
    ASSERT_EQ(Call("MinusOne", none), 0);
    EXPECT_EQ(lua_tonumber(L, -1), -1.0);
    ASSERT_EQ(Call("Half", none), 0);
    EXPECT_EQ(lua_tonumber(L, -1), 0.5);
    ASSERT_EQ(Call("Yes", none), 0);
    EXPECT_EQ(lua_type(L, -1), LUA_TBOOLEAN);
    EXPECT_TRUE(lua_toboolean(L, -1));
    ASSERT_EQ(Call("Text", none), 0);
    EXPECT_STREQ(lua_tostring(L, -1), "made here");
    lua_settop(L, 0);

    LuaBindFunction(L, "Nothing", &Nothing);
    ASSERT_EQ(Call("Nothing", none, LUA_MULTRET), 0);
    EXPECT_EQ(lua_gettop(L), 0);
}

TEST_F(BindingTest, ObjectResultsCarryTheMessageMetatable)
{
    LuaBindFunction(L, "Object", &Object);
    LuaBindFunction(L, "NoObject", &NoObject);
    lua_newtable(L);  // the metatable, kept at 1
    lua_pushstring(L, "qvMessageMetatable");
    lua_pushvalue(L, 1);
    lua_settable(L, LUA_REGISTRYINDEX);
    ASSERT_EQ(Call("Object", [] {}), 0);
    ASSERT_EQ(lua_type(L, -1), LUA_TUSERDATA);
    // Always the TScriptObject base, whatever class the binding returned.
    EXPECT_EQ(lua_touserdata(L, -1), static_cast<TScriptObject*>(&gObject));
    uint64_t key = 0;
    ASSERT_EQ(lua_touserdatakey(L, -1, &key), 1);
    EXPECT_EQ(key, gObject.GetScriptHandle().ToWord());
    ASSERT_TRUE(lua_getmetatable(L, -1));
    EXPECT_TRUE(lua_rawequal(L, -1, 1));
    lua_settop(L, 1);
    ASSERT_EQ(Call("NoObject", [] {}), 0);
    EXPECT_EQ(lua_type(L, -1), LUA_TNIL);
}

const void* gPointer = nullptr;
void TakeShape(Shape* p)
{
    gPointer = p;
}
void TakeSquare(Square* p)
{
    gPointer = p;
}
void TakeLabelled(const Labelled* p)
{
    gPointer = p;
}
void TakeBase(TScriptObject* p)
{
    gPointer = p;
}
const void* const kUnset = &gPointer;
Square* gHeldSquare = nullptr;
Square* HeldSquare()
{
    return gHeldSquare;
}

void SetGlobal(lua_State* L, const char* name)
{
    lua_pushstring(L, name);
    lua_insert(L, -2);
    lua_settable(L, LUA_GLOBALSINDEX);
}

void GetGlobal(lua_State* L, const char* name)
{
    lua_pushstring(L, name);
    lua_gettable(L, LUA_GLOBALSINDEX);
}

// Calls the global name with the values push pushes, no results; the status.
template <class Push>
int RunCall(lua_State* L, const char* name, Push push)
{
    GetGlobal(L, name);
    const int base = lua_gettop(L);
    push();
    return lua_pcall(L, lua_gettop(L) - base, 0, 0);
}

// Pointer arguments are accepted only while their object lives and is of
// the class asked for; everything else reads null, with one log line for a
// value that pretends to be an object.
TEST(BindingObjectTest, PointerParametersTakeOnlyLiveObjectsOfTheirClass)
{
    hosttest::TempFolder folder;
    lua_State* L = lua_open();
    LuaBindFunction(L, "TakeShape", &TakeShape);
    LuaBindFunction(L, "TakeSquare", &TakeSquare);
    LuaBindFunction(L, "TakeLabelled", &TakeLabelled);
    LuaBindFunction(L, "TakeBase", &TakeBase);
    Square square;
    Shape shape;
    Sound sound;
    // A value of an object kept by the script after the object died.
    auto deleted = std::make_unique<Shape>();
    LuaPushObject(L, deleted.get());
    SetGlobal(L, "gone");
    deleted.reset();
    auto pushGone = [&] { GetGlobal(L, "gone"); };
    TScriptObject* const shapeBase = &shape;
    int notAnObject = 0;
    struct Case
    {
        const char* what;
        const char* binding;
        std::function<void()> push;
        const void* expect;
        const char* log;  // a text the log gains, or null for none
    };
    const Case cases[] = {
        {"shape", "TakeShape", [&] { LuaPushObject(L, &shape); }, &shape, nullptr},
        {"square as shape", "TakeShape", [&] { LuaPushObject(L, &square); },
         static_cast<Shape*>(&square), nullptr},
        {"square as square", "TakeSquare", [&] { LuaPushObject(L, &square); }, &square, nullptr},
        {"square as its other base", "TakeLabelled", [&] { LuaPushObject(L, &square); },
         static_cast<Labelled*>(&square), nullptr},
        {"square as the base", "TakeBase", [&] { LuaPushObject(L, &square); },
         static_cast<TScriptObject*>(&square), nullptr},
        {"wrong class", "TakeShape", [&] { LuaPushObject(L, &sound); }, nullptr,
         "argument 1 is a (anonymous namespace)::Sound, not a (anonymous namespace)::Shape"},
        {"shape as a square", "TakeSquare", [&] { LuaPushObject(L, &shape); }, nullptr,
         "not a (anonymous namespace)::Square"},
        {"sound as a labelled", "TakeLabelled", [&] { LuaPushObject(L, &sound); }, nullptr,
         "not a (anonymous namespace)::Labelled"},
        {"deleted object", "TakeShape", pushGone, nullptr, "argument 1 is not a live object"},
        {"deleted object as the base", "TakeBase", pushGone, nullptr,
         "argument 1 is not a live object"},
        // An address alone is no object value, even a live object's.
        {"light userdata of a live object", "TakeShape",
         [&] { lua_pushlightuserdata(L, shapeBase); }, nullptr, "argument 1 is not a live object"},
        {"foreign light userdata", "TakeShape", [&] { lua_pushlightuserdata(L, &notAnObject); },
         nullptr, "argument 1 is not a live object"},
        {"foreign reference", "TakeBase", [&] { PushUserdataRef(L, &notAnObject, 0); }, nullptr,
         "argument 1 is not a live object"},
        {"live object's address without its handle", "TakeShape",
         [&] { PushUserdataRef(L, shapeBase, 0); }, nullptr, "argument 1 is not a live object"},
        {"script userdata", "TakeShape", [&] { lua_newuserdata(L, 16); }, nullptr,
         "argument 1 is not a live object"},
        // A payload that spells a live object's handle is still script data.
        {"script userdata holding a handle", "TakeShape",
         [&] {
             const uint64_t word = shape.GetScriptHandle().ToWord();
             std::memcpy(lua_newuserdata(L, sizeof word), &word, sizeof word);
         },
         nullptr, "argument 1 is not a live object"},
        {"number", "TakeShape", [&] { lua_pushnumber(L, 1234); }, nullptr, nullptr},
        {"string", "TakeShape", [&] { lua_pushstring(L, "text"); }, nullptr, nullptr},
        {"table", "TakeShape", [&] { lua_newtable(L); }, nullptr, nullptr},
        {"nil", "TakeShape", [&] { lua_pushnil(L); }, nullptr, nullptr},
        {"absent", "TakeShape", [] {}, nullptr, nullptr},
    };
    for (const Case& c : cases)
    {
        std::string before = folder.Log();
        gPointer = kUnset;
        lua_pushstring(L, c.binding);
        lua_gettable(L, LUA_GLOBALSINDEX);
        int base = lua_gettop(L);
        c.push();
        ASSERT_EQ(lua_pcall(L, lua_gettop(L) - base, 0, 0), 0) << c.what;
        EXPECT_EQ(gPointer, c.expect) << c.what;
        std::string added = folder.Log().substr(before.size());
        if (c.log == nullptr)
        {
            EXPECT_EQ(added, "") << c.what;
        }
        else
        {
            EXPECT_NE(added.find(c.log), std::string::npos) << c.what << ": " << added;
            EXPECT_EQ(std::count(added.begin(), added.end(), '\n'), 1) << c.what << ": " << added;
        }
        lua_settop(L, 0);
    }
    lua_close(L);
}

std::vector<TScriptObject*> gReleasedObjects;
void ResolveRelease(lua_State*, void*, uint64_t key)
{
    gReleasedObjects.push_back(LuaObjectOfKey(key));
}

// A script keeps the value of an object that dies, and a new object of the
// same class is made at the same address (as an allocator that hands out the
// last freed block first does): the kept value names nothing, in a binding
// call and in its release, while a value of the new object reaches it. Both
// forms of object values: plain references and owned ones.
TEST(BindingObjectTest, ValueOfADeadObjectMissesANewObjectAtItsAddress)
{
    for (const bool owned : {false, true})
    {
        SCOPED_TRACE(owned ? "owned references" : "plain references");
        hosttest::TempFolder folder;
        lua_State* L = lua_open();
        if (owned)
        {
            lua_pushnil(L);
            lua_setownedrefs(L, &ResolveRelease);
        }
        gReleasedObjects.clear();
        LuaBindFunction(L, "TakeShape", &TakeShape);
        alignas(Shape) unsigned char storage[sizeof(Shape)];
        Shape* first = new (storage) Shape;
        LuaPushObject(L, first);
        SetGlobal(L, "kept");
        first->~Shape();
        Shape* second = new (storage) Shape;
        ASSERT_EQ(static_cast<TScriptObject*>(second), static_cast<TScriptObject*>(first));

        gPointer = kUnset;
        ASSERT_EQ(RunCall(L, "TakeShape", [&] { GetGlobal(L, "kept"); }), 0);
        EXPECT_EQ(gPointer, nullptr);
        EXPECT_EQ(folder.LogCount("argument 1 is not a live object"), 1) << folder.Log();
        ASSERT_EQ(RunCall(L, "TakeShape", [&] { LuaPushObject(L, second); }), 0);
        EXPECT_EQ(gPointer, second);

        lua_pushnil(L);
        SetGlobal(L, "kept");
        lua_setgcthreshold(L, 0);
        if (owned)
        {
            // The kept value and the new object's value, each released once:
            // the first resolves to nothing.
            ASSERT_EQ(gReleasedObjects.size(), 2u);
            EXPECT_EQ(std::count(gReleasedObjects.begin(), gReleasedObjects.end(), nullptr), 1);
            EXPECT_EQ(std::count(gReleasedObjects.begin(), gReleasedObjects.end(), second), 1);
        }
        second->~Shape();
        lua_close(L);
    }
}

// A coroutine keeps an object across a yield; the object dies meanwhile.
TEST(BindingObjectTest, ObjectDeletedWhileACoroutineHoldsIt)
{
    hosttest::TempFolder folder;
    TScript s;
    lua_State* L = s.GetState();
    auto held = std::make_unique<Square>();
    gHeldSquare = held.get();
    LuaBindFunction(L, "TakeShape", &TakeShape);
    LuaBindFunction(L, "Held", &HeldSquare);
    ASSERT_EQ(s.DoLuaString("co = coroutine.create(function()\n"
                            "  local o = Held()\n"
                            "  TakeShape(o)\n"
                            "  coroutine.yield()\n"
                            "  TakeShape(o)\n"
                            "end)\n"
                            "assert(coroutine.resume(co))"),
              0);
    EXPECT_EQ(gPointer, static_cast<Shape*>(held.get()));
    held.reset();
    gHeldSquare = nullptr;
    gPointer = kUnset;
    ASSERT_EQ(s.DoLuaString("assert(coroutine.resume(co))"), 0);
    EXPECT_EQ(gPointer, nullptr);
    EXPECT_EQ(folder.LogCount("TakeShape: argument 1 is not a live object"), 1) << folder.Log();
}

class Account : public TScriptObject
{
public:
    explicit Account(double start) : balance_(start) {}
    double Deposit(double amount)
    {
        balance_ += amount;
        return balance_;
    }
    TString Name() const { return name_; }
    void Rename(TString name) { name_ = name; }
    int PushBoth(lua_State* L)
    {
        lua_pushnumber(L, balance_);
        PushLuaString(L, name_);
        return 2;
    }

private:
    double balance_;
    TString name_ = "none";
};

// A member inherited from a second base: the object pointer needs its
// adjustment when the member is called.
class Tagged
{
public:
    virtual ~Tagged() = default;
    int tag = 7;
};
class Savings : public Tagged, public Account
{
public:
    Savings() : Account(1000) {}
};

TEST_F(BindingTest, MemberFunctionsRunOnTheirObject)
{
    Account a(10), b(100);
    LuaBindMember(L, "DepositA", &a, &Account::Deposit);
    LuaBindMember(L, "DepositB", &b, &Account::Deposit);
    LuaBindMember(L, "RenameA", &a, &Account::Rename);
    LuaBindMember(L, "NameA", static_cast<const Account*>(&a), &Account::Name);
    LuaBindMember(L, "BothA", &a, &Account::PushBoth);

    ASSERT_EQ(Call("DepositA", [&] { lua_pushnumber(L, 5); }), 0);
    EXPECT_EQ(lua_tonumber(L, -1), 15);
    ASSERT_EQ(Call("DepositB", [&] { lua_pushnumber(L, 1); }), 0);
    EXPECT_EQ(lua_tonumber(L, -1), 101);
    ASSERT_EQ(Call(
                  "RenameA", [&] { lua_pushstring(L, "alice"); }, 0),
              0);
    ASSERT_EQ(Call("NameA", [] {}), 0);
    EXPECT_STREQ(lua_tostring(L, -1), "alice");
    lua_settop(L, 0);
    // The thread-taking target decides the result count.
    ASSERT_EQ(Call(
                  "BothA", [] {}, LUA_MULTRET),
              0);
    ASSERT_EQ(lua_gettop(L), 2);
    EXPECT_EQ(lua_tonumber(L, 1), 15);
    EXPECT_STREQ(lua_tostring(L, 2), "alice");
    lua_settop(L, 0);

    // An inherited member on a derived object, through a second base.
    Savings savings;
    LuaBindMember(L, "DepositS", &savings, &Savings::Deposit);
    LuaBindMember(L, "NameS", static_cast<const Savings*>(&savings), &Savings::Name);
    ASSERT_EQ(Call("DepositS", [&] { lua_pushnumber(L, 5); }), 0);
    EXPECT_EQ(lua_tonumber(L, -1), 1005);
    ASSERT_EQ(Call("NameS", [] {}), 0);
    EXPECT_STREQ(lua_tostring(L, -1), "none");
    EXPECT_EQ(savings.tag, 7);
    lua_settop(L, 0);

    // Re-publishing moves the name to another object; unbinding removes it.
    LuaBindMember(L, "DepositA", &b, &Account::Deposit);
    ASSERT_EQ(Call("DepositA", [&] { lua_pushnumber(L, 1); }), 0);
    EXPECT_EQ(lua_tonumber(L, -1), 102);
    LuaUnbind(L, "DepositA");
    EXPECT_NE(Call("DepositA", [] {}), 0);
}

// A member published on an object that dies later: the call does nothing and
// gives no results, instead of reaching freed memory.
TEST(BindingObjectTest, MemberOfADeletedObjectDoesNothing)
{
    hosttest::TempFolder folder;
    TScript s;
    lua_State* L = s.GetState();
    auto account = std::make_unique<Account>(10);
    LuaBindMember(L, "Deposit", account.get(), &Account::Deposit);
    ASSERT_EQ(s.DoLuaString("a = Deposit(5)"), 0);
    account.reset();
    // A new object may take the same address; it is still not the one bound.
    auto other = std::make_unique<Account>(100);
    ASSERT_EQ(s.DoLuaString("b = Deposit(5) c = (function(...) return arg.n end)(Deposit(1))"), 0);
    lua_pushstring(L, "a");
    lua_gettable(L, LUA_GLOBALSINDEX);
    EXPECT_EQ(lua_tonumber(L, -1), 15);
    lua_pushstring(L, "b");
    lua_gettable(L, LUA_GLOBALSINDEX);
    EXPECT_TRUE(lua_isnil(L, -1));
    lua_pushstring(L, "c");
    lua_gettable(L, LUA_GLOBALSINDEX);
    EXPECT_EQ(lua_tonumber(L, -1), 0);
    lua_settop(L, 0);
    EXPECT_EQ(folder.LogCount("Deposit: its object is gone"), 2) << folder.Log();
}

// Reads a field of the table argument; the table lives through the call.
double gWidth = -1;
TLuaTable* gTable = nullptr;
void Style(TLuaTable* t)
{
    gTable = t;
    gWidth = t->GetNumber("width", -2);
}

TEST_F(BindingTest, TableArgumentsWithoutAScriptAreDeletedAfterTheCall)
{
    LuaBindFunction(L, "Style", &Style);
    ASSERT_EQ(Call(
                  "Style",
                  [&]
                  {
                      lua_newtable(L);
                      lua_pushstring(L, "width");
                      lua_pushnumber(L, 64);
                      lua_settable(L, -3);
                  },
                  0),
              0);
    EXPECT_EQ(gWidth, 64);
    // A non-table still arrives as a reference, whose reads give defaults.
    ASSERT_EQ(Call(
                  "Style", [] {}, 0),
              0);
    EXPECT_EQ(gWidth, -2);
    // (LeakSanitizer checks that neither reference outlived its call.)
}

TEST(BindingScriptTest, TableArgumentsGoToTheOwningScriptAfterTheCall)
{
    hosttest::TempFolder folder;
    TScript s;
    LuaBindFunction(s.GetState(), "Style", &Style);
    ASSERT_EQ(s.DoLuaString("Style({width = 32})"), 0);
    EXPECT_EQ(gWidth, 32);
    EXPECT_EQ(s.GetTemporaryCount(), 1);
    // Still readable until the script runs again.
    EXPECT_EQ(gTable->GetNumber("width", 0), 32);
    ASSERT_EQ(s.DoLuaString("x = 1"), 0);
    EXPECT_EQ(s.GetTemporaryCount(), 0);
}

// A target that starts another run of its script while it holds the table.
TScript* gScript = nullptr;
void Reentrant(TLuaTable* t)
{
    gScript->DoLuaString("inner = 1");
    gWidth = t->GetNumber("width", -3);
}

TEST(BindingScriptTest, TableArgumentSurvivesARunStartedByTheTarget)
{
    hosttest::TempFolder folder;
    TScript s;
    gScript = &s;
    LuaBindFunction(s.GetState(), "Reentrant", &Reentrant);
    ASSERT_EQ(s.DoLuaString("Reentrant({width = 9})"), 0);
    EXPECT_EQ(gWidth, 9);
}

TEST(BindingScriptTest, HostFunctions)
{
    hosttest::TempFolder folder;
    TScript s;
    lua_State* L = s.GetState();
    struct Case
    {
        const char* text;
        const char* expect;  // the results joined by ",", or "error"
    };
    const Case cases[] = {
        {"return toparams({1, nil, 3, n = 3})", "1,nil,3"},
        {"return toparams({})", ""},
        {"return toparams({1, 2, 3, n = 1})", "1"},
        {"return toparams({[4] = 'd'})", "nil,nil,nil,d"},
        {"return toparams({n = -5})", ""},
        {"return toparams({n = 1e9})", "error"},
        {"return toparams({n = 2147483648})", ""},  // wraps negative
        {"return toparams({n = 3000})", "error"},
        {"return toparams(5)", "error"},
        {"return toparams()", "error"},
    };
    for (const Case& c : cases)
    {
        ASSERT_EQ(s.DoLuaString(TString::Format("local function pack(...) return arg end\n"
                                                "local r = pack(pcall(function() %s end))\n"
                                                "if not r[1] then joined = 'error' else\n"
                                                "  joined = '' for i = 2, r.n do\n"
                                                "    if i > 2 then joined = joined .. ',' end "
                                                "joined = joined .. tostring(r[i]) end end",
                                                c.text)),
                  0)
            << c.text;
        lua_pushstring(L, "joined");
        lua_gettable(L, LUA_GLOBALSINDEX);
        EXPECT_STREQ(lua_tostring(L, -1), c.expect) << c.text;
        lua_settop(L, 0);
    }

    ASSERT_EQ(s.DoLuaString("DebugOut('discarded') DebugOut() DebugOut({})"), 0);
    ASSERT_EQ(s.DoLuaString("_ALERT('direct') _ALERT(12) _ALERT({})"), 0);
    EXPECT_EQ(folder.LogCount("Lua error: direct"), 1);
    EXPECT_EQ(folder.LogCount("Lua error: 12"), 1);
    EXPECT_EQ(folder.LogCount("Lua error: (error value: table)"), 1);
}

}  // namespace
