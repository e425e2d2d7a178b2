// The interpreter loop and the value operations it shares with the host API:
// conversions, indexing through handlers and per-type tables, arithmetic,
// bitwise operations, comparison and (narrow or wide) concatenation.
#include "script/lang/vm.h"

#include <cmath>
#include <cstring>

#include "script/lang/debug.h"
#include "script/lang/do.h"
#include "script/lang/func.h"
#include "script/lang/gc.h"
#include "script/lang/meta.h"
#include "script/lang/opcodes.h"
#include "script/lang/strings.h"
#include "script/lang/table.h"

// Handlers are followed at most this many times before giving up.
#define MAXTAGLOOP 100

// ---------------------------------------------------------------------------
// Conversions

const TValue* VMToNumber(const TValue* obj, TValue* n)
{
    lua_Number num;
    switch (obj->tt)
    {
        case LUA_TNUMBER:
            return obj;
        case LUA_TSTRING:
            if (TextToNumber(obj->Str()->Data(), obj->Str()->len, &num))
            {
                n->SetNum(num);
                return n;
            }
            return nullptr;
        case LUA_TWSTRING:
            if (WideToNumber(obj->Str()->WData(), obj->Str()->len, &num))
            {
                n->SetNum(num);
                return n;
            }
            return nullptr;
        default:
            return nullptr;
    }
}

bool VMToString(lua_State* L, StkId obj)
{
    if (obj->IsString()) return true;
    if (!obj->IsNumber()) return false;
    char s[32];
    int len = NumberToText(obj->Num(), s);
    obj->SetStr(StrNew(L, s, static_cast<size_t>(len)));
    return true;
}

bool VMToWide(lua_State* L, StkId obj)
{
    if (obj->IsWString()) return true;
    if (!obj->IsNumber()) return false;
    char s[32];
    int len = NumberToText(obj->Num(), s);
    lua_WChar w[32];
    for (int i = 0; i < len; i++) w[i] = static_cast<unsigned char>(s[i]);
    obj->SetStr(StrNewWide(L, w, static_cast<size_t>(len)));
    return true;
}

// ---------------------------------------------------------------------------
// Handler calls

// Calls f(p1, p2) and stores its first result at the slot saved as res.
static void CallTMres(lua_State* L, ptrdiff_t res, const TValue* f, const TValue* p1,
                      const TValue* p2)
{
    TValue fv = *f, a = *p1, b = *p2;  // the arguments may live in the stack
    DoCheckStack(L, 3);
    L->top[0] = fv;
    L->top[1] = a;
    L->top[2] = b;
    L->top += 3;
    DoCall(L, L->top - 3, 1);
    L->top--;
    *RestoreStack(L, res) = *L->top;
}

static void CallTMresOut(lua_State* L, TValue* out, const TValue* f, const TValue* p1,
                         const TValue* p2)
{
    TValue fv = *f, a = *p1, b = *p2;
    DoCheckStack(L, 3);
    L->top[0] = fv;
    L->top[1] = a;
    L->top[2] = b;
    L->top += 3;
    DoCall(L, L->top - 3, 1);
    L->top--;
    *out = *L->top;
}

static void CallTM(lua_State* L, const TValue* f, const TValue* p1, const TValue* p2,
                   const TValue* p3)
{
    TValue fv = *f, a = *p1, b = *p2, c = *p3;
    DoCheckStack(L, 4);
    L->top[0] = fv;
    L->top[1] = a;
    L->top[2] = b;
    L->top[3] = c;
    L->top += 4;
    DoCall(L, L->top - 4, 0);
}

static inline bool InStack(lua_State* L, const TValue* p)
{
    return p >= L->stack && p < L->stack + L->stacksize;
}

// The handler of the first operand, else of the second; true when one was
// a function and ran, its result in res.
static bool CallBinTM(lua_State* L, const TValue* p1, const TValue* p2, StkId res, TMS event)
{
    ptrdiff_t result = SaveStack(L, res);
    const TValue* tm = MetaGetByObj(L, p1, event);
    if (tm->IsNil()) tm = MetaGetByObj(L, p2, event);
    if (!tm->IsFunction()) return false;
    CallTMres(L, result, tm, p1, p2);
    return true;
}

// ---------------------------------------------------------------------------
// Indexing

void VMGetTable(lua_State* L, const TValue* t, TValue* key, StkId val)
{
    ptrdiff_t valr = SaveStack(L, val);
    TValue tv = *t, kv = *key;  // the operands may move with the stack
    const TValue* cur = &tv;
    for (int loop = 0; loop < MAXTAGLOOP; loop++)
    {
        const TValue* tm;
        TValue mtv;
        if (cur->IsTable())
        {
            Table* h = cur->Tbl();
            const TValue* res = TableGetFast(h, &kv);
            if (!res->IsNil() || (tm = MetaFast(L, h->metatable, TM_INDEX)) == nullptr)
            {
                *RestoreStack(L, valr) = *res;
                return;
            }
        }
        else
        {
            tm = MetaGetByObj(L, cur, TM_INDEX);
            if (tm->IsNil())
            {
                // No handler: a userdata's metatable is read directly.
                if (cur->IsUserdata() && cur->Ud()->metatable)
                {
                    mtv.SetTbl(cur->Ud()->metatable);
                    tm = &mtv;
                }
                else
                {
                    DebugTypeError(L, InStack(L, t) ? t : cur, "index");
                }
            }
        }
        if (tm->IsFunction())
        {
            CallTMres(L, valr, tm, cur, &kv);
            return;
        }
        tv = *tm;
        cur = &tv;
    }
    DebugRunError(L, "loop in gettable");
}

void VMSetTable(lua_State* L, const TValue* t, TValue* key, StkId val)
{
    TValue tv = *t, kv = *key, vv = *val;
    const TValue* cur = &tv;
    for (int loop = 0; loop < MAXTAGLOOP; loop++)
    {
        const TValue* tm;
        if (cur->IsTable())
        {
            Table* h = cur->Tbl();
            const TValue* oldval = TableGet(h, &kv);
            if (!oldval->IsNil() || (tm = MetaFast(L, h->metatable, TM_NEWINDEX)) == nullptr)
            {
                *TableSet(L, h, &kv) = vv;
                return;
            }
        }
        else
        {
            tm = MetaGetByObj(L, cur, TM_NEWINDEX);
            if (tm->IsNil()) DebugTypeError(L, InStack(L, t) ? t : cur, "index");
        }
        if (tm->IsFunction())
        {
            CallTM(L, tm, cur, &kv, &vv);
            return;
        }
        tv = *tm;
        cur = &tv;
    }
    DebugRunError(L, "loop in settable");
}

// ---------------------------------------------------------------------------
// Comparison

static const TValue* GetCompTM(lua_State* L, Table* mt1, Table* mt2, TMS event)
{
    const TValue* tm1 = MetaFast(L, mt1, event);
    if (tm1 == nullptr) return nullptr;
    if (mt1 == mt2) return tm1;
    const TValue* tm2 = MetaFast(L, mt2, event);
    if (tm2 == nullptr) return nullptr;
    if (RawEqualObj(tm1, tm2)) return tm1;
    return nullptr;
}

bool VMEqualObj(lua_State* L, const TValue* t1, const TValue* t2)
{
    if (t1->tt != t2->tt) return false;
    const TValue* tm;
    switch (t1->tt)
    {
        case LUA_TNIL:
            return true;
        case LUA_TNUMBER:
            return t1->Num() == t2->Num();
        case LUA_TBOOLEAN:
            return t1->Bool() == t2->Bool();
        case LUA_TLIGHTUSERDATA:
            return t1->Ptr() == t2->Ptr();
        case LUA_TUSERDATA:
            if (t1->Ud() == t2->Ud()) return true;
            tm = GetCompTM(L, t1->Ud()->metatable, t2->Ud()->metatable, TM_EQ);
            break;
        case LUA_TTABLE:
            if (t1->Tbl() == t2->Tbl()) return true;
            tm = GetCompTM(L, t1->Tbl()->metatable, t2->Tbl()->metatable, TM_EQ);
            break;
        default:
            return t1->Gc() == t2->Gc();
    }
    if (tm == nullptr) return false;
    TValue res;
    CallTMresOut(L, &res, tm, t1, t2);
    return !res.IsFalse();
}

// Locale collation piece by piece across embedded zeros; a prefix sorts first.
static int StrCompare(const LString* ls, const LString* rs)
{
    const char* l = ls->Data();
    size_t ll = ls->len;
    const char* r = rs->Data();
    size_t lr = rs->len;
    for (;;)
    {
        int temp = std::strcoll(l, r);
        if (temp != 0) return temp;
        size_t len = std::strlen(l);  // both pieces are equal up to here
        if (len == lr) return (len == ll) ? 0 : 1;
        if (len == ll) return -1;
        len++;
        l += len;
        ll -= len;
        r += len;
        lr -= len;
    }
}

// -1 when no common ordering handler exists.
static int CallOrderTM(lua_State* L, const TValue* p1, const TValue* p2, TMS event)
{
    const TValue* tm1 = MetaGetByObj(L, p1, event);
    if (tm1->IsNil()) return -1;
    const TValue* tm2 = MetaGetByObj(L, p2, event);
    if (!RawEqualObj(tm1, tm2)) return -1;
    TValue res;
    CallTMresOut(L, &res, tm1, p1, p2);
    return !res.IsFalse();
}

bool VMLessThan(lua_State* L, const TValue* l, const TValue* r)
{
    if (l->tt != r->tt) DebugOrderError(L, l, r);
    if (l->IsNumber()) return l->Num() < r->Num();
    if (l->IsString()) return StrCompare(l->Str(), r->Str()) < 0;
    int res = CallOrderTM(L, l, r, TM_LT);
    if (res != -1) return res != 0;
    DebugOrderError(L, l, r);
}

bool VMLessEqual(lua_State* L, const TValue* l, const TValue* r)
{
    if (l->tt != r->tt) DebugOrderError(L, l, r);
    if (l->IsNumber()) return l->Num() <= r->Num();
    if (l->IsString()) return StrCompare(l->Str(), r->Str()) <= 0;
    int res = CallOrderTM(L, l, r, TM_LE);
    if (res != -1) return res != 0;
    res = CallOrderTM(L, r, l, TM_LT);
    if (res != -1) return res == 0;
    DebugOrderError(L, l, r);
}

// ---------------------------------------------------------------------------
// Concatenation

void VMConcat(lua_State* L, int total, int last)
{
    // The last string or wide string among the operands picks the mode.
    bool wide = false;
    for (int i = 0; i < total; i++)
    {
        const TValue* o = L->base + last - i;
        if (o->IsString()) break;
        if (o->IsWString())
        {
            wide = true;
            break;
        }
    }
    auto convert = [L, wide](StkId o) { return wide ? VMToWide(L, o) : VMToString(L, o); };
    do
    {
        StkId top = L->base + last + 1;
        int n = 2;
        if (!convert(top - 2) || !convert(top - 1))
        {
            if (!CallBinTM(L, top - 2, top - 1, top - 2, TM_CONCAT))
                DebugConcatError(L, top - 2, top - 1);
        }
        else if ((top - 1)->Str()->len > 0)
        {
            size_t tl = static_cast<size_t>((top - 1)->Str()->len) + (top - 2)->Str()->len;
            while (n < total && convert(top - n - 1))
            {
                tl += (top - n - 1)->Str()->len;
                n++;
            }
            if (tl >= 0xFFFFFFFEu) DebugRunError(L, "string size overflow");
            size_t unit = wide ? 2 : 1;
            char* buffer = SharedBufferOpen(L, tl * unit);
            top = L->base + last + 1;  // the buffer may have run a collection-free resize only
            size_t pos = 0;
            for (int i = n; i > 0; i--)
            {
                LString* s = (top - i)->Str();
                std::memcpy(buffer + pos, s->Data(), s->len * unit);
                pos += s->len * unit;
            }
            LString* res = wide ? StrNewWide(L, reinterpret_cast<const lua_WChar*>(buffer), tl)
                                : StrNew(L, buffer, tl);
            (top - n)->SetStr(res);
        }
        total -= n - 1;
        last -= n - 1;
    } while (total > 1);
}

// ---------------------------------------------------------------------------
// Arithmetic

static void Arith(lua_State* L, StkId ra, const TValue* rb, const TValue* rc, TMS op)
{
    TValue tempb, tempc;
    const TValue *b, *c;
    if ((b = VMToNumber(rb, &tempb)) != nullptr && (c = VMToNumber(rc, &tempc)) != nullptr)
    {
        switch (op)
        {
            case TM_ADD:
                ra->SetNum(b->Num() + c->Num());
                break;
            case TM_SUB:
                ra->SetNum(b->Num() - c->Num());
                break;
            case TM_MUL:
                ra->SetNum(b->Num() * c->Num());
                break;
            case TM_DIV:
                ra->SetNum(b->Num() / c->Num());
                break;
            case TM_POW:
            {
                // Power is not built in: it is the global "__pow" function.
                const TValue* f = TableGetStr(gt(L)->Tbl(), G(L)->tmname[TM_POW]);
                if (!f->IsFunction()) DebugRunError(L, "`__pow' (`^' operator) is not a function");
                TValue nb = *b, nc = *c;
                CallTMres(L, SaveStack(L, ra), f, &nb, &nc);
                break;
            }
            default:
                break;
        }
    }
    else if (!CallBinTM(L, rb, rc, ra, op))
    {
        DebugArithError(L, rb, rc);
    }
}

static inline uint32_t LowBits(lua_Number n)
{
    return static_cast<uint32_t>(static_cast<uint64_t>(NumberToInt64(n)));
}

// A global's value, or NULL when the full indexing path must decide (the
// environment is no table, or the global is absent). Tables of globals are
// large enough that many names sit down a collision chain rather than at
// their main position, so the whole chain is walked here.
static inline const TValue* GlobalHit(const TValue* env, const TValue* key)
{
    if (!env->IsTable()) return nullptr;
    Table* h = env->Tbl();
    const LString* s = key->Str();
    const Node* n = &h->node[s->hash & static_cast<lu_hash>(h->SizeNode() - 1)];
    for (;;)
    {
        if (n->key.value.gc == s && n->key.tt == key->tt) return n->val.IsNil() ? nullptr : &n->val;
        if (n->link.next == 0) return nullptr;
        n += n->link.next;
    }
}

// A raw read of a table, and when that misses, of the table its "__index"
// names (the method and class-field pattern): the value, or NULL when the
// full indexing path must decide (a handler function, a deeper chain, a
// value that is no table). Nothing here raises or calls.
static inline const TValue* IndexHit(lua_State* L, const TValue* t, const TValue* key)
{
    if (!t->IsTable()) return nullptr;
    Table* h = t->Tbl();
    const TValue* v = TableGetFast(h, key);
    if (!v->IsNil()) return v;
    const TValue* tm = MetaFast(L, h->metatable, TM_INDEX);
    if (tm == nullptr) return v;  // no handler: the raw nil is the result
    if (!tm->IsTable()) return nullptr;
    v = TableGetFast(tm->Tbl(), key);
    return v->IsNil() ? nullptr : v;
}

// How a store into a table can go without the full indexing path.
enum class RawStore
{
    kDone,    // stored: the field was present, or its empty slot exists
    kNewKey,  // the key is absent and no "__newindex" is in the way: insert it
    kFull     // a handler may apply: the full path decides
};

// Overwriting a present field needs no handler and cannot change a cached
// absence of an event. An empty slot that exists (array part, dead key)
// takes the value when no "__newindex" handler is in the way.
static inline RawStore TryRawStore(lua_State* L, Table* h, const TValue* key, const TValue* val)
{
    TValue* slot = const_cast<TValue*>(TableGetFast(h, key));
    if (!slot->IsNil())
    {
        *slot = *val;
        return RawStore::kDone;
    }
    if (MetaFast(L, h->metatable, TM_NEWINDEX) != nullptr) return RawStore::kFull;
    if (slot == &kNilObject) return RawStore::kNewKey;
    *slot = *val;
    h->flags = 0;
    return RawStore::kDone;
}

// ---------------------------------------------------------------------------
// Hooks inside the loop

// Ends the running call, its results going to res (where the function was):
// with no return hook and room for them, the general return without its
// checks.
static inline void FinishCall(lua_State* L, StkId res, StkId firstResult, int nresults)
{
    if (!(L->hookmask & LUA_MASKRET) && (nresults <= 0 || res + nresults < L->stack_last))
        DoCloseFrame(L, res, firstResult, nresults);
    else
        DoPosCall(L, nresults, firstResult);
}

static int LineOf(const Proto* p, int pc)
{
    return (p->lineinfo && pc >= 0 && pc < p->sizelineinfo) ? p->lineinfo[pc] : 0;
}

// The loop keeps the program counter in a register and publishes it in the
// call record's savedpc only where something may look at it (errors, hooks,
// calls, collections). savedpc also remembers the previous instruction for
// the line hook, so it is read before being brought up to date; the hook
// itself sees the current position.
// One step of a loop-counting hook: when its count runs out, the hook is
// made due before the next instruction, where the loop's usual hook path runs
// it (so it may yield or raise an error there like the count hook).
static inline void CountLoopStep(lua_State* L)
{
    if (--L->hookcount <= 0) L->hookmask = static_cast<lu_byte>(L->hookmask | kHookCountDue);
}

// Whether the hooks must run before the next instruction, after an
// operation that may jump (see vmnext_loop).
static inline bool LoopHookDue(lua_State* L)
{
    if (L->hookmask & kHookEachStep) return true;
    if (--L->hookcount > 0) return false;
    L->hookmask = static_cast<lu_byte>(L->hookmask | kHookCountDue);
    return true;
}

static void TraceExec(lua_State* L, const Instruction* pc)
{
    CallInfo* ci = L->ci;
    const Instruction* oldpc = ci->savedpc;
    ci->savedpc = pc;
    lu_byte mask = L->hookmask;
    if (mask & kHookCountDue)
    {
        L->hookmask = static_cast<lu_byte>(mask & ~kHookCountDue);
        L->hookcount = L->basehookcount;
        DoCallHook(L, LUA_HOOKCOUNT, -1);
        if (L->ci->state & CI_YIELD) return;
    }
    else if (mask & LUA_MASKCOUNT)
    {
        if (L->hookcount == 0)
        {
            L->hookcount = L->basehookcount;
            DoCallHook(L, LUA_HOOKCOUNT, -1);
            if (L->ci->state & CI_YIELD) return;
        }
    }
    if (mask & LUA_MASKLINE)
    {
        Proto* p = AsL(L->base[-1].Cl())->p;
        int npc = static_cast<int>(pc - p->code) - 1;
        int newline = LineOf(p, npc);
        // A line hook runs on a new line, a backward jump, or function entry.
        if (!L->hookinit)
        {
            L->hookinit = 1;
            DoCallHook(L, LUA_HOOKLINE, newline);
            return;
        }
        int oldnpc = static_cast<int>(oldpc - p->code) - 1;
        if (npc == 0 || pc <= oldpc || newline != LineOf(p, oldnpc))
            DoCallHook(L, LUA_HOOKLINE, newline);
    }
}

// ---------------------------------------------------------------------------
// The loop

#define RA(i) (base + GETARG_A(i))
#define RB(i) (base + GETARG_B(i))
#define RC(i) (base + GETARG_C(i))
#define RKB(i) (ISK(GETARG_B(i)) ? k + INDEXK(GETARG_B(i)) : base + GETARG_B(i))
#define RKC(i) (ISK(GETARG_C(i)) ? k + INDEXK(GETARG_C(i)) : base + GETARG_C(i))
#define KBx(i) (k + GETARG_Bx(i))
// The running closure sits below the frame; reading it where needed leaves
// one more register to the loop.
#define CL() AsL(base[-1].Cl())
#define DOJUMP(pc, n) ((pc) += (n))
// A test is followed by a jump: taken when the outcome equals A, else skipped.
#define CONDJUMP(res)                        \
    {                                        \
        if ((res) != (GETARG_A(i) != 0))     \
            pc++;                            \
        else                                 \
            DOJUMP(pc, GETARG_sBx(*pc) + 1); \
    }

// Publishes the position before anything that may raise an error, run a
// handler or hook, call a function or collect garbage.
#define SAVEPC() (L->ci->savedpc = pc)
// Runs x with the position published; x may move the stack, so the base is
// read again afterwards.
#define Protect(x)      \
    {                   \
        SAVEPC();       \
        x;              \
        base = L->base; \
    }

// The hooks due before the instruction at pc - 1; true when one yielded, and
// the loop must then return (the instruction runs again on resumption).
static inline bool RunHooks(lua_State* L, const Instruction* pc)
{
    bool fire = (L->hookmask & (LUA_MASKLINE | kHookCountDue)) != 0;
    if ((L->hookmask & LUA_MASKCOUNT) && --L->hookcount == 0) fire = true;
    if (!fire) return false;
    TraceExec(L, pc);
    if (!(L->ci->state & CI_YIELD)) return false;
    L->ci->savedpc = pc - 1;
    L->ci->state = CI_YIELD | CI_SAVEDPC;
    return true;
}

// With GCC and clang every operation ends in a jump of its own through a
// table of labels, which predicts far better than one shared switch. The
// sequence is kept short (fetch, hook test, jump) so the compiler copies it
// into every operation instead of sharing one jump; the hooks run out of
// line.
#if defined(__GNUC__)
#define VM_THREADED 1
#define vmcase(op) \
    case op:       \
        L_##op:
#define vmnext                                                        \
    {                                                                 \
        i = *pc++;                                                    \
        if (L->hookmask & kHookEachStep) goto hooks;                  \
        goto* kDispatch[GET_OPCODE(i)];                               \
    }
// The closing sequence of the operations that may jump, which every loop
// passes: it also counts for a loop-counting hook. Without hooks it is the
// same fetch, test and jump.
#define vmnext_loop                                                        \
    {                                                                      \
        i = *pc++;                                                         \
        if (L->hookmask & (kHookEachStep | LUA_MASKLOOP) && LoopHookDue(L)) \
            goto hooks;                                                    \
        goto* kDispatch[GET_OPCODE(i)];                                    \
    }
#else
#define VM_THREADED 0
#define vmcase(op) case op:
#define vmnext break
#define vmnext_loop                                                     \
    {                                                                   \
        if (L->hookmask & LUA_MASKLOOP) CountLoopStep(L);               \
        break;                                                          \
    }
#endif

// The common outcome of a test in the loop, so the compiler lays that path
// out straight and the rare one aside.
#if defined(__GNUC__)
#define LIKELY(x) __builtin_expect(!!(x), 1)
#else
#define LIKELY(x) (x)
#endif

// Arithmetic: two numbers directly, anything else through conversion and
// handlers.
#define ARITH_OP(op, event)                           \
    {                                                 \
        StkId ra = RA(i);                             \
        TValue* rb = RKB(i);                          \
        TValue* rc = RKC(i);                          \
        if (LIKELY(rb->IsNumber() && rc->IsNumber())) \
        {                                             \
            ra->SetNum(rb->Num() op rc->Num());       \
        }                                             \
        else                                          \
        {                                             \
            Protect(Arith(L, ra, rb, rc, event));     \
        }                                             \
        vmnext;                                       \
    }

// Order: two numbers directly, anything else through the full comparison.
#define ORDER_OP(op, full)                            \
    {                                                 \
        TValue* rb = RKB(i);                          \
        TValue* rc = RKC(i);                          \
        bool res;                                     \
        if (LIKELY(rb->IsNumber() && rc->IsNumber())) \
        {                                             \
            res = rb->Num() op rc->Num();             \
        }                                             \
        else                                          \
        {                                             \
            Protect(res = full(L, rb, rc));           \
        }                                             \
        CONDJUMP(res);                                \
        vmnext_loop;                                  \
    }

// GCC would otherwise merge the operations' identical closing jumps back
// into one.
#if defined(__GNUC__) && !defined(__clang__)
__attribute__((optimize("no-crossjumping")))
#endif
StkId VMExecute(lua_State* L)
{
#if VM_THREADED
    static const void* const kDispatch[64] = {
        &&L_OP_MOVE,      &&L_OP_LOADK,    &&L_OP_LOADBOOL,  &&L_OP_LOADNIL,  &&L_OP_GETUPVAL,
        &&L_OP_GETGLOBAL, &&L_OP_GETTABLE, &&L_OP_SETGLOBAL, &&L_OP_SETUPVAL, &&L_OP_SETTABLE,
        &&L_OP_NEWTABLE,  &&L_OP_SELF,     &&L_OP_ADD,       &&L_OP_SUB,      &&L_OP_MUL,
        &&L_OP_DIV,       &&L_OP_BAND,     &&L_OP_BOR,       &&L_OP_SHL,      &&L_OP_SHR,
        &&L_OP_POW,       &&L_OP_UNM,      &&L_OP_NOT,       &&L_OP_CONCAT,   &&L_OP_JMP,
        &&L_OP_EQ,        &&L_OP_LT,       &&L_OP_LE,        &&L_OP_TEST,     &&L_OP_CALL,
        &&L_OP_TAILCALL,  &&L_OP_RETURN,   &&L_OP_FORLOOP,   &&L_OP_TFORLOOP, &&L_OP_TFORPREP,
        &&L_OP_SETLIST,   &&L_OP_SETLISTO, &&L_OP_CLOSE,     &&L_OP_CLOSURE,  &&L_BAD,
        &&L_BAD,          &&L_BAD,         &&L_BAD,          &&L_BAD,         &&L_BAD,
        &&L_BAD,          &&L_BAD,         &&L_BAD,          &&L_BAD,         &&L_BAD,
        &&L_BAD,          &&L_BAD,         &&L_BAD,          &&L_BAD,         &&L_BAD,
        &&L_BAD,          &&L_BAD,         &&L_BAD,          &&L_BAD,         &&L_BAD,
        &&L_BAD,          &&L_BAD,         &&L_BAD,          &&L_BAD,
    };
    static_assert(NUM_OPCODES == 39, "the label table lists every operation");
#endif
    TValue* k;
    const Instruction* pc;
    Instruction i;
    StkId base;
callentry:
    if (L->hookmask & (LUA_MASKCALL | LUA_MASKLOOP))
    {
        if (L->hookmask & LUA_MASKLOOP) CountLoopStep(L);
        if (L->hookmask & LUA_MASKCALL)
        {
            L->ci->state |= CI_HASFRAME;
            DoCallHook(L, LUA_HOOKCALL, -1);
        }
    }
    L->ci->state = CI_HASFRAME;
    pc = L->ci->savedpc;
    k = AsL(L->base[-1].Cl())->p->k;
    base = L->base;
#if VM_THREADED
    vmnext;
hooks:
    if (RunHooks(L, pc)) return nullptr;
    base = L->base;
    goto* kDispatch[GET_OPCODE(i)];
#endif
    for (;;)
    {
        i = *pc++;
        if (L->hookmask & kHookEachStep)
        {
            if (RunHooks(L, pc)) return nullptr;
            base = L->base;
        }
        switch (GET_OPCODE(i))
        {
            vmcase(OP_MOVE)
            {
                StkId ra = RA(i);
                *ra = *RB(i);
                vmnext;
            }
            vmcase(OP_LOADK)
            {
                StkId ra = RA(i);
                *ra = *KBx(i);
                vmnext;
            }
            vmcase(OP_LOADBOOL)
            {
                StkId ra = RA(i);
                ra->SetBool(GETARG_B(i));
                if (GETARG_C(i)) pc++;
                vmnext;
            }
            vmcase(OP_LOADNIL)
            {
                StkId ra = RA(i);
                TValue* rb = RB(i);
                do
                {
                    (rb--)->SetNil();
                } while (rb >= ra);
                vmnext;
            }
            vmcase(OP_GETUPVAL)
            {
                StkId ra = RA(i);
                *ra = *CL()->Upvals()[GETARG_B(i)]->v;
                vmnext;
            }
            vmcase(OP_GETGLOBAL)
            {
                StkId ra = RA(i);
                TValue* rb = KBx(i);
                if (const TValue* v = GlobalHit(&CL()->env, rb); LIKELY(v != nullptr))
                    *ra = *v;
                else
                    Protect(VMGetTable(L, &CL()->env, rb, ra));
                vmnext;
            }
            vmcase(OP_GETTABLE)
            {
                StkId ra = RA(i);
                StkId rb = RB(i);
                TValue* rc = RKC(i);
                if (const TValue* v = IndexHit(L, rb, rc); LIKELY(v != nullptr))
                    *ra = *v;
                else
                    Protect(VMGetTable(L, rb, rc, ra));
                vmnext;
            }
            vmcase(OP_SETGLOBAL)
            {
                StkId ra = RA(i);
                TValue* rb = KBx(i);
                const TValue* env = &CL()->env;
                if (LIKELY(env->IsTable()))
                {
                    RawStore how = TryRawStore(L, env->Tbl(), rb, ra);
                    if (LIKELY(how == RawStore::kDone)) vmnext;
                    if (how == RawStore::kNewKey)
                    {
                        TValue vv = *ra;
                        Protect(*TableNewKey(L, env->Tbl(), rb) = vv);
                        vmnext;
                    }
                }
                Protect(VMSetTable(L, env, rb, ra));
                vmnext;
            }
            vmcase(OP_SETUPVAL)
            {
                StkId ra = RA(i);
                *CL()->Upvals()[GETARG_B(i)]->v = *ra;
                vmnext;
            }
            vmcase(OP_SETTABLE)
            {
                StkId ra = RA(i);
                TValue* rb = RKB(i);
                TValue* rc = RKC(i);
                if (ra->IsTable())
                {
                    RawStore how = TryRawStore(L, ra->Tbl(), rb, rc);
                    if (LIKELY(how == RawStore::kDone)) vmnext;
                    if (how == RawStore::kNewKey)
                    {
                        // An absent key: inserted without a second lookup.
                        TValue kv = *rb, vv = *rc;
                        Protect(*TableNewKey(L, ra->Tbl(), &kv) = vv);
                        vmnext;
                    }
                }
                Protect(VMSetTable(L, ra, rb, rc));
                vmnext;
            }
            vmcase(OP_NEWTABLE)
            {
                StkId ra = RA(i);
                unsigned b = luaP_fb2int(GETARG_B(i));
                int narray = b > (1u << MAXABITS) ? (1 << MAXABITS) : static_cast<int>(b);
                SAVEPC();
                ra->SetTbl(TableNew(L, narray, GETARG_C(i)));
                Protect(GCCheck(L));
                vmnext;
            }
            vmcase(OP_SELF)
            {
                StkId ra = RA(i);
                StkId rb = RB(i);
                TValue* rc = RKC(i);
                ra[1] = *rb;
                if (const TValue* v = IndexHit(L, rb, rc); LIKELY(v != nullptr))
                    *ra = *v;
                else
                    Protect(VMGetTable(L, rb, rc, ra));  // an error names the object's register
                vmnext;
            }
            vmcase(OP_ADD) ARITH_OP(+, TM_ADD);
            vmcase(OP_SUB) ARITH_OP(-, TM_SUB);
            vmcase(OP_MUL) ARITH_OP(*, TM_MUL);
            vmcase(OP_DIV) ARITH_OP(/, TM_DIV);
            vmcase(OP_BAND) vmcase(OP_BOR) vmcase(OP_SHL) vmcase(OP_SHR)
            {
                StkId ra = RA(i);
                TValue* rb = RKB(i);
                TValue* rc = RKC(i);
                if (!rb->IsNumber() || !rc->IsNumber())
                {
                    SAVEPC();
                    DebugArithError(L, rb, rc);
                }
                uint32_t x = LowBits(rb->Num());
                uint32_t y = LowBits(rc->Num());
                uint32_t r;
                switch (GET_OPCODE(i))
                {
                    case OP_BAND:
                        r = x & y;
                        break;
                    case OP_BOR:
                        r = x | y;
                        break;
                    case OP_SHL:
                        r = x << (y & 31);
                        break;
                    default:
                        r = x >> (y & 31);
                        break;
                }
                ra->SetNum(static_cast<lua_Number>(r));
                vmnext;
            }
            vmcase(OP_POW)
            {
                StkId ra = RA(i);
                TValue* rb = RKB(i);
                TValue* rc = RKC(i);
                if (rb->IsNumber() && rc->IsNumber())
                {
                    ra->SetNum(static_cast<lua_Number>(LowBits(rb->Num()) ^ LowBits(rc->Num())));
                }
                else
                {
                    Protect(Arith(L, ra, rb, rc, TM_POW));
                }
                vmnext;
            }
            vmcase(OP_UNM)
            {
                StkId ra = RA(i);
                const TValue* rb = RB(i);
                TValue temp;
                if (const TValue* n = VMToNumber(rb, &temp))
                {
                    ra->SetNum(-n->Num());
                }
                else
                {
                    SAVEPC();
                    temp.SetNil();
                    if (!CallBinTM(L, rb, &temp, ra, TM_UNM)) DebugArithError(L, rb, &temp);
                    base = L->base;
                }
                vmnext;
            }
            vmcase(OP_NOT)
            {
                StkId ra = RA(i);
                ra->SetBool(RB(i)->IsFalse());
                vmnext;
            }
            vmcase(OP_CONCAT)
            {
                int b = GETARG_B(i);
                int c = GETARG_C(i);
                SAVEPC();
                VMConcat(L, c - b + 1, c);
                base = L->base;
                *RA(i) = base[b];
                Protect(GCCheck(L));
                vmnext;
            }
            vmcase(OP_JMP)
            {
                DOJUMP(pc, GETARG_sBx(i));
                vmnext_loop;
            }
            vmcase(OP_EQ)
            {
                TValue* rb = RKB(i);
                TValue* rc = RKC(i);
                bool res;
                if (rb->tt != rc->tt)
                {
                    res = false;
                }
                else if (rb->IsNumber())
                {
                    res = rb->Num() == rc->Num();
                }
                else if (rb->IsNil())
                {
                    res = true;  // a test against nil: no handler applies
                }
                else if (rb->IsString() || rb->IsBoolean())
                {
                    res = rb->IsString() ? rb->Gc() == rc->Gc() : rb->Bool() == rc->Bool();
                }
                else
                {
                    Protect(res = VMEqualObj(L, rb, rc));
                }
                CONDJUMP(res);
                vmnext_loop;
            }
            vmcase(OP_LT) ORDER_OP(<, VMLessThan);
            vmcase(OP_LE) ORDER_OP(<=, VMLessEqual);
            vmcase(OP_TEST)
            {
                StkId ra = RA(i);
                TValue* rb = RB(i);
                if (rb->IsFalse() == (GETARG_C(i) != 0))
                {
                    pc++;
                }
                else
                {
                    *ra = *rb;
                    DOJUMP(pc, GETARG_sBx(*pc) + 1);
                }
                vmnext_loop;
            }
            vmcase(OP_CALL) vmcase(OP_TAILCALL)
            {
                StkId ra = RA(i);
                int b = GETARG_B(i);
                if (b != 0) L->top = ra + b;  // else the previous open call set top
                SAVEPC();
                if (GET_OPCODE(i) == OP_CALL && ra->IsFunction() && !ra->Cl()->isC)
                {
                    // A script function with fixed parameters, room on the stack and
                    // a free call record: the common call, set up here without the
                    // general path's checks.
                    Proto* p = AsL(ra->Cl())->p;
                    CallInfo* ci = L->ci;
                    StkId top = L->top;
                    if (LIKELY(!p->is_vararg && ci + 1 != L->end_ci &&
                               L->stack_last - top > p->maxstacksize))
                    {
                        StkId nbase = ra + 1;
                        if (top > nbase + p->numparams) top = nbase + p->numparams;
                        ci->state = CI_SAVEDPC | CI_CALLING;
                        ci->k = k;
                        L->ci = ++ci;
                        L->top = top;
                        DoOpenScriptFrame(L, ci, nbase, p);
                        if (L->hookmask & (LUA_MASKCALL | LUA_MASKLOOP))
                        {
                            if (L->hookmask & LUA_MASKCALL) goto callentry;
                            CountLoopStep(L);
                        }
                        // The callee's registers are known here: no need to read
                        // them back from the call record as a fresh entry does.
                        ci->state = CI_HASFRAME;
                        k = p->k;
                        base = nbase;
                        pc = p->code;
                        vmnext;
                    }
                }
                else if (GET_OPCODE(i) == OP_CALL && ra->IsFunction() &&
                         L->ci + 1 != L->end_ci && L->stack_last - L->top > LUA_MINSTACK &&
                         !(L->hookmask & LUA_MASKCALL))
                {
                    // A native function with room on the stack and a free call
                    // record, and no call hook: run it here.
                    DoOpenNativeFrame(L, ++L->ci, ra + 1);
                    int n = AsC(ra->Cl())->f(L);
                    if (n < 0)
                    {
                        // Yielded: the records stay for the resume to complete.
                        L->ci->state = CI_C | CI_YIELD;
                        (L->ci - 1)->savedpc = pc;
                        (L->ci - 1)->state = CI_SAVEDPC;
                        return nullptr;
                    }
                    int nresults = GETARG_C(i) - 1;
                    StkId firstResult = L->top - n;
                    FinishCall(L, L->base - 1, firstResult, nresults);
                    if (nresults >= 0) L->top = L->ci->top;
                    base = L->base;
                    vmnext;
                }
                if (GET_OPCODE(i) == OP_TAILCALL && L->openupval) CloseUpvals(L, base);
                StkId firstResult = DoPreCall(L, ra);
                if (firstResult)
                {
                    if (L->ci->state & CI_YIELD)
                    {
                        (L->ci - 1)->savedpc = pc;
                        (L->ci - 1)->state = CI_SAVEDPC;
                        return nullptr;
                    }
                    int nresults = GET_OPCODE(i) == OP_CALL ? GETARG_C(i) - 1 : LUA_MULTRET;
                    DoPosCall(L, nresults, firstResult);
                    if (nresults >= 0) L->top = L->ci->top;
                    base = L->base;
                    vmnext;
                }
                if (GET_OPCODE(i) == OP_CALL)
                {
                    (L->ci - 1)->savedpc = pc;
                    (L->ci - 1)->state = CI_SAVEDPC | CI_CALLING;
                    (L->ci - 1)->k = k;
                    goto callentry;
                }
                // Tail call: the callee's frame replaces this one.
                {
                    CallInfo* ci = L->ci - 1;
                    StkId func = ci->base - 1;
                    StkId pfunc = L->ci->base - 1;
                    if (L->openupval) CloseUpvals(L, ci->base);
                    int aux = 0;
                    for (; pfunc + aux < L->top; aux++) func[aux] = pfunc[aux];
                    ci->base = func + 1;
                    ci->top = L->top = func + aux;
                    ci->savedpc = L->ci->savedpc;
                    ci->tailcalls++;
                    ci->state = CI_SAVEDPC;
                    L->ci--;
                    L->base = L->ci->base;
                    goto callentry;
                }
            }
            vmcase(OP_RETURN)
            {
                StkId ra = RA(i);
                CallInfo* ci = L->ci - 1;
                int b = GETARG_B(i);
                if (b != 0) L->top = ra + b - 1;
                if (L->openupval && static_cast<UpVal*>(L->openupval)->v >= base)
                    CloseUpvals(L, base);
                if (LIKELY((ci->state & CI_CALLING) && !(L->hookmask & LUA_MASKRET)))
                {
                    // Back into a caller this loop runs, with no return hook:
                    // its CALL says how many results it wants, and the code
                    // check made sure they fit in its registers. Nothing here
                    // looks at the finished record, so it is dropped as is.
                    const Instruction* cpc = ci->savedpc;
                    int wanted = GETARG_C(cpc[-1]) - 1;
                    StkId res = base - 1;
                    StkId top = L->top;
                    L->ci = ci;
                    L->base = ci->base;
                    if (wanted == 1)
                    {
                        if (ra < top)
                            *res = *ra;
                        else
                            res->SetNil();
                        L->top = ci->top;
                    }
                    else if (wanted >= 0)
                    {
                        for (; wanted != 0 && ra < top; wanted--) *res++ = *ra++;
                        for (; wanted > 0; wanted--) (res++)->SetNil();
                        L->top = ci->top;
                    }
                    else
                    {
                        while (ra < top) *res++ = *ra++;
                        L->top = res;
                    }
                    ci->state = CI_HASFRAME;
                    pc = cpc;
                    k = ci->k;
                    base = ci->base;
                    vmnext;
                }
                L->ci->state = CI_SAVEDPC;
                L->ci->savedpc = pc;
                if (!(ci->state & CI_CALLING)) return ra;  // the caller is not this loop
                // A return hook is due: the general return runs it.
                int nresults = GETARG_C(*(ci->savedpc - 1)) - 1;
                DoPosCall(L, nresults, ra);
                if (nresults >= 0) L->top = L->ci->top;
                // Back in the caller, whose constants its record kept.
                ci = L->ci;
                ci->state = CI_HASFRAME;
                pc = ci->savedpc;
                k = ci->k;
                base = ci->base;
                vmnext;
            }
            vmcase(OP_FORLOOP)
            {
                StkId ra = RA(i);
                if (LIKELY(ra[0].IsNumber() && ra[1].IsNumber() && ra[2].IsNumber()))
                {
                    lua_Number step = ra[2].Num();
                    lua_Number idx = ra[0].Num() + step;
                    if (step > 0 ? idx <= ra[1].Num() : idx >= ra[1].Num())
                    {
                        DOJUMP(pc, GETARG_sBx(i));
                        ra->value.n = idx;  // already tagged as a number
                    }
                    vmnext_loop;
                }
                SAVEPC();
                if (!ra->IsNumber()) DebugRunError(L, "`for' initial value must be a number");
                TValue tl, ts;
                const TValue* plimit = VMToNumber(ra + 1, &tl);
                if (!plimit) DebugRunError(L, "`for' limit must be a number");
                ra[1] = *plimit;
                const TValue* pstep = VMToNumber(ra + 2, &ts);
                if (!pstep) DebugRunError(L, "`for' step must be a number");
                ra[2] = *pstep;
                lua_Number step = ra[2].Num();
                lua_Number idx = ra->Num() + step;
                lua_Number limit = ra[1].Num();
                if (step > 0 ? idx <= limit : idx >= limit)
                {
                    DOJUMP(pc, GETARG_sBx(i));
                    ra->SetNum(idx);
                }
                vmnext_loop;
            }
            vmcase(OP_TFORLOOP)
            {
                StkId ra = RA(i);
                int nresults = GETARG_C(i) + 1;
                StkId cb = ra + nresults + 2;  // call base above the loop variables
                cb[0] = ra[0];
                cb[1] = ra[1];
                cb[2] = ra[2];
                L->top = cb + 3;
                SAVEPC();
                DoCall(L, cb, nresults);
                L->top = L->ci->top;
                base = L->base;
                ra = RA(i) + 2;
                cb = ra + nresults;
                do
                {
                    nresults--;
                    ra[nresults] = cb[nresults];
                } while (nresults > 0);
                if (ra->IsNil())
                    pc++;
                else
                    DOJUMP(pc, GETARG_sBx(*pc) + 1);
                vmnext_loop;
            }
            vmcase(OP_TFORPREP)
            {
                StkId ra = RA(i);
                if (ra->IsTable())
                {
                    SAVEPC();
                    ra[1] = *ra;
                    *ra = *TableGetStr(gt(L)->Tbl(), StrNewZ(L, "next"));
                    base = L->base;
                }
                DOJUMP(pc, GETARG_sBx(i));
                vmnext;
            }
            vmcase(OP_SETLIST) vmcase(OP_SETLISTO)
            {
                StkId ra = RA(i);
                SAVEPC();
                if (!ra->IsTable()) DebugRunError(L, "table expected for list items");
                Table* h = ra->Tbl();
                int bc = GETARG_Bx(i);
                int n;
                if (GET_OPCODE(i) == OP_SETLIST)
                {
                    n = (bc & (LFIELDS_PER_FLUSH - 1)) + 1;
                }
                else
                {
                    n = static_cast<int>(L->top - ra) - 1;
                    L->top = L->ci->top;
                }
                bc &= ~(LFIELDS_PER_FLUSH - 1);
                for (; n > 0; n--) *TableSetNum(L, h, bc + n) = ra[n];
                vmnext;
            }
            vmcase(OP_CLOSE)
            {
                StkId ra = RA(i);
                CloseUpvals(L, ra);
                vmnext;
            }
            vmcase(OP_CLOSURE)
            {
                StkId ra = RA(i);
                Proto* p = CL()->p->p[GETARG_Bx(i)];
                int nup = p->nups;
                SAVEPC();
                LClosure* ncl = LClosureNew(L, p, nup, &CL()->env);
                for (int j = 0; j < nup; j++, pc++)
                {
                    if (GET_OPCODE(*pc) == OP_GETUPVAL)
                        ncl->Upvals()[j] = CL()->Upvals()[GETARG_B(*pc)];
                    else
                        ncl->Upvals()[j] = FindUpval(L, base + GETARG_B(*pc));
                }
                ra->SetCl(ncl);
                Protect(GCCheck(L));
                vmnext;
            }
            default:
#if VM_THREADED
            L_BAD:
#endif
                SAVEPC();
                DebugRunError(L, "bad opcode");
        }
    }
}
