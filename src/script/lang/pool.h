// The default allocation function's block store. Script objects
// are mostly small (strings, tables with their inline nodes, closures,
// upvalues) and are made and freed in large numbers; taking them from
// per-size free lists over 2 MB regions that the kernel may back with huge
// pages saves the general allocator's header per block and most of the page
// faults of touching fresh memory. Larger blocks go to the C runtime; freed
// ones of 1 KB to 4 MB whose size is a power of two (the node vectors and
// array parts of tables, which double) are kept, 16 MB at most per thread,
// for the next request of the same size, so a table growing again reuses
// memory instead of faulting in pages the runtime gave back to the system.
// Blocks above 4 MB are mappings of their own that ask for huge pages.
//
// Every call must name the block's current size exactly (as the script core
// does): the size picks the free list a block returns to. Small-block memory
// is never given back to the system; a closed state's blocks serve the next
// one.
// Lists are per thread; a block may be freed on another thread than the one
// that made it.
//
// Failure: a null result for a non-zero new size, the old block left intact.
#pragma once

#include <cstddef>

// Blocks of up to this many bytes come from the pool.
constexpr size_t kPoolMaxBlock = 512;

// The allocation function's contract: a new size of 0 frees the block (null
// result); otherwise the block, resized, moved or new, keeping the first
// min(old size, new size) bytes.
void* PoolRealloc(void* block, size_t oldsize, size_t newsize);

// What the default allocation function runs: PoolRealloc, except under the
// address checker, where blocks come from the checker's own heap (which sees
// every overrun) and each call's old size is checked against the block's.
void* ScriptDefaultRealloc(void* block, size_t oldsize, size_t newsize);

// Takes a block of 1..kPoolMaxBlock bytes from the pool, and gives it back.
void* PoolTake(size_t size);
void PoolGive(void* block, size_t size);
