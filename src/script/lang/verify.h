// verify.h - the bytecode checker applied to every function read from a
// precompiled chunk, so that code the virtual machine runs never reaches a
// register, constant, upvalue, prototype or instruction outside its function.
//
// The virtual machine trusts its code (see opcodes.h for the conventions);
// this checker is what makes that trust safe for bytes from a file.
#pragma once

struct Proto;

// True when f's own header and code are well formed. Nested prototypes are
// not visited (each is checked when it is read); their upvalue counts are
// used for the CLOSURE instructions of f. Never fails otherwise.
bool VerifyCode(const Proto* f);
