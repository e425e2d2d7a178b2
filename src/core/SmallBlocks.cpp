// Per-thread free lists of small blocks.
#include "core/SmallBlocks.h"

#include <cstdio>
#include <cstdlib>
#include <new>

#ifdef SMALL_BLOCKS_UNDER_ASAN
// The checker's runtime has it in every build; not every compiler ships its header.
extern "C" size_t __sanitizer_get_allocated_size(const volatile void* p);
#endif

void* TSmallBlockLists::Take(size_t size)
{
    const size_t c = ClassOf(size);
    if (void* b = TakeKept(c)) return b;
    return ::operator new(ClassSize(c));
}

void TSmallBlockLists::Give(void* block, size_t size) noexcept
{
    if (!KeepInList(block, ClassOf(size))) ::operator delete(block);
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

using small_blocks_detail::ListsState;
using small_blocks_detail::t_state;

// The thread's exit hook.
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

#ifndef SMALL_BLOCKS_UNDER_ASAN
constinit thread_local small_blocks_detail::ThreadState small_blocks_detail::t_state;
#endif

void* small_blocks_detail::TakeElsewhere(size_t size)
{
#ifdef SMALL_BLOCKS_UNDER_ASAN
    return ::operator new(size == 0 ? 1 : size);
#else
    if (size > kSmallBlockMax) return ::operator new(size);
    return t_state.lists.Take(size);
#endif
}

void small_blocks_detail::GiveElsewhere(void* block, size_t size) noexcept
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
    // A full list: Give frees the block.
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
