// opcodes.h - the instruction set of compiled script functions: field layout,
// the 39 operations with their mode bytes, and the conventions the compiler
// follows and the virtual machine relies on.
//
// Nothing here fails: the encoders take operands already checked against the
// MAXARG_* limits (the code generator raises the limit errors itself).
#pragma once

#include <cstdint>
#include <string>

typedef uint32_t Instruction;

// ---------------------------------------------------------------------------
// Field layout (from the least significant bit)
//
//   OP 0-5 (6 bits) | C 6-14 (9) | B 15-23 (9) | A 24-31 (8)
//   Bx = B and C joined, bits 6-23 (18 bits), 0..262143
//   sBx = Bx - MAXARG_sBx, -131071..131072
// ---------------------------------------------------------------------------
enum : int
{
    SIZE_OP = 6,
    SIZE_C = 9,
    SIZE_B = 9,
    SIZE_Bx = SIZE_C + SIZE_B,
    SIZE_A = 8,

    POS_OP = 0,
    POS_C = POS_OP + SIZE_OP,
    POS_B = POS_C + SIZE_C,
    POS_Bx = POS_C,
    POS_A = POS_B + SIZE_B,

    MAXARG_A = (1 << SIZE_A) - 1,
    MAXARG_B = (1 << SIZE_B) - 1,
    MAXARG_C = (1 << SIZE_C) - 1,
    MAXARG_Bx = (1 << SIZE_Bx) - 1,
    MAXARG_sBx = MAXARG_Bx >> 1,  // 131071
};

// Registers per function; an RK operand of MAXSTACK or more names constant
// (operand - MAXSTACK), so constants 0..MAXINDEXRK are reachable directly.
enum : int
{
    MAXSTACK = 250,
    MAXINDEXRK = MAXARG_B - MAXSTACK,  // 261
    NO_REG = MAXARG_A,                 // "no register" inside the compiler only
    NO_JUMP = -1,                      // end of a jump list
    LFIELDS_PER_FLUSH = 32,            // list items stored per SETLIST
};

inline bool ISK(int x)
{
    return x >= MAXSTACK;
}
inline int INDEXK(int x)
{
    return x - MAXSTACK;
}
inline int RKASK(int k)
{
    return k + MAXSTACK;
}

// ---------------------------------------------------------------------------
// Operations. R(x) register, K(x) constant, RK(x) register or constant,
// U(x) upvalue, Kst(x) constant (a string).
// ---------------------------------------------------------------------------
enum OpCode : int
{
    OP_MOVE = 0,   // A B     R(A) := R(B)
    OP_LOADK,      // A Bx    R(A) := K(Bx)
    OP_LOADBOOL,   // A B C   R(A) := (B != 0); if C then pc++
    OP_LOADNIL,    // A B     R(A) ... R(B) := nil
    OP_GETUPVAL,   // A B     R(A) := U(B)
    OP_GETGLOBAL,  // A Bx    R(A) := globals[K(Bx)]
    OP_GETTABLE,   // A B C   R(A) := R(B)[RK(C)]
    OP_SETGLOBAL,  // A Bx    globals[K(Bx)] := R(A)
    OP_SETUPVAL,   // A B     U(B) := R(A)
    OP_SETTABLE,   // A B C   R(A)[RK(B)] := RK(C)
    OP_NEWTABLE,   // A B C   R(A) := {} (array size fb2int(B), hash log C)
    OP_SELF,       // A B C   R(A+1) := R(B); R(A) := R(B)[RK(C)]
    OP_ADD,        // A B C   R(A) := RK(B) + RK(C)
    OP_SUB,        // A B C   R(A) := RK(B) - RK(C)
    OP_MUL,        // A B C   R(A) := RK(B) * RK(C)
    OP_DIV,        // A B C   R(A) := RK(B) / RK(C)
    OP_BAND,       // A B C   R(A) := RK(B) & RK(C)       (32-bit)
    OP_BOR,        // A B C   R(A) := RK(B) | RK(C)       (32-bit)
    OP_SHL,        // A B C   R(A) := RK(B) << (RK(C) & 31)
    OP_SHR,        // A B C   R(A) := RK(B) >> (RK(C) & 31) (logical)
    OP_POW,        // A B C   R(A) := RK(B) ^ RK(C)  (xor of two numbers,
                   //         else the power path)
    OP_UNM,        // A B     R(A) := -R(B)
    OP_NOT,        // A B     R(A) := not R(B)
    OP_CONCAT,     // A B C   R(A) := R(B) .. ... .. R(C)
    OP_JMP,        // sBx     pc += sBx
    OP_EQ,         // A B C   if ((RK(B) == RK(C)) ~= A) then pc++
    OP_LT,         // A B C   if ((RK(B) <  RK(C)) ~= A) then pc++
    OP_LE,         // A B C   if ((RK(B) <= RK(C)) ~= A) then pc++
    OP_TEST,       // A B C   if (truth(R(B)) == C) then R(A) := R(B) else pc++
    OP_CALL,       // A B C   R(A) ... R(A+C-2) := R(A)(R(A+1) ... R(A+B-1))
    OP_TAILCALL,   // A B C   return R(A)(R(A+1) ... R(A+B-1))
    OP_RETURN,     // A B     return R(A) ... R(A+B-2)
    OP_FORLOOP,    // A sBx   R(A) += R(A+2); if R(A) <?= R(A+1) then pc += sBx
    OP_TFORLOOP,   // A C     R(A+2) ... R(A+2+C) := R(A)(R(A+1), R(A+2));
                   //         if R(A+2) == nil then pc++
    OP_TFORPREP,   // A sBx   if R(A) is a table then R(A+1) := R(A),
                   //         R(A) := globals.next; pc += sBx
    OP_SETLIST,    // A Bx    R(A)[Bx - Bx%32 + i] := R(A+i), 1 <= i <= Bx%32+1
    OP_SETLISTO,   // A Bx    R(A)[Bx - Bx%32 + i] := R(A+i), 1 <= i <= top-A-1
    OP_CLOSE,      // A       close upvalues of R(A) and above
    OP_CLOSURE,    // A Bx    R(A) := closure(prototype Bx, upvalues follow)
};

enum : int
{
    NUM_OPCODES = OP_CLOSURE + 1
};  // 39

// ---------------------------------------------------------------------------
// Conventions (what the compiler emits and the virtual machine executes)
//
// General
// - Jumps are relative to the instruction after the jump: pc += sBx with pc
//   already past the jump. A JMP's A field is 0.
// - Every function's code ends with RETURN 0 1 (return no values), even when
//   an explicit return precedes it.
// - One line number per instruction (Proto line info).
//
// Counts with "0 = up to the stack top"
// - CALL A B C: B-1 arguments in R(A+1)...; B == 0: arguments run from R(A+1)
//   to the current top (set by a preceding open CALL). C-1 results stored
//   from R(A); C == 0: all results are kept and top is set past the last.
// - TAILCALL A B 0: B as for CALL; C is always 0. The compiler always follows
//   it with RETURN A 0 (executed when the tail call could not replace the
//   frame, e.g. a native callee: then the callee's results up to top are
//   returned).
// - RETURN A B: B-1 values from R(A); B == 0: from R(A) to the current top.
// - SETLISTO: the item count runs from R(A+1) to the current top.
// - An open call (CALL with C == 0, and every TAILCALL) is directly followed
//   by the instruction that takes its results: CALL or TAILCALL with B == 0
//   and a lower A, RETURN with B == 0 and an A no higher, or SETLISTO with a
//   lower A. Every other instruction runs with the stack top at the frame's
//   top. The chunk checker (verify.h) refuses code that breaks this.
//
// Tests and conditional jumps
// - EQ, LT, LE and TEST are always followed by a JMP. When the test holds the
//   JMP executes; otherwise it is skipped (pc++).
//   EQ/LT/LE A B C: the JMP is taken when (RK(B) op RK(C)) == A (A is 0 or 1).
//   "a > b" compiles to LT with the operands swapped, "a >= b" to LE swapped,
//   "a ~= b" to EQ with A = 0.
// - TEST A B C: when the truth of R(B) (false and nil are false) equals C,
//   R(A) := R(B) and the JMP executes; otherwise the JMP is skipped. A == B
//   when no copy is wanted (the compiler never leaves NO_REG in A).
// - LOADBOOL A B C: C != 0 skips the next instruction (used for the
//   true/false materialisation of a comparison).
//
// Tables
// - NEWTABLE A B C: B is the "floating-point byte" of the array size:
//   luaP_fb2int(B) = (B & 7) << (B >> 3); 0 means no array part.
//   C is 0 for an empty hash part, otherwise floor(log2(hash size)) + 1:
//   the table is made with a hash part of 2^C nodes, which always holds the
//   record items the constructor asked for.
// - SETLIST A Bx / SETLISTO A Bx: the table is R(A), the items R(A+1)... .
//   Bx is the number of list items of the constructor up to and including
//   the last item of this flush, minus 1 (an open last item - a call -
//   counts as one). So the items are stored at indices
//   (Bx - Bx%32) + 1, (Bx - Bx%32) + 2, ...; for SETLIST there are
//   Bx%32 + 1 of them, for SETLISTO as many as reach the top.
//   A flush happens every 32 list items and at the end of the constructor.
//
// Loops
// - Numeric for, registers R(A) index, R(A+1) limit, R(A+2) step (the
//   visible loop variable is R(A) itself):
//       <init into R(A)> <limit into R(A+1)> <step into R(A+2), LOADK 1 if
//       absent>
//       SUB   A A A+2          ; pre-decrement so the first FORLOOP lands on init
//       JMP   -> FORLOOP
//     body:
//       ...
//       FORLOOP A -> body      ; R(A) += step; if still in range: jump back
//   FORLOOP: checks "`for' initial value must be a number" (R(A)), then limit
//   and step (which may be strings that convert); idx = R(A) + step; when
//   (step > 0 ? idx <= limit : idx >= limit) it stores idx in R(A) and jumps;
//   otherwise it falls through leaving R(A) unchanged.
// - Generic for, registers R(A) generator, R(A+1) state, R(A+2) control and
//   first visible variable, R(A+3)... the other visible variables:
//       <explist adjusted to 2 + (number of visible variables) values
//        into R(A)...; the variables beyond the control one start nil>
//       TFORPREP A -> TFORLOOP
//     body:
//       ...
//       TFORLOOP A C           ; C = number of visible variables - 1
//       JMP -> body
//   TFORLOOP calls R(A)(R(A+1), R(A+2)) with C+1 results into R(A+2)...;
//   when R(A+2) is then nil it skips the JMP (leaving the loop). The frame
//   keeps 3 free registers above the loop's set-up values, so the call may
//   be laid out above the visible variables.
// - while: the condition is compiled after the body ("relocated"):
//       JMP -> cond
//     body: ... ; cond: <condition, jumping to body while true>
// - break/continue: an optional CLOSE precedes the JMP. continue jumps to
//   the condition (while), the `until' condition (repeat), the FORLOOP
//   (numeric for) or the TFORLOOP (generic for).
//
// Closures
// - CLOSURE A Bx is followed by one pseudo-instruction per upvalue of
//   prototype Bx, in upvalue order, which the VM consumes (skips) while
//   building the closure:
//       MOVE    0 B 0   the upvalue is the enclosing function's local R(B)
//       GETUPVAL 0 B 0  the upvalue is the enclosing function's upvalue B
//
// Functions
// - Parameters occupy R(0)...R(numparams-1). A vararg function has its extra
//   arguments collected by the VM into a table with field "n", stored in
//   R(numparams) as the local named "arg" (not counted in numparams).
// - The main chunk is vararg with no parameters and no "arg" local.
// - A prototype's maxstacksize is at least 2.
// ---------------------------------------------------------------------------

// Instruction field access.
inline OpCode GET_OPCODE(Instruction i)
{
    return OpCode((i >> POS_OP) & ((1u << SIZE_OP) - 1));
}
inline int GETARG_A(Instruction i)
{
    return int((i >> POS_A) & ((1u << SIZE_A) - 1));
}
inline int GETARG_B(Instruction i)
{
    return int((i >> POS_B) & ((1u << SIZE_B) - 1));
}
inline int GETARG_C(Instruction i)
{
    return int((i >> POS_C) & ((1u << SIZE_C) - 1));
}
inline int GETARG_Bx(Instruction i)
{
    return int((i >> POS_Bx) & ((1u << SIZE_Bx) - 1));
}
inline int GETARG_sBx(Instruction i)
{
    return GETARG_Bx(i) - MAXARG_sBx;
}

inline Instruction SetField(Instruction i, int v, int pos, int size)
{
    Instruction mask = ((1u << size) - 1) << pos;
    return (i & ~mask) | ((Instruction(v) << pos) & mask);
}
inline void SET_OPCODE(Instruction& i, OpCode o)
{
    i = SetField(i, o, POS_OP, SIZE_OP);
}
inline void SETARG_A(Instruction& i, int v)
{
    i = SetField(i, v, POS_A, SIZE_A);
}
inline void SETARG_B(Instruction& i, int v)
{
    i = SetField(i, v, POS_B, SIZE_B);
}
inline void SETARG_C(Instruction& i, int v)
{
    i = SetField(i, v, POS_C, SIZE_C);
}
inline void SETARG_Bx(Instruction& i, int v)
{
    i = SetField(i, v, POS_Bx, SIZE_Bx);
}
inline void SETARG_sBx(Instruction& i, int v)
{
    SETARG_Bx(i, v + MAXARG_sBx);
}

inline Instruction CREATE_ABC(OpCode o, int a, int b, int c)
{
    return (Instruction(o) << POS_OP) | (Instruction(a) << POS_A) | (Instruction(b) << POS_B) |
           (Instruction(c) << POS_C);
}
inline Instruction CREATE_ABx(OpCode o, int a, int bx)
{
    return (Instruction(o) << POS_OP) | (Instruction(a) << POS_A) | (Instruction(bx) << POS_Bx);
}
inline Instruction CREATE_AsBx(OpCode o, int a, int sbx)
{
    return CREATE_ABx(o, a, sbx + MAXARG_sBx);
}

// ---------------------------------------------------------------------------
// Mode bytes: shared by the code generator and the bytecode checker.
//   bits 0-1 operand format, bit 2 B is a register, bit 3 B is RK,
//   bit 4 C is RK, bit 5 sets R(A), bit 6 Bx is a constant, bit 7 test.
// ---------------------------------------------------------------------------
enum OpMode : int
{
    iABC = 0,
    iABx = 1,
    iAsBx = 2
};

enum : int
{
    OpModeBreg = 2,
    OpModeBrk = 3,
    OpModeCrk = 4,
    OpModesetA = 5,
    OpModeK = 6,
    OpModeT = 7,
};

extern const uint8_t luaP_opmodes[NUM_OPCODES];
extern const char* const luaP_opnames[NUM_OPCODES];

inline OpMode getOpMode(OpCode m)
{
    return OpMode(luaP_opmodes[m] & 3);
}
inline bool testOpMode(OpCode m, int bit)
{
    return (luaP_opmodes[m] & (1u << bit)) != 0;
}

// The "floating-point byte" of NEWTABLE's B: eeeeexxx is xxx * 2^eeeee,
// rounding the encoded size up. Sizes far beyond any table still encode.
int luaP_int2fb(unsigned int x);
inline unsigned int luaP_fb2int(int x)
{
    return unsigned(x & 7) << ((x >> 3) & 31);
}

// Floor of log2(x) for x >= 1 (0 for 0).
int luaP_log2(unsigned int x);

// Human-readable listing of one instruction ("ADD 1 250 2"), for tests and
// debugging tools. Returns the text; never fails.
std::string luaP_format(Instruction i);
