// Small blocks for objects made and freed at a high rate (messages, string
// bodies): each thread keeps the blocks it frees on a free list per 16-byte
// size class and hands them out again, so the steady state of making and
// deleting such objects never reaches the general allocator.
//
// Every block is an allocation of its own from the global operator new, of
// its class's full size, so any thread may free any block: a block freed on
// another thread than the one that made it goes to the freeing thread's
// lists. A list holds at most 64 KB of blocks; beyond that, and once the
// thread's lists are gone at its exit, freed blocks go straight back to the
// general allocator. Nothing is lost and no block is on two lists.
//
// Under the address checker SmallBlockTake and SmallBlockGive use the
// checker's own heap, which keeps finding use after free and overruns, and
// check each free against the size the block was made with.
//
// Failure: like operator new (std::bad_alloc when memory runs out).
#pragma once

#include <cstddef>
#include <cstdint>

// Blocks of up to this many bytes are kept; larger ones pass through.
constexpr size_t kSmallBlockMax = 128;

// A block of at least size bytes, aligned for any fundamental type.
void* SmallBlockTake(size_t size);
// Gives back a block from SmallBlockTake; size must be the size it was
// taken with (it picks the list). Null does nothing.
void SmallBlockGive(void* block, size_t size) noexcept;

// Blocks on the calling thread's lists.
size_t SmallBlocksKept();

// One thread's free lists (the functions above use the calling thread's;
// tests may make their own). Constant-initialised and trivially
// destructible; Release gives every kept block back. Under the address
// checker a kept block is poisoned until it is taken again.
class TSmallBlockLists
{
public:
    static constexpr size_t kGrain = 16;
    static constexpr size_t kClasses = kSmallBlockMax / kGrain;
    static constexpr size_t kClassBytes = 64 * 1024;

    constexpr TSmallBlockLists() = default;

    // A block of the class of size (1..kSmallBlockMax): a kept one, else a
    // new one.
    void* Take(size_t size);
    // Keeps the block when its list has room, else frees it.
    void Give(void* block, size_t size) noexcept;
    // Frees every kept block.
    void Release() noexcept;
    size_t Kept() const;

    static constexpr size_t ClassOf(size_t size) { return size == 0 ? 0 : (size - 1) / kGrain; }
    static constexpr size_t ClassSize(size_t c) { return (c + 1) * kGrain; }
    static constexpr size_t ClassCap(size_t c) { return kClassBytes / ClassSize(c); }

private:
    struct FreeBlock
    {
        FreeBlock* next;
    };
    FreeBlock* free_[kClasses] = {};
    uint32_t count_[kClasses] = {};
};

// A base that makes a class hierarchy allocate through the small blocks.
// The hierarchy needs a virtual destructor: the sized delete then gets the
// size of the object's own class, so subclasses of any size share it.
struct TSmallBlockAllocated
{
    static void* operator new(size_t size) { return SmallBlockTake(size); }
    static void operator delete(void* block, size_t size) noexcept { SmallBlockGive(block, size); }
};
