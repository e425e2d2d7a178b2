// Small-block store of the default allocation function: free lists by size
// class over 2 MB regions asking for huge pages.
#include "script/lang/pool.h"

#include <sys/mman.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#if defined(__SANITIZE_ADDRESS__)
#define POOL_UNDER_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define POOL_UNDER_ASAN 1
#endif
#endif

#ifdef POOL_UNDER_ASAN
#include <sanitizer/asan_interface.h>
// The checker's runtime has it in every build; not every compiler ships its header.
extern "C" size_t __sanitizer_get_allocated_size(const volatile void* p);
#endif

namespace
{

constexpr size_t kGrain = 16;  // class step; keeps every block 16-byte aligned
constexpr size_t kClasses = kPoolMaxBlock / kGrain;
constexpr size_t kRegionSize = size_t{2} << 20;

struct FreeBlock
{
    FreeBlock* next;
};

// Larger blocks are the runtime's; some freed ones are kept (pool.h).
constexpr int kMinKeptLog = 10;
constexpr int kMaxKeptLog = 22;
constexpr size_t kKeptLimit = size_t{16} << 20;

struct ThreadPool
{
    FreeBlock* free[kClasses + 1] = {};
    char* cur = nullptr;  // unused rest of the current region
    char* end = nullptr;
    FreeBlock* kept[kMaxKeptLog + 1] = {};
    size_t keptBytes = 0;

    ThreadPool() = default;
    ThreadPool(const ThreadPool&) = delete;
    ThreadPool& operator=(const ThreadPool&) = delete;
    ~ThreadPool()
    {
        for (FreeBlock*& list : kept)
        {
            while (FreeBlock* b = list)
            {
                list = b->next;
                std::free(b);
            }
        }
    }
};

thread_local ThreadPool t_pool;

size_t ClassOf(size_t size)
{
    return (size + kGrain - 1) / kGrain;
}

// A fresh region aligned to its size, so that the kernel can map it with
// huge pages; null when the system has no memory left.
char* NewRegion()
{
    void* m = mmap(nullptr, 2 * kRegionSize, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS,
                   -1, 0);
    if (m == MAP_FAILED) return nullptr;
    char* raw = static_cast<char*>(m);
    uintptr_t a = (reinterpret_cast<uintptr_t>(raw) + kRegionSize - 1) & ~(kRegionSize - 1);
    char* region = reinterpret_cast<char*>(a);
    if (region > raw) munmap(raw, static_cast<size_t>(region - raw));
    munmap(region + kRegionSize, static_cast<size_t>(raw + kRegionSize - region));
#ifdef MADV_HUGEPAGE
    madvise(region, kRegionSize, MADV_HUGEPAGE);  // advice only: 4 KB pages still work
#endif
#ifdef POOL_UNDER_ASAN
    ASAN_POISON_MEMORY_REGION(region, kRegionSize);
#endif
    return region;
}

// The list a block of this size is kept on, or -1 when it is not kept.
int KeptLog(size_t size)
{
    if (size < (size_t{1} << kMinKeptLog) || size > (size_t{1} << kMaxKeptLog)) return -1;
    if ((size & (size - 1)) != 0) return -1;
    return __builtin_ctzll(size);
}

void* LargeTake(size_t size)
{
    int k = KeptLog(size);
    ThreadPool& p = t_pool;
    if (k >= 0 && p.kept[k] != nullptr)
    {
        FreeBlock* b = p.kept[k];
        p.kept[k] = b->next;
        p.keptBytes -= size;
        return b;
    }
    return std::malloc(size);
}

void LargeGive(void* block, size_t size)
{
    int k = KeptLog(size);
    ThreadPool& p = t_pool;
    if (k < 0 || p.keptBytes + size > kKeptLimit)
    {
        std::free(block);
        return;
    }
    FreeBlock* b = static_cast<FreeBlock*>(block);
    b->next = p.kept[k];
    p.kept[k] = b;
    p.keptBytes += size;
}

// Blocks above the kept sizes (the array part or nodes of a very large
// table) are mappings of their own asking for huge pages: they are filled
// soon after they are made, and a huge page takes one fault where 4 KB
// pages take 512. Resizing moves the pages instead of copying them.
size_t PageRound(size_t size)
{
    return (size + 4095) & ~size_t{4095};
}

void AdviseHuge(void* block, size_t size)
{
#ifdef MADV_HUGEPAGE
    madvise(block, PageRound(size), MADV_HUGEPAGE);  // advice only
#else
    (void)block;
    (void)size;
#endif
}

void* MapTake(size_t size)
{
    void* m = mmap(nullptr, PageRound(size), PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1,
                   0);
    if (m == MAP_FAILED) return nullptr;
    AdviseHuge(m, size);
    return m;
}

void* MapResize(void* block, size_t oldsize, size_t newsize)
{
    void* m = mremap(block, PageRound(oldsize), PageRound(newsize), MREMAP_MAYMOVE);
    if (m == MAP_FAILED) return nullptr;  // the old mapping stays
    AdviseHuge(m, newsize);
    return m;
}

enum class Kind
{
    kSmall,   // the pool's size classes
    kLarge,   // the runtime's heap, power-of-two sizes kept
    kMapped,  // mappings of their own
};

Kind KindOf(size_t size)
{
    if (size <= kPoolMaxBlock) return Kind::kSmall;
    return size <= (size_t{1} << kMaxKeptLog) ? Kind::kLarge : Kind::kMapped;
}

void* Take(size_t size)
{
    switch (KindOf(size))
    {
        case Kind::kSmall: return PoolTake(size);
        case Kind::kLarge: return LargeTake(size);
        case Kind::kMapped: break;
    }
    return MapTake(size);
}

void Give(void* block, size_t size)
{
    switch (KindOf(size))
    {
        case Kind::kSmall: PoolGive(block, size); return;
        case Kind::kLarge: LargeGive(block, size); return;
        case Kind::kMapped: break;
    }
    munmap(block, PageRound(size));
}

#ifdef POOL_UNDER_ASAN
// What the pool relies on, that each call names the block's size.
void CheckOldSize(void* block, size_t oldsize)
{
    if (block == nullptr) return;
    size_t real = __sanitizer_get_allocated_size(block);
    if (real != oldsize)
    {
        std::fprintf(stderr, "script allocation: block of %zu bytes named as %zu\n", real, oldsize);
        std::abort();
    }
}
#endif

}  // namespace

void* PoolTake(size_t size)
{
    ThreadPool& p = t_pool;
    size_t c = ClassOf(size);
    void* block;
    if (FreeBlock* b = p.free[c])
    {
#ifdef POOL_UNDER_ASAN
        ASAN_UNPOISON_MEMORY_REGION(b, sizeof(FreeBlock));
#endif
        p.free[c] = b->next;
        block = b;
    }
    else
    {
        size_t bytes = c * kGrain;
        // Blocks of a cache line or more start on one, so a table's header,
        // which is laid out to fill one line, does not straddle two.
        if (bytes >= 64 && p.cur != nullptr)
            p.cur = reinterpret_cast<char*>((reinterpret_cast<uintptr_t>(p.cur) + 63) & ~uintptr_t{63});
        if (p.cur == nullptr || p.cur > p.end || static_cast<size_t>(p.end - p.cur) < bytes)
        {
            char* region = NewRegion();
            if (region == nullptr) return nullptr;
            p.cur = region;
            p.end = region + kRegionSize;
        }
        block = p.cur;
        p.cur += bytes;
    }
#ifdef POOL_UNDER_ASAN
    ASAN_UNPOISON_MEMORY_REGION(block, size);
#endif
    return block;
}

void PoolGive(void* block, size_t size)
{
    ThreadPool& p = t_pool;
    size_t c = ClassOf(size);
#ifdef POOL_UNDER_ASAN
    ASAN_POISON_MEMORY_REGION(block, c * kGrain);
    ASAN_UNPOISON_MEMORY_REGION(block, sizeof(FreeBlock));
#endif
    FreeBlock* b = static_cast<FreeBlock*>(block);
    b->next = p.free[c];
    p.free[c] = b;
#ifdef POOL_UNDER_ASAN
    ASAN_POISON_MEMORY_REGION(block, sizeof(FreeBlock));
#endif
}

void* PoolRealloc(void* block, size_t oldsize, size_t newsize)
{
    if (newsize == 0)
    {
        if (block != nullptr) Give(block, oldsize);
        return nullptr;
    }
    if (block == nullptr) return Take(newsize);
    Kind kind = KindOf(newsize);
    if (KindOf(oldsize) == kind)
    {
        if (kind == Kind::kSmall && ClassOf(oldsize) == ClassOf(newsize))
        {
#ifdef POOL_UNDER_ASAN
            ASAN_POISON_MEMORY_REGION(block, ClassOf(oldsize) * kGrain);
            ASAN_UNPOISON_MEMORY_REGION(block, newsize);
#endif
            return block;
        }
        if (kind == Kind::kMapped) return MapResize(block, oldsize, newsize);
        if (kind == Kind::kLarge)
        {
            int k = KeptLog(newsize);
            if (k < 0 || t_pool.kept[k] == nullptr) return std::realloc(block, newsize);
        }
    }
    void* result = Take(newsize);
    if (result == nullptr) return nullptr;  // the old block stays
    std::memcpy(result, block, oldsize < newsize ? oldsize : newsize);
    Give(block, oldsize);
    return result;
}

void* ScriptDefaultRealloc(void* block, size_t oldsize, size_t newsize)
{
#ifdef POOL_UNDER_ASAN
    CheckOldSize(block, oldsize);
    if (newsize == 0)
    {
        std::free(block);
        return nullptr;
    }
    return std::realloc(block, newsize);
#else
    return PoolRealloc(block, oldsize, newsize);
#endif
}
