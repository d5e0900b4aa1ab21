#include "runtime/core/lists/lists.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

struct Item {
    int64_t value;
    int64_t spare;
};

// A list variable with its list, released at the end of each test.
class ListTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NE(NewList(sizeof(Item), &object, nullptr, 0), nullptr); }
    void TearDown() override { FreeList(object.list); }

    KS_List* list() { return object.list; }

    void Fill(int64_t n) {
        for (int64_t i = 0; i < n; ++i)
            static_cast<Item*>(AddElement(list()))->value = i;
    }

    std::vector<int64_t> Values() {
        std::vector<int64_t> values;
        for (KS_ListHeader* e = list()->first; e; e = e->next)
            values.push_back(ValueOf(ListElementData(e)));
        return values;
    }

    // Value of the current element as the program sees it, -1 for none.
    int64_t Current() {
        EXPECT_EQ(object.current, list()->current);
        return ValueOf(ListElementData(object.current));
    }

    static int64_t ValueOf(void* data) { return data ? static_cast<Item*>(data)->value : -1; }

    KS_ListObject object{};
};

TEST_F(ListTest, AddInsertsAfterTheCurrentElementOrInFront) {
    EXPECT_EQ(list()->currentVariable, &object.current);
    void* data = AddElement(list());
    EXPECT_EQ(data, ListElementData(object.current));
    EXPECT_EQ(list()->first, list()->last);
    EXPECT_EQ(ListIndex(list()), 0);
    static_cast<Item*>(data)->value = 10;
    static_cast<Item*>(AddElement(list()))->value = 20;
    ResetList(list());
    static_cast<Item*>(AddElement(list()))->value = 5;
    EXPECT_EQ(ListIndex(list()), 0);
    SelectElement(list(), 1);
    static_cast<Item*>(AddElement(list()))->value = 15;
    EXPECT_EQ(ListIndex(list()), 2);
    EXPECT_EQ(Values(), (std::vector<int64_t>{5, 10, 15, 20}));
    EXPECT_EQ(list()->last->prev->next, list()->last);
}

TEST_F(ListTest, NextElementVisitsEveryElementOnceAndStopsAtTheLast) {
    EXPECT_EQ(NextElement(list()), nullptr);
    EXPECT_EQ(LastElement(list()), nullptr);
    Fill(3);
    ResetList(list());
    std::vector<int64_t> seen;
    while (void* data = NextElement(list()))
        seen.push_back(ValueOf(data));
    EXPECT_EQ(seen, (std::vector<int64_t>{0, 1, 2}));
    EXPECT_EQ(Current(), 2);
    EXPECT_EQ(ListIndex(list()), 2);
    ResetList(list());
    EXPECT_EQ(ValueOf(LastElement(list())), 2);
    EXPECT_EQ(list()->indexUnknown, 0);
    EXPECT_EQ(list()->index, 2);
}

TEST_F(ListTest, SelectReachesEveryPositionFromAnyStart) {
    Fill(11);
    // Far and near jumps exercise the walks from first, last and current; -2 stands for
    // ResetList, which makes the index unknown.
    const int64_t positions[] = {0, 10, 3, 7, 7, 5, 2, 9, 1, -2, 8, -2, 2, 6, 4, 10, 0};
    for (int64_t position : positions) {
        if (position == -2) {
            ResetList(list());
            continue;
        }
        EXPECT_EQ(ValueOf(SelectElement(list(), position)), position);
        EXPECT_EQ(Current(), position);
        EXPECT_EQ(list()->indexUnknown, 0);
        EXPECT_EQ(ListIndex(list()), position);
    }
}

TEST_F(ListTest, SelectOutOfRangeLeavesNoCurrentElement) {
    Fill(4);
    for (int64_t position : {int64_t{-1}, int64_t{4}, INT64_MAX, INT64_MIN}) {
        SelectElement(list(), 2);
        EXPECT_EQ(SelectElement(list(), position), nullptr) << position;
        EXPECT_EQ(Current(), -1);
        EXPECT_EQ(ListIndex(list()), -1);
        EXPECT_EQ(ValueOf(NextElement(list())), 0);
    }
}

// Each case selects one element of the list 0 .. size - 1 and deletes it.
struct DeleteCase {
    const char* name;
    int64_t size;
    int64_t position;
    int32_t flags;
    int64_t current; // value of the new current element, -1 for none
    int64_t index;   // ListIndex afterwards
    uint8_t indexUnknown;
    std::vector<int64_t> remaining;
    int64_t next; // what NextElement returns afterwards, -1 for null
};

class DeleteTest : public ListTest, public ::testing::WithParamInterface<DeleteCase> {};

TEST_P(DeleteTest, KeepsLinksCurrentAndIndex) {
    const DeleteCase& c = GetParam();
    Fill(c.size);
    SelectElement(list(), c.position);
    EXPECT_EQ(ValueOf(DeleteElement(list(), c.flags)), c.current);
    EXPECT_EQ(Current(), c.current);
    EXPECT_EQ(list()->indexUnknown, c.indexUnknown);
    EXPECT_EQ(ListIndex(list()), c.index);
    EXPECT_EQ(Values(), c.remaining);
    EXPECT_EQ(ListSize(list()), static_cast<int64_t>(c.remaining.size()));
    const bool empty = c.remaining.empty();
    EXPECT_EQ(ValueOf(ListElementData(list()->first)), empty ? -1 : c.remaining.front());
    EXPECT_EQ(ValueOf(ListElementData(list()->last)), empty ? -1 : c.remaining.back());
    EXPECT_EQ(ValueOf(NextElement(list())), c.next);
}

INSTANTIATE_TEST_SUITE_P(
    Lists, DeleteTest,
    ::testing::Values(DeleteCase{"First", 5, 0, 0, -1, -1, 1, {1, 2, 3, 4}, 1},
                      DeleteCase{"FirstKeepCurrent", 5, 0, 1, 1, 0, 0, {1, 2, 3, 4}, 2},
                      DeleteCase{"Middle", 5, 2, 0, 1, 1, 0, {0, 1, 3, 4}, 3},
                      DeleteCase{"Last", 5, 4, 0, 3, 3, 0, {0, 1, 2, 3}, -1},
                      DeleteCase{"Only", 1, 0, 1, -1, -1, 1, {}, -1}),
    [](const auto& info) { return info.param.name; });

TEST_F(ListTest, DeleteWithUnknownIndexAndDeleteLoops) {
    Fill(5);
    ResetList(list());
    EXPECT_EQ(DeleteElement(list(), DeleteKeepCurrent), nullptr); // nothing current
    for (int i = 0; i < 4; ++i)
        NextElement(list());
    EXPECT_EQ(list()->indexUnknown, 1);
    EXPECT_EQ(ValueOf(DeleteElement(list(), 0)), 2);
    EXPECT_EQ(ListIndex(list()), 2);
    // Deleting from the front one by one, as a clearing loop does.
    ResetList(list());
    while (NextElement(list()))
        DeleteElement(list(), 0);
    EXPECT_EQ(ListSize(list()), 0);
    EXPECT_EQ(list()->last, nullptr);
    EXPECT_EQ(list()->allocator->totalItems, 0);
}

TEST_F(ListTest, ClearLeavesAnEmptyListReadyForUse) {
    Fill(40);
    SelectElement(list(), 7);
    ClearList(list());
    EXPECT_EQ(ListSize(list()), 0);
    EXPECT_EQ(Current(), -1);
    EXPECT_EQ(ListIndex(list()), -1);
    Fill(3);
    EXPECT_EQ(Values(), (std::vector<int64_t>{0, 1, 2}));
    // Elements are zero-filled even where a freed slot held data.
    EXPECT_EQ(static_cast<Item*>(ListElementData(list()->last))->spare, 0);
}

TEST_F(ListTest, ListsOfOneElementSizeShareAnAllocator) {
    KS_ListObject other{};
    ASSERT_NE(NewList(sizeof(Item), &other, nullptr, 0), nullptr);
    EXPECT_EQ(other.list->allocator, list()->allocator);
    Fill(3);
    static_cast<Item*>(AddElement(other.list))->value = 99;
    FreeList(other.list);
    EXPECT_EQ(other.list, nullptr);
    EXPECT_EQ(other.current, nullptr);
    static_cast<Item*>(AddElement(list()))->value = 3;
    EXPECT_EQ(Values(), (std::vector<int64_t>{0, 1, 2, 3}));
}

TEST_F(ListTest, SavedPositionsSurviveWalksAndDeletes) {
    Fill(5);
    SelectElement(list(), 2);
    ASSERT_EQ(PushListPosition(list()), 1);
    ResetList(list());
    AddElement(list()); // a new first element shifts the saved one to position 3
    SelectElement(list(), 1);
    PushListPosition(list()); // element 0
    DeleteElement(list(), 0); // deletes it
    EXPECT_EQ(PopListPosition(list()), nullptr);
    EXPECT_EQ(ListIndex(list()), -1);
    EXPECT_EQ(ValueOf(PopListPosition(list())), 2);
    EXPECT_EQ(Current(), 2);
    EXPECT_EQ(ListIndex(list()), 2);             // recounted: one element was added, one deleted
    EXPECT_EQ(PopListPosition(list()), nullptr); // nothing saved: nothing changes
    EXPECT_EQ(Current(), 2);
    PushListPosition(list());
    ClearList(list());
    Fill(1);
    PushListPosition(list()); // left for FreeList to release
    EXPECT_EQ(ValueOf(PopListPosition(list())), 0);
    EXPECT_EQ(PopListPosition(list()), nullptr); // the cleared element is gone
}

TEST(Lists, OwnListObjectBadSizesAndFailedAdds) {
    KS_List* list = NewList(8, nullptr, nullptr, 7);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->ownsListObject, 1);
    EXPECT_EQ(list->listObject->list, list);
    AddElement(list);
    EXPECT_EQ(list->listObject->current, list->first);
    FreeList(list);
    FreeList(nullptr);

    KS_ListObject object{reinterpret_cast<KS_List*>(1), nullptr};
    EXPECT_EQ(NewList(-1, &object, nullptr, 0), nullptr);
    EXPECT_EQ(NewList(INT64_MAX - 8, &object, nullptr, 0), nullptr);
    EXPECT_EQ(object.list, reinterpret_cast<KS_List*>(1));

    ASSERT_NE(NewList(int64_t{1} << 44, &object, nullptr, 0), nullptr);
    EXPECT_EQ(AddElement(object.list), nullptr);
    EXPECT_EQ(ListSize(object.list), 0);
    EXPECT_EQ(object.list->first, nullptr);
    EXPECT_EQ(object.current, nullptr);
    FreeList(object.list);
}

} // namespace
