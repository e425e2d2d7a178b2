// The debug interface (stack levels, function information, locals, upvalues,
// hooks) and run-time error messages with positions and variable names.
#include "script/lang/debug.h"

#include <cstdarg>
#include <cstring>

#include "script/lang/do.h"
#include "script/lang/func.h"
#include "script/lang/opcodes.h"
#include "script/lang/strings.h"
#include "script/lang/table.h"

namespace
{

inline bool IsLuaCI(const CallInfo* ci)
{
    return !(ci->state & CI_C);
}

inline Proto* ProtoOf(CallInfo* ci)
{
    return AsL(ci->base[-1].Cl())->p;
}

const char* TypeNameOf(const TValue* o)
{
    static const char* const names[] = {"nil",    "boolean", "userdata", "number",
                                        "string", "table",   "function", "userdata",
                                        "thread", "wstring", "proto",    "upval"};
    return (o->tt >= 0 && o->tt <= LUA_TUPVAL) ? names[o->tt] : "?";
}

// The instruction that last set register reg before lastpc, found by
// running through the code and taking every forward jump that does not pass
// lastpc (so a value only set on a skipped path gets no name); -1 when none.
int LastSetter(const Proto* p, int lastpc, int reg)
{
    int last = -1;
    for (int pc = 0; pc < lastpc && pc < p->sizecode; pc++)
    {
        Instruction i = p->code[pc];
        OpCode op = GET_OPCODE(i);
        int a = GETARG_A(i);
        switch (op)
        {
            case OP_JMP:
            case OP_FORLOOP:
            case OP_TFORPREP:
            {
                int dest = pc + 1 + GETARG_sBx(i);
                if (pc < dest && dest <= lastpc) pc = dest - 1;
                break;
            }
            case OP_LOADNIL:
                if (a <= reg && reg <= GETARG_B(i)) last = pc;
                break;
            case OP_CALL:
            case OP_TAILCALL:
                if (reg >= a) last = pc;
                break;
            case OP_TFORLOOP:
                if (reg >= a + 2) last = pc;
                break;
            case OP_SELF:
                if (reg == a || reg == a + 1) last = pc;
                break;
            case OP_CLOSURE:
                if (reg == a) last = pc;
                pc += p->p[GETARG_Bx(i)]->nups;
                break;
            default:
                if (testOpMode(op, OpModesetA) && reg == a) last = pc;
                break;
        }
    }
    return last;
}

const char* KName(const Proto* p, int c)
{
    if (ISK(c) && INDEXK(c) < p->sizek && p->k[INDEXK(c)].IsString())
        return p->k[INDEXK(c)].Str()->Data();
    return "?";
}

const char* GetObjName(CallInfo* ci, int stackpos, const char** name, int depth = 0)
{
    if (!IsLuaCI(ci) || depth > 20) return nullptr;
    Proto* p = ProtoOf(ci);
    int pc = DebugCurrentPc(nullptr, ci);
    *name = GetLocalName(p, stackpos + 1, pc);
    if (*name) return "local";
    int setter = LastSetter(p, pc, stackpos);
    if (setter < 0) return nullptr;
    Instruction i = p->code[setter];
    switch (GET_OPCODE(i))
    {
        case OP_GETGLOBAL:
        {
            int g = GETARG_Bx(i);
            if (g < p->sizek && p->k[g].IsString())
            {
                *name = p->k[g].Str()->Data();
                return "global";
            }
            return nullptr;
        }
        case OP_MOVE:
        {
            int a = GETARG_A(i), b = GETARG_B(i);
            if (b < a) return GetObjName(ci, b, name, depth + 1);
            return nullptr;
        }
        case OP_GETTABLE:
            *name = KName(p, GETARG_C(i));
            return "field";
        case OP_SELF:
            *name = KName(p, GETARG_C(i));
            return "method";
        default:
            return nullptr;
    }
}

const char* GetFuncName(CallInfo* ci, const char** name)
{
    if ((IsLuaCI(ci) && ci->tailcalls > 0) || !IsLuaCI(ci - 1)) return nullptr;
    ci--;
    Proto* p = ProtoOf(ci);
    int pc = DebugCurrentPc(nullptr, ci);
    if (pc < 0 || pc >= p->sizecode) return nullptr;
    Instruction i = p->code[pc];
    // Handlers and iterators are called by other operations: they have no name.
    if (GET_OPCODE(i) != OP_CALL && GET_OPCODE(i) != OP_TAILCALL) return nullptr;
    return GetObjName(ci, GETARG_A(i), name);
}

bool IsInStack(CallInfo* ci, const TValue* o)
{
    for (StkId p = ci->base; p < ci->top; p++)
        if (o == p) return true;
    return false;
}

void AddInfo(lua_State* L, const char* msg)
{
    CallInfo* ci = L->ci;
    if (IsLuaCI(ci) && ci != L->base_ci)
    {
        char buff[LUA_IDSIZE];
        int line = DebugCurrentLine(L, ci);
        ChunkId(buff, ProtoOf(ci)->source ? ProtoOf(ci)->source->Data() : "?", LUA_IDSIZE);
        PushFString(L, "%s:%d: %s", buff, line, msg);
    }
}

void FuncInfo(lua_Debug* ar, const TValue* func)
{
    Closure* cl = func->Cl();
    if (cl->isC)
    {
        ar->source = "=[C]";
        ar->linedefined = -1;
        ar->what = "C";
    }
    else
    {
        Proto* p = AsL(cl)->p;
        ar->source = p->source ? p->source->Data() : "=?";
        ar->linedefined = p->lineDefined;
        ar->what = (ar->linedefined == 0) ? "main" : "Lua";
    }
    ChunkId(ar->short_src, ar->source, LUA_IDSIZE);
}

}  // namespace

// ---------------------------------------------------------------------------
// Positions

int DebugCurrentPc(lua_State*, CallInfo* ci)
{
    if (!IsLuaCI(ci)) return -1;
    // The interpreter publishes its position in savedpc before anything that
    // can look at it.
    return static_cast<int>(ci->savedpc - ProtoOf(ci)->code) - 1;
}

int DebugCurrentLine(lua_State* L, CallInfo* ci)
{
    int pc = DebugCurrentPc(L, ci);
    if (pc < 0) return -1;
    Proto* p = ProtoOf(ci);
    return (p->lineinfo && pc < p->sizelineinfo) ? p->lineinfo[pc] : 0;
}

// ---------------------------------------------------------------------------
// Errors

void DebugErrorMsg(lua_State* L)
{
    if (L->errfunc != 0)
    {
        StkId errfunc = RestoreStack(L, L->errfunc);
        if (!errfunc->IsFunction()) DoThrow(L, LUA_ERRERR);
        *L->top = *(L->top - 1);
        *(L->top - 1) = *errfunc;
        DoIncrTop(L);
        DoCall(L, L->top - 2, 1);
    }
    DoThrow(L, LUA_ERRRUN);
}

void DebugRunError(lua_State* L, const char* fmt, ...)
{
    va_list argp;
    va_start(argp, fmt);
    const char* msg = PushVFString(L, fmt, argp);
    va_end(argp);
    AddInfo(L, msg);
    DebugErrorMsg(L);
}

void DebugPlainError(lua_State* L, const char* fmt, ...)
{
    va_list argp;
    va_start(argp, fmt);
    PushVFString(L, fmt, argp);
    va_end(argp);
    DebugErrorMsg(L);
}

void DebugTypeError(lua_State* L, const TValue* o, const char* op)
{
    const char* name = nullptr;
    const char* t = TypeNameOf(o);
    const char* kind =
        IsInStack(L->ci, o) ? GetObjName(L->ci, static_cast<int>(o - L->base), &name) : nullptr;
    if (kind)
        DebugRunError(L, "attempt to %s %s `%s' (a %s value)", op, kind, name, t);
    else
        DebugRunError(L, "attempt to %s a %s value", op, t);
}

void DebugConcatError(lua_State* L, StkId p1, StkId p2)
{
    if (p1->IsString()) p1 = p2;
    DebugTypeError(L, p1, "concatenate");
}

void DebugArithError(lua_State* L, const TValue* p1, const TValue* p2)
{
    lua_Number n;
    bool firstConverts = p1->IsNumber() ||
                         (p1->IsString() && TextToNumber(p1->Str()->Data(), p1->Str()->len, &n)) ||
                         (p1->IsWString() && WideToNumber(p1->Str()->WData(), p1->Str()->len, &n));
    if (!firstConverts) p2 = p1;
    DebugTypeError(L, p2, "perform arithmetic on");
}

void DebugOrderError(lua_State* L, const TValue* p1, const TValue* p2)
{
    const char* t1 = TypeNameOf(p1);
    const char* t2 = TypeNameOf(p2);
    // By name: a light and a full userdata are both "userdata".
    if (std::strcmp(t1, t2) == 0)
        DebugRunError(L, "attempt to compare two %s values", t1);
    else
        DebugRunError(L, "attempt to compare %s with %s", t1, t2);
}

// ---------------------------------------------------------------------------
// Public debug API

int lua_sethook(lua_State* L, lua_Hook func, int mask, int count)
{
    mask &= LUA_MASKCALL | LUA_MASKRET | LUA_MASKLINE | LUA_MASKCOUNT | LUA_MASKLOOP;
    if (mask & LUA_MASKCOUNT) mask &= ~LUA_MASKLOOP;
    if (func == nullptr || mask == 0)
    {
        mask = 0;
        func = nullptr;
    }
    L->hook = func;
    L->basehookcount = count;
    L->hookcount = count;
    L->hookmask = static_cast<lu_byte>(mask);
    L->hookinit = 0;
    return 1;
}

lua_Hook lua_gethook(lua_State* L)
{
    return L->hook;
}
int lua_gethookmask(lua_State* L)
{
    return L->hookmask & ~kHookCountDue;
}
int lua_gethookcount(lua_State* L)
{
    return L->basehookcount;
}

int lua_getstack(lua_State* L, int level, lua_Debug* ar)
{
    CallInfo* ci;
    for (ci = L->ci; level > 0 && ci > L->base_ci; ci--)
    {
        level--;
        if (IsLuaCI(ci)) level -= ci->tailcalls;
    }
    if (level > 0 || ci == L->base_ci) return 0;
    ar->i_ci = level < 0 ? 0 : static_cast<int>(ci - L->base_ci);
    return 1;
}

int lua_getinfo(lua_State* L, const char* what, lua_Debug* ar)
{
    StkId f = nullptr;
    CallInfo* ci = nullptr;
    if (*what == '>')
    {
        f = L->top - 1;
        if (!f->IsFunction()) DebugRunError(L, "value for `lua_getinfo' is not a function");
        what++;
        L->top--;
    }
    else if (ar->i_ci != 0)
    {
        ci = L->base_ci + ar->i_ci;
        f = ci->base - 1;
    }
    int status = 1;
    TValue fv;
    if (f) fv = *f;
    for (; *what; what++)
    {
        switch (*what)
        {
            case 'S':
                if (f == nullptr)
                {
                    ar->source = "=(tail call)";
                    ar->linedefined = -1;
                    ar->what = "tail";
                    ChunkId(ar->short_src, ar->source, LUA_IDSIZE);
                }
                else
                {
                    FuncInfo(ar, &fv);
                }
                break;
            case 'l':
                ar->currentline = ci ? DebugCurrentLine(L, ci) : -1;
                break;
            case 'u':
                ar->nups = f ? fv.Cl()->nupvalues : 0;
                break;
            case 'n':
                ar->namewhat = ci ? GetFuncName(ci, &ar->name) : nullptr;
                if (ar->namewhat == nullptr)
                {
                    ar->namewhat = "";
                    ar->name = nullptr;
                }
                break;
            case 'f':
                if (f)
                    *L->top = fv;
                else
                    L->top->SetNil();
                DoIncrTop(L);
                break;
            default:
                status = 0;
        }
    }
    return status;
}

const char* lua_getlocal(lua_State* L, const lua_Debug* ar, int n)
{
    CallInfo* ci = L->base_ci + ar->i_ci;
    if (ar->i_ci == 0 || !IsLuaCI(ci)) return nullptr;
    const char* name = GetLocalName(ProtoOf(ci), n, DebugCurrentPc(L, ci));
    if (name)
    {
        *L->top = ci->base[n - 1];
        DoIncrTop(L);
    }
    return name;
}

const char* lua_setlocal(lua_State* L, const lua_Debug* ar, int n)
{
    CallInfo* ci = L->base_ci + ar->i_ci;
    L->top--;
    if (ar->i_ci == 0 || !IsLuaCI(ci)) return nullptr;
    const char* name = GetLocalName(ProtoOf(ci), n, DebugCurrentPc(L, ci));
    // Names starting with '(' are the loops' own state: not writable.
    if (name == nullptr || name[0] == '(') return nullptr;
    ci->base[n - 1] = *L->top;
    return name;
}

static const char* AuxUpvalue(lua_State* L, int funcindex, int n, TValue** val)
{
    lua_pushvalue(L, funcindex);
    TValue f = *(L->top - 1);
    L->top--;
    if (!f.IsFunction()) return nullptr;
    Closure* cl = f.Cl();
    if (n < 1 || n > cl->nupvalues) return nullptr;
    if (cl->isC)
    {
        *val = &AsC(cl)->Upvalues()[n - 1];
        return "";
    }
    LClosure* l = AsL(cl);
    *val = l->Upvals()[n - 1]->v;
    Proto* p = l->p;
    return (n - 1 < p->sizeupvalues && p->upvalues[n - 1]) ? p->upvalues[n - 1]->Data() : "";
}

const char* lua_getupvalue(lua_State* L, int funcindex, int n)
{
    TValue* val = nullptr;
    const char* name = AuxUpvalue(L, funcindex, n, &val);
    if (name)
    {
        *L->top = *val;
        DoIncrTop(L);
    }
    return name;
}

const char* lua_setupvalue(lua_State* L, int funcindex, int n)
{
    TValue* val = nullptr;
    const char* name = AuxUpvalue(L, funcindex, n, &val);
    L->top--;
    if (name) *val = *L->top;
    return name;
}
