// verify.cpp - the bytecode checker: function header limits, then every
// instruction's opcode, registers, constants, upvalues, prototypes, jump
// targets and the register use of the "up to the top" operands.
//
// What the virtual machine relies on, and so what is checked here:
// - Registers: every register an instruction reads or writes lies below
//   maxstacksize (the frame the call made room for).
// - Control: the code ends in RETURN; every jump, every skip of a test or of
//   LOADBOOL lands on an instruction, never on the pseudo-instructions that
//   follow a CLOSURE (those are only read by the CLOSURE itself); every test
//   (EQ, LT, LE, TEST, TFORLOOP) is followed by a JMP.
// - The stack top: between instructions it is the frame's top, except right
//   after an open call (CALL with C = 0, or TAILCALL), which leaves it past
//   the call's results. The next instruction must then consume it: a CALL or
//   TAILCALL with B = 0 whose function lies below the open call's register,
//   a RETURN with B = 0 from at most that register, or a SETLISTO whose
//   table lies below it. Every count then stays non-negative.
#include "script/lang/verify.h"

#include <vector>

#include "script/lang/lua.h"
#include "script/lang/object.h"
#include "script/lang/opcodes.h"

namespace
{

constexpr int kMaxUpvalues = 32;

class Checker
{
public:
    explicit Checker(const Proto* f) : f_(f), maxstack_(f->maxstacksize) {}

    bool Run()
    {
        if (!Header()) return false;
        if (!MarkPseudo()) return false;
        for (int pc = 0; pc < f_->sizecode; pc++)
        {
            if (pseudo_[static_cast<size_t>(pc)]) continue;
            if (!Instr(pc)) return false;
        }
        return true;
    }

private:
    bool Header() const
    {
        if (f_->maxstacksize > MAXSTACK) return false;
        if (f_->is_vararg > 1) return false;
        if (f_->numparams + f_->is_vararg > f_->maxstacksize) return false;
        if (f_->nups > kMaxUpvalues) return false;
        if (f_->sizeupvalues != 0 && f_->sizeupvalues != f_->nups) return false;
        if (f_->sizecode < 1) return false;
        if (f_->sizelineinfo != 0 && f_->sizelineinfo != f_->sizecode) return false;
        if (GET_OPCODE(f_->code[f_->sizecode - 1]) != OP_RETURN) return false;
        for (int i = 0; i < f_->sizep; i++)
            if (f_->p[i] == nullptr) return false;
        return true;
    }

    // Marks the upvalue pseudo-instructions after each CLOSURE, checking them.
    bool MarkPseudo()
    {
        pseudo_.assign(static_cast<size_t>(f_->sizecode), false);
        for (int pc = 0; pc < f_->sizecode; pc++)
        {
            Instruction i = f_->code[pc];
            if (GET_OPCODE(i) != OP_CLOSURE) continue;
            int bx = GETARG_Bx(i);
            if (bx >= f_->sizep) return false;
            int nup = f_->p[bx]->nups;
            // The pseudo-instructions come before the final RETURN.
            if (nup > f_->sizecode - 2 - pc) return false;
            for (int j = 1; j <= nup; j++)
            {
                Instruction u = f_->code[pc + j];
                if (GET_OPCODE(u) == OP_GETUPVAL)
                {
                    if (GETARG_B(u) >= f_->nups) return false;
                }
                else if (GET_OPCODE(u) == OP_MOVE)
                {
                    if (!Reg(GETARG_B(u))) return false;
                }
                else
                {
                    return false;
                }
                pseudo_[static_cast<size_t>(pc + j)] = true;
            }
            pc += nup;
        }
        return true;
    }

    bool Reg(int r) const { return r >= 0 && r < maxstack_; }
    bool RK(int x) const { return ISK(x) ? INDEXK(x) < f_->sizek : Reg(x); }
    bool Target(int pc) const
    {
        return pc >= 0 && pc < f_->sizecode && !pseudo_[static_cast<size_t>(pc)];
    }

    // The instruction after an open call at pc with register a.
    bool OpenConsumer(int pc, int a, bool tailcall) const
    {
        Instruction n = f_->code[pc + 1];
        int na = GETARG_A(n);
        switch (GET_OPCODE(n))
        {
            case OP_CALL:
            case OP_TAILCALL:
                return !tailcall && GETARG_B(n) == 0 && na < a;
            case OP_RETURN:
                return GETARG_B(n) == 0 && na <= a;
            case OP_SETLISTO:
                return !tailcall && na < a;
            default:
                return false;
        }
    }

    bool Instr(int pc) const
    {
        Instruction i = f_->code[pc];
        int opn = static_cast<int>(GET_OPCODE(i));
        if (opn >= NUM_OPCODES) return false;
        OpCode op = static_cast<OpCode>(opn);
        int a = GETARG_A(i), b = GETARG_B(i), c = GETARG_C(i);
        switch (getOpMode(op))
        {
            case iABC:
                if (testOpMode(op, OpModeBreg) && !Reg(b)) return false;
                if (testOpMode(op, OpModeBrk) && !RK(b)) return false;
                if (testOpMode(op, OpModeCrk) && !RK(c)) return false;
                break;
            case iABx:
                if (testOpMode(op, OpModeK) && GETARG_Bx(i) >= f_->sizek) return false;
                break;
            case iAsBx:
                if (!Target(pc + 1 + GETARG_sBx(i))) return false;
                break;
        }
        if (testOpMode(op, OpModesetA) && !Reg(a)) return false;
        if (testOpMode(op, OpModeT))
        {
            // pc + 1 exists: the last instruction is a RETURN, not a test.
            Instruction j = f_->code[pc + 1];
            if (GET_OPCODE(j) != OP_JMP || !Target(pc + 1) || !Target(pc + 2)) return false;
            if (!Target(pc + 2 + GETARG_sBx(j))) return false;
        }
        switch (op)
        {
            case OP_LOADBOOL:
                if (c != 0 && !Target(pc + 2)) return false;
                break;
            case OP_LOADNIL:
                if (!Reg(b) || a > b) return false;
                break;
            case OP_GETUPVAL:
            case OP_SETUPVAL:
                if (b >= f_->nups || !Reg(a)) return false;
                break;
            case OP_GETGLOBAL:
            case OP_SETGLOBAL:
                if (!f_->k[GETARG_Bx(i)].IsString() || !Reg(a)) return false;
                break;
            case OP_SETTABLE:
                if (!Reg(a)) return false;
                break;
            case OP_SELF:
                if (!Reg(a + 1)) return false;
                break;
            case OP_CONCAT:
                // C names a register too (the mode byte marks it as RK).
                if (!Reg(c) || b >= c) return false;
                break;
            case OP_TEST:
                if (!Reg(a) || !Reg(b)) return false;
                break;
            case OP_CALL:
                if (!Reg(a) || (b != 0 && a + b > maxstack_)) return false;
                if (c != 0 && a + c - 1 > maxstack_) return false;
                if (c == 0 && !OpenConsumer(pc, a, false)) return false;
                break;
            case OP_TAILCALL:
                if (!Reg(a) || (b != 0 && a + b > maxstack_)) return false;
                if (!OpenConsumer(pc, a, true)) return false;
                break;
            case OP_RETURN:
                if (b != 0 ? a + b - 1 > maxstack_ : a > maxstack_) return false;
                break;
            case OP_FORLOOP:
                if (!Reg(a + 2)) return false;
                break;
            case OP_TFORLOOP:
                // The generator is called from three registers above the variables.
                if (a + c + 6 > maxstack_) return false;
                break;
            case OP_TFORPREP:
                if (!Reg(a + 1)) return false;
                break;
            case OP_SETLIST:
                if (!Reg(a + (GETARG_Bx(i) & (LFIELDS_PER_FLUSH - 1)) + 1)) return false;
                break;
            case OP_SETLISTO:
            case OP_CLOSE:
                if (!Reg(a)) return false;
                break;
            default:
                break;  // CLOSURE: checked with its pseudo-instructions; A is setA
        }
        return true;
    }

    const Proto* f_;
    int maxstack_;
    std::vector<bool> pseudo_;
};

}  // namespace

bool VerifyCode(const Proto* f)
{
    return Checker(f).Run();
}
