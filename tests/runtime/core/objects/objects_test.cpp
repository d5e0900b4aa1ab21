// Numbered object registry: reuse, growth, dynamic ids, scans, and library state blocks.

#include "runtime/core/objects/objects.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

// Slot-table growth is tried far beyond the address space; the allocator must answer null.
extern "C" const char* __asan_default_options() {
    return "allocator_may_return_null=1";
}

namespace {

using Ids = std::vector<int64_t>;

struct Record {
    int64_t handle, value; // the handle is non-zero while the object lives
};

ObjectRegistry* current = nullptr;
Ids freedIds;
// Registries live until the process ends; a plain table keeps them reachable to the leak check.
ObjectRegistry* kept[32];
int keptCount = 0;

ObjectRegistry* NewRegistry(int32_t growStep, ObjectFreeCallback callback) {
    return kept[keptCount++ % 32] = NewObjectRegistry(sizeof(Record), growStep, callback);
}

// Behaves like a kind's free command: releases a live object, ignores anything else.
void FreeTestObject(int64_t id) {
    freedIds.push_back(id);
    if (GetObject(current, id)) {
        FreeObject(current, id);
    }
}

class ObjectsTest : public ::testing::Test {
protected:
    void SetUp() override { freedIds.clear(), current = registry; }
    int64_t Make(int64_t number) {
        auto* record = static_cast<Record*>(AllocateObject(registry, number));
        *record = {1, 1};
        return number == AnyNumber ? reinterpret_cast<int64_t>(record) : number;
    }
    ObjectRegistry* registry = NewRegistry(16, FreeTestObject);
};

TEST_F(ObjectsTest, NumberedRecordsKeepTheirStorageAndGrowTheTable) {
    Make(5);
    void* storage = registry->slots[5];
    EXPECT_EQ(AllocateObject(registry, 5), storage);
    EXPECT_EQ(freedIds, Ids{5}); // the kind's free command ran first
    EXPECT_EQ(static_cast<Record*>(storage)->value, 0);
    Make(5);
    FreeObject(registry, 5);
    EXPECT_EQ(registry->slots[5], storage);
    EXPECT_EQ(static_cast<Record*>(storage)->value, 0);
    EXPECT_EQ(GetObject(registry, 5), nullptr);
    // Without a callback a reused record is still cleared, and FreeAllObjects does nothing.
    ObjectRegistry* plain = NewRegistry(4, nullptr);
    auto* record = static_cast<Record*>(AllocateObject(plain, 2));
    *record = {0, 9}; // absent (handle 0) but dirty
    EXPECT_EQ(AllocateObject(plain, 2), record);
    EXPECT_EQ(record->value, 0);
    record->handle = 5;
    FreeAllObjects(plain);
    EXPECT_EQ(GetObject(plain, 2), record);
    // Growth: to the number plus the step, with every new slot unused.
    const int64_t cases[][2] = {{15, 16}, {16, 32}, {100, 116}}; // number, capacity
    for (const auto& c : cases) {
        ObjectRegistry* fresh = NewRegistry(16, nullptr);
        ASSERT_NE(AllocateObject(fresh, c[0]), nullptr);
        EXPECT_EQ(fresh->capacity, c[1]) << c[0];
        EXPECT_EQ(std::count(fresh->slots, fresh->slots + c[1], nullptr), c[1] - 1) << c[0];
    }
    const int32_t badShapes[][2] = {{0, 16}, {7, 16}, {8, 0}, {8, -3}};
    for (const auto& shape : badShapes) {
        EXPECT_EQ(NewObjectRegistry(shape[0], shape[1], nullptr), nullptr) << shape[0];
    }
}

TEST_F(ObjectsTest, DynamicIdsLiveUntilTheirOwnFree) {
    Ids ids = {Make(AnyNumber), Make(AnyNumber), Make(AnyNumber), Make(AnyNumber)};
    // Free the newest (the list head), then a middle one, then the oldest (the tail).
    for (size_t position : {3, 1, 0}) {
        int64_t gone = ids[position];
        FreeObject(registry, gone);
        ids.erase(ids.begin() + static_cast<int64_t>(position));
        EXPECT_EQ(GetObject(registry, gone), nullptr) << position;
        EXPECT_EQ(IsObject(registry, gone), nullptr) << position;
        ids.push_back(Make(AnyNumber));
    }
    // A scan's caller may free the object just returned, and the one the cursor points at.
    Ids seen;
    ResetObjectIteration(registry);
    for (int64_t id = 0; NextObject(registry, &id);) {
        seen.push_back(id);
        FreeObject(registry, id);
        if (id == ids[0]) {
            FreeObject(registry, ids[1]);
        }
    }
    EXPECT_EQ(seen, (Ids{ids[0], ids[2], ids[3]}));
    EXPECT_EQ(registry->dynamicHead, nullptr);
}

// A scan yields live numbers ascending, then every dynamic record (oldest first), live or not.
TEST_F(ObjectsTest, UnknownIdsLeaveTheTableAndFreeAllFollowsTheScan) {
    for (int64_t number : {7, 1, 2, 20}) { // 20 lies beyond the first growth, to 36
        Make(number);
    }
    FreeObject(registry, 2); // zero-filled: skipped
    int64_t older = Make(AnyNumber);
    int64_t absent = reinterpret_cast<int64_t>(AllocateObject(registry, AnyNumber));
    // Below -1; number + step overflowing; the highest that fits; bytes overflowing; no memory.
    for (int64_t number :
         {int64_t{-2}, INT64_MIN, INT64_MAX, INT64_MAX - 16, INT64_MAX / 8 - 1, int64_t{1} << 45}) {
        EXPECT_EQ(AllocateObject(registry, number), nullptr) << number;
    }
    for (int64_t id : {int64_t{-2}, INT64_MIN, AnyNumber, int64_t{16}, int64_t{5000}}) {
        EXPECT_EQ(GetObject(registry, id), nullptr) << id;
        EXPECT_EQ(IsObject(registry, id), nullptr) << id;
        FreeObject(registry, id);
    }
    EXPECT_EQ(registry->capacity, 36);
    FreeAllObjects(registry);
    EXPECT_EQ(freedIds, (Ids{1, 7, 20, older, absent}));
    EXPECT_NE(IsObject(registry, absent), nullptr); // still linked, though not live
    EXPECT_EQ(GetObject(registry, absent), nullptr);
}

void* block; // state blocks live until the process ends

// The constructor adds 7 and a field that must read 0; the destructor is never called.
TEST(LibraryStateTest, ZeroFilledBlockGoesThroughTheConstructorOnly) {
    auto add = [](void* b) { static_cast<int64_t*>(b)[1] += static_cast<int64_t*>(b)[2] + 7; };
    block = NewLibraryState(24, add, add);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(static_cast<int64_t*>(LibraryState(block))[1], 7);
}

} // namespace
