// Lists with their current element, saved positions and copies, and the block allocator.
#include "runtime/core/lists/lists.h"
#include "runtime/core/memory/memory.h"
#include "runtime/core/strings/strings.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <tuple>
#include <vector>

namespace {

TEST(BlockAllocator, SlotSizeIsOwnerWordPlusItemRoundedTo8AndOnlyFlag1Locks) {
    // item size, slot size, flags, locked
    const int64_t cases[][4] = {
        {0, 8, 1, 1}, {1, 16, 2, 0}, {8, 16, 3, 0}, {9, 24, 5, 1}, {17, 32, 6, 0}};
    for (const auto& c : cases) {
        KS_BlockAllocStruct* allocator = NewBlockAllocator(c[0], 16, 64, int32_t(c[2]));
        EXPECT_EQ(allocator->slotSize, c[1]) << c[0];
        EXPECT_EQ(allocator->locked, c[3]) << c[2];
        FreeBlockAllocator(allocator);
    }
    EXPECT_EQ(NewBlockAllocator(-1, 16, 64, BlockAllocPrivate), nullptr);
    EXPECT_EQ(NewBlockAllocator(INT64_MAX - 8, 16, 64, BlockAllocShared), nullptr);
}

TEST(BlockAllocator, BlocksGrowWithTheTotalWithinBounds) {
    KS_BlockAllocStruct* allocator = NewBlockAllocator(8, 16, 40, BlockAllocPrivate);
    std::vector<int64_t> sizes;
    while (allocator->totalItems < 848) {
        const int64_t before = allocator->totalItems;
        BlockAlloc(allocator);
        if (allocator->totalItems != before)
            sizes.push_back(allocator->totalItems - before);
    }
    std::vector<int64_t> expected(32, 16);  // 16-slot blocks up to 512 slots (496 / 16 = 31)
    expected.insert(expected.end(), 8, 32); // 512 / 16 = 32 up to 736 / 16 = 46, down to 32
    expected.insert(expected.end(), 2, 40); // 768 / 16 = 48, 808 / 16 -> 48: capped at 40
    EXPECT_EQ(sizes, expected);
    FreeBlockAllocator(allocator);
}

TEST(BlockAllocator, FreedSlotsComeBackLastFirstAndEmptyBlocksGo) {
    KS_BlockAllocStruct* allocator = NewBlockAllocator(24, 16, 64, BlockAllocPrivate);
    std::vector<char*> first;
    for (int i = 0; i < 16; ++i)
        first.push_back(static_cast<char*>(BlockAlloc(allocator)));
    KS_AllocBlock* block = allocator->fullBlocks;
    EXPECT_EQ(*reinterpret_cast<KS_AllocBlock**>(first[15] - 8), block); // the owner word
    void* extra = BlockAlloc(allocator);
    BlockFree(allocator, first[3]);
    BlockFree(allocator, first[5]); // the full block reopens, in front
    EXPECT_EQ(allocator->openBlocks, block);
    EXPECT_EQ(allocator->fullBlocks, nullptr);
    EXPECT_EQ(BlockAlloc(allocator), first[5]);
    EXPECT_EQ(BlockAlloc(allocator), first[3]);
    EXPECT_EQ(allocator->fullBlocks, block);
    BlockFree(allocator, extra); // wholly free again: released
    EXPECT_EQ(allocator->totalItems, 16);
    EXPECT_EQ(allocator->openBlocks, nullptr);
    ClearBlockAllocator(allocator); // releases the rest; LeakSanitizer checks
    FreeBlockAllocator(allocator);
}

TEST(BlockAllocator, LockedAllocatorServesTwoThreads) {
    KS_BlockAllocStruct* allocator = NewBlockAllocator(16, 16, 64, BlockAllocLocked);
    auto work = [allocator] {
        for (int round = 0; round < 200; ++round) {
            void* held[50];
            for (void*& item : held)
                item = BlockAlloc(allocator);
            for (void* item : held)
                BlockFree(allocator, item);
        }
    };
    std::thread one(work), two(work);
    one.join();
    two.join();
    EXPECT_EQ(allocator->totalItems, 0);
    FreeBlockAllocator(allocator);
}

TEST(SharedAllocators, OnePerSlotSizeAndFlagsCountedByReference) {
    KS_BlockAllocStruct* a = NewBlockAllocator(2017, 16, 64, BlockAllocShared);
    KS_BlockAllocStruct* b = NewBlockAllocator(2024, 32, 128, BlockAllocShared); // same slot
    KS_BlockAllocStruct* locked = NewBlockAllocator(2024, 16, 64, BlockAllocShared | 1);
    EXPECT_EQ(a, b);
    EXPECT_NE(a, locked);
    EXPECT_EQ(a->sharedEntry->refCount, 2);
    void* item = BlockAlloc(a);
    FreeBlockAllocator(b); // one reference left: the allocator and its blocks stay
    EXPECT_EQ(a->sharedEntry->refCount, 1);
    EXPECT_EQ(a->totalItems, 16);
    BlockFree(a, item);
    FreeBlockAllocator(a);
    FreeBlockAllocator(locked);
}

using Numbers = std::vector<int64_t>;

// A string field, as in a file-type record, and a number.
struct Named {
    char16_t* pattern;
    int64_t number;
};
const int64_t NamedMap[] = {0, MapEnd};

// A record that embeds a list of Named records.
struct Holder {
    char16_t* title;
    KS_ListObject children;
};
const int64_t HolderMap[] = {0, MapList, 8, sizeof(Named), reinterpret_cast<int64_t>(NamedMap),
                             3, MapEnd};

class ListTest : public ::testing::Test {
protected:
    void SetUp() override {
        InitLists();
        ASSERT_NE(NewList(sizeof(Named), &object, NamedMap, 0), nullptr);
    }
    void TearDown() override { FreeList(object.list); }
    KS_List* list() { return object.list; }
    void Fill(int64_t n) {
        for (int64_t i = 0; i < n; ++i)
            Add(list(), i);
    }
    static int64_t Number(void* data) { return data ? static_cast<Named*>(data)->number : -1; }
    static void Add(KS_List* list, int64_t number, const char16_t* pattern = nullptr) {
        auto* named = static_cast<Named*>(AddElement(list));
        named->number = number;
        StringAssign(&named->pattern, pattern);
    }
    // The numbers from first to last, checking every back link, last and count on the way.
    static Numbers NumbersOf(const KS_List* list) {
        Numbers numbers;
        KS_ListHeader* previous = nullptr;
        for (KS_ListHeader* e = list->first; e; previous = e, e = e->next) {
            EXPECT_EQ(e->prev, previous);
            numbers.push_back(Number(ListElementData(e)));
        }
        EXPECT_EQ(list->last, previous);
        EXPECT_EQ(list->count, std::ssize(numbers));
        return numbers;
    }
    // The current element's number as the program sees it, -1 for none.
    int64_t Current() {
        EXPECT_EQ(object.current, list()->current);
        return Number(ListElementData(object.current));
    }
    KS_ListObject object{};
};

TEST_F(ListTest, AddInsertsAfterTheCurrentElementOrInFrontAndNextStopsAtTheLast) {
    EXPECT_EQ(NextElement(list()), nullptr);
    Add(list(), 1);
    EXPECT_EQ(ListIndex(list()), 0);
    Add(list(), 2);
    ResetList(list());
    Add(list(), 0); // in front
    EXPECT_EQ(ListIndex(list()), 0);
    SelectElement(list(), 1);
    Add(list(), 9);
    EXPECT_EQ(ListIndex(list()), 2);
    EXPECT_EQ(Number(LastElement(list())), 2);
    EXPECT_EQ(ListIndex(list()), 3);
    ResetList(list());
    EXPECT_EQ(Current(), -1);
    Numbers seen;
    while (void* data = NextElement(list()))
        seen.push_back(Number(data));
    EXPECT_EQ(seen, (Numbers{0, 1, 9, 2}));
    EXPECT_EQ(NumbersOf(list()), seen);
    EXPECT_EQ(Current(), 2);
    EXPECT_EQ(ListIndex(list()), 3);
}

// Far and near jumps exercise the walks from first, last and current; positions out of
// range leave no current element and make the index unknown.
TEST_F(ListTest, SelectReachesEveryPositionFromAnyStart) {
    Fill(11);
    const int64_t positions[] = {0, 10, 3, 7, 7,  5, 2,         9, 1,         -1,
                                 8, 11, 2, 6, 10, 4, INT64_MIN, 0, INT64_MAX, 10};
    for (int64_t position : positions) {
        const int64_t expected = position >= 0 && position < 11 ? position : -1;
        EXPECT_EQ(Number(SelectElement(list(), position)), expected) << position;
        EXPECT_EQ(Current(), expected);
        EXPECT_EQ(ListIndex(list()), expected);
    }
}

TEST_F(ListTest, DeleteKeepsLinksCurrentAndIndex) {
    // Of 0 .. size - 1, delete at position: new current (-1: none), ListIndex, rest, Next
    const std::tuple<int64_t, int64_t, int32_t, int64_t, int64_t, Numbers, int64_t> cases[] = {
        {5, 0, 0, -1, -1, {1, 2, 3, 4}, 1},        {5, 0, DeleteKeepCurrent, 1, 0, {1, 2, 3, 4}, 2},
        {5, 2, 0, 1, 1, {0, 1, 3, 4}, 3},          {5, 4, 0, 3, 3, {0, 1, 2, 3}, -1},
        {1, 0, DeleteKeepCurrent, -1, -1, {}, -1}, {5, 1, 0, 0, 0, {0, 2, 3, 4}, 2}};
    for (const auto& [size, position, flags, current, index, remaining, next] : cases) {
        SCOPED_TRACE(testing::Message() << size << " " << position << " " << flags);
        ClearList(list());
        Fill(size);
        SelectElement(list(), position);
        EXPECT_EQ(Number(DeleteElement(list(), flags)), current);
        EXPECT_EQ(Current(), current);
        EXPECT_EQ(ListIndex(list()), index);
        EXPECT_EQ(NumbersOf(list()), remaining);
        EXPECT_EQ(Number(NextElement(list())), next);
    }
    ResetList(list());                                            // 0 2 3 4 left
    EXPECT_EQ(DeleteElement(list(), DeleteKeepCurrent), nullptr); // nothing current
    for (int i = 0; i < 3; ++i)
        NextElement(list()); // the index stays unknown
    EXPECT_EQ(Number(DeleteElement(list(), 0)), 2);
    EXPECT_EQ(ListIndex(list()), 1);
}

TEST_F(ListTest, SavedPositionsSurviveWalksAndDeletes) {
    Fill(5);
    SelectElement(list(), 2);
    ASSERT_EQ(PushListPosition(list()), 1);
    SelectElement(list(), 1);
    PushListPosition(list()); // element 1
    DeleteElement(list(), 0); // deletes it, which moves element 2 to position 1
    EXPECT_EQ(PopListPosition(list()), nullptr);
    EXPECT_EQ(ListIndex(list()), -1);
    EXPECT_EQ(Number(PopListPosition(list())), 2);
    EXPECT_EQ(ListIndex(list()), 1);             // recounted
    EXPECT_EQ(PopListPosition(list()), nullptr); // nothing saved: nothing changes
    EXPECT_EQ(Current(), 2);
    PushListPosition(list());
    ClearList(list());
    Fill(1);
    EXPECT_EQ(PopListPosition(list()), nullptr); // the cleared element is gone
    PushListPosition(list());                    // left for FreeList to release
}

TEST_F(ListTest, OwnListObjectBadSizesAndFailedAdds) {
    KS_List* own = NewList(8, nullptr, nullptr, 7);
    ASSERT_NE(own, nullptr);
    EXPECT_EQ(own->listObject->list, own);
    AddElement(own);
    EXPECT_EQ(own->listObject->current, own->first);
    FreeList(own); // LeakSanitizer: the list object goes with it
    FreeList(nullptr);
    KS_ListObject huge{reinterpret_cast<KS_List*>(1), nullptr};
    EXPECT_EQ(NewList(-1, &huge, nullptr, 0), nullptr);
    EXPECT_EQ(NewList(INT64_MAX - 8, &huge, nullptr, 0), nullptr);
    EXPECT_EQ(huge.list, reinterpret_cast<KS_List*>(1));
    ASSERT_NE(NewList(int64_t{1} << 44, &huge, nullptr, 0), nullptr);
    EXPECT_EQ(AddElement(huge.list), nullptr);
    EXPECT_EQ(NumbersOf(huge.list), Numbers{});
    EXPECT_EQ(huge.current, nullptr);
    EXPECT_EQ(huge.list->allocator->totalItems, 0);
    FreeList(huge.list);
    EXPECT_EQ(huge.list, nullptr);
}

// Copies keep the source order after the destination's current element; a list copied onto
// itself gains each element once, and lists of another element type are refused.
TEST_F(ListTest, CopyInsertsAfterTheCurrentElementIntoAListSharingTheAllocator) {
    KS_ListObject copy{}, plain{}, wider{};
    ASSERT_NE(NewList(sizeof(Named), &copy, NamedMap, 0), nullptr);
    EXPECT_EQ(copy.list->allocator, list()->allocator);
    Fill(2);
    Add(copy.list, 8);
    Add(copy.list, 9);
    SelectElement(copy.list, 0);
    ASSERT_EQ(CopyList(list(), copy.list, 0), 1);
    EXPECT_EQ(NumbersOf(copy.list), (Numbers{8, 0, 1, 9}));
    ResetList(copy.list);
    ASSERT_EQ(CopyList(list(), copy.list, 0), 1);
    EXPECT_EQ(NumbersOf(copy.list), (Numbers{0, 1, 8, 0, 1, 9}));
    ASSERT_EQ(CopyList(list(), copy.list, 1), 1);
    EXPECT_EQ(NumbersOf(copy.list), (Numbers{0, 1}));
    EXPECT_EQ(ListIndex(copy.list), 1);
    SelectElement(copy.list, 0);
    ASSERT_EQ(CopyList(copy.list, copy.list, 0), 1);
    EXPECT_EQ(NumbersOf(copy.list), (Numbers{0, 0, 1, 1}));
    ASSERT_EQ(CopyList(copy.list, copy.list, 1), 1);
    ASSERT_NE(NewList(sizeof(Named), &plain, nullptr, 0), nullptr);
    ASSERT_NE(NewList(sizeof(Named) + 8, &wider, NamedMap, 0), nullptr);
    EXPECT_EQ(CopyList(nullptr, copy.list, 1), 0);
    EXPECT_EQ(CopyList(plain.list, copy.list, 1), 0);
    EXPECT_EQ(CopyList(wider.list, copy.list, 1), 0);
    EXPECT_EQ(NumbersOf(copy.list), (Numbers{0, 0, 1, 1}));
    ClearList(list()); // its slots go back to the chain of a block that copy.list still uses
    EXPECT_EQ(Number(AddElement(list())), 0); // zero-filled, although the slot held number 1
    FreeList(copy.list);
    FreeList(plain.list);
    FreeList(wider.list);
    Fill(2); // the list that shared the allocator is intact
    EXPECT_EQ(NumbersOf(list()), (Numbers{0, 0, 1}));
}

TEST_F(ListTest, EmbeddedListsAndStringsAreCopiedAndFreedThroughSharedRoutines) {
    KS_ListObject holders{}, copies{};
    ASSERT_NE(NewList(sizeof(Holder), &holders, HolderMap, 0), nullptr);
    ASSERT_NE(NewList(sizeof(Holder), &copies, HolderMap, 0), nullptr);
    auto* holder = static_cast<Holder*>(AddElement(holders.list));
    ASSERT_NE(holder->children.list, nullptr);
    StringAssign(&holder->title, u"outer");
    Add(holder->children.list, 5, u"inner");
    ASSERT_EQ(CopyList(holders.list, copies.list, 1), 1);
    auto* copy = static_cast<Holder*>(ListElementData(copies.current));
    ASSERT_NE(copy->children.list, holder->children.list);
    EXPECT_EQ(copy->children.list->listObject, &copy->children);
    EXPECT_EQ(copy->children.list->flags, 3);
    FreeList(holders.list); // frees the original's inner list and strings
    EXPECT_EQ(std::u16string(copy->title), u"outer");
    EXPECT_EQ(std::u16string(static_cast<Named*>(ListElementData(copy->children.current))->pattern),
              u"inner");
    EXPECT_EQ(NumbersOf(copy->children.list), Numbers{5});
    DeleteElement(copies.list, 0); // releases the copy's inner list; LeakSanitizer checks
    FreeList(copies.list);
}

} // namespace
