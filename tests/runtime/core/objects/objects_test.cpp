#include "runtime/core/objects/objects.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

// Slot-table growth is tried far beyond the address space; the allocator must answer null.
extern "C" const char* __asan_default_options() {
    return "allocator_may_return_null=1";
}

namespace {

struct Record {
    int64_t handle; // non-zero while live
    int64_t value;
};

ObjectRegistry* current = nullptr;
std::vector<int64_t> freedIds;

// Registries live until the process ends; a plain global table keeps them reachable.
ObjectRegistry* kept[64];
int keptCount = 0;

ObjectRegistry* NewRegistry(int32_t growStep, ObjectFreeCallback callback) {
    ObjectRegistry* registry = NewObjectRegistry(sizeof(Record), growStep, callback);
    if (registry && keptCount < 64) {
        kept[keptCount++] = registry;
    }
    return registry;
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
    void SetUp() override {
        freedIds.clear();
        registry = NewRegistry(16, FreeTestObject);
        ASSERT_NE(registry, nullptr);
        current = registry;
    }

    // Creates a live object (handle = value) and returns its id.
    int64_t Make(int64_t number, int64_t value) {
        auto* record = static_cast<Record*>(AllocateObject(registry, number));
        EXPECT_NE(record, nullptr);
        if (!record) {
            return 0;
        }
        *record = {value, value};
        return number == AnyNumber ? reinterpret_cast<int64_t>(record) : number;
    }

    std::vector<int64_t> Scan() {
        std::vector<int64_t> ids;
        int64_t id = 0;
        ResetObjectIteration(registry);
        while (NextObject(registry, &id)) {
            ids.push_back(id);
        }
        return ids;
    }

    ObjectRegistry* registry = nullptr;
};

TEST_F(ObjectsTest, NewRegistryStartsWithGrowStepEmptySlotsAndRefusesBadShapes) {
    EXPECT_EQ(registry->capacity, 16);
    for (int64_t i = 0; i < 16; ++i) {
        EXPECT_EQ(registry->slots[i], nullptr);
    }
    EXPECT_EQ(registry->dynamicHead, nullptr);
    const int32_t bad[][2] = {{0, 16}, {7, 16}, {8, 0}, {8, -3}};
    for (const auto& shape : bad) {
        EXPECT_EQ(NewObjectRegistry(shape[0], shape[1], nullptr), nullptr) << shape[0];
    }
}

TEST_F(ObjectsTest, ReusingANumberCallsTheFreeCommandAndKeepsTheStorage) {
    Make(5, 77);
    void* first = registry->slots[5];
    void* second = AllocateObject(registry, 5);
    EXPECT_EQ(second, first);
    EXPECT_EQ(freedIds, std::vector<int64_t>{5});
    EXPECT_EQ(static_cast<Record*>(second)->value, 0);

    // Without a callback the stale fields of a reused record are still cleared.
    ObjectRegistry* plain = NewRegistry(4, nullptr);
    auto* record = static_cast<Record*>(AllocateObject(plain, 2));
    *record = {0, 9}; // absent (handle 0) but dirty
    EXPECT_EQ(AllocateObject(plain, 2), record);
    EXPECT_EQ(record->value, 0);
}

TEST_F(ObjectsTest, FreedNumberKeepsAZeroFilledRecord) {
    Make(3, 42);
    void* storage = registry->slots[3];
    FreeObject(registry, 3);
    EXPECT_EQ(registry->slots[3], storage);
    EXPECT_EQ(static_cast<Record*>(storage)->value, 0);
    EXPECT_EQ(GetObject(registry, 3), nullptr);
    EXPECT_EQ(IsObject(registry, 3), nullptr);
}

TEST_F(ObjectsTest, GrowsToNumberPlusStepWithUnusedNewSlots) {
    const struct { int64_t number, capacity; } cases[] = {{15, 16}, {16, 32}, {100, 116}};
    for (const auto& c : cases) {
        ObjectRegistry* fresh = NewRegistry(16, nullptr);
        ASSERT_NE(AllocateObject(fresh, c.number), nullptr);
        EXPECT_EQ(fresh->capacity, c.capacity) << c.number;
        for (int64_t i = 0; i < fresh->capacity; ++i) {
            EXPECT_EQ(fresh->slots[i] != nullptr, i == c.number) << i;
        }
        EXPECT_EQ(GetObject(fresh, c.number - 1), nullptr);
    }
}

TEST_F(ObjectsTest, FailedGrowthLeavesTheRegistryAsItWas) {
    Make(2, 5);
    void** slots = registry->slots;
    const int64_t numbers[] = {INT64_MAX,         // number + step overflows
                               INT64_MAX - 16,    // highest number whose count fits
                               INT64_MAX / 8 - 1, // byte size overflows
                               int64_t{1} << 45}; // far beyond any address space
    for (int64_t number : numbers) {
        EXPECT_EQ(AllocateObject(registry, number), nullptr) << number;
        EXPECT_EQ(registry->capacity, 16);
        EXPECT_EQ(registry->slots, slots);
    }
    EXPECT_EQ(static_cast<Record*>(GetObject(registry, 2))->value, 5);
}

TEST_F(ObjectsTest, IdsBelowMinusOneNeverIndexTheTable) {
    Make(0, 1);
    int64_t dynamic = Make(AnyNumber, 2);
    for (int64_t number : {int64_t{-2}, int64_t{-17}, INT64_MIN}) {
        EXPECT_EQ(AllocateObject(registry, number), nullptr) << number;
    }
    // Unknown ids: negative, AnyNumber itself, numbers beyond the table.
    for (int64_t id : {int64_t{-2}, INT64_MIN, AnyNumber, int64_t{16}, int64_t{5000}}) {
        EXPECT_EQ(GetObject(registry, id), nullptr) << id;
        EXPECT_EQ(IsObject(registry, id), nullptr) << id;
        FreeObject(registry, id);
    }
    EXPECT_EQ(registry->capacity, 16);
    EXPECT_EQ(Scan(), (std::vector<int64_t>{0, dynamic}));
}

TEST_F(ObjectsTest, DynamicIdsLiveUntilTheirOwnFree) {
    // Free the newest (head), a middle one and the oldest (tail) of four.
    for (int position : {3, 1, 0}) {
        std::vector<int64_t> ids;
        for (int i = 0; i < 4; ++i) {
            ids.push_back(Make(AnyNumber, 10 + i));
        }
        int64_t gone = ids[position];
        FreeObject(registry, gone);
        ids.erase(ids.begin() + position);
        EXPECT_EQ(GetObject(registry, gone), nullptr) << position;
        EXPECT_EQ(IsObject(registry, gone), nullptr) << position;
        int64_t extra = Make(AnyNumber, 99);
        for (int64_t id : ids) {
            EXPECT_NE(GetObject(registry, id), nullptr) << position;
        }
        ids.push_back(extra);
        EXPECT_EQ(Scan(), ids) << position;
        for (int64_t id : ids) {
            FreeObject(registry, id);
        }
        EXPECT_EQ(registry->dynamicHead, nullptr);
    }
}

TEST_F(ObjectsTest, ScanYieldsLiveNumbersAscendingThenDynamicOldestFirst) {
    Make(7, 1);
    Make(1, 1);
    Make(2, 1);
    FreeObject(registry, 2); // zero-filled: skipped
    Make(20, 1);             // beyond the first growth
    int64_t older = Make(AnyNumber, 1);
    int64_t absent = reinterpret_cast<int64_t>(AllocateObject(registry, AnyNumber));
    EXPECT_EQ(Scan(), (std::vector<int64_t>{1, 7, 20, older, absent}));
    // Only membership is asked of IsObject; GetObject also wants the record live.
    EXPECT_NE(IsObject(registry, absent), nullptr);
    EXPECT_EQ(GetObject(registry, absent), nullptr);
}

TEST_F(ObjectsTest, ObjectsMayBeFreedDuringAScan) {
    Make(0, 1);
    Make(4, 1);
    int64_t a = Make(AnyNumber, 1);
    int64_t b = Make(AnyNumber, 1);
    int64_t c = Make(AnyNumber, 1);
    std::vector<int64_t> seen;
    int64_t id = 0;
    ResetObjectIteration(registry);
    while (NextObject(registry, &id)) {
        seen.push_back(id);
        FreeObject(registry, id);
        if (id == a) {
            FreeObject(registry, b); // the object the cursor points at next
        }
    }
    EXPECT_EQ(seen, (std::vector<int64_t>{0, 4, a, c}));
    EXPECT_EQ(registry->dynamicHead, nullptr);
    EXPECT_TRUE(Scan().empty());
}

TEST_F(ObjectsTest, FreeAllObjectsCallsTheCallbackInScanOrder) {
    Make(9, 1);
    Make(3, 1);
    int64_t older = Make(AnyNumber, 1);
    int64_t newer = Make(AnyNumber, 1);
    FreeAllObjects(registry);
    EXPECT_EQ(freedIds, (std::vector<int64_t>{3, 9, older, newer}));
    EXPECT_TRUE(Scan().empty());

    ObjectRegistry* plain = NewRegistry(4, nullptr);
    static_cast<Record*>(AllocateObject(plain, 1))->handle = 5;
    FreeAllObjects(plain);
    EXPECT_NE(GetObject(plain, 1), nullptr);
}

int constructed = 0;
void Construct(void* block) {
    constructed += static_cast<int>(static_cast<int64_t*>(block)[2]) + 1;
}

void* blocks[2]; // state blocks live until the process ends

TEST(LibraryStateTest, ZeroFilledBlockSeenThroughLibraryState) {
    blocks[0] = NewLibraryState(24, Construct, Construct);
    ASSERT_NE(blocks[0], nullptr);
    EXPECT_EQ(constructed, 1); // constructor once, on a zero-filled block; destructor never
    EXPECT_EQ(LibraryState(blocks[0]), blocks[0]);
    blocks[1] = NewLibraryState(0, nullptr, nullptr);
    EXPECT_NE(blocks[1], nullptr);
    EXPECT_EQ(NewLibraryState(-1, nullptr, nullptr), nullptr);
}

} // namespace
