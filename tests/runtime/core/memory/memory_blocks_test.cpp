// Memory blocks and the little-endian peek and poke accessors.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "runtime/core/memory/memory.h"

namespace {

TEST(MemoryBlocks, AllocateRefusesImpossibleSizesAndZeroFills) {
    for (int64_t size : {int64_t{0}, int64_t{-1}, INT64_MIN, INT64_MAX, INT64_MAX - 7}) {
        EXPECT_EQ(AllocateMemory(size), nullptr) << size;
        EXPECT_EQ(AllocateMemory(size, MemoryNoClear), nullptr) << size;
    }
    auto* block = static_cast<uint8_t*>(AllocateMemory(44));
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(MemorySize(block), 44);
    const uint8_t zeros[44] = {};
    EXPECT_EQ(std::memcmp(block, zeros, 44), 0);
    FreeMemory(block);
    void* raw = AllocateMemory(3, MemoryNoClear);
    EXPECT_EQ(MemorySize(raw), 3);
    FreeMemory(raw);
    FreeMemory(nullptr);
}

TEST(MemoryBlocks, PeeksReadLittleEndianAndWidenTheSign) {
    const struct {
        uint8_t bytes[4];
        int64_t b, w, l;
    } cases[] = {
        {{0x00, 0x80, 0x00, 0x00}, 0, -32768, 32768},
        {{0xFF, 0xFF, 0xFF, 0xFF}, -1, -1, -1},
        {{0x34, 0x12, 0x00, 0x80}, 0x34, 0x1234, INT32_MIN + 0x1234},
        {{0x80, 0x7F, 0x01, 0x00}, -128, 0x7F80, 0x17F80},
    };
    for (const auto& c : cases) {
        uint8_t buffer[5] = {0xAA}; // one byte in front: unaligned, as in a WAV header
        std::memcpy(buffer + 1, c.bytes, 4);
        EXPECT_EQ(PeekB(buffer + 1), c.b);
        EXPECT_EQ(PeekW(buffer + 1), c.w);
        EXPECT_EQ(PeekL(buffer + 1), c.l);
    }
}

TEST(MemoryBlocks, PokesStoreOnlyTheLowBitsInLittleEndianOrder) {
    const struct {
        void (*poke)(void*, int64_t);
        int64_t value;
        uint8_t expected[6];
    } cases[] = {
        {PokeB, 0x1FF, {0xEE, 0xFF, 0xEE, 0xEE, 0xEE, 0xEE}},
        {PokeW, 0x12345, {0xEE, 0x45, 0x23, 0xEE, 0xEE, 0xEE}},
        {PokeW, -2, {0xEE, 0xFE, 0xFF, 0xEE, 0xEE, 0xEE}},
        {PokeL, 0x7FFFFFFF11223344, {0xEE, 0x44, 0x33, 0x22, 0x11, 0xEE}},
        {PokeL, -1, {0xEE, 0xFF, 0xFF, 0xFF, 0xFF, 0xEE}},
    };
    for (const auto& c : cases) {
        uint8_t buffer[6];
        std::memset(buffer, 0xEE, sizeof buffer);
        c.poke(buffer + 1, c.value);
        EXPECT_EQ(std::memcmp(buffer, c.expected, sizeof buffer), 0) << c.value;
    }
}

} // namespace
