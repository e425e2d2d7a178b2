// Precompiled chunks: dump and reload, the opposite byte order, and every
// header and body check of the reader.
#include <cstdio>
#include <cstring>
#include <string>

#include "ScriptTestUtil.h"
#include "script/lang/opcodes.h"

namespace
{

int Collect(lua_State*, const void* p, size_t sz, void* ud)
{
    static_cast<std::string*>(ud)->append(static_cast<const char*>(p), sz);
    return 0;
}

class Chunks : public ScriptTest
{
protected:
    // Compiles src and dumps it.
    std::string Dump(const std::string& src)
    {
        EXPECT_EQ(LoadText(L, src, "=src"), 0);
        std::string out;
        EXPECT_EQ(lua_dump(L, Collect, &out), 1);
        lua_pop(L, 1);
        return out;
    }
    // Loads bytes as a chunk named name; returns the status (message kept in
    // last_ on failure).
    int Load(const std::string& bytes, const char* name = "=chunk")
    {
        int status = LoadText(L, bytes, name);
        if (status != 0)
        {
            last_ = lua_tostring(L, -1);
            lua_pop(L, 1);
        }
        return status;
    }
    std::string last_;
};

const char* kSample =
    "local w = L\"h\\x263Ai\" "
    "local function add(a, b) return a + b end "
    "local t = {1, 2, 3, n = nil, s = 'text'} "
    "return add(t[3], 0.5), w, t.s, add";

TEST_F(Chunks, RoundTripKeepsBehaviourAndConstants)
{
    std::string bytes = Dump(kSample);
    ASSERT_EQ(bytes.substr(0, 5), std::string("\x1bLua\x50", 5));
    EXPECT_EQ(bytes[5], 1);  // little-endian writer
    ASSERT_EQ(Load(bytes), 0) << last_;
    ASSERT_EQ(lua_pcall(L, 0, 4, 0), 0);
    EXPECT_EQ(lua_tonumber(L, 1), 3.5);
    ASSERT_EQ(lua_type(L, 2), LUA_TWSTRING);
    EXPECT_EQ(lua_strlen(L, 2), 3u);
    EXPECT_STREQ(lua_tostring(L, 3), "text");
    EXPECT_TRUE(lua_isfunction(L, 4));
    // Dumping the reloaded function gives the same bytes.
    lua_settop(L, 0);
    ASSERT_EQ(Load(bytes), 0);
    std::string again;
    ASSERT_EQ(lua_dump(L, Collect, &again), 1);
    EXPECT_EQ(again, bytes);
}

TEST_F(Chunks, WideConstantIsCountedInUnitsWithTerminator)
{
    std::string bytes = Dump("return L\"abc\"");
    // size 4 (3 units + terminator) followed by 8 bytes.
    const std::string expected = std::string(
        "\x09\x04\x00\x00\x00"
        "a\0b\0c\0\0\0",
        13);
    EXPECT_NE(bytes.find(expected), std::string::npos);
}

TEST_F(Chunks, OnlyUpvalueFreeScriptFunctionsDump)
{
    std::string out;
    lua_pushcfunction(L, [](lua_State*) { return 0; });
    EXPECT_EQ(lua_dump(L, Collect, &out), 0);
    lua_pop(L, 1);
    ASSERT_EQ(RunScript(L, "local x = 1 return function() return x end", nullptr, 1), 0);
    EXPECT_EQ(lua_dump(L, Collect, &out), 0);
    EXPECT_TRUE(out.empty());
}

// Rewrites a little-endian chunk in big-endian order, field by field.
class Swapper
{
public:
    explicit Swapper(const std::string& in) : in_(in) {}
    std::string Run()
    {
        out_ = in_.substr(0, 14);
        out_[5] = 0;
        pos_ = 14;
        Swap(8);  // test number
        Function();
        EXPECT_EQ(pos_, in_.size());
        return out_;
    }

private:
    uint32_t ReadLE32()
    {
        uint32_t v;
        std::memcpy(&v, in_.data() + pos_, 4);
        return v;
    }
    void Swap(size_t n)
    {
        for (size_t i = 0; i < n; i++) out_.push_back(in_[pos_ + n - 1 - i]);
        pos_ += n;
    }
    void Copy(size_t n)
    {
        out_.append(in_, pos_, n);
        pos_ += n;
    }
    uint32_t Int()
    {
        uint32_t v = ReadLE32();
        Swap(4);
        return v;
    }
    void String()
    {
        uint32_t n = Int();
        Copy(n);
    }
    void WideString()
    {
        uint32_t n = Int();
        for (uint32_t i = 0; i < n; i++) Swap(2);
    }
    void Function()
    {
        String();  // source
        Int();     // line defined
        Copy(4);   // nups, params, vararg, stack
        uint32_t n = Int();
        for (uint32_t i = 0; i < n; i++) Int();
        n = Int();
        for (uint32_t i = 0; i < n; i++)
        {
            String();
            Int();
            Int();
        }
        n = Int();
        for (uint32_t i = 0; i < n; i++) String();
        n = Int();
        for (uint32_t i = 0; i < n; i++)
        {
            char t = in_[pos_];
            Copy(1);
            if (t == 3) Swap(8);
            if (t == 4) String();
            if (t == 9) WideString();
        }
        n = Int();
        for (uint32_t i = 0; i < n; i++) Function();
        n = Int();
        for (uint32_t i = 0; i < n; i++) Int();
    }
    const std::string& in_;
    std::string out_;
    size_t pos_ = 0;
};

TEST_F(Chunks, OppositeByteOrderLoadsTheSameFunction)
{
    std::string bytes = Dump(kSample);
    std::string swapped = Swapper(bytes).Run();
    ASSERT_NE(swapped, bytes);
    ASSERT_EQ(Load(swapped), 0) << last_;
    ASSERT_EQ(lua_pcall(L, 0, 2, 0), 0);
    EXPECT_EQ(lua_tonumber(L, 1), 3.5);
    ASSERT_EQ(lua_type(L, 2), LUA_TWSTRING);
    // Interning makes equal units the same object as the native-order load.
    ASSERT_EQ(Load(bytes), 0);
    ASSERT_EQ(lua_pcall(L, 0, 2, 0), 0);
    EXPECT_TRUE(lua_rawequal(L, 2, 4));
}

// Runs the function on top of L and describes its results ("error: ..." on
// failure).
std::string RunTop(lua_State* L)
{
    int base = lua_gettop(L) - 1;
    if (lua_pcall(L, 0, LUA_MULTRET, 0) != 0)
    {
        std::string e = std::string("error: ") + lua_tostring(L, -1);
        lua_settop(L, base);
        return e;
    }
    std::string out;
    for (int i = base + 1; i <= lua_gettop(L); i++)
    {
        char buf[64];
        switch (lua_type(L, i))
        {
            case LUA_TNUMBER:
                std::snprintf(buf, sizeof buf, "%.14g", lua_tonumber(L, i));
                out += buf;
                break;
            case LUA_TSTRING:
                out += std::string("'") + lua_tostring(L, i) + "'";
                break;
            case LUA_TWSTRING:
                out += "wide" + std::to_string(lua_strlen(L, i));
                break;
            case LUA_TBOOLEAN:
                out += lua_toboolean(L, i) ? "true" : "false";
                break;
            default:
                out += lua_typename(L, lua_type(L, i));
        }
        out += ' ';
    }
    lua_settop(L, base);
    return out;
}

TEST_F(Chunks, InstructionConventionsSurviveBothByteOrders)
{
    // Each snippet leans on one convention of the instruction set; run from
    // source, from its dump and from the dump in the other byte order, it
    // must give the same results.
    std::string items;
    for (int i = 1; i <= 70; i++) items += std::to_string(i) + ",";
    const std::string snippets[] = {
        // CLOSURE pseudo-instructions: enclosing locals (MOVE) and upvalues (GETUPVAL).
        "local a = 1 local function f() local b = 2 return function() a = a + b return a end end "
        "local g = f() g() return g(), a",
        // Numeric for: pre-decrement, FORLOOP jumping back, a loop that never runs.
        "local s = 0 for i = 10, 1, -3 do s = s * 10 + i end for i = 1, 0 do s = -1 end return s",
        // Generic for: TFORLOOP's C and the call above the variables.
        "local t = {} for k, v, w in function(_, i) if i < 3 then return i + 1, i * 2, 'x' end "
        "end, nil, 0 do "
        "t[k] = v .. w end return t[1], t[2], t[3]",
        // SETLIST flushes of 32 and an open SETLISTO.
        "local function f() return 'a', 'b', 'c' end local t = {" + items +
            " f()} return t[1], t[32], t[33], t[64], t[65], t[70], t[71], t[73], t[74]",
        // NEWTABLE size bytes from hints and items.
        "local t = {&8 &4 f = 1} t[1] = 2 local u = {&100 1, 2, 3} return t.f, t[1], u[3]",
        // Open CALL and RETURN counts, and a tail call.
        "local function three() return 1, 2, 3 end local function count(...) return arg.n end "
        "local function tail(n) if n == 0 then return 'done' end return tail(n - 1) end "
        "return count(three()), count(0, three()), tail(50), three()",
        // continue and break in while and repeat.
        "local s, i = '', 0 repeat i = i + 1 if i == 2 then continue end s = s .. i until i >= 4 "
        "while i > 0 do i = i - 1 if i == 1 then break end end return s, i",
        // Wide constants, bitwise operators, comparisons and conditional values.
        "local a, b = 1, 2 return L\"a\\x263A\", 6 & 3, -1 >> 28, 2 ^ 7, a < b, a >= b, a ~= b and "
        "'y' or 'n', not b",
    };
    for (const std::string& src : snippets)
    {
        ASSERT_EQ(LoadText(L, src, "=src"), 0) << src;
        const std::string expected = RunTop(L);
        ASSERT_EQ(expected.find("error"), std::string::npos) << src << ": " << expected;
        const std::string bytes = Dump(src);
        for (const std::string& chunk : {bytes, Swapper(bytes).Run()})
        {
            ASSERT_EQ(Load(chunk), 0) << src << ": " << last_;
            EXPECT_EQ(RunTop(L), expected) << src;
        }
    }
}

TEST_F(Chunks, HeaderChecks)
{
    const std::string good = Dump("return 1");
    struct Case
    {
        size_t offset;
        char value;
        const char* message;
    } cases[] = {
        {1, 'X', "bad signature in chunk"},
        {4, 0x51, "chunk too new: read version 5.1; expected at most 5.0"},
        {4, 0x40, "chunk too old: read version 4.0; expected at least 5.0"},
        {6, 8, "virtual machine mismatch in chunk: size of int is 4 but read 8"},
        {11, 8, "virtual machine mismatch in chunk: size of B is 9 but read 8"},
        {13, 4, "virtual machine mismatch in chunk: size of number is 8 but read 4"},
        {14, 0, "unknown number format in chunk"},
    };
    for (const Case& c : cases)
    {
        std::string bad = good;
        bad[c.offset] = c.value;
        if (c.offset == 14) std::memset(&bad[14], 0, 8);
        EXPECT_EQ(Load(bad), LUA_ERRRUN) << c.message;
        EXPECT_EQ(last_, c.message);
    }
    // A name beginning with byte 27 is reported as "binary string".
    std::string bad = good;
    bad[11] = 8;
    EXPECT_EQ(Load(bad, bad.c_str()), LUA_ERRRUN);
    EXPECT_EQ(last_, "virtual machine mismatch in binary string: size of B is 9 but read 8");
}

TEST_F(Chunks, BodyChecks)
{
    std::string good = Dump("return 'k'");
    // The first constant's type byte follows its count; find the string 'k'.
    size_t k = good.find(std::string("\x04\x02\x00\x00\x00k\0", 7));
    ASSERT_NE(k, std::string::npos);
    std::string bad = good;
    bad[k] = 1;  // boolean: not a chunk constant type
    EXPECT_EQ(Load(bad), LUA_ERRRUN);
    EXPECT_EQ(last_, "bad constant type (1) in chunk");

    // A negative count is refused.
    bad = good;
    std::memset(&bad[k - 4], 0xFF, 4);
    EXPECT_EQ(Load(bad), LUA_ERRRUN);
    EXPECT_EQ(last_, "bad integer in chunk");

    // An instruction that reaches past the registers is bad code.
    bad = good;
    bad[bad.size() - 1] = static_cast<char>(0xF0);  // A of the final RETURN
    EXPECT_EQ(Load(bad), LUA_ERRRUN);
    EXPECT_EQ(last_, "bad code in chunk");
}

TEST_F(Chunks, EveryTruncationFailsCleanly)
{
    const std::string good = Dump(kSample);
    for (size_t n = 1; n < good.size(); n++)
    {
        int status = Load(good.substr(0, n));
        EXPECT_EQ(status, LUA_ERRRUN) << n;
        if (n > 22)
        {
            EXPECT_EQ(last_, "unexpected end of file in chunk") << n;
        }
    }
}

TEST_F(Chunks, HugeSizesFailWithoutHugeAllocations)
{
    std::string good = Dump("return 'k'");
    size_t k = good.find(std::string("\x02\x00\x00\x00k\0", 6));
    ASSERT_NE(k, std::string::npos);
    std::string bad = good.substr(0, k) + std::string("\xF0\xFF\xFF\x7F", 4) + "k";
    EXPECT_EQ(Load(bad), LUA_ERRRUN);
    EXPECT_EQ(last_, "unexpected end of file in chunk");
}

// ---------------------------------------------------------------------------
// Hand-built chunks for the bytecode checker.

// One function record's fields; the defaults make a valid main function.
struct Fn
{
    int nups = 0, params = 0, vararg = 1, maxstack = 2;
    std::vector<Instruction> code = {CREATE_ABC(OP_RETURN, 0, 1, 0)};
    int lines = -1;  // line-table length; -1: one per instruction
    // Constants: 'n' number, 's' string "k", 'w' wide "k", '0' nil, 'e' empty string.
    std::string k;
    std::vector<Fn> p;
    std::vector<std::string> locals;
};

class ChunkWriter
{
public:
    static std::string Write(const Fn& f)
    {
        ChunkWriter w;
        w.out_.assign("\x1bLua\x50\x01\x04\x04\x04\x06\x08\x09\x09\x08", 14);
        double test = 31415926.535897933;
        w.Raw(&test, 8);
        w.Function(f, true);
        return w.out_;
    }

private:
    void Raw(const void* p, size_t n) { out_.append(static_cast<const char*>(p), n); }
    void Int(int32_t v) { Raw(&v, 4); }
    void Byte(int v) { out_.push_back(static_cast<char>(v)); }
    void Str(const std::string& s)
    {
        Int(static_cast<int32_t>(s.size() + 1));
        Raw(s.c_str(), s.size() + 1);
    }
    void Function(const Fn& f, bool main)
    {
        if (main)
            Str("=hand");
        else
            Int(0);
        Int(0);
        Byte(f.nups);
        Byte(f.params);
        Byte(f.vararg);
        Byte(f.maxstack);
        int lines = f.lines < 0 ? static_cast<int>(f.code.size()) : f.lines;
        Int(lines);
        for (int i = 0; i < lines; i++) Int(1);
        Int(static_cast<int32_t>(f.locals.size()));
        for (const std::string& l : f.locals)
        {
            if (l.empty())
                Int(0);
            else
                Str(l);
            Int(0);
            Int(0);
        }
        Int(0);  // no upvalue names
        Int(static_cast<int32_t>(f.k.size()));
        for (char c : f.k)
        {
            switch (c)
            {
                case 'n':
                {
                    Byte(3);
                    double v = 7;
                    Raw(&v, 8);
                    break;
                }
                case 's':
                    Byte(4);
                    Str("k");
                    break;
                case 'w':
                    Byte(9);
                    Int(2);
                    Raw("k\0\0\0", 4);
                    break;
                case 'e':
                    Byte(4);
                    Int(0);
                    break;
                default:
                    Byte(0);
            }
        }
        Int(static_cast<int32_t>(f.p.size()));
        for (const Fn& q : f.p) Function(q, false);
        Int(static_cast<int32_t>(f.code.size()));
        for (Instruction i : f.code) Raw(&i, 4);
    }
    std::string out_;
};

Instruction ABC(OpCode o, int a, int b, int c)
{
    return CREATE_ABC(o, a, b, c);
}
Instruction ABx(OpCode o, int a, int bx)
{
    return CREATE_ABx(o, a, bx);
}
Instruction AsBx(OpCode o, int a, int sbx)
{
    return CREATE_AsBx(o, a, sbx);
}
const Instruction kRet = CREATE_ABC(OP_RETURN, 0, 1, 0);

TEST_F(Chunks, CheckerAcceptsWellFormedHandBuiltCode)
{
    Fn inner;
    inner.nups = 1;
    inner.vararg = 0;
    inner.code = {ABC(OP_GETUPVAL, 0, 0, 0), ABC(OP_RETURN, 0, 2, 0), kRet};
    Fn f;
    f.maxstack = 4;
    f.k = "sn";
    f.p = {inner};
    f.code = {ABx(OP_CLOSURE, 1, 0),
              ABC(OP_MOVE, 0, 0, 0),  // upvalue: local 0
              ABx(OP_LOADK, 0, 1),    // the captured local
              ABC(OP_CALL, 1, 1, 0),
              ABC(OP_RETURN, 1, 0, 0),  // return f()
              kRet};
    ASSERT_EQ(Load(ChunkWriter::Write(f)), 0) << last_;
    // The closure captured register 0 before LOADK stored 7 there.
    ASSERT_EQ(lua_pcall(L, 0, 1, 0), 0) << lua_tostring(L, -1);
    EXPECT_EQ(lua_tonumber(L, -1), 7);
}

TEST_F(Chunks, CheckerRefusesMalformedCode)
{
    struct Case
    {
        const char* what;
        Fn f;
    };
    auto code = [](std::vector<Instruction> c, int maxstack = 2, std::string k = "")
    {
        Fn f;
        f.code = std::move(c);
        f.maxstack = maxstack;
        f.k = std::move(k);
        return f;
    };
    auto with = [](Fn f, auto change)
    {
        change(f);
        return f;
    };
    Fn closure = with(Fn{},
                      [](Fn& f)
                      {
                          Fn inner;
                          inner.nups = 1;
                          f.p = {inner};
                      });
    std::vector<Case> cases = {
      {"no code", code({})},
      {"code ends without RETURN", code({ABC(OP_LOADNIL, 0, 0, 0)})},
      {"unknown opcode", code({ABC(OpCode(39), 0, 0, 0), kRet})},
      {"opcode 63", code({ABC(OpCode(63), 0, 0, 0), kRet})},
      {"stack above 250", code({kRet}, 251)},
      {"vararg flag 2", with(Fn{}, [](Fn& f) { f.vararg = 2; })},
      {"parameters beyond the stack", with(Fn{}, [](Fn& f) { f.params = 2; })},
      {"line table of another length", with(Fn{}, [](Fn& f) { f.lines = 3; })},
      {"register A past the stack", code({ABC(OP_MOVE, 2, 0, 0), kRet})},
      {"register B past the stack", code({ABC(OP_MOVE, 0, 2, 0), kRet})},
      {"constant index past the table", code({ABx(OP_LOADK, 0, 1), kRet}, 2, "n")},
      {"RK constant past the table", code({ABC(OP_ADD, 0, 250, 251), kRet}, 2, "n")},
      {"global named by a number", code({ABx(OP_GETGLOBAL, 0, 0), kRet}, 2, "n")},
      {"global named by a wide string", code({ABx(OP_SETGLOBAL, 0, 0), kRet}, 2, "w")},
      {"upvalue the function lacks", code({ABC(OP_GETUPVAL, 0, 0, 0), kRet})},
      {"LOADNIL range reversed", code({ABC(OP_LOADNIL, 1, 0, 0), kRet})},
      {"CONCAT with C below B", code({ABC(OP_CONCAT, 0, 1, 0), kRet})},
      {"CONCAT with C past the stack", code({ABC(OP_CONCAT, 0, 0, 300), kRet}, 2, std::string(60, 'n'))},
      {"jump past the end", code({AsBx(OP_JMP, 0, 1), kRet})},
      {"jump before the start", code({AsBx(OP_JMP, 0, -2), kRet})},
      {"test without a jump", code({ABC(OP_EQ, 0, 0, 1), ABC(OP_MOVE, 0, 1, 0), kRet})},
      {"test whose jump leaves the code", code({ABC(OP_TEST, 0, 0, 0), AsBx(OP_JMP, 0, 5), kRet})},
      {"LOADBOOL skipping past the end", code({ABC(OP_LOADBOOL, 0, 1, 1), kRet})},
      {"open call not consumed", code({ABC(OP_CALL, 0, 1, 0), ABC(OP_MOVE, 0, 1, 0), kRet})},
      {"open call consumed from above", code({ABC(OP_CALL, 0, 1, 0), ABC(OP_CALL, 1, 0, 1), kRet})},
      {"open call returned from above", code({ABC(OP_CALL, 0, 1, 0), ABC(OP_RETURN, 1, 0, 0), kRet})},
      {"tail call without RETURN", code({ABC(OP_TAILCALL, 0, 1, 0), kRet, kRet})},
      {"RETURN up to the top from past the stack", code({ABC(OP_RETURN, 3, 0, 0)})},
      {"RETURN of values past the stack", code({ABC(OP_RETURN, 1, 3, 0)})},
      {"CALL arguments past the stack", code({ABC(OP_CALL, 0, 3, 1), kRet})},
      {"CALL results past the stack", code({ABC(OP_CALL, 0, 1, 4), kRet})},
      {"FORLOOP registers past the stack", code({AsBx(OP_FORLOOP, 0, -1), kRet})},
      {"TFORLOOP call past the stack", code({ABC(OP_TFORLOOP, 0, 0, 0), AsBx(OP_JMP, 0, -2), kRet}, 5)},
      {"SETLIST items past the stack", code({ABx(OP_SETLIST, 0, 1), kRet})},
      {"CLOSURE of a missing prototype", code({ABx(OP_CLOSURE, 0, 0), kRet})},
      {"CLOSURE without its upvalue instruction",
       with(closure, [](Fn& f) { f.code = {ABx(OP_CLOSURE, 0, 0), kRet}; })},
      {"CLOSURE upvalue from an arithmetic instruction",
       with(closure, [](Fn& f) { f.code = {ABx(OP_CLOSURE, 0, 0), ABC(OP_ADD, 0, 0, 0), kRet}; })},
      {"jump into a CLOSURE upvalue instruction",
       with(closure, [](Fn& f) { f.code = {AsBx(OP_JMP, 0, 1), ABx(OP_CLOSURE, 0, 0), ABC(OP_MOVE, 0, 0, 0), kRet}; })},
      {"nested function with 33 upvalues",
       with(Fn{}, [](Fn& f) {
         Fn inner;
         inner.nups = 33;
         f.p = {inner};
       })},
      {"empty string constant", code({kRet}, 2, "e")},
      {"local without a name", with(Fn{}, [](Fn& f) { f.locals = {""}; })},
      {"main function with upvalues", with(Fn{}, [](Fn& f) { f.nups = 1; })},
  };
    for (const Case& c : cases)
    {
        EXPECT_EQ(Load(ChunkWriter::Write(c.f)), LUA_ERRRUN) << c.what;
        EXPECT_EQ(last_, "bad code in chunk") << c.what;
    }
}

TEST_F(Chunks, NestingDepthIsBounded)
{
    auto nested = [](int depth)
    {
        Fn f;
        for (int i = 0; i < depth; i++)
        {
            Fn outer;
            outer.p = {f};
            f = outer;
        }
        return ChunkWriter::Write(f);
    };
    EXPECT_EQ(Load(nested(150)), 0) << last_;
    lua_settop(L, 0);
    EXPECT_EQ(Load(nested(250)), LUA_ERRRUN);
    EXPECT_EQ(last_, "bad code in chunk");
}

TEST_F(Chunks, CountsBeyondTheBytesLeftAreShortFiles)
{
    // Each count is patched to a value the remaining bytes cannot hold.
    Fn f;
    f.k = "n";
    std::string good = ChunkWriter::Write(f);
    const size_t header = 22;
    const size_t source = header + 4 + 6;  // after "=hand\0"
    struct Case
    {
        const char* what;
        size_t offset;
    } cases[] = {
        {"line table", source + 8},
        {"locals", source + 8 + 4 + 4},
        {"upvalue names", source + 8 + 4 + 4 + 4},
        {"constants", source + 8 + 4 + 4 + 4 + 4},
        {"prototypes", source + 8 + 4 + 4 + 4 + 4 + 4 + 9},
    };
    for (const Case& c : cases)
    {
        for (int32_t count : {100000, 0x7FFFFFFF})
        {
            std::string bad = good;
            std::memcpy(&bad[c.offset], &count, 4);
            EXPECT_EQ(Load(bad), LUA_ERRRUN) << c.what;
            EXPECT_EQ(last_, "unexpected end of file in chunk") << c.what;
        }
    }
    // A string size near 2^32 and a wide one whose byte count overflows 32 bits.
    std::string bad = good;
    std::memcpy(&bad[header], "\xFF\xFF\xFF\xFF", 4);
    EXPECT_EQ(Load(bad), LUA_ERRRUN);
    EXPECT_EQ(last_, "unexpected end of file in chunk");
    Fn w;
    w.k = "w";
    bad = ChunkWriter::Write(w);
    size_t pos = bad.find(std::string("\x09\x02\x00\x00\x00", 5));
    ASSERT_NE(pos, std::string::npos);
    std::memcpy(&bad[pos + 1], "\x01\x00\x00\x80", 4);
    EXPECT_EQ(Load(bad), LUA_ERRRUN);
    EXPECT_EQ(last_, "unexpected end of file in chunk");
}

void StopAfterBudget(lua_State* L, lua_Debug*)
{
    lua_pushstring(L, "budget spent");
    lua_error(L);
}

TEST_F(Chunks, FlippedBytesLoadAsErrorsOrSafeFunctions)
{
    // Every byte of real chunks changed three ways: the load fails, or the
    // function it gives runs to a result or an error under an instruction
    // budget, with memory capped (the sanitizers watch every access).
    const char* sources[] = {
        kSample,
        "local s = '' for i = 1, 3 do if i == 2 then continue end s = s .. i end "
        "for k, v in next, {a = 1} do s = s .. k end while s == nil do break end "
        "repeat s = s .. 'x' until true return s, {f = function(...) return arg.n end}",
        "local a, b = 1, 2 local function f(x, ...) return x and a or b, arg end "
        "return f(b > a, 3, 4), a .. b, -a ^ b & 7 << 1 >> 1 | 8, {&4 &4 f(1)}",
    };
    for (const char* src : sources)
    {
        const std::string good = Dump(src);
        TestAllocator cap;
        cap.limit = 64u << 20;
        ScopedAllocator scoped(&cap);
        lua_State* F = lua_open();
        ASSERT_NE(F, nullptr);
        int loaded = 0;
        for (size_t pos = 0; pos < good.size(); pos++)
        {
            for (int flip : {0x01, 0x80, 0xFF})
            {
                std::string bad = good;
                bad[pos] = static_cast<char>(bad[pos] ^ flip);
                lua_settop(F, 0);
                if (LoadText(F, bad, "=chunk") != 0) continue;
                loaded++;
                lua_sethook(F, StopAfterBudget, LUA_MASKCOUNT, 5000);
                lua_pcall(F, 0, 0, 0);
                lua_sethook(F, nullptr, 0, 0);
            }
        }
        // Flips of line numbers, names and constants still load.
        EXPECT_GT(loaded, 0);
        lua_close(F);
    }
}

TEST_F(Chunks, ChunksReadInSmallPiecesLoadTheSame)
{
    const std::string good = Dump(kSample);
    ASSERT_EQ(LoadText(L, good, "=chunk", 3), 0);
    ASSERT_EQ(lua_pcall(L, 0, 1, 0), 0);
    EXPECT_EQ(lua_tonumber(L, -1), 3.5);
}

}  // namespace
