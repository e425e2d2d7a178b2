// Small blocks: a thread's free lists hand freed blocks out again by size
// class, keep at most their cap, give everything back on release; the
// public functions work for every size and across threads; under the
// address checker they still catch use after free and a wrong size.
#include "core/SmallBlocks.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <set>
#include <thread>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
#define TEST_UNDER_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TEST_UNDER_ASAN 1
#endif
#endif

namespace
{

// Gives lists back on scope exit, so a failing assertion leaks nothing.
struct OwnLists
{
    TSmallBlockLists lists;
    ~OwnLists() { lists.Release(); }
};

TEST(SmallBlocksTest, FreedBlocksComeBackInTheirSizeClass)
{
    OwnLists own;
    TSmallBlockLists& lists = own.lists;
    // Sizes at both ends of a class and the last class.
    struct Case
    {
        size_t made, taken;
        bool same;
    } cases[] = {
        {1, 16, true},   {16, 1, true},   {17, 32, true},    {32, 17, true},
        {16, 17, false}, {48, 40, true},  {64, 65, false},   {kSmallBlockMax, 113, true},
    };
    for (const Case& c : cases)
    {
        void* a = lists.Take(c.made);
        std::memset(a, 0xAB, TSmallBlockLists::ClassSize(TSmallBlockLists::ClassOf(c.made)));
        lists.Give(a, c.made);
        EXPECT_EQ(lists.Kept(), 1u);
        void* b = lists.Take(c.taken);
        EXPECT_EQ(a == b, c.same) << c.made << " then " << c.taken;
        lists.Give(b, c.taken);
        lists.Release();
        EXPECT_EQ(lists.Kept(), 0u);
    }
}

TEST(SmallBlocksTest, ListsKeepAtMostTheirCapAndHandOutEachBlockOnce)
{
    OwnLists own;
    TSmallBlockLists& lists = own.lists;
    const size_t size = 48;
    const size_t cap = TSmallBlockLists::ClassCap(TSmallBlockLists::ClassOf(size));
    ASSERT_GT(cap, 100u);
    // More than the cap: the rest go back to the general allocator (the
    // leak checker of the sanitizer build sees any that are lost).
    std::vector<void*> blocks;
    for (size_t i = 0; i < cap + 50; ++i) blocks.push_back(lists.Take(size));
    for (void* b : blocks) lists.Give(b, size);
    EXPECT_EQ(lists.Kept(), cap);

    // Taking them all again gives distinct blocks, the kept ones first.
    std::set<void*> kept(blocks.begin(), blocks.begin() + static_cast<long>(cap));
    std::set<void*> again;
    for (size_t i = 0; i < cap + 50; ++i)
    {
        void* b = lists.Take(size);
        std::memset(b, i & 0xFF, size);
        ASSERT_TRUE(again.insert(b).second) << "block handed out twice";
        if (i < cap)
        {
            EXPECT_EQ(kept.count(b), 1u);
        }
    }
    EXPECT_EQ(lists.Kept(), 0u);
    for (void* b : again) lists.Give(b, size);
}

TEST(SmallBlocksTest, EveryClassKeepsExactlyItsCap)
{
    // 64 KB a class: 4096 blocks of 16 bytes down to 512 of 128; 48 and 80
    // do not divide it.
    const size_t caps[TSmallBlockLists::kClasses] = {4096, 2048, 1365, 1024, 819, 682, 585, 512};
    for (size_t c = 0; c < TSmallBlockLists::kClasses; ++c)
    {
        OwnLists own;
        TSmallBlockLists& lists = own.lists;
        const size_t size = TSmallBlockLists::ClassSize(c);
        ASSERT_EQ(TSmallBlockLists::ClassCap(c), caps[c]);
        std::vector<void*> blocks;
        for (size_t i = 0; i < caps[c] + 2; ++i) blocks.push_back(lists.Take(size));
        for (void* b : blocks) lists.Give(b, size);
        EXPECT_EQ(lists.Kept(), caps[c]) << "class of " << size << " bytes";
    }
}

TEST(SmallBlocksTest, EverySizeRoundTripsThroughThePublicFunctions)
{
    // Past the largest class the blocks pass through to operator new.
    std::vector<std::pair<void*, size_t>> blocks;
    for (size_t size = 1; size <= kSmallBlockMax + 64; ++size)
    {
        void* b = SmallBlockTake(size);
        ASSERT_NE(b, nullptr);
        EXPECT_EQ(reinterpret_cast<uintptr_t>(b) % alignof(std::max_align_t), 0u);
        std::memset(b, static_cast<int>(size), size);
        blocks.emplace_back(b, size);
    }
    for (auto& [b, size] : blocks)
    {
        EXPECT_EQ(static_cast<unsigned char*>(b)[size - 1], static_cast<unsigned char>(size));
        SmallBlockGive(b, size);
    }
    SmallBlockGive(nullptr, 16);
}

// A thread frees what another made; each freeing thread's lists take the
// blocks, use them again while they live, and give them back at its end.
TEST(SmallBlocksTest, BlocksFreedOnOtherThreadsAreNeitherLostNorShared)
{
    constexpr int kThreads = 4;
    constexpr int kBlocks = 3000;
    std::vector<std::vector<void*>> made(kThreads);
    for (auto& list : made)
        for (int i = 0; i < kBlocks; ++i) list.push_back(SmallBlockTake(16 + (i % 7) * 16));
    std::vector<std::thread> threads;
    std::vector<std::set<void*>> reused(kThreads);
    for (int t = 0; t < kThreads; ++t)
    {
        threads.emplace_back([&, t] {
            for (int i = 0; i < kBlocks; ++i) SmallBlockGive(made[t][i], 16 + (i % 7) * 16);
            std::vector<std::pair<void*, size_t>> again;
            for (int i = 0; i < kBlocks; ++i)
            {
                const size_t size = 16 + (i % 7) * 16;
                void* b = SmallBlockTake(size);
                std::memset(b, t, size);
                reused[t].insert(b);
                again.emplace_back(b, size);
            }
            // Every block this thread holds now is its own.
            for (auto& [b, size] : again)
            {
                const auto* bytes = static_cast<const unsigned char*>(b);
                for (size_t k = 0; k < size; ++k) ASSERT_EQ(bytes[k], t);
            }
            for (auto& [b, size] : again) SmallBlockGive(b, size);
        });
    }
    for (auto& thread : threads) thread.join();
    for (int t = 0; t < kThreads; ++t)
    {
        EXPECT_EQ(reused[t].size(), size_t{kBlocks}) << "a block held twice at once";
#ifndef TEST_UNDER_ASAN
        // Each thread's lists took exactly the blocks it freed (and so no
        // block went to two threads).
        EXPECT_EQ(reused[t], std::set<void*>(made[t].begin(), made[t].end()));
#endif
    }
}

// A class with a virtual destructor returns each object to the list of its
// own class's size, also through a base pointer.
struct Base : TSmallBlockAllocated
{
    virtual ~Base() = default;
    int x = 1;
};
struct Bigger : Base
{
    char pad[70] = {};
};

TEST(SmallBlocksTest, ClassAllocationUsesTheObjectsOwnSize)
{
    for (int round = 0; round < 100; ++round)
    {
        std::unique_ptr<Base> a(new Bigger);
        std::unique_ptr<Base> b(new Base);
        auto* c = new Bigger;
        Base* asBase = c;
        delete asBase;
        EXPECT_EQ(a->x + b->x, 2);
    }
#ifndef TEST_UNDER_ASAN
    // The last block freed of a class is the next one made.
    Base* first = new Bigger;
    delete first;
    Base* again = new Bigger;
    EXPECT_EQ(again, first);
    delete again;
#endif
}

#ifdef TEST_UNDER_ASAN
TEST(SmallBlocksDeathTest, TheCheckerStillSeesMisuse)
{
    EXPECT_DEATH(
        {
            auto* p = static_cast<volatile char*>(SmallBlockTake(32));
            SmallBlockGive(const_cast<char*>(p), 32);
            p[0] = 1;
        },
        "use-after-free");
    EXPECT_DEATH(
        {
            void* p = SmallBlockTake(32);
            SmallBlockGive(p, 48);
        },
        "given back as 48");
    EXPECT_DEATH(
        {
            TSmallBlockLists lists;
            auto* p = static_cast<volatile char*>(lists.Take(32));
            lists.Give(const_cast<char*>(p), 32);
            p[0] = 1;
        },
        "use-after-poison");
}
#endif

}  // namespace
