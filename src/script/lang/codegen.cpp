// codegen.cpp - emits instructions for the parser: jump lists threaded
// through the sBx fields, register allocation over expression descriptors,
// the constant table, conditional code for and/or/not and comparisons.
#include "script/lang/codegen.h"

#include <cstdio>
#include <cstdlib>

#include "script/lang/lua.h"

namespace
{

constexpr int kMaxCode = 2147483645;

[[noreturn]] void RuntimeLimit(const char* msg)
{
    throw CompileError{LUA_ERRRUN, msg};
}

bool HasJumps(const expdesc* e)
{
    return e->t != e->f;
}

void FixJump(FuncState* fs, int pc, int dest)
{
    Instruction& jmp = fs->f->code[pc];
    int offset = dest - (pc + 1);
    if (std::abs(offset) > MAXARG_sBx) LexSyntaxError(fs->ls, "control structure too long");
    SETARG_sBx(jmp, offset);
}

int GetJump(FuncState* fs, int pc)
{
    int offset = GETARG_sBx(fs->f->code[pc]);
    return offset == NO_JUMP ? NO_JUMP : (pc + 1) + offset;
}

// The instruction that decides a jump: the test before it, if any.
Instruction* GetJumpControl(FuncState* fs, int pc)
{
    Instruction* pi = &fs->f->code[pc];
    if (pc >= 1 && testOpMode(GET_OPCODE(*(pi - 1)), OpModeT)) return pi - 1;
    return pi;
}

// True when some jump of the list does not carry a value of the given truth
// (a comparison, or a TEST of the other sense): then the value has to be
// materialised with LOADBOOL.
bool NeedValue(FuncState* fs, int list, int cond)
{
    for (; list != NO_JUMP; list = GetJump(fs, list))
    {
        Instruction i = *GetJumpControl(fs, list);
        if (GET_OPCODE(i) != OP_TEST || GETARG_C(i) != cond) return true;
    }
    return false;
}

void PatchTestReg(Instruction* i, int reg)
{
    if (reg == NO_REG) reg = GETARG_B(*i);
    SETARG_A(*i, reg);
}

void PatchListAux(FuncState* fs, int list, int ttarget, int treg, int ftarget, int freg,
                  int dtarget)
{
    while (list != NO_JUMP)
    {
        int next = GetJump(fs, list);
        Instruction* i = GetJumpControl(fs, list);
        if (GET_OPCODE(*i) != OP_TEST)
        {
            FixJump(fs, list, dtarget);
        }
        else if (GETARG_C(*i))
        {
            PatchTestReg(i, treg);
            FixJump(fs, list, ttarget);
        }
        else
        {
            PatchTestReg(i, freg);
            FixJump(fs, list, ftarget);
        }
        list = next;
    }
}

void DischargeJpc(FuncState* fs)
{
    PatchListAux(fs, fs->jpc, fs->pc, NO_REG, fs->pc, NO_REG, fs->pc);
    fs->jpc = NO_JUMP;
}

void FreeReg(FuncState* fs, int reg)
{
    if (reg >= fs->nactvar && reg < MAXSTACK) fs->freereg--;
}

void FreeExp(FuncState* fs, expdesc* e)
{
    if (e->k == VNONRELOC) FreeReg(fs, e->info);
}

int AddK(FuncState* fs, const KConstant& k)
{
    int n = static_cast<int>(fs->f->k.size());
    if (n >= MAXARG_Bx) RuntimeLimit("constant table overflow");
    fs->f->k.push_back(k);
    return n;
}

int NilK(FuncState* fs)
{
    if (fs->nilk < 0)
    {
        KConstant k;
        k.type = LUA_TNIL;
        fs->nilk = AddK(fs, k);
    }
    return fs->nilk;
}

int CondJump(FuncState* fs, OpCode op, int a, int b, int c)
{
    luaK_codeABC(fs, op, a, b, c);
    return luaK_jump(fs);
}

int CodeLabel(FuncState* fs, int a, int b, int jump)
{
    luaK_getlabel(fs);  // these instructions may be jump targets
    return luaK_codeABC(fs, OP_LOADBOOL, a, b, jump);
}

void Discharge2Reg(FuncState* fs, expdesc* e, int reg)
{
    luaK_dischargevars(fs, e);
    switch (e->k)
    {
        case VNIL:
            luaK_nil(fs, reg, 1);
            break;
        case VFALSE:
        case VTRUE:
            luaK_codeABC(fs, OP_LOADBOOL, reg, e->k == VTRUE, 0);
            break;
        case VK:
            luaK_codeABx(fs, OP_LOADK, reg, e->info);
            break;
        case VRELOCABLE:
            SETARG_A(getcode(fs, e), reg);
            break;
        case VNONRELOC:
            if (reg != e->info) luaK_codeABC(fs, OP_MOVE, reg, e->info, 0);
            break;
        default:
            return;  // VVOID or VJMP: nothing to move
    }
    e->info = reg;
    e->k = VNONRELOC;
}

void Discharge2AnyReg(FuncState* fs, expdesc* e)
{
    if (e->k != VNONRELOC)
    {
        luaK_reserveregs(fs, 1);
        Discharge2Reg(fs, e, fs->freereg - 1);
    }
}

void Exp2Reg(FuncState* fs, expdesc* e, int reg)
{
    Discharge2Reg(fs, e, reg);
    if (e->k == VJMP) luaK_concat(fs, &e->t, e->info);
    if (HasJumps(e))
    {
        int pf = NO_JUMP;  // LOADBOOL false
        int pt = NO_JUMP;  // LOADBOOL true
        if (NeedValue(fs, e->t, 1) || NeedValue(fs, e->f, 0))
        {
            int fj = NO_JUMP;
            if (e->k != VJMP) fj = luaK_jump(fs);
            pf = CodeLabel(fs, reg, 0, 1);
            pt = CodeLabel(fs, reg, 1, 0);
            luaK_patchtohere(fs, fj);
        }
        int final = luaK_getlabel(fs);
        PatchListAux(fs, e->f, pf, NO_REG, final, reg, pf);
        PatchListAux(fs, e->t, final, reg, pt, NO_REG, pt);
    }
    e->f = e->t = NO_JUMP;
    e->info = reg;
    e->k = VNONRELOC;
}

void InvertJump(FuncState* fs, expdesc* e)
{
    Instruction* pc = GetJumpControl(fs, e->info);
    SETARG_A(*pc, !GETARG_A(*pc));
}

int JumpOnCond(FuncState* fs, expdesc* e, int cond)
{
    if (e->k == VRELOCABLE)
    {
        Instruction ie = getcode(fs, e);
        if (GET_OPCODE(ie) == OP_NOT)
        {
            fs->pc--;  // drop the NOT and test its operand the other way round
            fs->f->code.pop_back();
            fs->f->lineinfo.pop_back();
            return CondJump(fs, OP_TEST, NO_REG, GETARG_B(ie), !cond);
        }
    }
    Discharge2AnyReg(fs, e);
    FreeExp(fs, e);
    return CondJump(fs, OP_TEST, NO_REG, e->info, cond);
}

void CodeNot(FuncState* fs, expdesc* e)
{
    luaK_dischargevars(fs, e);
    switch (e->k)
    {
        case VNIL:
        case VFALSE:
            e->k = VTRUE;
            break;
        case VK:
        case VTRUE:
            e->k = VFALSE;
            break;
        case VJMP:
            InvertJump(fs, e);
            break;
        case VRELOCABLE:
        case VNONRELOC:
            Discharge2AnyReg(fs, e);
            FreeExp(fs, e);
            e->info = luaK_codeABC(fs, OP_NOT, 0, e->info, 0);
            e->k = VRELOCABLE;
            break;
        default:
            break;
    }
    std::swap(e->f, e->t);
}

void CodeBinop(FuncState* fs, expdesc* res, BinOpr op, int o1, int o2)
{
    if (op <= OPR_POW)
    {
        OpCode opc = OpCode(op - OPR_ADD + OP_ADD);
        res->info = luaK_codeABC(fs, opc, 0, o1, o2);
        res->k = VRELOCABLE;
        return;
    }
    static const OpCode kCompare[] = {OP_EQ, OP_EQ, OP_LT, OP_LE, OP_LT, OP_LE};
    int cond = 1;
    if (op >= OPR_GT)
    {
        std::swap(o1, o2);  // a > b is b < a
    }
    else if (op == OPR_NE)
    {
        cond = 0;
    }
    res->info = CondJump(fs, kCompare[op - OPR_NE], cond, o1, o2);
    res->k = VJMP;
}

}  // namespace

// ---------------------------------------------------------------------------
// Emission

int luaK_code(FuncState* fs, Instruction i, int line)
{
    DischargeJpc(fs);  // pending jumps land on this instruction
    if (fs->pc >= kMaxCode) RuntimeLimit("code size overflow");
    fs->f->code.push_back(i);
    fs->f->lineinfo.push_back(line);
    return fs->pc++;
}

int luaK_codeABC(FuncState* fs, OpCode o, int a, int b, int c)
{
    return luaK_code(fs, CREATE_ABC(o, a, b, c), fs->ls->lastline);
}

int luaK_codeABx(FuncState* fs, OpCode o, int a, int bx)
{
    return luaK_code(fs, CREATE_ABx(o, a, bx), fs->ls->lastline);
}

void luaK_fixline(FuncState* fs, int line)
{
    fs->f->lineinfo[fs->pc - 1] = line;
}

void luaK_nil(FuncState* fs, int from, int n)
{
    // Extend a LOADNIL just before when no jump lands between the two.
    if (fs->pc > fs->lasttarget && fs->pc > 0)
    {
        Instruction& previous = fs->f->code[fs->pc - 1];
        if (GET_OPCODE(previous) == OP_LOADNIL)
        {
            int pfrom = GETARG_A(previous);
            int pto = GETARG_B(previous);
            if (pfrom <= from && from <= pto + 1)
            {
                if (from + n - 1 > pto) SETARG_B(previous, from + n - 1);
                return;
            }
        }
    }
    luaK_codeABC(fs, OP_LOADNIL, from, from + n - 1, 0);
}

void luaK_checkstack(FuncState* fs, int n)
{
    int newstack = fs->freereg + n;
    if (newstack > fs->f->maxstacksize)
    {
        if (newstack >= MAXSTACK) LexSyntaxError(fs->ls, "function or expression too complex");
        fs->f->maxstacksize = newstack;
    }
}

void luaK_reserveregs(FuncState* fs, int n)
{
    luaK_checkstack(fs, n);
    fs->freereg += n;
}

// ---------------------------------------------------------------------------
// Jumps

int luaK_getlabel(FuncState* fs)
{
    fs->lasttarget = fs->pc;
    return fs->pc;
}

int luaK_jump(FuncState* fs)
{
    int jpc = fs->jpc;  // jumps to here now go where this jump goes
    fs->jpc = NO_JUMP;
    int j = luaK_codeAsBx(fs, OP_JMP, 0, NO_JUMP);
    luaK_concat(fs, &j, jpc);
    return j;
}

void luaK_concat(FuncState* fs, int* l1, int l2)
{
    if (l2 == NO_JUMP) return;
    if (*l1 == NO_JUMP)
    {
        *l1 = l2;
        return;
    }
    int list = *l1;
    int next;
    while ((next = GetJump(fs, list)) != NO_JUMP) list = next;
    FixJump(fs, list, l2);
}

void luaK_patchlist(FuncState* fs, int list, int target)
{
    if (target == fs->pc)
    {
        luaK_patchtohere(fs, list);
    }
    else
    {
        PatchListAux(fs, list, target, NO_REG, target, NO_REG, target);
    }
}

void luaK_patchtohere(FuncState* fs, int list)
{
    luaK_getlabel(fs);
    luaK_concat(fs, &fs->jpc, list);
}

// ---------------------------------------------------------------------------
// Constants

int luaK_stringK(FuncState* fs, const std::string& s)
{
    auto it = fs->strk.find(s);
    if (it != fs->strk.end()) return it->second;
    KConstant k;
    k.type = LUA_TSTRING;
    k.s = s;
    int idx = AddK(fs, k);
    fs->strk.emplace(s, idx);
    return idx;
}

int luaK_wstringK(FuncState* fs, const std::u16string& s)
{
    auto it = fs->wstrk.find(s);
    if (it != fs->wstrk.end()) return it->second;
    KConstant k;
    k.type = LUA_TWSTRING;
    k.w = s;
    int idx = AddK(fs, k);
    fs->wstrk.emplace(s, idx);
    return idx;
}

int luaK_numberK(FuncState* fs, double r)
{
    // Keys compare by value, as numbers do as table keys: 0 and -0 share one.
    auto it = fs->numk.find(r);
    if (it != fs->numk.end()) return it->second;
    KConstant k;
    k.type = LUA_TNUMBER;
    k.n = r;
    int idx = AddK(fs, k);
    if (r == r) fs->numk.emplace(r, idx);  // NaN never matches itself
    return idx;
}

// ---------------------------------------------------------------------------
// Expressions

void luaK_setcallreturns(FuncState* fs, expdesc* e, int nresults)
{
    if (e->k != VCALL) return;
    SETARG_C(getcode(fs, e), nresults + 1);
    if (nresults == 1)
    {
        e->k = VNONRELOC;
        e->info = GETARG_A(getcode(fs, e));
    }
}

void luaK_dischargevars(FuncState* fs, expdesc* e)
{
    switch (e->k)
    {
        case VLOCAL:
            e->k = VNONRELOC;
            break;
        case VUPVAL:
            e->info = luaK_codeABC(fs, OP_GETUPVAL, 0, e->info, 0);
            e->k = VRELOCABLE;
            break;
        case VGLOBAL:
            e->info = luaK_codeABx(fs, OP_GETGLOBAL, 0, e->info);
            e->k = VRELOCABLE;
            break;
        case VINDEXED:
            FreeReg(fs, e->aux);
            FreeReg(fs, e->info);
            e->info = luaK_codeABC(fs, OP_GETTABLE, 0, e->info, e->aux);
            e->k = VRELOCABLE;
            break;
        case VCALL:
            luaK_setcallreturns(fs, e, 1);
            break;
        default:
            break;
    }
}

void luaK_exp2nextreg(FuncState* fs, expdesc* e)
{
    luaK_dischargevars(fs, e);
    FreeExp(fs, e);
    luaK_reserveregs(fs, 1);
    Exp2Reg(fs, e, fs->freereg - 1);
}

int luaK_exp2anyreg(FuncState* fs, expdesc* e)
{
    luaK_dischargevars(fs, e);
    if (e->k == VNONRELOC)
    {
        if (!HasJumps(e)) return e->info;
        if (e->info >= fs->nactvar)
        {  // a temporary: put the final value there
            Exp2Reg(fs, e, e->info);
            return e->info;
        }
    }
    luaK_exp2nextreg(fs, e);
    return e->info;
}

void luaK_exp2val(FuncState* fs, expdesc* e)
{
    if (HasJumps(e))
    {
        luaK_exp2anyreg(fs, e);
    }
    else
    {
        luaK_dischargevars(fs, e);
    }
}

int luaK_exp2RK(FuncState* fs, expdesc* e)
{
    luaK_exp2val(fs, e);
    switch (e->k)
    {
        case VNIL:
            if (static_cast<int>(fs->f->k.size()) <= MAXINDEXRK || fs->nilk >= 0)
            {
                int k = NilK(fs);
                if (k <= MAXINDEXRK)
                {
                    e->info = k;
                    e->k = VK;
                    return RKASK(k);
                }
            }
            break;
        case VK:
            if (e->info <= MAXINDEXRK) return RKASK(e->info);
            break;
        default:
            break;
    }
    return luaK_exp2anyreg(fs, e);
}

void luaK_storevar(FuncState* fs, expdesc* var, expdesc* ex)
{
    switch (var->k)
    {
        case VLOCAL:
            FreeExp(fs, ex);
            Exp2Reg(fs, ex, var->info);
            return;
        case VUPVAL:
        {
            int e = luaK_exp2anyreg(fs, ex);
            luaK_codeABC(fs, OP_SETUPVAL, e, var->info, 0);
            break;
        }
        case VGLOBAL:
        {
            int e = luaK_exp2anyreg(fs, ex);
            luaK_codeABx(fs, OP_SETGLOBAL, e, var->info);
            break;
        }
        case VINDEXED:
        {
            int e = luaK_exp2RK(fs, ex);
            luaK_codeABC(fs, OP_SETTABLE, var->info, var->aux, e);
            break;
        }
        default:
            break;  // the parser never stores into anything else
    }
    FreeExp(fs, ex);
}

void luaK_self(FuncState* fs, expdesc* e, expdesc* key)
{
    luaK_exp2anyreg(fs, e);
    FreeExp(fs, e);
    int func = fs->freereg;
    luaK_reserveregs(fs, 2);
    luaK_codeABC(fs, OP_SELF, func, e->info, luaK_exp2RK(fs, key));
    FreeExp(fs, key);
    e->info = func;
    e->k = VNONRELOC;
}

void luaK_indexed(FuncState* fs, expdesc* t, expdesc* k)
{
    t->aux = luaK_exp2RK(fs, k);
    t->k = VINDEXED;
}

void luaK_goiftrue(FuncState* fs, expdesc* e)
{
    int pc;
    luaK_dischargevars(fs, e);
    switch (e->k)
    {
        case VK:
        case VTRUE:
            pc = NO_JUMP;  // always true: nothing to test
            break;
        case VFALSE:
            pc = luaK_jump(fs);  // always false: always leave
            break;
        case VJMP:
            InvertJump(fs, e);
            pc = e->info;
            break;
        default:
            pc = JumpOnCond(fs, e, 0);
            break;
    }
    luaK_concat(fs, &e->f, pc);
    luaK_patchtohere(fs, e->t);
    e->t = NO_JUMP;
}

void luaK_goiffalse(FuncState* fs, expdesc* e)
{
    int pc;
    luaK_dischargevars(fs, e);
    switch (e->k)
    {
        case VNIL:
        case VFALSE:
            pc = NO_JUMP;
            break;
        case VTRUE:
            pc = luaK_jump(fs);
            break;
        case VJMP:
            pc = e->info;
            break;
        default:
            pc = JumpOnCond(fs, e, 1);
            break;
    }
    luaK_concat(fs, &e->t, pc);
    luaK_patchtohere(fs, e->f);
    e->f = NO_JUMP;
}

void luaK_prefix(FuncState* fs, UnOpr op, expdesc* e)
{
    if (op == OPR_MINUS)
    {
        luaK_exp2val(fs, e);
        // The one compile-time fold: a negated numeric constant.
        if (e->k == VK && fs->f->k[e->info].type == LUA_TNUMBER)
        {
            e->info = luaK_numberK(fs, -fs->f->k[e->info].n);
        }
        else
        {
            luaK_exp2anyreg(fs, e);
            FreeExp(fs, e);
            e->info = luaK_codeABC(fs, OP_UNM, 0, e->info, 0);
            e->k = VRELOCABLE;
        }
    }
    else
    {
        CodeNot(fs, e);
    }
}

void luaK_infix(FuncState* fs, BinOpr op, expdesc* v)
{
    switch (op)
    {
        case OPR_AND:
            luaK_goiftrue(fs, v);
            break;
        case OPR_OR:
            luaK_goiffalse(fs, v);
            break;
        case OPR_CONCAT:
            luaK_exp2nextreg(fs, v);  // operands must sit in consecutive registers
            break;
        default:
            luaK_exp2RK(fs, v);
            break;
    }
}

void luaK_posfix(FuncState* fs, BinOpr op, expdesc* e1, expdesc* e2)
{
    switch (op)
    {
        case OPR_AND:
            // The left operand's exits when false become the whole expression's.
            luaK_dischargevars(fs, e2);
            luaK_concat(fs, &e2->f, e1->f);
            *e1 = *e2;
            break;
        case OPR_OR:
            luaK_dischargevars(fs, e2);
            luaK_concat(fs, &e2->t, e1->t);
            *e1 = *e2;
            break;
        case OPR_CONCAT:
            luaK_exp2val(fs, e2);
            if (e2->k == VRELOCABLE && GET_OPCODE(getcode(fs, e2)) == OP_CONCAT)
            {
                // a .. (b .. c): widen the right-hand CONCAT down to a's register.
                FreeExp(fs, e1);
                SETARG_B(getcode(fs, e2), e1->info);
                e1->k = e2->k;
                e1->info = e2->info;
            }
            else
            {
                luaK_exp2nextreg(fs, e2);
                FreeExp(fs, e2);
                FreeExp(fs, e1);
                e1->info = luaK_codeABC(fs, OP_CONCAT, 0, e1->info, e2->info);
                e1->k = VRELOCABLE;
            }
            break;
        default:
        {
            int o1 = luaK_exp2RK(fs, e1);
            int o2 = luaK_exp2RK(fs, e2);
            FreeExp(fs, e2);
            FreeExp(fs, e1);
            CodeBinop(fs, e1, op, o1, o2);
            break;
        }
    }
}

// ---------------------------------------------------------------------------
// Listing

namespace
{

void Disassemble(const CompiledProto& f, bool nested, std::string& out, const std::string& prefix)
{
    char buf[96];
    for (size_t pc = 0; pc < f.code.size(); pc++)
    {
        std::snprintf(buf, sizeof buf, "%s[%zu] %d ", prefix.c_str(), pc,
                      pc < f.lineinfo.size() ? f.lineinfo[pc] : 0);
        out += buf;
        out += luaP_format(f.code[pc]);
        out += '\n';
    }
    if (!nested) return;
    for (size_t i = 0; i < f.p.size(); i++)
    {
        out += prefix + "function " + std::to_string(i) + ":\n";
        Disassemble(*f.p[i], true, out, prefix + "  ");
    }
}

}  // namespace

std::string DisassembleProto(const CompiledProto& f, bool nested)
{
    std::string out;
    Disassemble(f, nested, out, "");
    return out;
}
