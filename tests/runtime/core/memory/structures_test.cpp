// Structure maps: initialising, clearing and deep-copying structures with strings, nested
// structures and arrays.

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "runtime/core/memory/memory.h"
#include "runtime/core/strings/strings.h"

namespace {

int64_t W(const int64_t* map) {
    return reinterpret_cast<int64_t>(map);
}

char16_t* NewString(const char16_t* text) {
    char16_t* s = nullptr;
    StringDuplicate(&s, text);
    return s;
}

std::u16string Text(const char16_t* s) {
    return s != nullptr ? std::u16string(s) : std::u16string();
}

struct Inner {
    int32_t id;
    int32_t spare;
    char16_t* label;
};
const int64_t kInner[] = {8, MapEnd};

struct Outer {
    char16_t* title;
    Inner one;
    Inner pair[2];
    int32_t* numbers;
    int32_t* grid;
    int64_t gridStrides[2];
    int64_t plain;
};
static_assert(offsetof(Outer, one) == 8 && offsetof(Outer, pair) == 24);
static_assert(offsetof(Outer, numbers) == 56 && offsetof(Outer, grid) == 64);
// One map entry per line.
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
    o->title = NewString(title);
    o->one = {base, 0, NewString(u"one")};
    o->pair[1] = {base + 1, 0, NewString(u"pair")};
    o->numbers[2] = base + 2;
    o->grid[5] = base + 3;
    o->plain = base + 4;
}

TEST(Structures, DeepCopySharesNothingWithTheSource) {
    Outer source = {};
    Outer copy = {};
    InitializeStructure(&source, kOuter);
    InitializeStructure(&copy, kOuter);
    EXPECT_EQ(ArrayHeader(source.numbers)->count, 3);
    EXPECT_EQ(ArrayHeader(source.grid)->dimensions, 2);
    EXPECT_EQ(ArrayHeader(source.grid)->count, 6);
    Fill(&source, u"source", 10);
    Fill(&copy, u"replaced", 50); // its strings and arrays must be released, not leaked
    copy.gridStrides[0] = 99;

    CopyStructure(&copy, sizeof copy, kOuter, &source);
    EXPECT_NE(copy.title, source.title);
    EXPECT_NE(copy.numbers, source.numbers);
    EXPECT_EQ(ArrayHeader(copy.numbers)->variable, reinterpret_cast<void**>(&copy.numbers));
    EXPECT_EQ(copy.gridStrides[0], 3);
    ClearStructure(&source, kOuter);
    EXPECT_EQ(source.one.label, nullptr);
    EXPECT_EQ(source.numbers, nullptr);

    EXPECT_EQ(Text(copy.title), u"source");
    EXPECT_EQ(copy.one.id, 10);
    EXPECT_EQ(Text(copy.one.label), u"one");
    EXPECT_EQ(copy.pair[0].label, nullptr);
    EXPECT_EQ(copy.pair[1].id, 11);
    EXPECT_EQ(Text(copy.pair[1].label), u"pair");
    EXPECT_EQ(copy.numbers[2], 12);
    EXPECT_EQ(copy.grid[5], 13);
    EXPECT_EQ(copy.plain, 14);
    ClearStructure(&copy, kOuter);
    ClearStructure(&copy, kOuter); // cleared fields are empty: a second clear frees nothing
}

TEST(Structures, PlainBytesAroundStringsAreCopiedAsTheyAre) {
    struct Named {
        char16_t* name;
        uint8_t bytes[12];
    };
    const int64_t nameMap[] = {0, MapEnd};
    Named source = {NewString(u"kick"), {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}};
    Named copy = {NewString(u"old"), {}};
    CopyStructure(&copy, 20, nameMap, &source);
    StringFree(source.name);
    EXPECT_EQ(Text(copy.name), u"kick");
    EXPECT_EQ(std::memcmp(copy.bytes, source.bytes, 12), 0);
    StringFree(copy.name);

    const int64_t onlyEnd[] = {MapEnd};
    for (const int64_t* map : {static_cast<const int64_t*>(nullptr), onlyEnd}) {
        char bytes[6] = {'a', 'b', 'c', 'd', 'e', 'f'};
        char into[6] = {};
        CopyStructure(into, 4, map, bytes);
        CopyStructure(into, 0, map, bytes + 4);
        EXPECT_EQ(std::string(into, 6), std::string("abcd\0\0", 6));
    }
}

TEST(Structures, ArrayOfStructuresWithArrays) {
    void* variable = nullptr;
    auto* a = static_cast<Outer*>(AllocateArray(sizeof(Outer), 2, 0, kOuter, &variable));
    ASSERT_NE(a[1].numbers, nullptr);
    Fill(&a[1], u"second", 20);
    void* other = nullptr;
    AllocateArray(sizeof(Outer), 1, 0, kOuter, &other);
    ASSERT_EQ(CopyArray(a, other, 1), 1);
    auto* b = static_cast<Outer*>(other);
    a[1].numbers[2] = -1;
    FreeArray(a);
    EXPECT_EQ(b[1].numbers[2], 22);
    EXPECT_EQ(Text(b[1].title), u"second");
    EXPECT_EQ(b[0].numbers[0], 0);
    FreeArray(b);
}

TEST(Structures, HasDynamicFields) {
    const int64_t strings[] = {0, 8, MapEnd};
    const int64_t list[] = {MapList, 0, 16, 0, 0, MapEnd};
    const int64_t textMap[] = {0, MapTextMap, 8, 16, 0, 0, 1, MapEnd};
    const int64_t array[] = {MapArray, 0, 4, 1, TypeLong, 0, MapEnd};
    const int64_t nestedArray[] = {MapStructure, 0, 8, W(array), MapEnd};
    const int64_t nestedStrings[] = {MapStructure, 0, 16, W(strings), MapEnd};
    const int64_t fixedOfMaps[] = {MapFixedArray, 3, 0, 16, W(textMap), MapEnd};
    const int64_t multi[] = {MapMultiArray, 0, 1, 4, TypeLong, 0, 5, MapEnd};
    const struct {
        const int64_t* map;
        int expected;
    } cases[] = {{nullptr, 0},     {strings, 0},       {list, 1},        {textMap, 1}, {array, 1},
                 {nestedArray, 1}, {nestedStrings, 0}, {fixedOfMaps, 1}, {multi, 1}};
    for (const auto& c : cases) {
        EXPECT_EQ(HasDynamicFields(c.map), c.expected) << "map starting " << (c.map ? *c.map : 0);
    }
}

} // namespace
