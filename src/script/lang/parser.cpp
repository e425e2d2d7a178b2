// parser.cpp - recursive-descent parser driving the code generator in one
// pass: scopes and registers of locals, upvalue resolution, statements
// (with continue and numbered break/continue), expressions by priority, and
// table constructors with size hints.
#include "script/lang/parser.h"

#include <cmath>
#include <new>

#include "script/lang/lua.h"
#include "script/lang/object.h"

namespace
{

// ---------------------------------------------------------------------------
// Token helpers

void Next(LexState* ls)
{
    LexNext(ls);
}

bool TestNext(LexState* ls, int c)
{
    if (ls->t.token != c) return false;
    Next(ls);
    return true;
}

[[noreturn]] void ErrorExpected(LexState* ls, int token)
{
    LexSyntaxError(ls, "`" + LexToken2Str(token) + "' expected");
}

void Check(LexState* ls, int c)
{
    if (ls->t.token != c) ErrorExpected(ls, c);
}

void CheckNext(LexState* ls, int c)
{
    Check(ls, c);
    Next(ls);
}

void CheckCondition(LexState* ls, bool c, const char* msg)
{
    if (!c) LexSyntaxError(ls, msg);
}

void CheckMatch(LexState* ls, int what, int who, int where)
{
    if (TestNext(ls, what)) return;
    if (where == ls->linenumber) ErrorExpected(ls, what);
    LexSyntaxError(ls, "`" + LexToken2Str(what) + "' expected (to close `" + LexToken2Str(who) +
                           "' at line " + std::to_string(where) + ")");
}

std::string StrCheckName(LexState* ls)
{
    CheckCondition(ls, ls->t.token == TK_NAME, "<name> expected");
    std::string name = ls->t.str;
    Next(ls);
    return name;
}

void CodeString(LexState* ls, expdesc* e, const std::string& s)
{
    InitExp(e, VK, luaK_stringK(ls->fs, s));
}

void CheckName(LexState* ls, expdesc* e)
{
    CodeString(ls, e, StrCheckName(ls));
}

bool BlockFollow(int token)
{
    switch (token)
    {
        case TK_ELSE:
        case TK_ELSEIF:
        case TK_END:
        case TK_UNTIL:
        case TK_EOS:
            return true;
        default:
            return false;
    }
}

void EnterLevel(LexState* ls)
{
    if (++ls->nestlevel > kMaxParserLevel) LexSyntaxError(ls, "too many syntax levels");
}

void LeaveLevel(LexState* ls)
{
    ls->nestlevel--;
}

// ---------------------------------------------------------------------------
// Variables and scopes

CompiledProto::Local& GetLocVar(FuncState* fs, int i)
{
    return fs->f->locvars[fs->actvar[i]];
}

int RegisterLocalVar(LexState* ls, const std::string& name)
{
    FuncState* fs = ls->fs;
    CompiledProto::Local v;
    v.name = name;
    fs->f->locvars.push_back(std::move(v));
    return static_cast<int>(fs->f->locvars.size()) - 1;
}

void NewLocalVar(LexState* ls, const std::string& name, int n)
{
    FuncState* fs = ls->fs;
    LexCheckLimit(ls, fs->nactvar + n + 1, kMaxVars, "local variables");
    fs->actvar[fs->nactvar + n] = RegisterLocalVar(ls, name);
}

void AdjustLocalVars(LexState* ls, int nvars)
{
    FuncState* fs = ls->fs;
    fs->nactvar += nvars;
    for (; nvars; nvars--) GetLocVar(fs, fs->nactvar - nvars).startpc = fs->pc;
}

void RemoveVars(LexState* ls, int tolevel)
{
    FuncState* fs = ls->fs;
    while (fs->nactvar > tolevel) GetLocVar(fs, --fs->nactvar).endpc = fs->pc;
}

void CreateLocal(LexState* ls, const char* name)
{
    NewLocalVar(ls, name, 0);
    AdjustLocalVars(ls, 1);
}

int IndexUpvalue(FuncState* fs, const std::string& name, const expdesc* v)
{
    for (int i = 0; i < fs->nups; i++)
    {
        if (fs->upvalues[i].k == v->k && fs->upvalues[i].info == v->info) return i;
    }
    LexCheckLimit(fs->ls, fs->nups + 1, kMaxUpvalues, "upvalues");
    fs->f->upvalues.push_back(name);
    fs->upvalues[fs->nups].k = v->k;
    fs->upvalues[fs->nups].info = v->info;
    return fs->nups++;
}

int SearchVar(FuncState* fs, const std::string& n)
{
    for (int i = fs->nactvar - 1; i >= 0; i--)
        if (n == GetLocVar(fs, i).name) return i;
    return -1;
}

// The block that declared local `level' keeps its upvalues open until it
// closes them.
void MarkUpval(FuncState* fs, int level)
{
    BlockCnt* bl = fs->bl;
    while (bl && bl->nactvar > level) bl = bl->previous;
    if (bl) bl->upval = true;
}

void SingleVarAux(FuncState* fs, const std::string& n, expdesc* var, bool base)
{
    if (fs == nullptr)
    {
        InitExp(var, VGLOBAL, NO_REG);
        return;
    }
    int v = SearchVar(fs, n);
    if (v >= 0)
    {
        InitExp(var, VLOCAL, v);
        if (!base) MarkUpval(fs, v);
        return;
    }
    SingleVarAux(fs->prev, n, var, false);
    if (var->k == VGLOBAL)
    {
        if (base) var->info = luaK_stringK(fs, n);
    }
    else
    {
        var->info = IndexUpvalue(fs, n, var);
        var->k = VUPVAL;
    }
}

void SingleVar(LexState* ls, expdesc* var, bool base)
{
    SingleVarAux(ls->fs, StrCheckName(ls), var, base);
}

void AdjustAssign(LexState* ls, int nvars, int nexps, expdesc* e)
{
    FuncState* fs = ls->fs;
    int extra = nvars - nexps;
    if (e->k == VCALL)
    {
        extra++;  // the call itself provides one
        if (extra <= 0)
        {
            extra = 0;
        }
        else
        {
            luaK_reserveregs(fs, extra - 1);
        }
        luaK_setcallreturns(fs, e, extra);
    }
    else
    {
        if (e->k != VVOID) luaK_exp2nextreg(fs, e);
        if (extra > 0)
        {
            int reg = fs->freereg;
            luaK_reserveregs(fs, extra);
            luaK_nil(fs, reg, extra);
        }
    }
}

void EnterBlock(FuncState* fs, BlockCnt* bl, bool isbreakable)
{
    bl->breaklist = NO_JUMP;
    bl->continuelist = NO_JUMP;
    bl->isbreakable = isbreakable;
    bl->nactvar = fs->nactvar;
    bl->upval = false;
    bl->previous = fs->bl;
    fs->bl = bl;
}

void LeaveBlock(FuncState* fs)
{
    BlockCnt* bl = fs->bl;
    fs->bl = bl->previous;
    RemoveVars(fs->ls, bl->nactvar);
    if (bl->upval) luaK_codeABC(fs, OP_CLOSE, bl->nactvar, 0, 0);
    fs->freereg = fs->nactvar;
    luaK_patchtohere(fs, bl->breaklist);
}

void OpenFunc(LexState* ls, FuncState* fs, CompiledProto* f)
{
    fs->f = f;
    fs->prev = ls->fs;
    fs->ls = ls;
    ls->fs = fs;
    f->source = ls->source;
    f->maxstacksize = 2;
}

void CloseFunc(LexState* ls)
{
    FuncState* fs = ls->fs;
    RemoveVars(ls, 0);  // locals end before the final return
    luaK_codeABC(fs, OP_RETURN, 0, 1, 0);
    ls->fs = fs->prev;
}

// ---------------------------------------------------------------------------
// Grammar

void Chunk(LexState* ls);
void Expr(LexState* ls, expdesc* v);
void Block(LexState* ls);

void PushClosure(LexState* ls, FuncState* func, std::unique_ptr<CompiledProto> proto, expdesc* v)
{
    FuncState* fs = ls->fs;
    if (fs->f->p.size() >= static_cast<size_t>(MAXARG_Bx))
        throw CompileError{LUA_ERRRUN, "constant table overflow"};
    fs->f->p.push_back(std::move(proto));
    InitExp(v, VRELOCABLE, luaK_codeABx(fs, OP_CLOSURE, 0, static_cast<int>(fs->f->p.size()) - 1));
    for (int i = 0; i < func->nups; i++)
    {
        OpCode o = func->upvalues[i].k == VLOCAL ? OP_MOVE : OP_GETUPVAL;
        luaK_codeABC(fs, o, 0, func->upvalues[i].info, 0);
    }
}

void Field(LexState* ls, expdesc* v)
{
    // field -> ['.' | ':'] NAME
    FuncState* fs = ls->fs;
    expdesc key;
    luaK_exp2anyreg(fs, v);
    Next(ls);  // skip the dot or colon
    CheckName(ls, &key);
    luaK_indexed(fs, v, &key);
}

void YIndex(LexState* ls, expdesc* v)
{
    // index -> '[' expr ']'
    Next(ls);
    Expr(ls, v);
    luaK_exp2val(ls->fs, v);
    CheckNext(ls, ']');
}

// --- Table constructor ------------------------------------------------------

struct ConsControl
{
    expdesc v;        // last list item read
    expdesc* t;       // the table
    int nh = 0;       // record items
    int na = 0;       // list items
    int tostore = 0;  // list items pending a flush
};

void RecField(LexState* ls, ConsControl* cc)
{
    // recfield -> (NAME | '[' exp ']') '=' exp
    FuncState* fs = ls->fs;
    int reg = fs->freereg;
    expdesc key, val;
    LexCheckLimit(ls, cc->nh, MAX_INT, "items in a constructor");
    cc->nh++;
    if (ls->t.token == TK_NAME)
    {
        CheckName(ls, &key);
    }
    else
    {
        YIndex(ls, &key);
    }
    CheckNext(ls, '=');
    luaK_exp2RK(fs, &key);
    Expr(ls, &val);
    int rkkey = luaK_exp2RK(fs, &key);
    int rkval = luaK_exp2RK(fs, &val);
    luaK_codeABC(fs, OP_SETTABLE, cc->t->info, rkkey, rkval);
    fs->freereg = reg;
}

void CloseListField(FuncState* fs, ConsControl* cc)
{
    if (cc->v.k == VVOID) return;
    luaK_exp2nextreg(fs, &cc->v);
    cc->v.k = VVOID;
    if (cc->tostore == LFIELDS_PER_FLUSH)
    {
        luaK_codeABx(fs, OP_SETLIST, cc->t->info, cc->na - 1);
        cc->tostore = 0;
        fs->freereg = cc->t->info + 1;
    }
}

void LastListField(FuncState* fs, ConsControl* cc)
{
    if (cc->tostore == 0) return;
    if (cc->v.k == VCALL)
    {
        luaK_setcallreturns(fs, &cc->v, LUA_MULTRET);
        luaK_codeABx(fs, OP_SETLISTO, cc->t->info, cc->na - 1);
    }
    else
    {
        if (cc->v.k != VVOID) luaK_exp2nextreg(fs, &cc->v);
        luaK_codeABx(fs, OP_SETLIST, cc->t->info, cc->na - 1);
    }
    fs->freereg = cc->t->info + 1;
}

void ListField(LexState* ls, ConsControl* cc)
{
    Expr(ls, &cc->v);
    LexCheckLimit(ls, cc->na, MAXARG_Bx, "items in a constructor");
    cc->na++;
    cc->tostore++;
}

// An optional "& NUMBER" size hint directly after '{'.
int SizeHint(LexState* ls)
{
    if (!TestNext(ls, '&')) return -1;
    if (ls->t.token != TK_NUMBER)
        LexSyntaxError(ls,
                       "size expected following & (line " + std::to_string(ls->linenumber) + ")");
    // Table parts never exceed 2^24 entries, so larger hints buy nothing but a
    // failed allocation.
    int n = NumberToIntClamped(ls->t.number, 0, 1 << 24);
    Next(ls);
    return n;
}

void Constructor(LexState* ls, expdesc* t)
{
    // constructor -> '{' [ '&' NUMBER [ '&' NUMBER ] ] [ fieldlist ] '}'
    FuncState* fs = ls->fs;
    int line = ls->linenumber;
    int pc = luaK_codeABC(fs, OP_NEWTABLE, 0, 0, 0);
    ConsControl cc;
    cc.t = t;
    InitExp(t, VRELOCABLE, pc);
    InitExp(&cc.v, VVOID, 0);
    luaK_exp2nextreg(fs, t);
    CheckNext(ls, '{');
    int hashhint = SizeHint(ls);
    int arrayhint = hashhint >= 0 ? SizeHint(ls) : -1;
    do
    {
        TestNext(ls, ';');
        if (ls->t.token == '}') break;
        CloseListField(fs, &cc);
        switch (ls->t.token)
        {
            case TK_NAME:
                if (LexLookahead(ls) != '=')
                {
                    ListField(ls, &cc);
                }
                else
                {
                    RecField(ls, &cc);
                }
                break;
            case '[':
                RecField(ls, &cc);
                break;
            default:
                ListField(ls, &cc);
                break;
        }
    } while (TestNext(ls, ',') || TestNext(ls, ';'));
    CheckMatch(ls, '}', '{', line);
    LastListField(fs, &cc);
    int na = cc.na > arrayhint ? cc.na : arrayhint;
    int nh = cc.nh > hashhint ? cc.nh : hashhint;
    Instruction& nt = fs->f->code[pc];
    SETARG_B(nt, na > 0 ? luaP_int2fb(static_cast<unsigned>(na)) : 0);
    SETARG_C(nt, nh > 0 ? luaP_log2(static_cast<unsigned>(nh)) + 1 : 0);
}

// --- Functions --------------------------------------------------------------

void ParList(LexState* ls)
{
    // parlist -> [ param { ',' param } ]
    FuncState* fs = ls->fs;
    int nparams = 0;
    bool dots = false;
    if (ls->t.token != ')')
    {
        do
        {
            switch (ls->t.token)
            {
                case TK_DOTS:
                    dots = true;
                    Next(ls);
                    break;
                case TK_NAME:
                    NewLocalVar(ls, StrCheckName(ls), nparams++);
                    break;
                default:
                    LexSyntaxError(ls, "<name> or `...' expected");
            }
        } while (!dots && TestNext(ls, ','));
    }
    AdjustLocalVars(ls, nparams);
    LexCheckLimit(ls, fs->nactvar, kMaxParams, "parameters");
    fs->f->numparams = fs->nactvar;
    fs->f->is_vararg = dots;
    if (dots) CreateLocal(ls, "arg");
    luaK_reserveregs(fs, fs->nactvar);
}

void Body(LexState* ls, expdesc* e, bool needself, int line)
{
    // body -> '(' parlist ')' chunk END
    FuncState newfs;
    auto proto = std::make_unique<CompiledProto>();
    OpenFunc(ls, &newfs, proto.get());
    proto->lineDefined = line;
    CheckNext(ls, '(');
    if (needself) CreateLocal(ls, "self");
    ParList(ls);
    CheckNext(ls, ')');
    Chunk(ls);
    CheckMatch(ls, TK_END, TK_FUNCTION, line);
    CloseFunc(ls);
    PushClosure(ls, &newfs, std::move(proto), e);
}

int ExpList1(LexState* ls, expdesc* v)
{
    int n = 1;
    Expr(ls, v);
    while (TestNext(ls, ','))
    {
        luaK_exp2nextreg(ls->fs, v);
        Expr(ls, v);
        n++;
    }
    return n;
}

void FuncArgs(LexState* ls, expdesc* f)
{
    FuncState* fs = ls->fs;
    expdesc args;
    int line = ls->linenumber;
    switch (ls->t.token)
    {
        case '(':
            if (line != ls->lastline)
                LexSyntaxError(ls, "ambiguous syntax (function call x new statement)");
            Next(ls);
            if (ls->t.token == ')')
            {
                args.k = VVOID;
            }
            else
            {
                ExpList1(ls, &args);
                luaK_setcallreturns(fs, &args, LUA_MULTRET);
            }
            CheckMatch(ls, ')', '(', line);
            break;
        case '{':
            Constructor(ls, &args);
            break;
        case TK_STRING:
            CodeString(ls, &args, ls->t.str);
            Next(ls);
            break;
        case TK_WSTRING:
            InitExp(&args, VK, luaK_wstringK(fs, ls->t.wstr));
            Next(ls);
            break;
        default:
            LexSyntaxError(ls, "function arguments expected");
    }
    int base = f->info;
    int nparams;
    if (args.k == VCALL)
    {
        nparams = LUA_MULTRET;
    }
    else
    {
        if (args.k != VVOID) luaK_exp2nextreg(fs, &args);
        nparams = fs->freereg - (base + 1);
    }
    InitExp(f, VCALL, luaK_codeABC(fs, OP_CALL, base, nparams + 1, 2));
    luaK_fixline(fs, line);
    fs->freereg = base + 1;  // the call leaves one result unless told otherwise
}

// --- Expressions ------------------------------------------------------------

void PrefixExp(LexState* ls, expdesc* v)
{
    // prefixexp -> NAME | '(' expr ')'
    switch (ls->t.token)
    {
        case '(':
        {
            int line = ls->linenumber;
            Next(ls);
            Expr(ls, v);
            CheckMatch(ls, ')', '(', line);
            luaK_dischargevars(ls->fs, v);
            return;
        }
        case TK_NAME:
            SingleVar(ls, v, true);
            return;
        default:
            LexSyntaxError(ls, "unexpected symbol");
    }
}

void PrimaryExp(LexState* ls, expdesc* v)
{
    // primaryexp -> prefixexp { '.' NAME | '[' exp ']' | ':' NAME funcargs | funcargs }
    FuncState* fs = ls->fs;
    PrefixExp(ls, v);
    for (;;)
    {
        switch (ls->t.token)
        {
            case '.':
                Field(ls, v);
                break;
            case '[':
            {
                expdesc key;
                luaK_exp2anyreg(fs, v);
                YIndex(ls, &key);
                luaK_indexed(fs, v, &key);
                break;
            }
            case ':':
            {
                expdesc key;
                Next(ls);
                CheckName(ls, &key);
                luaK_self(fs, v, &key);
                FuncArgs(ls, v);
                break;
            }
            case '(':
            case TK_STRING:
            case TK_WSTRING:
            case '{':
                luaK_exp2nextreg(fs, v);
                FuncArgs(ls, v);
                break;
            default:
                return;
        }
    }
}

void SimpleExp(LexState* ls, expdesc* v)
{
    // simpleexp -> NUMBER | STRING | WSTRING | NIL | TRUE | FALSE |
    //              constructor | FUNCTION body | primaryexp
    switch (ls->t.token)
    {
        case TK_NUMBER:
            InitExp(v, VK, luaK_numberK(ls->fs, ls->t.number));
            Next(ls);
            break;
        case TK_STRING:
            CodeString(ls, v, ls->t.str);
            Next(ls);
            break;
        case TK_WSTRING:
            InitExp(v, VK, luaK_wstringK(ls->fs, ls->t.wstr));
            Next(ls);
            break;
        case TK_NIL:
            InitExp(v, VNIL, 0);
            Next(ls);
            break;
        case TK_TRUE:
            InitExp(v, VTRUE, 0);
            Next(ls);
            break;
        case TK_FALSE:
            InitExp(v, VFALSE, 0);
            Next(ls);
            break;
        case '{':
            Constructor(ls, v);
            break;
        case TK_FUNCTION:
            Next(ls);
            Body(ls, v, false, ls->linenumber);
            break;
        default:
            PrimaryExp(ls, v);
            break;
    }
}

UnOpr GetUnOpr(int op)
{
    switch (op)
    {
        case TK_NOT:
            return OPR_NOT;
        case '-':
            return OPR_MINUS;
        default:
            return OPR_NOUNOPR;
    }
}

BinOpr GetBinOpr(int op)
{
    switch (op)
    {
        case '+':
            return OPR_ADD;
        case '-':
            return OPR_SUB;
        case '*':
            return OPR_MULT;
        case '/':
            return OPR_DIV;
        case '&':
            return OPR_BAND;
        case '|':
            return OPR_BOR;
        case TK_SHL:
            return OPR_SHL;
        case TK_SHR:
            return OPR_SHR;
        case '^':
            return OPR_POW;
        case TK_CONCAT:
            return OPR_CONCAT;
        case TK_NE:
            return OPR_NE;
        case TK_EQ:
            return OPR_EQ;
        case '<':
            return OPR_LT;
        case TK_LE:
            return OPR_LE;
        case '>':
            return OPR_GT;
        case TK_GE:
            return OPR_GE;
        case TK_AND:
            return OPR_AND;
        case TK_OR:
            return OPR_OR;
        default:
            return OPR_NOBINOPR;
    }
}

struct Priority
{
    int left;
    int right;
};

const Priority kPriority[] = {
    {6, 6},  {6, 6},                                  // + -
    {7, 7},  {7, 7},                                  // * /
    {8, 8},  {8, 8}, {8, 8}, {8, 8},                  // & | << >>
    {10, 9},                                          // ^ (right associative)
    {5, 4},                                           // .. (right associative)
    {3, 3},  {3, 3}, {3, 3}, {3, 3}, {3, 3}, {3, 3},  // comparisons
    {2, 2},  {1, 1},                                  // and, or
};

constexpr int kUnaryPriority = 8;

// subexpr -> (simpleexp | unop subexpr) { binop subexpr }, where binop is
// any operator binding tighter than limit.
BinOpr SubExpr(LexState* ls, expdesc* v, int limit)
{
    EnterLevel(ls);
    UnOpr uop = GetUnOpr(ls->t.token);
    if (uop != OPR_NOUNOPR)
    {
        Next(ls);
        SubExpr(ls, v, kUnaryPriority);
        luaK_prefix(ls->fs, uop, v);
    }
    else
    {
        SimpleExp(ls, v);
    }
    BinOpr op = GetBinOpr(ls->t.token);
    while (op != OPR_NOBINOPR && kPriority[op].left > limit)
    {
        expdesc v2;
        Next(ls);
        luaK_infix(ls->fs, op, v);
        BinOpr nextop = SubExpr(ls, &v2, kPriority[op].right);
        luaK_posfix(ls->fs, op, v, &v2);
        op = nextop;
    }
    LeaveLevel(ls);
    return op;
}

void Expr(LexState* ls, expdesc* v)
{
    SubExpr(ls, v, -1);
}

// --- Statements -------------------------------------------------------------

void Block(LexState* ls)
{
    FuncState* fs = ls->fs;
    BlockCnt bl;
    EnterBlock(fs, &bl, false);
    Chunk(ls);
    LeaveBlock(fs);
}

// One target of a multiple assignment; check_conflict rewrites earlier
// targets that index through a local the later one overwrites.
void CheckConflict(LexState* ls, std::vector<expdesc>& lhs, const expdesc* v)
{
    FuncState* fs = ls->fs;
    int extra = fs->freereg;
    bool conflict = false;
    for (expdesc& e : lhs)
    {
        if (e.k != VINDEXED) continue;
        if (e.info == v->info)
        {
            conflict = true;
            e.info = extra;
        }
        if (e.aux == v->info)
        {
            conflict = true;
            e.aux = extra;
        }
    }
    if (conflict)
    {
        luaK_codeABC(fs, OP_MOVE, fs->freereg, v->info, 0);
        luaK_reserveregs(fs, 1);
    }
}

void CheckAssignable(LexState* ls, const expdesc* v)
{
    CheckCondition(ls, VLOCAL <= v->k && v->k <= VINDEXED, "syntax error");
}

void Assignment(LexState* ls, expdesc first)
{
    // The targets are kept in a list rather than on the C stack, so a long
    // target list cannot exhaust it.
    FuncState* fs = ls->fs;
    std::vector<expdesc> lhs;
    CheckAssignable(ls, &first);
    lhs.push_back(first);
    while (TestNext(ls, ','))
    {
        expdesc nv;
        PrimaryExp(ls, &nv);
        if (nv.k == VLOCAL) CheckConflict(ls, lhs, &nv);
        CheckAssignable(ls, &nv);
        lhs.push_back(nv);
    }
    CheckNext(ls, '=');
    int nvars = static_cast<int>(lhs.size());
    expdesc e;
    int nexps = ExpList1(ls, &e);
    int last = nvars - 1;
    if (nexps != nvars)
    {
        AdjustAssign(ls, nvars, nexps, &e);
        if (nexps > nvars) fs->freereg -= nexps - nvars;  // drop the extra values
    }
    else
    {
        luaK_setcallreturns(fs, &e, 1);
        luaK_storevar(fs, &lhs[last], &e);
        last--;
    }
    // The values sit in consecutive registers: store from the last down.
    for (int i = last; i >= 0; i--)
    {
        InitExp(&e, VNONRELOC, fs->freereg - 1);
        luaK_storevar(fs, &lhs[i], &e);
    }
}

int Cond(LexState* ls)
{
    // cond -> exp; returns the list of jumps taken when it is false
    expdesc v;
    Expr(ls, &v);
    if (v.k == VNIL) v.k = VFALSE;  // all false values are equal here
    luaK_goiftrue(ls->fs, &v);
    return v.f;
}

// Emits the jump of break/continue towards the loop `level' loops out, first
// closing the upvalues of the locals it leaves. Returns the target loop.
BlockCnt* LoopJump(LexState* ls, bool isContinue)
{
    FuncState* fs = ls->fs;
    int level = 1;
    if (ls->t.token == TK_NUMBER)
    {
        double n = ls->t.number;
        if (n != std::floor(n)) LexSyntaxError(ls, "loop block number must be integer");
        if (n < 1 || n > static_cast<double>(kMaxLoopLevel))
            LexSyntaxError(ls, "loop block number out of range");
        level = static_cast<int>(n);
        Next(ls);
    }
    BlockCnt* bl = fs->bl;
    bool upval = false;
    int seen = 0;
    while (bl)
    {
        if (bl->isbreakable && ++seen == level) break;
        upval |= bl->upval;
        bl = bl->previous;
    }
    if (!bl) LexSyntaxError(ls, isContinue ? "no loop to continue" : "no loop to break");
    // Leaving more than one loop: a local captured by a closure made in an
    // earlier pass of an inner loop may not be flagged yet at this point of
    // the text, so every local left behind is closed.
    if (level > 1 && fs->nactvar > bl->nactvar) upval = true;
    if (upval) luaK_codeABC(fs, OP_CLOSE, bl->nactvar, 0, 0);
    int j = luaK_jump(fs);
    luaK_concat(fs, isContinue ? &bl->continuelist : &bl->breaklist, j);
    return bl;
}

void WhileStat(LexState* ls, int line)
{
    // whilestat -> WHILE cond DO block END
    // The condition is compiled first, then moved behind the body so each pass
    // runs one test and one backward jump.
    FuncState* fs = ls->fs;
    BlockCnt bl;
    expdesc v;
    Next(ls);
    int whileinit = luaK_jump(fs);
    int expinit = luaK_getlabel(fs);
    Expr(ls, &v);
    if (v.k == VK) v.k = VTRUE;  // all true constants are equal here
    int lineexp = ls->linenumber;
    luaK_goiffalse(fs, &v);
    luaK_concat(fs, &v.f, fs->jpc);
    fs->jpc = NO_JUMP;
    int sizeexp = fs->pc - expinit;
    if (sizeexp > kMaxWhileExp) LexSyntaxError(ls, "`while' condition too complex");
    std::vector<Instruction> codeexp(fs->f->code.begin() + expinit, fs->f->code.end());
    fs->f->code.resize(expinit);
    fs->f->lineinfo.resize(expinit);
    fs->pc = expinit;
    EnterBlock(fs, &bl, true);
    CheckNext(ls, TK_DO);
    int blockinit = luaK_getlabel(fs);
    Block(ls);
    luaK_patchtohere(fs, whileinit);
    luaK_patchtohere(fs, bl.continuelist);
    bl.continuelist = NO_JUMP;
    if (v.t != NO_JUMP) v.t += fs->pc - expinit;
    if (v.f != NO_JUMP) v.f += fs->pc - expinit;
    for (Instruction i : codeexp) luaK_code(fs, i, lineexp);
    CheckMatch(ls, TK_END, TK_WHILE, line);
    LeaveBlock(fs);
    luaK_patchlist(fs, v.t, blockinit);
    luaK_patchtohere(fs, v.f);
}

void RepeatStat(LexState* ls, int line)
{
    // repeatstat -> REPEAT block UNTIL cond
    FuncState* fs = ls->fs;
    int repeatinit = luaK_getlabel(fs);
    BlockCnt bl;
    EnterBlock(fs, &bl, true);
    Next(ls);
    Block(ls);
    luaK_patchtohere(fs, bl.continuelist);
    bl.continuelist = NO_JUMP;
    CheckMatch(ls, TK_UNTIL, TK_REPEAT, line);
    int flist = Cond(ls);
    luaK_patchlist(fs, flist, repeatinit);
    LeaveBlock(fs);
}

int Exp1(LexState* ls)
{
    expdesc e;
    Expr(ls, &e);
    int k = e.k;
    luaK_exp2nextreg(ls->fs, &e);
    return k;
}

void ForBody(LexState* ls, int base, int line, int nvars, bool isnum)
{
    BlockCnt bl;
    FuncState* fs = ls->fs;
    AdjustLocalVars(ls, nvars);
    CheckNext(ls, TK_DO);
    EnterBlock(fs, &bl, true);
    int prep = luaK_getlabel(fs);
    Block(ls);
    luaK_patchtohere(fs, prep - 1);  // the set-up jump enters at the loop test
    luaK_patchtohere(fs, bl.continuelist);
    bl.continuelist = NO_JUMP;
    int endfor = isnum ? luaK_codeAsBx(fs, OP_FORLOOP, base, NO_JUMP)
                       : luaK_codeABC(fs, OP_TFORLOOP, base, 0, nvars - 3);
    luaK_fixline(fs, line);  // the loop instruction belongs to the `for' line
    luaK_patchlist(fs, isnum ? endfor : luaK_jump(fs), prep);
    LeaveBlock(fs);
}

void ForNum(LexState* ls, const std::string& varname, int line)
{
    // fornum -> NAME = exp1, exp1 [, exp1] DO body
    FuncState* fs = ls->fs;
    int base = fs->freereg;
    NewLocalVar(ls, varname, 0);
    NewLocalVar(ls, "(for limit)", 1);
    NewLocalVar(ls, "(for step)", 2);
    CheckNext(ls, '=');
    Exp1(ls);
    CheckNext(ls, ',');
    Exp1(ls);
    if (TestNext(ls, ','))
    {
        Exp1(ls);
    }
    else
    {
        luaK_codeABx(fs, OP_LOADK, fs->freereg, luaK_numberK(fs, 1));
        luaK_reserveregs(fs, 1);
    }
    luaK_codeABC(fs, OP_SUB, fs->freereg - 3, fs->freereg - 3, fs->freereg - 1);
    luaK_jump(fs);
    ForBody(ls, base, line, 3, true);
}

void ForList(LexState* ls, const std::string& indexname)
{
    // forlist -> NAME {, NAME} IN explist1 DO body
    FuncState* fs = ls->fs;
    expdesc e;
    int nvars = 0;
    int base = fs->freereg;
    NewLocalVar(ls, "(for generator)", nvars++);
    NewLocalVar(ls, "(for state)", nvars++);
    NewLocalVar(ls, indexname, nvars++);
    while (TestNext(ls, ',')) NewLocalVar(ls, StrCheckName(ls), nvars++);
    CheckNext(ls, TK_IN);
    int line = ls->linenumber;
    int nexps = ExpList1(ls, &e);
    AdjustAssign(ls, nvars, nexps, &e);
    luaK_checkstack(fs, 3);  // room to call the generator
    luaK_codeAsBx(fs, OP_TFORPREP, base, NO_JUMP);
    ForBody(ls, base, line, nvars, false);
}

void ForStat(LexState* ls, int line)
{
    // forstat -> FOR (fornum | forlist) END
    FuncState* fs = ls->fs;
    BlockCnt bl;
    EnterBlock(fs, &bl, false);  // scope of the loop variables
    Next(ls);
    std::string varname = StrCheckName(ls);
    switch (ls->t.token)
    {
        case '=':
            ForNum(ls, varname, line);
            break;
        case ',':
        case TK_IN:
            ForList(ls, varname);
            break;
        default:
            LexSyntaxError(ls, "`=' or `in' expected");
    }
    CheckMatch(ls, TK_END, TK_FOR, line);
    LeaveBlock(fs);
}

int TestThenBlock(LexState* ls)
{
    // test_then_block -> [IF | ELSEIF] cond THEN block
    Next(ls);
    int flist = Cond(ls);
    CheckNext(ls, TK_THEN);
    Block(ls);
    return flist;
}

void IfStat(LexState* ls, int line)
{
    // ifstat -> IF cond THEN block {ELSEIF cond THEN block} [ELSE block] END
    FuncState* fs = ls->fs;
    int escapelist = NO_JUMP;
    int flist = TestThenBlock(ls);
    while (ls->t.token == TK_ELSEIF)
    {
        luaK_concat(fs, &escapelist, luaK_jump(fs));
        luaK_patchtohere(fs, flist);
        flist = TestThenBlock(ls);
    }
    if (ls->t.token == TK_ELSE)
    {
        luaK_concat(fs, &escapelist, luaK_jump(fs));
        luaK_patchtohere(fs, flist);
        Next(ls);  // after the patch, so the line information is right
        Block(ls);
    }
    else
    {
        luaK_concat(fs, &escapelist, flist);
    }
    luaK_patchtohere(fs, escapelist);
    CheckMatch(ls, TK_END, TK_IF, line);
}

void LocalFunc(LexState* ls)
{
    FuncState* fs = ls->fs;
    expdesc v, b;
    NewLocalVar(ls, StrCheckName(ls), 0);
    InitExp(&v, VLOCAL, fs->freereg);
    // The function's own register must be taken before its body is compiled,
    // or the body's temporaries and a recursive reference would share it.
    luaK_reserveregs(fs, 1);
    AdjustLocalVars(ls, 1);
    Body(ls, &b, false, ls->linenumber);
    luaK_storevar(fs, &v, &b);
    // Debug information sees the variable only once it holds the function.
    GetLocVar(fs, fs->nactvar - 1).startpc = fs->pc;
}

void LocalStat(LexState* ls)
{
    // stat -> LOCAL NAME {',' NAME} ['=' explist1]
    int nvars = 0;
    int nexps;
    expdesc e;
    do
    {
        NewLocalVar(ls, StrCheckName(ls), nvars++);
    } while (TestNext(ls, ','));
    if (TestNext(ls, '='))
    {
        nexps = ExpList1(ls, &e);
    }
    else
    {
        e.k = VVOID;
        nexps = 0;
    }
    AdjustAssign(ls, nvars, nexps, &e);
    AdjustLocalVars(ls, nvars);
}

bool FuncName(LexState* ls, expdesc* v)
{
    // funcname -> NAME {'.' NAME} [':' NAME]
    bool needself = false;
    SingleVar(ls, v, true);
    while (ls->t.token == '.') Field(ls, v);
    if (ls->t.token == ':')
    {
        needself = true;
        Field(ls, v);
    }
    return needself;
}

void FuncStat(LexState* ls, int line)
{
    // funcstat -> FUNCTION funcname body
    expdesc v, b;
    Next(ls);
    bool needself = FuncName(ls, &v);
    Body(ls, &b, needself, line);
    luaK_storevar(ls->fs, &v, &b);
    luaK_fixline(ls->fs, line);  // the definition happens on its first line
}

void ExprStat(LexState* ls)
{
    // stat -> func | assignment
    FuncState* fs = ls->fs;
    expdesc v;
    PrimaryExp(ls, &v);
    if (v.k == VCALL)
    {
        luaK_setcallreturns(fs, &v, 0);  // a call statement keeps no results
    }
    else
    {
        Assignment(ls, v);
    }
}

void RetStat(LexState* ls)
{
    // stat -> RETURN explist
    FuncState* fs = ls->fs;
    expdesc e;
    int first, nret;
    Next(ls);
    if (BlockFollow(ls->t.token) || ls->t.token == ';')
    {
        first = nret = 0;
    }
    else
    {
        nret = ExpList1(ls, &e);
        if (e.k == VCALL)
        {
            luaK_setcallreturns(fs, &e, LUA_MULTRET);
            if (nret == 1) SET_OPCODE(getcode(fs, &e), OP_TAILCALL);
            first = fs->nactvar;
            nret = LUA_MULTRET;
        }
        else if (nret == 1)
        {
            first = luaK_exp2anyreg(fs, &e);
        }
        else
        {
            luaK_exp2nextreg(fs, &e);
            first = fs->nactvar;
        }
    }
    luaK_codeABC(fs, OP_RETURN, first, nret + 1, 0);
}

// Returns true for a statement that must be the last of its block.
bool Statement(LexState* ls)
{
    int line = ls->linenumber;
    switch (ls->t.token)
    {
        case TK_IF:
            IfStat(ls, line);
            return false;
        case TK_WHILE:
            WhileStat(ls, line);
            return false;
        case TK_DO:
            Next(ls);
            Block(ls);
            CheckMatch(ls, TK_END, TK_DO, line);
            return false;
        case TK_FOR:
            ForStat(ls, line);
            return false;
        case TK_REPEAT:
            RepeatStat(ls, line);
            return false;
        case TK_FUNCTION:
            FuncStat(ls, line);
            return false;
        case TK_LOCAL:
            Next(ls);
            if (TestNext(ls, TK_FUNCTION))
            {
                LocalFunc(ls);
            }
            else
            {
                LocalStat(ls);
            }
            return false;
        case TK_RETURN:
            RetStat(ls);
            return true;
        case TK_BREAK:
            Next(ls);
            LoopJump(ls, false);
            return true;
        case TK_CONTINUE:
            Next(ls);
            LoopJump(ls, true);
            return true;
        default:
            ExprStat(ls);
            return false;
    }
}

void Chunk(LexState* ls)
{
    // chunk -> { stat [';'] }
    bool islast = false;
    EnterLevel(ls);
    while (!islast && !BlockFollow(ls->t.token))
    {
        islast = Statement(ls);
        TestNext(ls, ';');
        ls->fs->freereg = ls->fs->nactvar;  // free the statement's registers
    }
    LeaveLevel(ls);
}

// ---------------------------------------------------------------------------
// Inputs

struct StringInput
{
    const std::string* text;
    size_t pos;
};

int StringNext(void* ud)
{
    auto* in = static_cast<StringInput*>(ud);
    if (in->pos >= in->text->size()) return -1;
    return static_cast<unsigned char>((*in->text)[in->pos++]);
}

}  // namespace

std::unique_ptr<CompiledProto> CompileSource(LexInput in, bool wide, const std::string& source)
{
    LexState ls;
    FuncState fs;
    auto main = std::make_unique<CompiledProto>();
    LexSetInput(&ls, in, wide, source);
    OpenFunc(&ls, &fs, main.get());
    main->is_vararg = true;
    Next(&ls);
    Chunk(&ls);
    CheckCondition(&ls, ls.t.token == TK_EOS, "<eof> expected");
    CloseFunc(&ls);
    return main;
}

std::unique_ptr<CompiledProto> CompileString(const std::string& text, const std::string& source,
                                             bool wide)
{
    StringInput in{&text, 0};
    return CompileSource(LexInput{StringNext, &in}, wide, source);
}
