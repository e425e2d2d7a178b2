// opcodes.cpp - names and mode bytes of the 39 operations, the size-byte
// encoding of NEWTABLE, and a one-line instruction formatter for listings.
#include "script/lang/opcodes.h"

#include <cstdio>

const char* const luaP_opnames[NUM_OPCODES] = {
    "MOVE",     "LOADK",    "LOADBOOL", "LOADNIL", "GETUPVAL", "GETGLOBAL", "GETTABLE", "SETGLOBAL",
    "SETUPVAL", "SETTABLE", "NEWTABLE", "SELF",    "ADD",      "SUB",       "MUL",      "DIV",
    "BAND",     "BOR",      "SHL",      "SHR",     "POW",      "UNM",       "NOT",      "CONCAT",
    "JMP",      "EQ",       "LT",       "LE",      "TEST",     "CALL",      "TAILCALL", "RETURN",
    "FORLOOP",  "TFORLOOP", "TFORPREP", "SETLIST", "SETLISTO", "CLOSE",     "CLOSURE",
};

const uint8_t luaP_opmodes[NUM_OPCODES] = {
    0x24,  // MOVE
    0x61,  // LOADK
    0x20,  // LOADBOOL
    0x24,  // LOADNIL
    0x20,  // GETUPVAL
    0x61,  // GETGLOBAL
    0x34,  // GETTABLE
    0x41,  // SETGLOBAL
    0x00,  // SETUPVAL
    0x18,  // SETTABLE
    0x20,  // NEWTABLE
    0x34,  // SELF
    0x38,  // ADD
    0x38,  // SUB
    0x38,  // MUL
    0x38,  // DIV
    0x38,  // BAND
    0x38,  // BOR
    0x38,  // SHL
    0x38,  // SHR
    0x38,  // POW
    0x24,  // UNM
    0x24,  // NOT
    0x34,  // CONCAT
    0x02,  // JMP
    0x98,  // EQ
    0x98,  // LT
    0x98,  // LE
    0xa4,  // TEST
    0x00,  // CALL
    0x00,  // TAILCALL
    0x00,  // RETURN
    0x02,  // FORLOOP
    0x80,  // TFORLOOP
    0x02,  // TFORPREP
    0x01,  // SETLIST
    0x01,  // SETLISTO
    0x00,  // CLOSE
    0x21,  // CLOSURE
};

int luaP_int2fb(unsigned int x)
{
    int e = 0;
    // Round up while shifting so the decoded size never falls below x.
    while (x >= 8)
    {
        x = (x + 1) >> 1;
        e++;
    }
    return (e << 3) | int(x);
}

int luaP_log2(unsigned int x)
{
    int l = 0;
    while (x > 1)
    {
        x >>= 1;
        l++;
    }
    return l;
}

std::string luaP_format(Instruction i)
{
    OpCode op = GET_OPCODE(i);
    char buf[64];
    if (int(op) >= NUM_OPCODES)
    {
        std::snprintf(buf, sizeof buf, "OP%d", int(op));
        return buf;
    }
    const char* name = luaP_opnames[op];
    switch (getOpMode(op))
    {
        case iABC:
            std::snprintf(buf, sizeof buf, "%s %d %d %d", name, GETARG_A(i), GETARG_B(i),
                          GETARG_C(i));
            break;
        case iABx:
            std::snprintf(buf, sizeof buf, "%s %d %d", name, GETARG_A(i), GETARG_Bx(i));
            break;
        default:
            std::snprintf(buf, sizeof buf, "%s %d %d", name, GETARG_A(i), GETARG_sBx(i));
            break;
    }
    return buf;
}
