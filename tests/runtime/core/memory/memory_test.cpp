// Memory blocks, peek and poke, arrays, and structure maps with string, nested and array
// fields (list and map fields are covered by the list and map libraries' tests).

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "runtime/core/memory/memory.h"
#include "runtime/core/strings/strings.h"

namespace {

using Bytes = std::vector<uint8_t>;
using Words = std::vector<int64_t>;
const int64_t kString[] = {0, MapEnd};

TEST(MemoryBlocks, AllocateRefusesImpossibleSizesAndZeroFills) {
    for (int64_t size : {int64_t{0}, int64_t{-1}, INT64_MIN, INT64_MAX, INT64_MAX - 7}) {
        EXPECT_EQ(AllocateMemory(size), nullptr) << size;
        EXPECT_EQ(AllocateMemory(size, MemoryNoClear), nullptr) << size;
    }
    auto* block = static_cast<uint8_t*>(AllocateMemory(44));
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(MemorySize(block), 44);
    EXPECT_EQ(Bytes(block, block + 44), Bytes(44, 0));
    FreeMemory(block);
    FreeMemory(nullptr);
}

TEST(MemoryBlocks, PeekAndPokeAreLittleEndianAndSigned) {
    const struct {
        uint8_t b[4];
        int64_t byte, word, lng;
    } cases[] = {
        {{0x00, 0x80, 0x00, 0x00}, 0, -32768, 32768},
        {{0xFF, 0xFF, 0xFF, 0xFF}, -1, -1, -1},
        {{0x34, 0x12, 0x00, 0x80}, 0x34, 0x1234, INT32_MIN + 0x1234},
    };
    for (const auto& c : cases) {
        uint8_t m[6] = {0xEE, c.b[0], c.b[1], c.b[2], c.b[3], 0xEE}; // m + 1 is unaligned
        EXPECT_EQ((Words{PeekB(m + 1), PeekW(m + 1), PeekL(m + 1)}),
                  (Words{c.byte, c.word, c.lng}));
        std::memset(m, 0xEE, sizeof m);
        PokeW(m + 1, c.word + 0x50000);
        EXPECT_EQ(Bytes(m, m + 6), (Bytes{0xEE, c.b[0], c.b[1], 0xEE, 0xEE, 0xEE}));
        PokeL(m + 1, c.lng + (int64_t{0x5A} << 40));
        EXPECT_EQ(Bytes(m, m + 6), (Bytes{0xEE, c.b[0], c.b[1], c.b[2], c.b[3], 0xEE}));
    }
}

// A multi-dimensional array variable with room for its stride words.
struct MultiVariable {
    void* array;
    int64_t strides[3];
};

TEST(Arrays, AllocateReplacesTheVariablesArray) {
    void* variable = nullptr;
    auto* old = static_cast<char16_t**>(AllocateArray(8, 3, 8, kString, &variable));
    StringDuplicate(&old[1], u"released with the old array"); // else the leak check fails
    auto* a = static_cast<int32_t*>(AllocateArray(4, 8, TypeLong, nullptr, &variable));
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(variable, a);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(a) % 16, 0u);
    const KS_ArrayHeader* h = ArrayHeader(a);
    EXPECT_EQ((Words{h->dimensions, h->elementSize, h->count, h->typeCode}),
              (Words{1, 4, 8, TypeLong}));
    EXPECT_EQ(h->variable, &variable);
    EXPECT_EQ(std::vector<int32_t>(a, a + 8), std::vector<int32_t>(8, 0));
    FreeArray(a);
    EXPECT_EQ(variable, nullptr);
    FreeArray(nullptr);
    EXPECT_EQ(ArrayHeader(AllocateArray(4, 0, TypeLong, nullptr, &variable))->count, 0);
    // An impossible request gives null, and the variable's old array goes all the same.
    const int64_t bad[][2] = {{4, -1}, {-4, 8}, {INT64_MAX, 2}, {1, INT64_MAX}, {1LL << 59, 16}};
    for (const auto& c : bad) {
        EXPECT_EQ(AllocateArray(c[0], c[1], TypeLong, nullptr, &variable), nullptr) << c[1];
        EXPECT_EQ(variable, nullptr);
        ASSERT_NE(AllocateArray(4, 2, TypeLong, nullptr, &variable), nullptr);
    }
    FreeArray(variable);
}

TEST(Arrays, MultiDimensionalSizesBecomeStrides) {
    MultiVariable v = {nullptr, {2, 3, 4}};
    auto* a = static_cast<int32_t*>(AllocateMultiArray(3, 4, TypeLong, nullptr, &v.array));
    ASSERT_NE(a, nullptr);
    EXPECT_EQ((Words{ArrayHeader(a)->dimensions, ArrayHeader(a)->count}), (Words{3, 24}));
    EXPECT_EQ(Words(v.strides, v.strides + 3), (Words{12, 4, 1}));
    a[1 * 12 + 2 * 4 + 3] = 7;                                     // the last element
    void* scalar = AllocateMultiArray(0, 8, 3, nullptr, &v.array); // frees a
    EXPECT_EQ((Words{ArrayHeader(scalar)->dimensions, ArrayHeader(scalar)->count}), (Words{0, 1}));
    // A product that overflows, even behind a zero size, or a negative size fails: the
    // old array goes and the sizes stay as given.
    const int64_t bad[][3] = {{1 << 30, 1LL << 40, 1 << 30}, {0, INT64_MAX, 2}, {2, -3, 4}};
    for (const auto& sizes : bad) {
        std::memcpy(v.strides, sizes, sizeof sizes);
        EXPECT_EQ(AllocateMultiArray(3, 4, TypeLong, nullptr, &v.array), nullptr);
        EXPECT_EQ(v.array, nullptr);
        EXPECT_EQ(v.strides[1], sizes[1]);
    }
    EXPECT_EQ(AllocateMultiArray(2, 4, TypeLong, nullptr, nullptr), nullptr);
}

TEST(Arrays, CopyRefusesArraysThatDoNotMatch) {
    MultiVariable m = {nullptr, {2, 2}};
    void* multi = AllocateMultiArray(2, 4, TypeLong, nullptr, &m.array);
    void *a = nullptr, *b = nullptr;
    auto* source = static_cast<int32_t*>(AllocateArray(4, 4, TypeLong, nullptr, &a));
    EXPECT_EQ(CopyArray(nullptr, source, 1), 0);
    EXPECT_EQ(CopyArray(source, nullptr, 1), 0);
    EXPECT_EQ(CopyArray(source, multi, 1), 0);
    EXPECT_EQ(m.array, multi);
    // Without reallocate, another count (2) or element size (8) leaves the target as it is.
    for (int64_t size : {4, 8}) {
        auto* target = static_cast<int32_t*>(AllocateArray(size, size / 2, TypeLong, nullptr, &b));
        target[0] = 5;
        EXPECT_EQ(CopyArray(source, target, 0), 0);
        EXPECT_EQ(target[0], 5);
    }
    void* orphan = AllocateArray(4, 3, 7, nullptr, nullptr); // nowhere to reallocate into
    EXPECT_EQ(CopyArray(source, orphan, 1), 0);
    for (void* array : {multi, a, b, orphan}) {
        FreeArray(array);
    }
}

TEST(Arrays, CopyWithReallocateTakesTheSourceLayoutAndStrides) {
    void *a = nullptr, *b = nullptr;
    auto* source = static_cast<int32_t*>(AllocateArray(4, 3, 7, nullptr, &a));
    source[0] = 1, source[1] = -2, source[2] = 3;
    EXPECT_EQ(CopyArray(source, AllocateArray(4, 10, TypeLong, nullptr, &b), 1), 1);
    auto* copy = static_cast<int32_t*>(b);
    EXPECT_EQ((Words{ArrayHeader(copy)->count, ArrayHeader(copy)->typeCode}), (Words{3, 7}));
    EXPECT_EQ(ArrayHeader(copy)->variable, &b);
    EXPECT_EQ(std::vector<int32_t>(copy, copy + 3), (std::vector<int32_t>{1, -2, 3}));
    MultiVariable s = {nullptr, {2, 6}}, t = {nullptr, {5, 5}};
    auto* grid = static_cast<int32_t*>(AllocateMultiArray(2, 4, TypeLong, nullptr, &s.array));
    void* target = AllocateMultiArray(2, 4, TypeLong, nullptr, &t.array);
    grid[11] = 42;
    EXPECT_EQ(CopyArray(grid, target, 0), 0); // 25 elements: the strides stay 5, 1
    EXPECT_EQ(t.strides[0], 5);
    EXPECT_EQ(CopyArray(grid, target, 1), 1);
    EXPECT_EQ((Words{t.strides[0], t.strides[1]}), (Words{6, 1}));
    EXPECT_EQ(static_cast<int32_t*>(t.array)[11], 42);
    for (void* array : {a, b, s.array, t.array}) {
        FreeArray(array);
    }
}

int64_t W(const int64_t* map) {
    return reinterpret_cast<int64_t>(map);
}

std::u16string Text(const char16_t* s) {
    return s != nullptr ? std::u16string(s) : std::u16string();
}

struct Inner {
    int32_t id, spare;
    char16_t* label;
};
const int64_t kInner[] = {8, MapEnd};

struct Outer {
    char16_t* title;
    Inner one, pair[2];
    int32_t *numbers, *grid;
    int64_t gridStrides[2], plain;
};
static_assert(offsetof(Outer, pair) == 24 && offsetof(Outer, grid) == 64);
// clang-format off
const int64_t kOuter[] = {
    0,
    MapStructure, 8, 16, W(kInner),
    MapFixedArray, 2, 24, 16, W(kInner),
    MapArray, 56, 4, 3, TypeLong, 0,
    MapMultiArray, 64, 2, 4, TypeLong, 0, 2, 3,
    MapEnd};
// clang-format on

void Fill(Outer* o, const char16_t* title, int32_t base) {
    StringDuplicate(&o->title, title);
    StringDuplicate(&o->one.label, u"one");
    StringDuplicate(&o->pair[1].label, u"pair");
    o->one.id = base, o->pair[1].id = base + 1, o->numbers[2] = base + 2;
    o->grid[5] = base + 3, o->plain = base + 4;
}

TEST(Structures, DeepCopySharesNothingWithTheSource) {
    Outer source = {}, copy = {};
    InitializeStructure(&source, kOuter);
    InitializeStructure(&copy, kOuter);
    EXPECT_EQ((Words{ArrayHeader(source.numbers)->count, ArrayHeader(source.grid)->count}),
              (Words{3, 6}));
    Fill(&source, u"source", 10);
    Fill(&copy, u"replaced", 50); // its strings and arrays must be released, not leaked
    copy.gridStrides[0] = 99;
    CopyStructure(&copy, sizeof copy, kOuter, &source);
    EXPECT_EQ(ArrayHeader(copy.numbers)->variable, reinterpret_cast<void**>(&copy.numbers));
    EXPECT_EQ(copy.gridStrides[0], 3);
    ClearStructure(&source, kOuter); // the copy must not depend on anything freed here
    EXPECT_EQ(Text(copy.title), u"source");
    EXPECT_EQ(Text(copy.one.label), u"one");
    EXPECT_EQ(Text(copy.pair[1].label), u"pair");
    EXPECT_EQ((Words{copy.one.id, copy.pair[1].id, copy.numbers[2], copy.grid[5], copy.plain}),
              (Words{10, 11, 12, 13, 14}));
    ClearStructure(&copy, kOuter);
    ClearStructure(&copy, kOuter); // cleared fields are empty: a second clear frees nothing
}

TEST(Structures, PlainBytesAroundStringsAreCopiedAsTheyAre) {
    struct Named {
        char16_t* name;
        uint8_t bytes[12];
    };
    Named source = {nullptr, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}}, copy = {};
    StringDuplicate(&source.name, u"kick");
    StringDuplicate(&copy.name, u"old");
    CopyStructure(&copy, 20, kString, &source);
    StringFree(source.name);
    EXPECT_EQ(Text(copy.name), u"kick");
    EXPECT_EQ(std::memcmp(copy.bytes, source.bytes, 12), 0);
    StringFree(copy.name);
    char into[6] = {};
    CopyStructure(into, 4, nullptr, "abcdef"); // no map: plain bytes only
    CopyStructure(into, 0, nullptr, "xy");
    EXPECT_EQ(std::string(into, 6), std::string("abcd\0\0", 6));
}

TEST(Structures, ArrayOfStructuresWithArrays) {
    void *variable = nullptr, *other = nullptr;
    auto* a = static_cast<Outer*>(AllocateArray(sizeof(Outer), 2, 0, kOuter, &variable));
    ASSERT_NE(a[1].numbers, nullptr);
    Fill(&a[1], u"second", 20);
    AllocateArray(sizeof(Outer), 1, 0, kOuter, &other);
    ASSERT_EQ(CopyArray(a, other, 1), 1);
    auto* b = static_cast<Outer*>(other);
    a[1].numbers[2] = -1;
    FreeArray(a);
    EXPECT_EQ(Text(b[1].title), u"second");
    EXPECT_EQ((Words{b[0].numbers[0], b[1].numbers[2]}), (Words{0, 22}));
    FreeArray(b);
}

TEST(Structures, HasDynamicFields) {
    const int64_t strings[] = {0, 8, MapEnd};
    const int64_t list[] = {MapList, 0, 16, 0, 0, MapEnd};
    const int64_t textMap[] = {0, MapTextMap, 8, 16, 0, 0, 1, MapEnd};
    const int64_t multi[] = {MapMultiArray, 0, 1, 4, TypeLong, 0, 5, MapEnd};
    const int64_t array[] = {MapArray, 0, 4, 1, TypeLong, 0, MapEnd};
    const int64_t nestedArray[] = {MapStructure, 0, 8, W(array), MapEnd};
    const int64_t nestedStrings[] = {MapStructure, 0, 16, W(strings), MapEnd};
    const int64_t fixedOfLists[] = {MapFixedArray, 3, 0, 16, W(list), MapEnd};
    const std::pair<const int64_t*, int> cases[] = {
        {nullptr, 0}, {strings, 0},     {list, 1},          {textMap, 1},
        {multi, 1},   {nestedArray, 1}, {nestedStrings, 0}, {fixedOfLists, 1}};
    for (const auto& [map, expected] : cases) {
        EXPECT_EQ(HasDynamicFields(map), expected) << "map starting " << (map ? *map : 0);
    }
}

} // namespace
