#include "runtime/core/lists/lists.h"
#include "runtime/core/memory/memory.h"
#include "runtime/core/strings/strings.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

// Two string fields, as in a file-type record, and a plain number.
struct Named {
    char16_t* pattern;
    char16_t* description;
    int64_t number;
};
const int64_t NamedMap[] = {0, 8, MapEnd};

// A record that embeds a list of Named records.
struct Holder {
    char16_t* title;
    KS_ListObject children;
};
const int64_t HolderMap[] = {0, MapList, 8, sizeof(Named), reinterpret_cast<int64_t>(NamedMap),
                             3, MapEnd};

std::u16string Text(const char16_t* s) {
    return s ? std::u16string(s) : std::u16string();
}

Named* AddNamed(KS_List* list, const char16_t* pattern, const char16_t* description,
                int64_t number) {
    auto* named = static_cast<Named*>(AddElement(list));
    StringAssign(&named->pattern, pattern);
    StringAssign(&named->description, description);
    named->number = number;
    return named;
}

std::vector<std::u16string> Patterns(const KS_List* list) {
    std::vector<std::u16string> patterns;
    for (KS_ListHeader* e = list->first; e; e = e->next)
        patterns.push_back(Text(static_cast<Named*>(ListElementData(e))->pattern));
    return patterns;
}

class ListCopyTest : public ::testing::Test {
protected:
    void SetUp() override {
        InitLists();
        ASSERT_NE(NewList(sizeof(Named), &source, NamedMap, 0), nullptr);
        ASSERT_NE(NewList(sizeof(Named), &destination, NamedMap, 0), nullptr);
    }
    void TearDown() override {
        FreeList(source.list);
        FreeList(destination.list);
    }

    KS_ListObject source{};
    KS_ListObject destination{};
};

TEST_F(ListCopyTest, CopyWithClearGivesAnIndependentDuplicate) {
    AddNamed(source.list, u"*.mus", u"music", 1);
    AddNamed(source.list, u"*.svl", u"speech", 2);
    AddNamed(destination.list, u"old", u"gone", 9);
    ASSERT_EQ(CopyList(source.list, destination.list, 1), 1);
    EXPECT_EQ(Patterns(destination.list), (std::vector<std::u16string>{u"*.mus", u"*.svl"}));
    auto* last = static_cast<Named*>(ListElementData(destination.current));
    EXPECT_EQ(last->number, 2);
    EXPECT_EQ(Text(last->description), u"speech");
    EXPECT_EQ(ListIndex(destination.list), 1);

    auto* original = static_cast<Named*>(ListElementData(source.list->first));
    auto* copy = static_cast<Named*>(ListElementData(destination.list->first));
    EXPECT_NE(original->pattern, copy->pattern);
    SelectElement(source.list, 0);
    DeleteElement(source.list, 0);
    ClearList(source.list); // the copy keeps its own strings; LeakSanitizer sees the rest
    EXPECT_EQ(Text(copy->pattern), u"*.mus");
    EXPECT_EQ(Text(copy->description), u"music");
}

TEST_F(ListCopyTest, CopyWithoutClearInsertsAfterTheCurrentElement) {
    AddNamed(source.list, u"a", nullptr, 0);
    AddNamed(source.list, u"b", nullptr, 0);
    AddNamed(destination.list, u"x", nullptr, 0);
    AddNamed(destination.list, u"y", nullptr, 0);
    SelectElement(destination.list, 0);
    ASSERT_EQ(CopyList(source.list, destination.list, 0), 1);
    EXPECT_EQ(Patterns(destination.list), (std::vector<std::u16string>{u"x", u"a", u"b", u"y"}));
    ResetList(destination.list);
    ASSERT_EQ(CopyList(source.list, destination.list, 0), 1);
    EXPECT_EQ(Patterns(destination.list),
              (std::vector<std::u16string>{u"a", u"b", u"x", u"a", u"b", u"y"}));
    EXPECT_EQ(ListIndex(destination.list), 1);
}

TEST_F(ListCopyTest, CopyOntoItselfDuplicatesEachElementOnce) {
    AddNamed(source.list, u"a", nullptr, 0);
    AddNamed(source.list, u"b", nullptr, 0);
    AddNamed(source.list, u"c", nullptr, 0);
    SelectElement(source.list, 1);
    ASSERT_EQ(CopyList(source.list, source.list, 0), 1);
    EXPECT_EQ(Patterns(source.list),
              (std::vector<std::u16string>{u"a", u"b", u"a", u"b", u"c", u"c"}));
    ASSERT_EQ(CopyList(source.list, source.list, 1), 1);
    EXPECT_EQ(ListSize(source.list), 6);
}

TEST_F(ListCopyTest, RefusesNullListsAndOtherElementTypes) {
    AddNamed(destination.list, u"kept", nullptr, 0);
    KS_ListObject plain{};
    ASSERT_NE(NewList(sizeof(Named), &plain, nullptr, 0), nullptr);
    KS_ListObject wider{};
    ASSERT_NE(NewList(sizeof(Named) + 8, &wider, NamedMap, 0), nullptr);
    EXPECT_EQ(CopyList(nullptr, destination.list, 1), 0);
    EXPECT_EQ(CopyList(source.list, nullptr, 1), 0);
    EXPECT_EQ(CopyList(plain.list, destination.list, 1), 0);
    EXPECT_EQ(CopyList(wider.list, destination.list, 1), 0);
    EXPECT_EQ(Patterns(destination.list), (std::vector<std::u16string>{u"kept"}));
    EXPECT_EQ(CopyList(plain.list, plain.list, 0), 1); // an empty list onto itself
    FreeList(plain.list);
    FreeList(wider.list);
}

TEST_F(ListCopyTest, EmbeddedListsAreCreatedCopiedAndFreedThroughSharedRoutines) {
    EXPECT_EQ(SharedRoutines.NewList, &NewList);
    KS_ListObject holders{};
    KS_List* list = NewList(sizeof(Holder), &holders, HolderMap, 0);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->hasDynamicFields, 1);
    auto* holder = static_cast<Holder*>(AddElement(list));
    ASSERT_NE(holder->children.list, nullptr);
    EXPECT_EQ(holder->children.list->listObject, &holder->children);
    ListParameters parameters{};
    GetListParameters(holder->children.list, &parameters);
    EXPECT_EQ(parameters.elementDataSize, static_cast<int64_t>(sizeof(Named)));
    EXPECT_EQ(parameters.structureMap, NamedMap);
    EXPECT_EQ(parameters.flags, 3);
    StringAssign(&holder->title, u"outer");
    AddNamed(holder->children.list, u"inner", u"child", 5);

    KS_ListObject copies{};
    ASSERT_NE(NewList(sizeof(Holder), &copies, HolderMap, 0), nullptr);
    ASSERT_EQ(CopyList(list, copies.list, 1), 1);
    auto* copy = static_cast<Holder*>(ListElementData(copies.current));
    ASSERT_NE(copy->children.list, nullptr);
    EXPECT_NE(copy->children.list, holder->children.list);
    EXPECT_EQ(copy->children.list->listObject, &copy->children);
    FreeList(list); // frees the original's inner list and strings
    EXPECT_EQ(holders.list, nullptr);
    EXPECT_EQ(Text(copy->title), u"outer");
    EXPECT_EQ(Patterns(copy->children.list), (std::vector<std::u16string>{u"inner"}));
    DeleteElement(copies.list, 0);
    EXPECT_EQ(ListSize(copies.list), 0);
    FreeList(copies.list);
}

} // namespace
