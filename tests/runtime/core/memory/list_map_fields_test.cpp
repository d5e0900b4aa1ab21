// List and map fields of structures, reached through the shared routine table. Small fake
// list and map routines stand in for the libraries and record how they are called.

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "runtime/core/memory/memory.h"

namespace {

// One fake object stands for a list or a map; owner is the list or map variable.
struct Fake {
    int64_t size;
    int32_t flags;
    const int64_t* map;
    int64_t buckets;
    void** owner;
    std::vector<int64_t> items;
};

int live = 0;
int lastClearFirst = -1;

Fake* AsFake(const void* object) {
    return static_cast<Fake*>(const_cast<void*>(object));
}

void* Make(void* owner, int64_t size, int32_t flags, const int64_t* map, int64_t buckets) {
    ++live;
    auto* fake = new Fake{size, flags, map, buckets, static_cast<void**>(owner), {}};
    fake->owner[0] = fake;
    return fake;
}

void Release(void* object) {
    --live;
    AsFake(object)->owner[0] = nullptr;
    delete AsFake(object);
}

void InstallFakes() {
    SharedRoutineTable& r = SharedRoutines;
    r.NewList = [](int64_t size, KS_ListObject* object, const int64_t* map, int32_t flags) {
        return static_cast<KS_List*>(Make(object, size, flags, map, 0));
    };
    r.CopyList = [](KS_List* source, KS_List* destination, int clearFirst) {
        lastClearFirst = clearFirst;
        auto& items = AsFake(destination)->items;
        items.insert(items.end(), AsFake(source)->items.begin(), AsFake(source)->items.end());
        return 1;
    };
    r.FreeList = [](KS_List* list) { Release(list); };
    r.GetListParameters = [](const KS_List* list, ListParameters* out) {
        *out = {AsFake(list)->size, AsFake(list)->map, AsFake(list)->flags};
    };
    r.NewMap = [](int64_t size, int32_t flags, const int64_t* map, TextMap** variable,
                  int64_t buckets) {
        return static_cast<TextMap*>(Make(variable, size, flags, map, buckets));
    };
    r.CopyMap = [](TextMap* source, TextMap* destination) {
        AsFake(destination)->items = AsFake(source)->items;
        return 1;
    };
    r.FreeMap = [](TextMap* map) { Release(map); };
    r.GetMapParameters = [](const TextMap* map, MapParameters* out) {
        *out = {AsFake(map)->size, AsFake(map)->flags, AsFake(map)->map, AsFake(map)->buckets};
    };
}

const int64_t kElement[] = {0, MapEnd};

struct Holder {
    TextMap* map;
    KS_List* list;
    void* current;
    int64_t plain;
};
// One map entry per line.
// clang-format off
const int64_t kHolder[] = {
    MapTextMap, 0, 24, 3, reinterpret_cast<int64_t>(kElement), 7,
    MapList, 8, 16, reinterpret_cast<int64_t>(kElement), 2,
    MapEnd};
// clang-format on

class ListMapFields : public ::testing::Test {
protected:
    void SetUp() override {
        saved_ = SharedRoutines;
        InstallFakes();
    }
    void TearDown() override {
        SharedRoutines = saved_;
        EXPECT_EQ(live, 0);
    }

private:
    SharedRoutineTable saved_ = {};
};

TEST_F(ListMapFields, InitializeAndClearPassTheEntryParameters) {
    Holder h = {};
    EXPECT_EQ(HasDynamicFields(kHolder), 1);
    InitializeStructure(&h, kHolder);
    ASSERT_NE(h.map, nullptr);
    ASSERT_NE(h.list, nullptr);
    const Fake* m = AsFake(h.map);
    const Fake* l = AsFake(h.list);
    EXPECT_EQ((std::vector<int64_t>{m->size, m->flags, m->buckets}),
              (std::vector<int64_t>{24, 3, 7}));
    EXPECT_EQ((std::vector<int64_t>{l->size, l->flags}), (std::vector<int64_t>{16, 2}));
    EXPECT_EQ(m->map, kElement);
    EXPECT_EQ(l->map, kElement);
    ClearStructure(&h, kHolder);
    EXPECT_EQ(h.map, nullptr);
    EXPECT_EQ(h.list, nullptr);
}

TEST_F(ListMapFields, CopyRecreatesWithTheSourceParameters) {
    Holder source = {};
    Holder copy = {};
    Make(&source.list, 40, 9, nullptr, 0);
    Make(&source.map, 8, 1, nullptr, 64);
    AsFake(source.list)->items = {1, 2};
    AsFake(source.map)->items = {3};
    source.plain = 77;
    InitializeStructure(&copy, kHolder);
    AsFake(copy.list)->items = {99};

    CopyStructure(&copy, sizeof copy, kHolder, &source);
    EXPECT_EQ(live, 4); // the destination's old list and map are gone
    ASSERT_NE(copy.list, source.list);
    EXPECT_EQ(AsFake(copy.list)->size, 40);
    EXPECT_EQ(AsFake(copy.list)->flags, 9);
    EXPECT_EQ(AsFake(copy.list)->items, (std::vector<int64_t>{1, 2}));
    EXPECT_EQ(lastClearFirst, 0);
    ASSERT_NE(copy.map, source.map);
    EXPECT_EQ(AsFake(copy.map)->buckets, 64);
    EXPECT_EQ(AsFake(copy.map)->items, (std::vector<int64_t>{3}));
    EXPECT_EQ(copy.plain, 77);

    ClearStructure(&source, kHolder);
    CopyStructure(&copy, sizeof copy, kHolder, &source); // an empty source empties the copy
    EXPECT_EQ(copy.list, nullptr);
    EXPECT_EQ(copy.map, nullptr);
}

TEST_F(ListMapFields, FieldsAreSkippedWithoutTheirLibrary) {
    Holder source = {};
    InitializeStructure(&source, kHolder);
    source.plain = 5;
    SharedRoutineTable installed = SharedRoutines;
    SharedRoutines = {};

    Holder copy = {};
    InitializeStructure(&copy, kHolder);
    CopyStructure(&copy, sizeof copy, kHolder, &source);
    EXPECT_EQ(copy.map, nullptr); // never byte-copied: that would share the source's
    EXPECT_EQ(copy.list, nullptr);
    EXPECT_EQ(copy.plain, 5);
    ClearStructure(&source, kHolder);
    EXPECT_NE(source.list, nullptr);

    SharedRoutines = installed;
    ClearStructure(&source, kHolder);
}

} // namespace
