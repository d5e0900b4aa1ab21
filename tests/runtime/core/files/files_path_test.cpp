// Splitting paths into directory and file-name parts as string results.
#include "runtime/core/files/files.h"
#include "runtime/core/strings/strings.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class FilePathTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { InitStringBuffer(); }
};

// Runs one path function at the current TempOffset and checks the result convention:
// the result sits at the position, TempOffset right behind it.
template <typename Function> std::u16string Result(Function function) {
    TempExpression expression;
    int64_t p = TempOffset;
    char16_t* result = function(p);
    EXPECT_EQ(reinterpret_cast<char*>(result), TempBase + p);
    std::u16string text(result);
    EXPECT_EQ(TempOffset, p + 2 * static_cast<int64_t>(text.size()));
    return text;
}

TEST_F(FilePathTest, SplitsPathsIntoDirectoryNameAndStem) {
    struct Case {
        const char16_t* path;
        std::u16string directory;
        std::u16string name;
        std::u16string stem;
    };
    const Case cases[] = {
        {u"/a/b/c.txt", u"/a/b/", u"c.txt", u"c"},
        {u"c.txt", u"", u"c.txt", u"c"},
        {u"/a/b/", u"/a/b/", u"", u""},
        {u"/", u"/", u"", u""},
        {u"a", u"", u"a", u"a"},
        {u"", u"", u"", u""},
        {nullptr, u"", u"", u""},
        {u"\"/a/b/c.txt\"", u"/a/b/", u"c.txt", u"c"},
        {u"\"/x/my file.mus\" -v", u"/x/", u"my file.mus", u"my file"},
        {u"\"", u"", u"", u""},
        {u"x.tar.gz", u"", u"x.tar.gz", u"x.tar"},
        {u"/home/u/.profile", u"/home/u/", u".profile", u".profile"},
        {u"name.", u"", u"name.", u"name."},
        {u"a.b c", u"", u"a.b c", u"a.b c"},
        {u"a b.c", u"", u"a b.c", u"a b"},
        {u"/dir.d/file", u"/dir.d/", u"file", u"file"},
        {u"..", u"", u"..", u".."},
        {u"music.mus", u"", u"music.mus", u"music"},
        {u"/v\u00E4/kl\u00E4ng.sel", u"/v\u00E4/", u"kl\u00E4ng.sel", u"kl\u00E4ng"},
    };
    for (const Case& c : cases) {
        std::u16string shown = c.path ? c.path : u"(null)";
        SCOPED_TRACE(std::string(shown.begin(), shown.end()));
        EXPECT_EQ(Result([&](int64_t p) { return GetPathPart(c.path, p); }), c.directory);
        EXPECT_EQ(Result([&](int64_t p) { return GetFilePart(c.path, 0, p); }), c.name);
        EXPECT_EQ(Result([&](int64_t p) { return GetFilePart(c.path, FileNoFlags, p); }), c.stem);
    }
}

TEST_F(FilePathTest, InputMayBeTheResultAtTheSamePosition) {
    TempExpression expression;
    int64_t start = TempOffset;
    TempAppend(u"head:");
    int64_t p = TempOffset;
    GetPathPart(u"/music/set/x.tar.gz", p); // "/music/set/" lies at p
    char16_t* name = GetFilePart(reinterpret_cast<char16_t*>(TempBase + p), 0, p);
    EXPECT_EQ(std::u16string(name), u"");
    GetFilePart(u"/music/x.tar.gz", 0, p); // "x.tar.gz" lies at p
    char16_t* stem = GetFilePart(reinterpret_cast<char16_t*>(TempBase + p), 1, p);
    EXPECT_EQ(std::u16string(stem), u"x.tar");
    EXPECT_EQ(TempOffset, p + 2 * 5);
    EXPECT_EQ(std::u16string(reinterpret_cast<char16_t*>(TempBase + start)), u"head:x.tar");
}

} // namespace
