#include "strings_fixture.h"

#include <cstring>
#include <limits>

TEST(MemoryWrappers, RefuseNegativeAndOverflowingSizes) {
    constexpr int64_t Max = std::numeric_limits<int64_t>::max(); // Max - 7 + header overflows
    void* plain = MemAlloc(4);
    void* sized = SizedAlloc(4);
    for (int64_t size : {int64_t{-1}, std::numeric_limits<int64_t>::min(), Max, Max - 7}) {
        EXPECT_EQ(MemAlloc(size), nullptr);
        EXPECT_EQ(MemAllocZeroed(size), nullptr);
        EXPECT_EQ(SizedAlloc(size), nullptr);
        EXPECT_EQ(SizedAllocZeroed(size), nullptr);
        EXPECT_EQ(MemReallocZeroFill(plain, 4, size), nullptr);
        EXPECT_EQ(SizedResize(sized, size), nullptr);
        EXPECT_EQ(SizedResizeNoFill(sized, size), nullptr);
    }
    EXPECT_EQ(SizedSize(sized), 4); // a refused resize leaves the block as it was
    MemFree(plain);
    SizedFree(sized);
}

TEST(MemoryWrappers, GrownBytesAreZeroedAndSizedBlocksCarryTheirSize) {
    auto* plain = static_cast<char*>(MemAllocZeroed(4));
    EXPECT_EQ(std::string(plain, 4), std::string(4, '\0'));
    std::memset(plain, 'a', 4);
    plain = static_cast<char*>(MemReallocZeroFill(plain, 4, 7));
    EXPECT_EQ(std::string(plain, 7), std::string("aaaa\0\0\0", 7));
    plain = static_cast<char*>(MemReallocZeroFill(plain, 7, 0)); // keeps a block, not freed
    EXPECT_NE(plain, nullptr);
    MemFree(plain);
    // The usable size lies little-endian in the 8 bytes before the returned address.
    auto* sized = static_cast<char*>(SizedAllocZeroed(4));
    EXPECT_EQ(std::string(sized - 8, 12), std::string("\x04\0\0\0\0\0\0\0\0\0\0\0", 12));
    std::memset(sized, 'b', 4);
    sized = static_cast<char*>(SizedResize(sized, 7));
    EXPECT_EQ(std::string(sized - 8, 15), std::string("\x07\0\0\0\0\0\0\0bbbb\0\0\0", 15));
    sized = static_cast<char*>(SizedResizeNoFill(sized, 40));
    EXPECT_EQ(SizedSize(sized), 40);
    sized[39] = 1; // the whole new size is usable
    SizedFree(sized);
    EXPECT_EQ(SizedResize(nullptr, 8), nullptr);
    SizedFree(nullptr);
    MemFree(nullptr);
}
