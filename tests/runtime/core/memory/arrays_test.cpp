// Arrays: header, allocation into variables, strides, copying and freeing.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "runtime/core/memory/memory.h"
#include "runtime/core/strings/strings.h"

namespace {

const int64_t kOneString[] = {0, MapEnd};

// A multi-dimensional array variable with room for its stride words.
struct MultiVariable {
    void* array = nullptr;
    int64_t strides[3] = {};
};

void* NewMulti(MultiVariable* v, int64_t rows, int64_t columns) {
    v->strides[0] = rows, v->strides[1] = columns;
    return AllocateMultiArray(2, 4, TypeLong, nullptr, &v->array);
}

TEST(Arrays, AllocateReplacesTheVariablesArray) {
    void* variable = nullptr;
    auto* old = static_cast<char16_t**>(AllocateArray(8, 3, 8, kOneString, &variable));
    ASSERT_NE(old, nullptr);
    StringDuplicate(&old[1], u"released with the old array"); // else the leak check fails
    auto* a = static_cast<int32_t*>(AllocateArray(4, 8, TypeLong, nullptr, &variable));
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(variable, a);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(a) % 16, 0u);
    const KS_ArrayHeader* h = ArrayHeader(a);
    EXPECT_EQ(reinterpret_cast<const char*>(h) + 48, reinterpret_cast<const char*>(a));
    EXPECT_EQ(h->dimensions, 1);
    EXPECT_EQ(h->elementSize, 4);
    EXPECT_EQ(h->variable, &variable);
    EXPECT_EQ(h->count, 8);
    EXPECT_EQ(h->typeCode, TypeLong);
    EXPECT_EQ(std::vector<int32_t>(a, a + 8), std::vector<int32_t>(8, 0));
    FreeArray(a);
    EXPECT_EQ(variable, nullptr);
    FreeArray(nullptr);
}

TEST(Arrays, ImpossibleRequestsGiveNullAndAnEmptyVariable) {
    const int64_t cases[][2] = {{4, -1}, {-4, 8}, {INT64_MAX, 2}, {1, INT64_MAX}, {1LL << 59, 16}};
    for (const auto& c : cases) {
        void* variable = nullptr;
        ASSERT_NE(AllocateArray(4, 2, TypeLong, nullptr, &variable), nullptr);
        EXPECT_EQ(AllocateArray(c[0], c[1], TypeLong, nullptr, &variable), nullptr) << c[1];
        EXPECT_EQ(variable, nullptr);
    }
    void* empty = AllocateArray(4, 0, TypeLong, nullptr, nullptr);
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(ArrayHeader(empty)->count, 0);
    FreeArray(empty);
}

TEST(Arrays, MultiDimensionalSizesBecomeStrides) {
    MultiVariable v;
    v.strides[0] = 2, v.strides[1] = 3, v.strides[2] = 4;
    auto* a = static_cast<int32_t*>(AllocateMultiArray(3, 4, TypeLong, nullptr, &v.array));
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(ArrayHeader(a)->dimensions, 3);
    EXPECT_EQ(ArrayHeader(a)->count, 24);
    EXPECT_EQ(std::vector<int64_t>(v.strides, v.strides + 3), (std::vector<int64_t>{12, 4, 1}));
    a[1 * 12 + 2 * 4 + 3] = 7; // the last element
    FreeArray(a);
    EXPECT_EQ(v.array, nullptr);

    void* scalar = AllocateMultiArray(0, 8, 3, nullptr, &v.array);
    EXPECT_EQ(ArrayHeader(scalar)->dimensions, 0);
    EXPECT_EQ(ArrayHeader(scalar)->count, 1);
    // A product that overflows, even behind a zero size, or a negative size fails: the
    // old array goes and the sizes stay as given.
    const int64_t bad[][3] = {{1 << 30, 1LL << 40, 1 << 30}, {0, INT64_MAX, 2}, {2, -3, 4}};
    for (const auto& sizes : bad) {
        std::copy(sizes, sizes + 3, v.strides);
        EXPECT_EQ(AllocateMultiArray(3, 4, TypeLong, nullptr, &v.array), nullptr);
        EXPECT_EQ(v.array, nullptr);
        EXPECT_EQ(v.strides[1], sizes[1]);
    }
    EXPECT_EQ(AllocateMultiArray(2, 4, TypeLong, nullptr, nullptr), nullptr);
}

TEST(Arrays, CopyRefusesArraysThatDoNotMatch) {
    MultiVariable m;
    void* multi = NewMulti(&m, 2, 2);
    void* a = nullptr;
    void* b = nullptr;
    auto* source = static_cast<int32_t*>(AllocateArray(4, 4, TypeLong, nullptr, &a));
    source[3] = 9;
    EXPECT_EQ(CopyArray(nullptr, source, 1), 0);
    EXPECT_EQ(CopyArray(source, nullptr, 1), 0);
    EXPECT_EQ(CopyArray(source, multi, 1), 0);
    EXPECT_EQ(m.array, multi);
    // Without reallocate, another count or element size leaves the target untouched.
    for (int64_t size : {4, 8}) {
        auto* target = static_cast<int32_t*>(AllocateArray(size, 8 / size, TypeLong, nullptr, &b));
        target[0] = 5;
        EXPECT_EQ(CopyArray(source, target, 0), 0);
        EXPECT_EQ(target[0], 5);
    }
    void* orphan = AllocateArray(4, 3, 7, nullptr, nullptr); // nowhere to reallocate into
    EXPECT_EQ(CopyArray(source, orphan, 1), 0);
    EXPECT_EQ(CopyArray(source, source, 1), 1);
    EXPECT_EQ(source[3], 9);
    for (void* array : {multi, a, b, orphan}) {
        FreeArray(array);
    }
}

TEST(Arrays, CopyWithReallocateTakesTheSourceLayout) {
    void* a = nullptr;
    void* b = nullptr;
    auto* source = static_cast<int32_t*>(AllocateArray(4, 3, 7, nullptr, &a));
    source[0] = 1, source[1] = -2, source[2] = 3;
    void* old = AllocateArray(4, 10, TypeLong, nullptr, &b);
    EXPECT_EQ(CopyArray(source, old, 1), 1);
    auto* copy = static_cast<int32_t*>(b);
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(ArrayHeader(copy)->count, 3);
    EXPECT_EQ(ArrayHeader(copy)->typeCode, 7);
    EXPECT_EQ(ArrayHeader(copy)->variable, &b);
    EXPECT_EQ(std::vector<int32_t>(copy, copy + 3), (std::vector<int32_t>{1, -2, 3}));
    FreeArray(a);
    FreeArray(b);
}

TEST(Arrays, MultiDimensionalCopyBringsTheStrides) {
    MultiVariable s, t, u;
    auto* source = static_cast<int32_t*>(NewMulti(&s, 2, 6));
    void* target = NewMulti(&t, 3, 4);
    void* larger = NewMulti(&u, 5, 5);
    source[11] = 42;
    EXPECT_EQ(CopyArray(source, larger, 0), 0); // 25 elements keep their strides 5, 1
    EXPECT_EQ(u.strides[0], 5);
    EXPECT_EQ(CopyArray(source, target, 0), 1);
    EXPECT_EQ(t.strides[0], 6);
    EXPECT_EQ(t.strides[1], 1);
    EXPECT_EQ(static_cast<int32_t*>(target)[11], 42);
    for (void* array : {static_cast<void*>(source), target, larger}) {
        FreeArray(array);
    }
}

} // namespace
