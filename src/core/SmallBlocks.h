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

#if defined(__SANITIZE_ADDRESS__)
#define SMALL_BLOCKS_UNDER_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define SMALL_BLOCKS_UNDER_ASAN 1
#endif
#endif

#ifdef SMALL_BLOCKS_UNDER_ASAN
#include <sanitizer/asan_interface.h>
#endif

// Blocks of up to this many bytes are kept; larger ones pass through.
constexpr size_t kSmallBlockMax = 128;

// A block of at least size bytes, aligned for any fundamental type.
inline void* SmallBlockTake(size_t size);
// Gives back a block from SmallBlockTake; size must be the size it was
// taken with (it picks the list). Null does nothing.
inline void SmallBlockGive(void* block, size_t size) noexcept;

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

    // A kept block of class c, or null. Inline for the thread functions.
    void* TakeKept(size_t c)
    {
        FreeBlock* b = free_[c];
        if (b == nullptr) return nullptr;
#ifdef SMALL_BLOCKS_UNDER_ASAN
        ASAN_UNPOISON_MEMORY_REGION(b, ClassSize(c));
#endif
        free_[c] = b->next;
        --count_[c];
        return b;
    }
    // Keeps block in class c; false when that list is full.
    bool KeepInList(void* block, size_t c)
    {
        if (IsFull(c)) return false;
        auto* b = static_cast<FreeBlock*>(block);
        b->next = free_[c];
        free_[c] = b;
        ++count_[c];
#ifdef SMALL_BLOCKS_UNDER_ASAN
        ASAN_POISON_MEMORY_REGION(b, ClassSize(c));
#endif
        return true;
    }

private:
    struct FreeBlock
    {
        FreeBlock* next;
    };
    // count_ >= ClassCap(c), without dividing on every give.
    bool IsFull(size_t c) const
    {
        return (count_[c] + size_t{1}) * ClassSize(c) > kClassBytes;
    }

    FreeBlock* free_[kClasses] = {};
    uint32_t count_[kClasses] = {};
};

namespace small_blocks_detail
{
// What the inline paths do not cover: the address checker's heap, large
// blocks, empty and full lists, a thread's first kept block and its end.
void* TakeElsewhere(size_t size);
void GiveElsewhere(void* block, size_t size) noexcept;

#ifndef SMALL_BLOCKS_UNDER_ASAN
enum class ListsState : uint8_t
{
    kUnarmed,  // the thread's exit hook is not registered yet
    kArmed,    // blocks are kept
    kGone,     // the thread is ending
};
// The calling thread's lists. Plain data, so reaching them costs no
// initialisation check; the thread's exit hook frees the kept blocks when
// the thread ends, and from then on (destructors of statics and of later
// thread-locals still delete objects) blocks bypass the lists.
struct ThreadState
{
    TSmallBlockLists lists;
    ListsState state = ListsState::kUnarmed;
};
extern constinit thread_local ThreadState t_state;
#endif
}  // namespace small_blocks_detail

// Messages and string bodies are made and freed by the thousand: a kept
// block goes out and comes back without a call.
inline void* SmallBlockTake(size_t size)
{
#ifndef SMALL_BLOCKS_UNDER_ASAN
    if (size - 1 < kSmallBlockMax)
    {
        if (void* b = small_blocks_detail::t_state.lists.TakeKept(TSmallBlockLists::ClassOf(size)))
            return b;
    }
#endif
    return small_blocks_detail::TakeElsewhere(size);
}

inline void SmallBlockGive(void* block, size_t size) noexcept
{
#ifndef SMALL_BLOCKS_UNDER_ASAN
    small_blocks_detail::ThreadState& state = small_blocks_detail::t_state;
    if (block != nullptr && size - 1 < kSmallBlockMax &&
        state.state == small_blocks_detail::ListsState::kArmed &&
        state.lists.KeepInList(block, TSmallBlockLists::ClassOf(size)))
        return;
#endif
    small_blocks_detail::GiveElsewhere(block, size);
}

// A base that makes a class hierarchy allocate through the small blocks.
// The hierarchy needs a virtual destructor: the sized delete then gets the
// size of the object's own class, so subclasses of any size share it.
struct TSmallBlockAllocated
{
    static void* operator new(size_t size) { return SmallBlockTake(size); }
    static void operator delete(void* block, size_t size) noexcept { SmallBlockGive(block, size); }
};
