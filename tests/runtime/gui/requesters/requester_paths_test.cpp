// The default-file split, the filter conversion and the data folder, without dialogs.
#include "runtime/gui/requesters/requesters.h"
#include "runtime/gui/requesters/requesters_internal.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <climits>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

std::string WorkingDirectory() {
    char path[PATH_MAX];
    return getcwd(path, sizeof path) ? path : "";
}

TEST(RequesterPaths, DefaultFileSplitsAtItsLastSlashAfterPositionZero) {
    struct Case {
        const char16_t* defaultFile;
        bool directory;
        bool hasDirectory;
        const char16_t* startDirectory;
        const char16_t* name;
    };
    const Case cases[] = {
        {u"/a/b/c.mus", false, true, u"/a/b", u"c.mus"},
        {u"c.mus", false, false, u"", u"c.mus"},
        {u"/a/b/", false, true, u"/a/b", u""}, // a directory: opens there, no name
        {u"/c.mus", false, false, u"", u"/c.mus"},
        {u"/a/b/", true, true, u"/a", u"b/"}, // the trailing "/" is skipped, then kept
        {u"/a/b", true, true, u"/a", u"b"},
        {u"a/", true, false, u"", u"a"},
        {u"/", true, false, u"", u""},
        {u"/", false, false, u"", u"/"},
        {u"", false, false, u"", u""},
    };
    for (const Case& c : cases) {
        const DefaultFileParts parts = SplitDefaultFile(c.defaultFile, c.directory);
        const std::string label = QString::fromStdU16String(c.defaultFile).toStdString() +
                                  (c.directory ? " (directory)" : "");
        EXPECT_EQ(parts.hasDirectory, c.hasDirectory) << label;
        EXPECT_EQ(parts.directory, c.startDirectory) << label;
        EXPECT_EQ(parts.name, c.name) << label;
    }
}

TEST(RequesterPaths, PatternPairsBecomeNameFilters) {
    using Filters = std::vector<std::u16string>;
    const std::pair<const char16_t*, Filters> cases[] = {
        {u"Marrowvale music (*.mus)|*.mus;*.MUS;|Marrowvale speech (*.svl)|*.svl;*.SVL;|"
         u"Marrowvale sounds (*.sel)|*.sel;*.SEL;|All supported formats|"
         u"*.mus;*.MUS;*.svl;*.SVL;*.sel;*.SEL;",
         {u"Marrowvale music (*.mus) (*.mus *.MUS)", u"Marrowvale speech (*.svl) (*.svl *.SVL)",
          u"Marrowvale sounds (*.sel) (*.sel *.SEL)",
          u"All supported formats (*.mus *.MUS *.svl *.SVL *.sel *.SEL)"}},
        {u"*.WAV", {u"*.WAV (*.WAV)"}},
        {u"*.a;*.b;", {u"*.a *.b (*.a *.b)"}},
        {u"Text|*.txt", {u"Text (*.txt)"}},
        {u"Text|*.txt;|", {u"Text (*.txt)"}},
        {u"| *.a ; *.b;", {u"*.a *.b (*.a *.b)"}},
        {u"Any|", {u"Any (*)"}},
        {u"", {}},
    };
    for (const auto& [pattern, filters] : cases)
        EXPECT_EQ(NameFiltersOf(pattern), filters)
            << QString::fromStdU16String(pattern).toStdString();
}

TEST(RequesterPaths, PatternPositionFallsBackToTheFirstFilter) {
    const std::vector<std::u16string> four = {u"a", u"b", u"c", u"d"};
    const std::pair<int, int> cases[] = {{3, 3}, {0, 0}, {4, 0}, {-1, 0}};
    for (const auto& [position, index] : cases)
        EXPECT_EQ(FilterIndexAt(four, position), index) << position;
    EXPECT_EQ(FilterIndexAt({}, 0), -1);
    EXPECT_EQ(WithTrailingSlash(u"/a/b"), u"/a/b/");
    EXPECT_EQ(WithTrailingSlash(u"/a/b/"), u"/a/b/");
    EXPECT_EQ(WithTrailingSlash(u"/"), u"/");
}

TEST(RequesterPaths, DataFolderLiesBesideTheExecutablesFolder) {
    const std::pair<const char*, const char*> cases[] = {
        {"/usr/bin/marrowvale-sound-decoder", "/usr/bin/../share/marrowvale-sound-decoder"},
        {"build/app/marrowvale-sound-decoder", "build/app/../share/marrowvale-sound-decoder"},
        {"/decoder", "/../share/marrowvale-sound-decoder"},
        {"decoder", ""},
        {"", ""},
    };
    for (const auto& [executable, folder] : cases)
        EXPECT_EQ(DataFolderOf(executable), folder) << executable;
}

TEST(RequesterPaths, WorkingDirectoryMovesOnlyIntoAnExistingDataFolder) {
    const std::string start = WorkingDirectory();
    QTemporaryDir prefix;
    ASSERT_TRUE(QDir(prefix.path()).mkpath("share/marrowvale-sound-decoder"));
    ASSERT_TRUE(QDir(prefix.path()).mkpath("bin"));
    const std::string root = QDir(prefix.path()).canonicalPath().toStdString();

    EXPECT_EQ(EnterDataFolder(root + "/elsewhere/bin/decoder"), 0);
    EXPECT_EQ(WorkingDirectory(), start);
    ASSERT_TRUE(QDir(prefix.path()).mkpath("other/bin"));
    ASSERT_TRUE(QDir(prefix.path()).mkpath("other/share"));
    QFile plain(QString::fromStdString(root + "/other/share/marrowvale-sound-decoder"));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly)); // a file where the folder should be
    plain.close();
    EXPECT_EQ(EnterDataFolder(root + "/other/bin/decoder"), 0);
    EXPECT_EQ(WorkingDirectory(), start);

    EXPECT_EQ(EnterDataFolder(root + "/bin/decoder"), 1);
    EXPECT_EQ(WorkingDirectory(), root + "/share/marrowvale-sound-decoder");
    ASSERT_EQ(chdir(start.c_str()), 0);
}

TEST(RequesterPaths, InitFileSystemStaysWhereItIsWithoutADataFolder) {
    char executable[PATH_MAX] = {};
    ASSERT_GT(readlink("/proc/self/exe", executable, sizeof executable - 1), 0);
    if (QDir(QString::fromStdString(DataFolderOf(executable))).exists())
        GTEST_SKIP() << "a data folder lies beside the test executable";
    const std::string start = WorkingDirectory();
    InitFileSystem();
    EXPECT_EQ(WorkingDirectory(), start);
    EndFileSystem();
}

} // namespace
