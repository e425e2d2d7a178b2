// codegen.h - the code generator: expression descriptors, jump lists,
// register allocation and the constant table of the function being compiled,
// emitting instructions of opcodes.h into a CompiledProto.
//
// Errors never return: limit errors throw CompileError (lexer.h) - syntax
// errors at the current token for "function or expression too complex" and
// "control structure too long", run-time errors without position for
// "constant table overflow" and "code size overflow".
#pragma once

#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "script/lang/lexer.h"
#include "script/lang/opcodes.h"

// A constant of a compiled function: nil, a number, a string or a wide
// string (type tags of lua.h: LUA_TNIL, LUA_TNUMBER, LUA_TSTRING,
// LUA_TWSTRING).
struct KConstant
{
    int type = 0;
    double n = 0;
    std::string s;
    std::u16string w;
};

// A compiled function before it becomes an engine prototype (parser.h turns
// the tree into Proto objects).
struct CompiledProto
{
    struct Local
    {
        std::string name;
        int startpc = 0;
        int endpc = 0;
    };
    std::string source;
    int lineDefined = 0;
    int numparams = 0;
    bool is_vararg = false;
    int maxstacksize = 2;  // registers 0 and 1 are always valid
    std::vector<Instruction> code;
    std::vector<int> lineinfo;
    std::vector<KConstant> k;
    std::vector<std::unique_ptr<CompiledProto>> p;
    std::vector<Local> locvars;
    std::vector<std::string> upvalues;  // names; size is the upvalue count
};

enum expkind
{
    VVOID,  // no value (empty expression list)
    VNIL,
    VTRUE,
    VFALSE,
    VK,          // info = constant index
    VLOCAL,      // info = local register
    VUPVAL,      // info = upvalue index
    VGLOBAL,     // info = constant index of the name
    VINDEXED,    // info = table register, aux = key RK
    VJMP,        // info = pc of the conditional jump
    VRELOCABLE,  // info = pc of the instruction whose A is still to be set
    VNONRELOC,   // info = register holding the value
    VCALL,       // info = pc of the CALL
};

struct expdesc
{
    expkind k = VVOID;
    int info = 0;
    int aux = 0;
    int t = NO_JUMP;  // patch list of "exit when true"
    int f = NO_JUMP;  // patch list of "exit when false"
};

inline void InitExp(expdesc* e, expkind k, int info)
{
    e->k = k;
    e->info = info;
    e->aux = 0;
    e->t = e->f = NO_JUMP;
}

struct upvaldesc
{
    expkind k;  // VLOCAL or VUPVAL in the enclosing function
    int info;
};

// One open block of the function being compiled.
struct BlockCnt
{
    BlockCnt* previous = nullptr;
    int breaklist = NO_JUMP;
    int continuelist = NO_JUMP;
    int nactvar = 0;           // active locals when the block opened
    bool upval = false;        // a local of this block is captured
    bool isbreakable = false;  // the block a loop opens
};

// Limits of one function.
enum : int
{
    kMaxVars = 200,
    kMaxUpvalues = 32,
    kMaxParams = 100,
    kMaxParserLevel = 200,
    kMaxWhileExp = 100,
    kMaxLoopLevel = 100,
};

struct FuncState
{
    CompiledProto* f = nullptr;
    FuncState* prev = nullptr;
    LexState* ls = nullptr;
    BlockCnt* bl = nullptr;
    int pc = 0;           // next instruction
    int lasttarget = -1;  // pc of the last jump target
    int jpc = NO_JUMP;    // jumps pending to the next instruction
    int freereg = 0;
    int nactvar = 0;
    int nups = 0;
    upvaldesc upvalues[kMaxUpvalues];
    int actvar[kMaxVars];  // indices into f->locvars
    // Constant lookup: each value enters the table once.
    std::map<double, int> numk;
    std::unordered_map<std::string, int> strk;
    std::map<std::u16string, int> wstrk;
    int nilk = -1;
};

// Binary operators in the parser's order; the first nine map to opcodes
// OP_ADD + code.
enum BinOpr
{
    OPR_ADD,
    OPR_SUB,
    OPR_MULT,
    OPR_DIV,
    OPR_BAND,
    OPR_BOR,
    OPR_SHL,
    OPR_SHR,
    OPR_POW,
    OPR_CONCAT,
    OPR_NE,
    OPR_EQ,
    OPR_LT,
    OPR_LE,
    OPR_GT,
    OPR_GE,
    OPR_AND,
    OPR_OR,
    OPR_NOBINOPR,
};

enum UnOpr
{
    OPR_MINUS,
    OPR_NOT,
    OPR_NOUNOPR
};

inline Instruction& getcode(FuncState* fs, const expdesc* e)
{
    return fs->f->code[e->info];
}

int luaK_code(FuncState* fs, Instruction i, int line);
int luaK_codeABC(FuncState* fs, OpCode o, int a, int b, int c);
int luaK_codeABx(FuncState* fs, OpCode o, int a, int bx);
inline int luaK_codeAsBx(FuncState* fs, OpCode o, int a, int sbx)
{
    return luaK_codeABx(fs, o, a, sbx + MAXARG_sBx);
}
void luaK_fixline(FuncState* fs, int line);
void luaK_nil(FuncState* fs, int from, int n);
void luaK_reserveregs(FuncState* fs, int n);
void luaK_checkstack(FuncState* fs, int n);

int luaK_stringK(FuncState* fs, const std::string& s);
int luaK_wstringK(FuncState* fs, const std::u16string& s);
int luaK_numberK(FuncState* fs, double r);

void luaK_dischargevars(FuncState* fs, expdesc* e);
int luaK_exp2anyreg(FuncState* fs, expdesc* e);
void luaK_exp2nextreg(FuncState* fs, expdesc* e);
void luaK_exp2val(FuncState* fs, expdesc* e);
int luaK_exp2RK(FuncState* fs, expdesc* e);
void luaK_self(FuncState* fs, expdesc* e, expdesc* key);
void luaK_indexed(FuncState* fs, expdesc* t, expdesc* k);
void luaK_goiftrue(FuncState* fs, expdesc* e);
void luaK_goiffalse(FuncState* fs, expdesc* e);
void luaK_storevar(FuncState* fs, expdesc* var, expdesc* e);
void luaK_setcallreturns(FuncState* fs, expdesc* e, int nresults);

int luaK_jump(FuncState* fs);
void luaK_patchlist(FuncState* fs, int list, int target);
void luaK_patchtohere(FuncState* fs, int list);
void luaK_concat(FuncState* fs, int* l1, int l2);
int luaK_getlabel(FuncState* fs);

void luaK_prefix(FuncState* fs, UnOpr op, expdesc* e);
void luaK_infix(FuncState* fs, BinOpr op, expdesc* v);
void luaK_posfix(FuncState* fs, BinOpr op, expdesc* v1, expdesc* v2);

// A listing of a compiled function and its nested functions, one
// instruction per line ("[pc] line OPNAME a b c"), for tests and tools.
std::string DisassembleProto(const CompiledProto& f, bool nested = true);
