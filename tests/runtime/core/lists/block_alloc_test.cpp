#include "runtime/core/lists/lists.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <thread>
#include <vector>

namespace {

int64_t CountBlocks(const KS_AllocBlock* block) {
    int64_t n = 0;
    for (; block; block = block->next)
        ++n;
    return n;
}

// Allocates until the allocator holds more slots than before and returns the new total.
int64_t GrowOnce(KS_BlockAllocStruct* allocator, std::vector<void*>& items) {
    const int64_t before = allocator->totalItems;
    while (allocator->totalItems == before) {
        void* item = BlockAlloc(allocator);
        if (!item)
            return -1;
        items.push_back(item);
    }
    return allocator->totalItems;
}

TEST(BlockAllocator, SlotSizeIsOwnerWordPlusItemRoundedTo8) {
    const int64_t cases[][2] = {{0, 8}, {1, 16}, {8, 16}, {9, 24}, {17, 32}, {100, 112}};
    for (const auto& c : cases) {
        KS_BlockAllocStruct* allocator = NewBlockAllocator(c[0], 16, 64, BlockAllocPrivate);
        ASSERT_NE(allocator, nullptr);
        EXPECT_EQ(allocator->slotSize, c[1]) << c[0];
        FreeBlockAllocator(allocator);
    }
    EXPECT_EQ(NewBlockAllocator(-1, 16, 64, BlockAllocPrivate), nullptr);
    EXPECT_EQ(NewBlockAllocator(INT64_MAX - 8, 16, 64, BlockAllocShared), nullptr);
}

TEST(BlockAllocator, BlocksGrowWithTheTotalAndStayWithinBounds) {
    // 16-slot blocks up to 512 slots, then a sixteenth of the total rounded down to a
    // multiple of 16, capped at maxItems (48 here).
    KS_BlockAllocStruct* allocator = NewBlockAllocator(8, 16, 48, BlockAllocPrivate);
    std::vector<void*> items;
    for (int64_t expected = 16; expected <= 496; expected += 16)
        ASSERT_EQ(GrowOnce(allocator, items), expected);
    EXPECT_EQ(GrowOnce(allocator, items), 512); // 496 / 16 = 31 -> 16
    EXPECT_EQ(GrowOnce(allocator, items), 544); // 512 / 16 = 32
    EXPECT_EQ(GrowOnce(allocator, items), 576); // 34 -> 32
    while (allocator->totalItems < 768)
        GrowOnce(allocator, items);
    EXPECT_EQ(allocator->totalItems, 768);
    EXPECT_EQ(GrowOnce(allocator, items), 816); // 48
    EXPECT_EQ(GrowOnce(allocator, items), 864); // 51 -> 48, the cap
    for (void* item : items)
        BlockFree(allocator, item);
    EXPECT_EQ(allocator->totalItems, 0);
    FreeBlockAllocator(allocator);
}

TEST(BlockAllocator, FreedSlotsAreReusedLastFreedFirst) {
    KS_BlockAllocStruct* allocator = NewBlockAllocator(24, 20, 64, BlockAllocPrivate);
    void* a = BlockAlloc(allocator);
    void* b = BlockAlloc(allocator);
    BlockAlloc(allocator);
    void* d = BlockAlloc(allocator);
    KS_AllocBlock* block = allocator->openBlocks;
    EXPECT_EQ(block->capacity, 20); // minItems
    EXPECT_EQ(*reinterpret_cast<KS_AllocBlock**>(static_cast<char*>(a) - 8), block);
    EXPECT_EQ(static_cast<char*>(b) - static_cast<char*>(a), 32);
    BlockFree(allocator, b);
    BlockFree(allocator, d);
    EXPECT_EQ(block->freeCount, 2);
    EXPECT_EQ(block->used, 4);
    EXPECT_EQ(BlockAlloc(allocator), d);
    EXPECT_EQ(BlockAlloc(allocator), b);
    EXPECT_EQ(static_cast<char*>(BlockAlloc(allocator)) - static_cast<char*>(a), 4 * 32);
    EXPECT_EQ(block->used, 5);
    FreeBlockAllocator(allocator);
}

TEST(BlockAllocator, BlocksMoveBetweenFullAndOpenAndGoWhenEmpty) {
    KS_BlockAllocStruct* allocator = NewBlockAllocator(8, 16, 64, BlockAllocPrivate);
    std::vector<void*> first;
    for (int i = 0; i < 16; ++i)
        first.push_back(BlockAlloc(allocator));
    EXPECT_EQ(allocator->openBlocks, nullptr);
    EXPECT_EQ(CountBlocks(allocator->fullBlocks), 1);
    void* extra = BlockAlloc(allocator);
    EXPECT_EQ(allocator->totalItems, 32);
    BlockFree(allocator, first[3]); // the full block reopens, in front
    EXPECT_EQ(CountBlocks(allocator->openBlocks), 2);
    EXPECT_EQ(allocator->fullBlocks, nullptr);
    EXPECT_EQ(BlockAlloc(allocator), first[3]);
    EXPECT_EQ(CountBlocks(allocator->fullBlocks), 1);
    BlockFree(allocator, extra); // wholly free again: released
    EXPECT_EQ(allocator->totalItems, 16);
    EXPECT_EQ(allocator->openBlocks, nullptr);
    for (int i = 0; i < 15; ++i)
        BlockFree(allocator, first[i]);
    EXPECT_EQ(CountBlocks(allocator->openBlocks), 1);
    ClearBlockAllocator(allocator);
    EXPECT_EQ(allocator->totalItems, 0);
    EXPECT_EQ(allocator->openBlocks, nullptr);
    EXPECT_NE(BlockAlloc(allocator), nullptr);
    EXPECT_EQ(allocator->totalItems, 16);
    FreeBlockAllocator(allocator);
}

TEST(BlockAllocator, FailedBlockLeavesTheAllocatorUnchanged) {
    KS_BlockAllocStruct* allocator = NewBlockAllocator(int64_t{1} << 45, 16, 64, 0);
    ASSERT_NE(allocator, nullptr);
    EXPECT_EQ(BlockAlloc(allocator), nullptr);
    EXPECT_EQ(allocator->totalItems, 0);
    EXPECT_EQ(allocator->openBlocks, nullptr);
    EXPECT_EQ(allocator->fullBlocks, nullptr);
    FreeBlockAllocator(allocator);
}

TEST(BlockAllocator, LockedAllocatorServesTwoThreads) {
    const int32_t flagCases[][2] = {{1, 1}, {2, 0}, {3, 0}, {5, 1}, {6, 0}};
    for (const auto& c : flagCases) { // only low bits of exactly 1 give a mutex
        KS_BlockAllocStruct* allocator = NewBlockAllocator(1000 + c[0], 16, 64, c[0]);
        EXPECT_EQ(allocator->locked, static_cast<uint32_t>(c[1])) << c[0];
        FreeBlockAllocator(allocator);
    }
    KS_BlockAllocStruct* allocator = NewBlockAllocator(16, 16, 64, BlockAllocLocked);
    auto work = [allocator] {
        std::vector<void*> held;
        for (int round = 0; round < 200; ++round) {
            for (int i = 0; i < 50; ++i)
                held.push_back(BlockAlloc(allocator));
            for (void* item : held)
                BlockFree(allocator, item);
            held.clear();
        }
    };
    std::thread one(work);
    std::thread two(work);
    one.join();
    two.join();
    EXPECT_EQ(allocator->totalItems, 0);
    FreeBlockAllocator(allocator);
}

TEST(SharedAllocators, OnePerSlotSizeAndFlagsCountedByReference) {
    KS_BlockAllocStruct* a = NewBlockAllocator(2017, 16, 64, BlockAllocShared);
    KS_BlockAllocStruct* b = NewBlockAllocator(2024, 32, 128, BlockAllocShared); // same slot
    KS_BlockAllocStruct* other = NewBlockAllocator(2025, 16, 64, BlockAllocShared);
    KS_BlockAllocStruct* locked = NewBlockAllocator(2024, 16, 64, BlockAllocShared | 1);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a, b);
    EXPECT_NE(a, other);
    EXPECT_NE(a, locked);
    EXPECT_EQ(a->sharedEntry->refCount, 2);
    EXPECT_EQ(a->sharedEntry->flags, BlockAllocShared);
    EXPECT_EQ(a->sharedEntry->slotSize, 2032);
    EXPECT_EQ(a->locked, 0u);
    EXPECT_EQ(locked->locked, 1u);

    void* item = BlockAlloc(a);
    FreeBlockAllocator(b); // one reference left: the allocator and its blocks stay
    EXPECT_EQ(a->sharedEntry->refCount, 1);
    EXPECT_EQ(a->totalItems, 16);
    BlockFree(a, item);
    FreeBlockAllocator(a);
    KS_BlockAllocStruct* again = NewBlockAllocator(2024, 16, 64, BlockAllocShared);
    EXPECT_EQ(again->sharedEntry->refCount, 1);
    FreeBlockAllocator(again);
    FreeBlockAllocator(other);
    FreeBlockAllocator(locked);
}

} // namespace
