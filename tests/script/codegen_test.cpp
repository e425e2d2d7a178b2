// Tests of the code generator: instruction listings of small snippets
// (operator priorities, constants and folding, table constructors with size
// hints, loops with break/continue, closures) and the instruction encoding.
#include "script/lang/codegen.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CompileHelpers.h"
#include "script/lang/lua.h"

namespace
{

using Lines = std::vector<std::string>;

TEST(Opcodes, FieldLayoutAndModes)
{
    Instruction i = CREATE_ABC(OP_ADD, 200, 511, 300);
    EXPECT_EQ(i & 0x3F, 12u);
    EXPECT_EQ((i >> 6) & 0x1FF, 300u);
    EXPECT_EQ((i >> 15) & 0x1FF, 511u);
    EXPECT_EQ(i >> 24, 200u);
    Instruction j = CREATE_AsBx(OP_JMP, 0, -131071);
    EXPECT_EQ(GETARG_Bx(j), 0);
    EXPECT_EQ(GETARG_sBx(CREATE_AsBx(OP_JMP, 0, 131072)), 131072);
    SETARG_B(i, 7);
    EXPECT_EQ(GETARG_B(i), 7);
    EXPECT_EQ(GETARG_C(i), 300);
    EXPECT_EQ(GETARG_A(i), 200);

    const uint8_t modes[NUM_OPCODES] = {0x24, 0x61, 0x20, 0x24, 0x20, 0x61, 0x34, 0x41, 0x00, 0x18,
                                        0x20, 0x34, 0x38, 0x38, 0x38, 0x38, 0x38, 0x38, 0x38, 0x38,
                                        0x38, 0x24, 0x24, 0x34, 0x02, 0x98, 0x98, 0x98, 0xa4, 0x00,
                                        0x00, 0x00, 0x02, 0x80, 0x02, 0x01, 0x01, 0x00, 0x21};
    for (int op = 0; op < NUM_OPCODES; op++)
        EXPECT_EQ(luaP_opmodes[op], modes[op]) << luaP_opnames[op];
    EXPECT_EQ(OP_BAND, 16);
    EXPECT_EQ(OP_POW, 20);
    EXPECT_EQ(OP_CLOSURE, 38);
}

TEST(Opcodes, TableSizeBytes)
{
    struct Case
    {
        unsigned size;
        int fb;
    };
    const Case cases[] = {{0, 0}, {4, 4}, {7, 7}, {8, 12}, {9, 13}, {33, 29}, {40, 29}, {41, 30}};
    for (const Case& c : cases)
    {
        EXPECT_EQ(luaP_int2fb(c.size), c.fb) << c.size;
        EXPECT_GE(luaP_fb2int(luaP_int2fb(c.size)), c.size);
    }
    EXPECT_EQ(luaP_log2(1), 0);
    EXPECT_EQ(luaP_log2(8), 3);
    EXPECT_EQ(luaP_log2(100), 6);
}

struct ListingCase
{
    const char* src;
    Lines code;
};

void ExpectListings(const std::vector<ListingCase>& cases)
{
    for (const ListingCase& c : cases) EXPECT_EQ(CompileListing(c.src), c.code) << c.src;
}

TEST(Codegen, OperatorPriorities)
{
    // Locals a, b, c live in registers 0-2; the result lands in register 3.
    const char* decl = "local a, b, c; return ";
    struct Case
    {
        const char* expr;
        Lines ops;
    };
    const Case cases[] = {
        {"a * b & c", {"BAND 3 1 2", "MUL 3 0 3"}},  // a * (b & c)
        {"a & b * c", {"BAND 3 0 1", "MUL 3 3 2"}},  // (a & b) * c
        {"a + b & c", {"BAND 3 1 2", "ADD 3 0 3"}},  // a + (b & c)
        {"a ^ b & c", {"POW 3 0 1", "BAND 3 3 2"}},  // (a ^ b) & c
        {"a & b ^ c", {"POW 3 1 2", "BAND 3 0 3"}},  // a & (b ^ c)
        {"-a & b", {"UNM 3 0 0", "BAND 3 3 1"}},     // (-a) & b
        {"not a | b", {"NOT 3 0 0", "BOR 3 3 1"}},   // (not a) | b
        {"-a ^ b", {"POW 3 0 1", "UNM 3 3 0"}},      // -(a ^ b)
        {"a & b | c", {"BAND 3 0 1", "BOR 3 3 2"}},  // left to right
        {"a << b >> c", {"SHL 3 0 1", "SHR 3 3 2"}},
        {"a ^ b ^ c", {"POW 3 1 2", "POW 3 0 3"}},  // right associative
        {"a - b - c", {"SUB 3 0 1", "SUB 3 3 2"}},
        {"a / b * c", {"DIV 3 0 1", "MUL 3 3 2"}},
        {"a << b .. c", {"SHL 3 0 1", "MOVE 4 2 0", "CONCAT 3 3 4"}},
        {"a .. b .. c", {"MOVE 3 0 0", "MOVE 4 1 0", "MOVE 5 2 0", "CONCAT 3 3 5"}},
    };
    for (const Case& c : cases)
    {
        Lines expected = {"LOADNIL 0 2 0"};
        expected.insert(expected.end(), c.ops.begin(), c.ops.end());
        expected.push_back("RETURN 3 2 0");
        expected.push_back("RETURN 0 1 0");
        EXPECT_EQ(CompileListing(std::string(decl) + c.expr), expected) << c.expr;
    }
    // Constants go straight into RK operands: 1 + (2 & 3).
    ExpectListings(
        {{"return 1 + 2 & 3", {"BAND 0 251 252", "ADD 0 250 0", "RETURN 0 2 0", "RETURN 0 1 0"}}});
}

TEST(Codegen, ConstantsAndFolding)
{
    ExpectListings({
        {"x = -5", {"LOADK 0 2", "SETGLOBAL 0 0", "RETURN 0 1 0"}},
        {"x = -(5)", {"LOADK 0 2", "SETGLOBAL 0 0", "RETURN 0 1 0"}},
        {"x = - -5", {"LOADK 0 1", "SETGLOBAL 0 0", "RETURN 0 1 0"}},
        // Only unary minus folds.
        {"x = 2 + 3", {"ADD 0 251 252", "SETGLOBAL 0 0", "RETURN 0 1 0"}},
        {"x = 6 & 3", {"BAND 0 251 252", "SETGLOBAL 0 0", "RETURN 0 1 0"}},
        {"x = not nil", {"LOADBOOL 0 1 0", "SETGLOBAL 0 0", "RETURN 0 1 0"}},
        {"x = -y", {"GETGLOBAL 0 1", "UNM 0 0 0", "SETGLOBAL 0 0", "RETURN 0 1 0"}},
        // One constant per value: "a" twice, and 0 and -0 are the same number.
        {"x = 'a' y = 'a'",
         {"LOADK 0 1", "SETGLOBAL 0 0", "LOADK 0 1", "SETGLOBAL 0 2", "RETURN 0 1 0"}},
        {"x = 0 y = -0",
         {"LOADK 0 1", "SETGLOBAL 0 0", "LOADK 0 1", "SETGLOBAL 0 2", "RETURN 0 1 0"}},
        {"t[nil] = 1", {"GETGLOBAL 0 0", "SETTABLE 0 251 252", "RETURN 0 1 0"}},
    });
}

TEST(Codegen, WideStringConstants)
{
    auto f = CompileString("print L\"x\" w = L\"x\" s = \"x\"", "=t");
    EXPECT_EQ(Listing(*f), (Lines{"GETGLOBAL 0 0", "LOADK 1 1", "CALL 0 2 1", "LOADK 0 1",
                                  "SETGLOBAL 0 2", "LOADK 0 4", "SETGLOBAL 0 3", "RETURN 0 1 0"}));
    ASSERT_EQ(f->k.size(), 5u);
    EXPECT_EQ(f->k[1].type, LUA_TWSTRING);
    EXPECT_EQ(f->k[1].w, u"x");
    // A narrow "x" is a separate constant from the wide one.
    EXPECT_EQ(f->k[4].type, LUA_TSTRING);
    EXPECT_EQ(f->k[4].s, "x");
}

TEST(Codegen, ConstantsBeyondTheRKRange)
{
    // Constants 0-261 are RK operands; later ones are loaded into a register.
    std::string src = "local a = 0\n";
    for (int i = 1; i <= 262; i++) src += "a = a + " + std::to_string(1000 + i) + "\n";
    auto f = CompileString(src, "=t");
    // k[0] is 0, k[i] is 1000 + i.
    Lines code = Listing(*f);
    EXPECT_EQ(code[0], "LOADK 0 0");
    EXPECT_EQ(code[1], "ADD 0 0 251");
    EXPECT_EQ(code[261], "ADD 0 0 511");  // constant 261
    EXPECT_EQ(code[262], "LOADK 1 262");
    EXPECT_EQ(code[263], "ADD 0 0 1");
}

TEST(Codegen, TableConstructors)
{
    std::string items;
    for (int i = 1; i <= 33; i++) items += std::to_string(i) + ",";
    auto big = CompileListing("local t = {" + items + "}");
    EXPECT_EQ(big[0], "NEWTABLE 0 29 0");
    EXPECT_EQ(big[33], "SETLIST 0 31");  // first flush after 32 items
    EXPECT_EQ(big[34], "LOADK 1 32");
    EXPECT_EQ(big[35], "SETLIST 0 32");
    ExpectListings({
        {"local t = {&8 &4}", {"NEWTABLE 0 4 4", "RETURN 0 1 0"}},
        {"local t = {&8}", {"NEWTABLE 0 0 4", "RETURN 0 1 0"}},
        {"local t = {&0 &40}", {"NEWTABLE 0 29 0", "RETURN 0 1 0"}},
        {"local t = {&100}", {"NEWTABLE 0 0 7", "RETURN 0 1 0"}},
        {"local t = {&1.9 &2.9}", {"NEWTABLE 0 2 1", "RETURN 0 1 0"}},
        // The larger of hint and item count wins.
        {"local t = {&1 &1 x = 1, y = 2, 7}",
         {"NEWTABLE 0 1 2", "SETTABLE 0 250 251", "SETTABLE 0 252 253", "LOADK 1 4", "SETLIST 0 0",
          "RETURN 0 1 0"}},
        {"local t = {f()}",
         {"NEWTABLE 0 1 0", "GETGLOBAL 1 0", "CALL 1 1 0", "SETLISTO 0 0", "RETURN 0 1 0"}},
        {"local t = {1, f()}",
         {"NEWTABLE 0 2 0", "LOADK 1 0", "GETGLOBAL 2 1", "CALL 2 1 0", "SETLISTO 0 1",
          "RETURN 0 1 0"}},
        {"local t = {[1] = 2, 3}",
         {"NEWTABLE 0 1 1", "SETTABLE 0 250 251", "LOADK 1 2", "SETLIST 0 0", "RETURN 0 1 0"}},
    });
}

TEST(Codegen, Calls)
{
    ExpectListings({
        {"return f(x)",
         {"GETGLOBAL 0 0", "GETGLOBAL 1 1", "TAILCALL 0 2 0", "RETURN 0 0 0", "RETURN 0 1 0"}},
        {"f(g())", {"GETGLOBAL 0 0", "GETGLOBAL 1 1", "CALL 1 1 0", "CALL 0 0 1", "RETURN 0 1 0"}},
        {"local a = f{}", {"GETGLOBAL 0 0", "NEWTABLE 1 0 0", "CALL 0 2 2", "RETURN 0 1 0"}},
        {"o:m(1)", {"GETGLOBAL 0 0", "SELF 0 0 251", "LOADK 2 2", "CALL 0 3 1", "RETURN 0 1 0"}},
        {"local a, b = f()", {"GETGLOBAL 0 0", "CALL 0 1 3", "RETURN 0 1 0"}},
        {"return f(), 1",
         {"GETGLOBAL 0 0", "CALL 0 1 2", "LOADK 1 1", "RETURN 0 3 0", "RETURN 0 1 0"}},
    });
}

TEST(Codegen, ConditionsAndComparisons)
{
    ExpectListings({
        {"local a, b; return a > b",
         {"LOADNIL 0 1 0", "LT 1 1 0", "JMP 0 1", "LOADBOOL 2 0 1", "LOADBOOL 2 1 0",
          "RETURN 2 2 0", "RETURN 0 1 0"}},
        {"local a, b; return a >= b",
         {"LOADNIL 0 1 0", "LE 1 1 0", "JMP 0 1", "LOADBOOL 2 0 1", "LOADBOOL 2 1 0",
          "RETURN 2 2 0", "RETURN 0 1 0"}},
        {"local a, b; return a ~= b",
         {"LOADNIL 0 1 0", "EQ 0 0 1", "JMP 0 1", "LOADBOOL 2 0 1", "LOADBOOL 2 1 0",
          "RETURN 2 2 0", "RETURN 0 1 0"}},
        {"local a, b; return a and b or 3",
         {"LOADNIL 0 1 0", "TEST 0 0 0", "JMP 0 2", "TEST 2 1 1", "JMP 0 1", "LOADK 2 0",
          "RETURN 2 2 0", "RETURN 0 1 0"}},
        {"local a; if not a then a = 1 end",
         {"LOADNIL 0 0 0", "TEST 0 0 1", "JMP 0 1", "LOADK 0 0", "RETURN 0 1 0"}},
        {"local a; if a then a = 1 elseif a then a = 2 else a = 3 end",
         {"LOADNIL 0 0 0", "TEST 0 0 0", "JMP 0 2", "LOADK 0 0", "JMP 0 5", "TEST 0 0 0", "JMP 0 2",
          "LOADK 0 1", "JMP 0 1", "LOADK 0 2", "RETURN 0 1 0"}},
    });
}

TEST(Codegen, Assignments)
{
    ExpectListings({
        {"local a, b; a, b = b, a",
         {"LOADNIL 0 1 0", "MOVE 2 1 0", "MOVE 1 0 0", "MOVE 0 2 0", "RETURN 0 1 0"}},
        // t is overwritten by the same statement: t[1] uses a saved copy.
        {"local t; t[1], t = 1, 2",
         {"LOADNIL 0 0 0", "MOVE 1 0 0", "LOADK 2 0", "LOADK 0 1", "SETTABLE 1 250 2",
          "RETURN 0 1 0"}},
        {"a, b, c = 1",
         {"LOADK 0 3", "LOADNIL 1 2 0", "SETGLOBAL 2 2", "SETGLOBAL 1 1", "SETGLOBAL 0 0",
          "RETURN 0 1 0"}},
        {"a.b.c = 1", {"GETGLOBAL 0 0", "GETTABLE 0 0 251", "SETTABLE 0 252 253", "RETURN 0 1 0"}},
    });
}

TEST(Codegen, Loops)
{
    ExpectListings({
        {"for i = 1, 3 do end",
         {"LOADK 0 0", "LOADK 1 1", "LOADK 2 0", "SUB 0 0 2", "JMP 0 0", "FORLOOP 0 -1",
          "RETURN 0 1 0"}},
        {"for i = 1, 3, 2 do x = i end",
         {"LOADK 0 0", "LOADK 1 1", "LOADK 2 2", "SUB 0 0 2", "JMP 0 1", "SETGLOBAL 0 3",
          "FORLOOP 0 -2", "RETURN 0 1 0"}},
        {"for k, v in t do end",
         {"GETGLOBAL 0 0", "LOADNIL 1 3 0", "TFORPREP 0 0", "TFORLOOP 0 0 1", "JMP 0 -2",
          "RETURN 0 1 0"}},
        {"while a do end", {"JMP 0 0", "GETGLOBAL 0 0", "TEST 0 0 1", "JMP 0 -3", "RETURN 0 1 0"}},
        {"while true do end", {"JMP 0 0", "JMP 0 -1", "RETURN 0 1 0"}},
        {"repeat until a", {"GETGLOBAL 0 0", "TEST 0 0 0", "JMP 0 -3", "RETURN 0 1 0"}},
    });
}

TEST(Codegen, BreakAndContinueTargets)
{
    ExpectListings({
        // while: continue goes to the relocated condition.
        {"while a do continue end",
         {"JMP 0 1", "JMP 0 0", "GETGLOBAL 0 0", "TEST 0 0 1", "JMP 0 -4", "RETURN 0 1 0"}},
        // repeat: to the `until' condition.
        {"repeat continue until a",
         {"JMP 0 0", "GETGLOBAL 0 0", "TEST 0 0 0", "JMP 0 -4", "RETURN 0 1 0"}},
        // numeric for: to FORLOOP.
        {"for i = 1, 2 do continue end",
         {"LOADK 0 0", "LOADK 1 1", "LOADK 2 0", "SUB 0 0 2", "JMP 0 1", "JMP 0 0", "FORLOOP 0 -2",
          "RETURN 0 1 0"}},
        // generic for: to TFORLOOP.
        {"for k in t do continue end",
         {"GETGLOBAL 0 0", "LOADNIL 1 2 0", "TFORPREP 0 1", "JMP 0 0", "TFORLOOP 0 0 0", "JMP 0 -3",
          "RETURN 0 1 0"}},
        // break leaves to after the loop; break 2 / continue 2 reach the outer loop.
        {"while a do break end",
         {"JMP 0 1", "JMP 0 3", "GETGLOBAL 0 0", "TEST 0 0 1", "JMP 0 -4", "RETURN 0 1 0"}},
        {"while a do while b do break 2 end end",
         {"JMP 0 5", "JMP 0 1", "JMP 0 6", "GETGLOBAL 0 1", "TEST 0 0 1", "JMP 0 -4",
          "GETGLOBAL 0 0", "TEST 0 0 1", "JMP 0 -8", "RETURN 0 1 0"}},
        {"for i = 1, 2 do repeat continue 2 until a end",
         {"LOADK 0 0", "LOADK 1 1", "LOADK 2 0", "SUB 0 0 2", "JMP 0 4", "JMP 0 3", "GETGLOBAL 3 2",
          "TEST 3 3 0", "JMP 0 -4", "FORLOOP 0 -5", "RETURN 0 1 0"}},
    });
}

TEST(Codegen, LoopJumpsCloseCapturedLocals)
{
    ExpectListings({
        // continue closes the body's captured local, as break does, so each
        // pass's closure keeps its own variable.
        {"while a do local x; f = function() return x end; continue end",
         {"JMP 0 7", "LOADNIL 0 0 0", "CLOSURE 1 0", "MOVE 0 0 0", "SETGLOBAL 1 1", "CLOSE 0 0 0",
          "JMP 0 1", "CLOSE 0 0 0", "GETGLOBAL 0 0", "TEST 0 0 1", "JMP 0 -10", "RETURN 0 1 0"}},
        {"for i = 1, 2 do local x; f = function() return x end; break end",
         {"LOADK 0 0", "LOADK 1 1", "LOADK 2 0", "SUB 0 0 2", "JMP 0 7", "LOADNIL 3 3 0",
          "CLOSURE 4 0", "MOVE 0 3 0", "SETGLOBAL 4 2", "CLOSE 3 0 0", "JMP 0 2", "CLOSE 3 0 0",
          "FORLOOP 0 -8", "RETURN 0 1 0"}},
        // Nothing captured: no CLOSE.
        {"while a do local x; continue end",
         {"JMP 0 2", "LOADNIL 0 0 0", "JMP 0 0", "GETGLOBAL 0 0", "TEST 0 0 1", "JMP 0 -5",
          "RETURN 0 1 0"}},
        // Leaving two loops closes every local left, flagged yet or not.
        {"while a do local x; while b do break 2 end end",
         {"JMP 0 7", "LOADNIL 0 0 0", "JMP 0 2", "CLOSE 0 0 0", "JMP 0 6", "GETGLOBAL 1 1",
          "TEST 1 1 1", "JMP 0 -5", "GETGLOBAL 0 0", "TEST 0 0 1", "JMP 0 -10", "RETURN 0 1 0"}},
    });
}

TEST(Codegen, Closures)
{
    auto f = CompileString("local a; local function g() return g, a, b end local c = 1", "=t");
    // g's register is its own: a is 0, g is 1, c is 2.
    EXPECT_EQ(Listing(*f), (Lines{"LOADNIL 0 0 0", "CLOSURE 1 0", "MOVE 0 1 0", "MOVE 0 0 0",
                                  "LOADK 2 0", "RETURN 0 1 0"}));
    ASSERT_EQ(f->p.size(), 1u);
    const CompiledProto& g = *f->p[0];
    EXPECT_EQ(g.upvalues, (std::vector<std::string>{"g", "a"}));
    EXPECT_EQ(Listing(g), (Lines{"GETUPVAL 0 0 0", "GETUPVAL 1 1 0", "GETGLOBAL 2 0",
                                 "RETURN 0 4 0", "RETURN 0 1 0"}));
    // Upvalues of upvalues are taken from the enclosing function's upvalues.
    auto h = CompileString("local x; function f() return function() return x end end", "=t");
    EXPECT_EQ(Listing(*h->p[0]),
              (Lines{"CLOSURE 0 0", "GETUPVAL 0 0 0", "RETURN 0 2 0", "RETURN 0 1 0"}));
    // Parameters, self and the vararg table.
    auto m = CompileString("function o:m(a, ...) return arg end", "=t");
    const CompiledProto& mp = *m->p[0];
    EXPECT_EQ(mp.numparams, 2);
    EXPECT_TRUE(mp.is_vararg);
    EXPECT_EQ(Listing(mp), (Lines{"RETURN 2 2 0", "RETURN 0 1 0"}));
    EXPECT_EQ(mp.locvars[0].name, "self");
    EXPECT_EQ(mp.locvars[2].name, "arg");
}

TEST(Codegen, DebugInformation)
{
    auto f = CompileString("local a = 1\n\nlocal b = a +\n 2\nfor i = 1, 2 do\nend", "=t");
    EXPECT_TRUE(f->is_vararg);
    EXPECT_EQ(f->numparams, 0);
    EXPECT_EQ(f->source, "=t");
    EXPECT_EQ(f->lineinfo.size(), f->code.size());
    EXPECT_EQ(f->lineinfo[0], 1);
    EXPECT_EQ(f->lineinfo[1], 4);  // ADD is emitted after reading "2"
    // FORLOOP carries the `for' line.
    EXPECT_EQ(Listing(*f)[7].substr(0, 7), "FORLOOP");
    EXPECT_EQ(f->lineinfo[7], 5);
    ASSERT_GE(f->locvars.size(), 3u);
    EXPECT_EQ(f->locvars[0].name, "a");
    EXPECT_EQ(f->locvars[0].startpc, 1);
    // Locals of the function end before its final RETURN.
    EXPECT_EQ(f->locvars[0].endpc, static_cast<int>(f->code.size()) - 1);
    EXPECT_EQ(f->locvars[2].name, "i");
    EXPECT_EQ(f->locvars[3].name, "(for limit)");
}

}  // namespace
