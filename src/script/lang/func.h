// Function prototypes, closures and upvalues.
//
// Allocation failures raise the memory error (status 4) and never return.
#pragma once

#include "script/lang/object.h"

Proto* ProtoNew(lua_State* L);
void ProtoFree(lua_State* L, Proto* f);

// A native closure with nupvalues upvalues (nil-initialised).
CClosure* CClosureNew(lua_State* L, lua_CFunction f, int nupvalues);
// A script closure of p with nupvalues upvalue slots (null) and env as globals.
LClosure* LClosureNew(lua_State* L, Proto* p, int nupvalues, const TValue* env);
void ClosureFree(lua_State* L, Closure* c);

// The open upvalue of stack slot level (made when missing).
UpVal* FindUpval(lua_State* L, StkId level);
// Closes every open upvalue at level or above.
void CloseUpvals(lua_State* L, StkId level);
void UpvalFree(lua_State* L, UpVal* u);

// Name of the local_number-th (1-based) local active at pc, or NULL.
const char* GetLocalName(const Proto* f, int local_number, int pc);
