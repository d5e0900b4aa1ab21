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
    // default file, for the directory dialog, has a directory, start directory, name
    const std::tuple<const char16_t*, bool, bool, std::u16string, std::u16string> cases[] = {
        {u"/a/b/c.mus", false, true, u"/a/b", u"c.mus"},
        {u"c.mus", false, false, u"", u"c.mus"},
        {u"/a/b/", false, true, u"/a/b", u""}, // a directory: opens there, no name
        {u"/c.mus", false, false, u"", u"/c.mus"},
        {u"/a/b/", true, true, u"/a", u"b/"}, // the trailing "/" is skipped, then kept
        {u"/a/b", true, true, u"/a", u"b"},
        {u"/", true, false, u"", u""},
        {u"", false, false, u"", u""},
    };
    for (const auto& [defaultFile, directory, hasDirectory, start, name] : cases) {
        const DefaultFileParts parts = SplitDefaultFile(defaultFile, directory);
        EXPECT_EQ(std::tie(parts.hasDirectory, parts.directory, parts.name),
                  std::tie(hasDirectory, start, name))
            << QString::fromStdU16String(defaultFile).toStdString() << directory;
    }
}

TEST(RequesterPaths, PatternPairsBecomeNameFilters) {
    using Filters = std::vector<std::u16string>;
    const std::pair<const char16_t*, Filters> cases[] = {
        {u"Music (*.mus)|*.mus;*.MUS;|All supported formats|*.mus;*.MUS;*.sel;",
         {u"Music (*.mus) (*.mus *.MUS)", u"All supported formats (*.mus *.MUS *.sel)"}},
        {u"*.WAV", {u"*.WAV (*.WAV)"}},
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
    const QDir root(QDir(prefix.path()).canonicalPath());
    for (const char* path : {"bin", "share/marrowvale-sound-decoder", "other/bin", "other/share"})
        ASSERT_TRUE(root.mkpath(path)) << path;
    QFile plain(root.filePath("other/share/marrowvale-sound-decoder"));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly)); // a file where the folder should be
    const std::string base = root.path().toStdString();
    EXPECT_EQ(EnterDataFolder(base + "/elsewhere/bin/decoder"), 0);
    EXPECT_EQ(EnterDataFolder(base + "/other/bin/decoder"), 0);
    EXPECT_EQ(WorkingDirectory(), start);
    EXPECT_EQ(EnterDataFolder(base + "/bin/decoder"), 1);
    EXPECT_EQ(WorkingDirectory(), base + "/share/marrowvale-sound-decoder");
    ASSERT_EQ(chdir(start.c_str()), 0);
}

} // namespace
