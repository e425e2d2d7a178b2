// Per-thread free lists of small blocks.
#include "core/SmallBlocks.h"

#include <cstdio>
#include <cstdlib>
#include <new>

#if defined(__SANITIZE_ADDRESS__)
#define SMALL_BLOCKS_UNDER_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define SMALL_BLOCKS_UNDER_ASAN 1
#endif
#endif

#ifdef SMALL_BLOCKS_UNDER_ASAN
#include <sanitizer/asan_interface.h>
// The checker's runtime has it in every build; not every compiler ships its header.
extern "C" size_t __sanitizer_get_allocated_size(const volatile void* p);
#endif

namespace
{

// Looked up rather than divided out on every give.
constexpr uint32_t kCaps[TSmallBlockLists::kClasses] = {
    TSmallBlockLists::ClassCap(0), TSmallBlockLists::ClassCap(1), TSmallBlockLists::ClassCap(2),
    TSmallBlockLists::ClassCap(3), TSmallBlockLists::ClassCap(4), TSmallBlockLists::ClassCap(5),
    TSmallBlockLists::ClassCap(6), TSmallBlockLists::ClassCap(7),
};
static_assert(TSmallBlockLists::kClasses == 8, "one cap per class");

}  // namespace

void* TSmallBlockLists::Take(size_t size)
{
    const size_t c = ClassOf(size);
    if (FreeBlock* b = free_[c])
    {
#ifdef SMALL_BLOCKS_UNDER_ASAN
        ASAN_UNPOISON_MEMORY_REGION(b, ClassSize(c));
#endif
        free_[c] = b->next;
        --count_[c];
        return b;
    }
    return ::operator new(ClassSize(c));
}

void TSmallBlockLists::Give(void* block, size_t size) noexcept
{
    const size_t c = ClassOf(size);
    if (count_[c] >= kCaps[c])
    {
        ::operator delete(block);
        return;
    }
    auto* b = static_cast<FreeBlock*>(block);
    b->next = free_[c];
    free_[c] = b;
    ++count_[c];
#ifdef SMALL_BLOCKS_UNDER_ASAN
    ASAN_POISON_MEMORY_REGION(b, ClassSize(c));
#endif
}

void TSmallBlockLists::Release() noexcept
{
    for (size_t c = 0; c < kClasses; ++c)
    {
        while (FreeBlock* b = free_[c])
        {
#ifdef SMALL_BLOCKS_UNDER_ASAN
            ASAN_UNPOISON_MEMORY_REGION(b, ClassSize(c));
#endif
            free_[c] = b->next;
            ::operator delete(b);
        }
        count_[c] = 0;
    }
}

size_t TSmallBlockLists::Kept() const
{
    size_t n = 0;
    for (uint32_t count : count_) n += count;
    return n;
}

namespace
{

#ifndef SMALL_BLOCKS_UNDER_ASAN

// The calling thread's lists. Plain data, so reaching them costs no
// initialisation check; the thread's ThreadExit object frees the kept
// blocks when the thread ends, and from then on (destructors of statics and
// of later thread-locals still delete objects) blocks bypass the lists.
enum class ListsState : uint8_t
{
    kUnarmed,  // ThreadExit is not registered yet
    kArmed,    // blocks are kept
    kGone,     // the thread is ending
};

struct ThreadState
{
    TSmallBlockLists lists;
    ListsState state = ListsState::kUnarmed;
};
constinit thread_local ThreadState t_state;

struct ThreadExit
{
    bool touched = false;
    ~ThreadExit()
    {
        t_state.state = ListsState::kGone;
        t_state.lists.Release();
    }
};
thread_local ThreadExit t_exit;

#endif

}  // namespace

void* SmallBlockTake(size_t size)
{
#ifdef SMALL_BLOCKS_UNDER_ASAN
    return ::operator new(size == 0 ? 1 : size);
#else
    if (size > kSmallBlockMax) return ::operator new(size);
    return t_state.lists.Take(size);
#endif
}

void SmallBlockGive(void* block, size_t size) noexcept
{
    if (block == nullptr) return;
#ifdef SMALL_BLOCKS_UNDER_ASAN
    const size_t real = __sanitizer_get_allocated_size(block);
    if (real != (size == 0 ? 1 : size))
    {
        std::fprintf(stderr, "small block of %zu bytes given back as %zu\n", real, size);
        std::abort();
    }
    ::operator delete(block);
#else
    ThreadState& state = t_state;
    // One test for the usual case: a small block on a thread that keeps them.
    if (size <= kSmallBlockMax && state.state == ListsState::kArmed)
    {
        state.lists.Give(block, size);
        return;
    }
    if (size > kSmallBlockMax || state.state == ListsState::kGone)
    {
        ::operator delete(block);
        return;
    }
    // The first block this thread keeps: make sure the lists are emptied
    // when it ends.
    state.state = ListsState::kArmed;
    t_exit.touched = true;
    state.lists.Give(block, size);
#endif
}

size_t SmallBlocksKept()
{
#ifdef SMALL_BLOCKS_UNDER_ASAN
    return 0;
#else
    return t_state.lists.Kept();
#endif
}
