// The collector: stop-the-world mark and sweep, with weak tables, userdata
// finalisers ("__gc") run after the sweep, and the per-type slots as roots.
// Owned references are freed in the sweep that finds them unreached; their
// release hook runs after it, before the finalisers, and ignores "__gc".
//
// Finaliser errors propagate like any script error (lua_close repeats until
// the handlers finish without error).
#pragma once

#include "script/lang/object.h"

// Collector flag bits in GCObject::marked.
#define GC_MARKED 1
#define GC_FIXED 2       // never collected (event names, reserved words)
#define GC_FINALIZED 4   // userdata whose __gc handler ran or is queued
#define GC_WEAKKEY 8     // table with weak keys
#define GC_WEAKVALUE 16  // table with weak values

// Links a new object into the collector's list.
void GCLink(lua_State* L, GCObject* o, lu_byte tt);
// Runs a collection when the bytes in use reached the threshold.
void GCCheck(lua_State* L);
// A full collection; all frees everything but fixed objects (closing).
void GCCollect(lua_State* L, int all);
// Runs every pending __gc handler (closing: every userdata's).
void GCCallGCTM(lua_State* L);
void GCSeparateAllUdata(lua_State* L);
// Closing: hands what every owned reference holds to the release hook.
void GCReleaseAllOwnedRefs(lua_State* L);
// Test switch: with on set, every check runs a full collection, so objects
// that are not anchored where they should be are freed at once.
void GCSetStress(lua_State* L, int on);
// Frees every object (closing).
void GCFreeAll(lua_State* L);
