#include "app/file_types.h"

#include "runtime/core/memory/memory.h"
#include "runtime/core/strings/strings.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::u16string Text(const char16_t* s) {
    return s ? std::u16string(s) : std::u16string();
}

class FileTypesTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        InitStringLocale();
        InitStringBuffer();
        InitArrays();
        InitLists();
        InitMemory();
    }
};

// The dialog's default entry is the "All supported formats" pair; a rebuild starts from an
// empty list, and an added kind keeps copies of its own.
TEST_F(FileTypesTest, FilterOfTheThreePackageKindsAndAddedKinds) {
    InitFileTypes();
    AddFileType(u"*.old", u"Gone on rebuild");
    InitFileTypes();
    EXPECT_EQ(Text(PatternFilter),
              u"Marrowvale music (*.mus)|*.mus;*.MUS;|Marrowvale speech (*.svl)|*.svl;*.SVL;|"
              u"Marrowvale sounds (*.sel)|*.sel;*.SEL;|All supported formats|"
              u"*.mus;*.MUS;*.svl;*.SVL;*.sel;*.SEL;");
    EXPECT_EQ(TempOffset, 0);
    char16_t* pattern = nullptr;
    StringAssign(&pattern, u"*.Bnk");
    AddFileType(pattern, u"Marrowvale banks");
    StringAssign(&pattern, u"*.xxx");
    StringFree(pattern);
    ASSERT_EQ(ListSize(FileTypes.list), 4);
    const auto* added = static_cast<FileType*>(SelectElement(FileTypes.list, 3));
    EXPECT_EQ(Text(added->Pattern), u"*.Bnk");
    EXPECT_EQ(Text(added->Description), u"Marrowvale banks");
    EXPECT_EQ(Text(static_cast<FileType*>(SelectElement(FileTypes.list, 0))->Pattern), u"*.mus");
}

} // namespace
