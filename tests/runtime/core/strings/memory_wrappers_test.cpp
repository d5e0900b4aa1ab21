#include "runtime/core/strings/strings.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <limits>

namespace {

bool AllZero(const void* block, int64_t size) {
    const auto* bytes = static_cast<const unsigned char*>(block);
    for (int64_t i = 0; i < size; ++i) {
        if (bytes[i] != 0) {
            return false;
        }
    }
    return true;
}

// Sizes no allocator may accept: negative, or so large that adding a header overflows.
constexpr int64_t BadSizes[] = {
    -1, std::numeric_limits<int64_t>::min(), std::numeric_limits<int64_t>::max(),
    std::numeric_limits<int64_t>::max() - 7, std::numeric_limits<int64_t>::max() - 9};

TEST(MemoryWrappers, RefuseNegativeAndOverflowingSizes) {
    void* plain = MemAlloc(4);
    void* sized = SizedAlloc(4);
    ASSERT_NE(plain, nullptr);
    ASSERT_NE(sized, nullptr);
    for (int64_t size : BadSizes) {
        SCOPED_TRACE(size);
        EXPECT_EQ(MemAlloc(size), nullptr);
        EXPECT_EQ(MemAllocZeroed(size), nullptr);
        EXPECT_EQ(SizedAlloc(size), nullptr);
        EXPECT_EQ(SizedAllocZeroed(size), nullptr);
        EXPECT_EQ(MemReallocZeroFill(plain, 4, size), nullptr);
        EXPECT_EQ(SizedResize(sized, size), nullptr);
        EXPECT_EQ(SizedResizeNoFill(sized, size), nullptr);
    }
    // A refused resize leaves the block as it was.
    EXPECT_EQ(SizedSize(sized), 4);
    MemFree(plain);
    SizedFree(sized);
}

TEST(MemoryWrappers, PlainBlocks) {
    auto* zeroed = static_cast<unsigned char*>(MemAllocZeroed(64));
    ASSERT_NE(zeroed, nullptr);
    EXPECT_TRUE(AllZero(zeroed, 64));
    std::memset(zeroed, 0xAB, 64);
    auto* grown = static_cast<unsigned char*>(MemReallocZeroFill(zeroed, 64, 200));
    ASSERT_NE(grown, nullptr);
    EXPECT_EQ(grown[63], 0xAB);
    EXPECT_TRUE(AllZero(grown + 64, 136));
    auto* shrunk = static_cast<unsigned char*>(MemReallocZeroFill(grown, 200, 0));
    ASSERT_NE(shrunk, nullptr); // an empty resize keeps a block instead of freeing it
    MemFree(shrunk);

    void* empty = MemAlloc(0);
    EXPECT_NE(empty, nullptr);
    MemFree(empty);
    MemFree(nullptr);
}

TEST(MemoryWrappers, SizedBlocksKeepTheirSizeInTheHeader) {
    auto* block = static_cast<unsigned char*>(SizedAllocZeroed(24));
    ASSERT_NE(block, nullptr);
    int64_t header = 0;
    std::memcpy(&header, block - 8, sizeof header);
    EXPECT_EQ(header, 24);
    EXPECT_EQ(SizedSize(block), 24);
    EXPECT_TRUE(AllZero(block, 24));

    std::memset(block, 0x5A, 24);
    block = static_cast<unsigned char*>(SizedResize(block, 100));
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(SizedSize(block), 100);
    EXPECT_EQ(block[23], 0x5A);
    EXPECT_TRUE(AllZero(block + 24, 76));

    block = static_cast<unsigned char*>(SizedResizeNoFill(block, 10));
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(SizedSize(block), 10);
    EXPECT_EQ(block[9], 0x5A);
    block = static_cast<unsigned char*>(SizedResizeNoFill(block, 40));
    ASSERT_NE(block, nullptr);
    block[39] = 1; // the whole new size is usable
    SizedFree(block);

    void* empty = SizedAlloc(0);
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(SizedSize(empty), 0);
    SizedFree(empty);
    EXPECT_EQ(SizedResize(nullptr, 8), nullptr);
    EXPECT_EQ(SizedResizeNoFill(nullptr, 8), nullptr);
    EXPECT_EQ(SizedSize(nullptr), 0);
    SizedFree(nullptr);
}

} // namespace
