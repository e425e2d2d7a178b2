// Tables: an array part for the integer keys 1..n and a hash part of chained
// nodes with main positions; rehash chooses the array size over powers of two.
//
// Getters never fail (absent keys give &kNilObject). Setters return the slot to
// write and raise "table index is nil", "table index is NaN", "table overflow"
// or the memory error; they never return NULL.
#pragma once

#include "script/lang/object.h"

// Largest array index and largest hash part: 2^24.
#define MAXABITS 24
#define MAXBITS 24

// narray: array slots; lnhash: log2 of the hash size (clamped to limits).
// The new table's metatable is the per-type table of tables.
Table* TableNew(lua_State* L, int narray, int lnhash);
void TableFree(lua_State* L, Table* t);

const TValue* TableGet(Table* t, const TValue* key);
const TValue* TableGetNum(Table* t, int key);
// String or wide string key (matched by tag and identity).
const TValue* TableGetStr(Table* t, LString* key);

// TableGetStr with the key's main position checked inline, where a field
// read usually ends; the rest of the chain from next on.
const TValue* TableGetStrChain(Node* next, LString* key);
inline const TValue* TableGetStrFast(Table* t, LString* key)
{
    Node* n = &t->node[key->hash & static_cast<lu_hash>(t->SizeNode() - 1)];
    if (n->key.value.gc == key && n->key.tt == key->tt) return &n->val;
    return TableGetStrChain(n->Next(), key);
}

// A number key's entry in the hash part (keys in the array part are never
// there).
const TValue* TableGetNumHash(Table* t, lua_Number key);

// TableGet with the common cases inlined for the interpreter and the API: a
// string's main position, and a number in the array part. A number outside
// it goes straight to the hash part; a table with at most one node keeps it
// at the main position of every number, so an empty table (a queue tested
// for a first entry) answers here.
inline const TValue* TableGetFast(Table* t, const TValue* key)
{
    if (key->IsString()) return TableGetStrFast(t, key->Str());
    if (key->IsNumber())
    {
        lua_Number n = key->Num();
        // An empty array part (a queue, a record) needs no float compares.
        if (t->sizearray > 0 && n >= 1 && n <= t->sizearray)
        {
            int k = static_cast<int>(n);
            if (static_cast<lua_Number>(k) == n) return &t->array[k - 1];
        }
        if (t->lsizenode == 0)
        {
            const Node* only = t->node;
            if (only->key.IsNumber() && only->key.Num() == n) return &only->val;
            return &kNilObject;
        }
        return TableGetNumHash(t, n);
    }
    return TableGet(t, key);
}

TValue* TableSet(lua_State* L, Table* t, const TValue* key);
TValue* TableSetNum(lua_State* L, Table* t, int key);
TValue* TableSetStr(lua_State* L, Table* t, LString* key);
// TableSet for a key a lookup has just found absent.
TValue* TableNewKey(lua_State* L, Table* t, const TValue* key);

// Traversal: key points at a stack slot holding the previous key (nil to
// start); on success the slot gets the next key and key + 1 its value and 1 is
// returned; 0 at the end. An unknown key raises "invalid key for `next'".
int TableNext(lua_State* L, Table* t, StkId key);

// The node where key would be placed first.
Node* TableMainPosition(const Table* t, const TValue* key);
