// The block store behind the default allocation function: small blocks of
// every size are aligned and apart, freed blocks serve again, and resizing
// keeps the contents across size classes and the boundary to the C runtime.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "script/lang/pool.h"

namespace
{

unsigned char Pattern(size_t block, size_t i)
{
    return static_cast<unsigned char>(block * 31 + i * 7 + 1);
}

TEST(BlockStore, EverySmallSizeIsAlignedWritableAndApartFromTheOthers)
{
    std::vector<unsigned char*> blocks;
    for (size_t size = 1; size <= kPoolMaxBlock; size++)
    {
        auto* b = static_cast<unsigned char*>(PoolTake(size));
        ASSERT_NE(b, nullptr);
        // A table header is laid out to fill one cache line.
        EXPECT_EQ(reinterpret_cast<uintptr_t>(b) % (size > 48 ? 64 : 16), 0u) << size;
        for (size_t i = 0; i < size; i++) b[i] = Pattern(size, i);
        blocks.push_back(b);
    }
    // Written in order, checked afterwards: an overlap would show as a
    // neighbour's pattern.
    for (size_t size = 1; size <= kPoolMaxBlock; size++)
    {
        unsigned char* b = blocks[size - 1];
        for (size_t i = 0; i < size; i++) ASSERT_EQ(b[i], Pattern(size, i)) << size << " " << i;
    }
    for (size_t size = 1; size <= kPoolMaxBlock; size++) PoolGive(blocks[size - 1], size);
}

TEST(BlockStore, AFreedBlockServesTheNextRequestOfItsClass)
{
    void* a = PoolTake(40);
    PoolGive(a, 40);
    EXPECT_EQ(PoolTake(33), a);  // 33 to 48 bytes share a class
    void* b = PoolTake(40);
    EXPECT_NE(b, a);
    PoolGive(a, 33);
    PoolGive(b, 40);
}

TEST(BlockStore, ResizingKeepsTheContents)
{
    // Within a class, to a larger class, out to the runtime, to blocks mapped
    // on their own and back, down to one byte, then freed.
    const size_t sizes[] = {24,      30,      100,  512, 513, 5000, 4096, 16384,
                           5 << 20, 9 << 20, 4097, 600, 200, 1};
    auto* b = static_cast<unsigned char*>(PoolRealloc(nullptr, 0, 20));
    ASSERT_NE(b, nullptr);
    for (size_t i = 0; i < 20; i++) b[i] = Pattern(0, i);
    size_t size = 20;
    size_t valid = 20;  // bytes carried over from the first fill
    for (size_t next : sizes)
    {
        b = static_cast<unsigned char*>(PoolRealloc(b, size, next));
        ASSERT_NE(b, nullptr) << next;
        if (next < valid) valid = next;
        for (size_t i = 0; i < valid; i++) ASSERT_EQ(b[i], Pattern(0, i)) << next << " " << i;
        for (size_t i = valid; i < next; i++) b[i] = 0;  // the rest is written, not read
        size = next;
    }
    EXPECT_EQ(PoolRealloc(b, size, 0), nullptr);
    EXPECT_EQ(PoolRealloc(nullptr, 0, 0), nullptr);
}

TEST(BlockStore, AFreedPowerOfTwoBlockServesTheNextOfItsSize)
{
    // A table's node vector freed and made again at the same size, and an
    // array part doubling into a kept block.
    void* nodes = PoolRealloc(nullptr, 0, 4096);
    ASSERT_NE(nodes, nullptr);
    EXPECT_EQ(PoolRealloc(nodes, 4096, 0), nullptr);
    EXPECT_EQ(PoolRealloc(nullptr, 0, 4096), nodes);

    void* kept = PoolRealloc(nullptr, 0, 8192);
    ASSERT_NE(kept, nullptr);
    PoolRealloc(kept, 8192, 0);
    auto* array = static_cast<unsigned char*>(nodes);
    for (size_t i = 0; i < 4096; i++) array[i] = Pattern(1, i);
    array = static_cast<unsigned char*>(PoolRealloc(array, 4096, 8192));
    EXPECT_EQ(static_cast<void*>(array), kept);
    for (size_t i = 0; i < 4096; i++) ASSERT_EQ(array[i], Pattern(1, i)) << i;
    PoolRealloc(array, 8192, 0);
}

TEST(BlockStore, ManyBlocksSpanSeveralRegions)
{
    // 2 MB regions: 20,000 blocks of 256 bytes need three of them.
    std::vector<void*> blocks;
    for (int i = 0; i < 20000; i++)
    {
        auto* b = static_cast<uint32_t*>(PoolTake(256));
        ASSERT_NE(b, nullptr);
        b[0] = static_cast<uint32_t>(i);
        b[63] = static_cast<uint32_t>(~i);
        blocks.push_back(b);
    }
    for (int i = 0; i < 20000; i++)
    {
        auto* b = static_cast<uint32_t*>(blocks[static_cast<size_t>(i)]);
        ASSERT_EQ(b[0], static_cast<uint32_t>(i));
        ASSERT_EQ(b[63], static_cast<uint32_t>(~i));
    }
    for (void* b : blocks) PoolGive(b, 256);
}

}  // namespace
