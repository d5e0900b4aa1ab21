// Replacing files whole: refusals before anything is written, the temporary file's
// protection, modes and ownership kept or told, the in-place fallback. Protections are
// checked as an unprivileged user.
#include "runtime/core/files/file_replace.h"
#include "tests/unprivileged.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

class FileReplaceTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/file_replace_XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
        chmod(dir.c_str(), 0777); // the unprivileged user creates files here too
    }
    void TearDown() override {
        for (const auto& entry : fs::recursive_directory_iterator(dir))
            chmod(entry.path().c_str(), 0755);
        fs::remove_all(dir);
    }

    static std::string Contents(const fs::path& p) {
        std::ifstream in(p, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    static void Put(const fs::path& p, const std::string& text, mode_t mode) {
        std::ofstream(p, std::ios::binary) << text;
        chmod(p.c_str(), mode);
    }
    static struct stat Status(const fs::path& p) {
        struct stat st {};
        stat(p.c_str(), &st);
        return st;
    }
    static size_t FilesIn(const fs::path& p) {
        return static_cast<size_t>(std::distance(fs::directory_iterator(p), {}));
    }
    // Begin, write text, Commit: the first reason or "", then the notice after a "|".
    static std::string Replace(const fs::path& p, const std::string& text) {
        FileReplacement replacement;
        std::string reason = replacement.Begin(p);
        if (reason.empty() && write(replacement.Descriptor(), text.data(), text.size()) !=
                                  static_cast<ssize_t>(text.size()))
            reason = "short write";
        if (reason.empty())
            reason = replacement.Commit();
        return reason + "|" + replacement.Notice();
    }

    fs::path dir;
};

TEST_F(FileReplaceTest, RefusesBeforeWritingAnything) {
    Put(dir / "ro.WAV", "old", 0444);
    mkfifo((dir / "fifo.WAV").c_str(), 0666);
    fs::create_directory(dir / "folder.WAV");
    fs::create_directory(dir / "closed");
    chmod((dir / "closed").c_str(), 0555);
    const std::pair<const char*, const char*> cases[] = {
        {"ro.WAV", "Permission denied"},         {"fifo.WAV", "Not a regular file"},
        {"folder.WAV", "Is a directory"},        {"missing/a.WAV", "No such file or directory"},
        {"closed/new.WAV", "Permission denied"},
    };
    for (const auto& [name, reason] : cases) {
        const fs::path target = dir / name;
        EXPECT_EQ(AsUnprivilegedUser([&] { return Replace(target, "new"); }),
                  std::string(reason) + "|")
            << name;
    }
    EXPECT_EQ(Contents(dir / "ro.WAV"), "old");
    EXPECT_EQ(FilesIn(dir), 4u);
    EXPECT_EQ(FilesIn(dir / "closed"), 0u);
}

TEST_F(FileReplaceTest, WritesAPrivateTemporaryAndKeepsTheMode) {
    const fs::path target = dir / "a.WAV";
    Put(target, "old contents", 0640);
    {
        FileReplacement replacement;
        ASSERT_EQ(replacement.Begin(target), "");
        const fs::path temporary = replacement.WritePath();
        EXPECT_EQ(temporary.parent_path(), dir);
        EXPECT_EQ(temporary.filename().string().rfind(".a.WAV.", 0), 0u);
        EXPECT_EQ(Status(temporary).st_mode & 07777, 0600u);
        EXPECT_FALSE(replacement.InPlace());
        // Not committed: the temporary file goes with the replacement.
    }
    EXPECT_EQ(FilesIn(dir), 1u);
    EXPECT_EQ(Replace(target, "new"), "|");
    EXPECT_EQ(Contents(target), "new");
    EXPECT_EQ(Status(target).st_mode & 07777, 0640u);
    EXPECT_EQ(FilesIn(dir), 1u);
}

TEST_F(FileReplaceTest, KeepsOwnershipWhereItMayAndTellsWhereNot) {
    if (geteuid() != 0)
        GTEST_SKIP() << "files of other users need an administrator to make";
    const fs::path theirs = dir / "theirs.WAV", shared = dir / "shared.WAV";
    Put(theirs, "old", 0640);
    ASSERT_EQ(chown(theirs.c_str(), 1234, 1234), 0);
    EXPECT_EQ(Replace(theirs, "new"), "|");
    EXPECT_EQ(Status(theirs).st_uid, 1234u);
    EXPECT_EQ(Status(theirs).st_gid, 1234u);
    // Writable by all but owned by the administrator: an ordinary user cannot keep that.
    Put(shared, "old", 0666);
    EXPECT_EQ(AsUnprivilegedUser([&] { return Replace(shared, "new"); }),
              "|its owner is now nobody instead of root and its group nogroup instead of root");
    EXPECT_EQ(Contents(shared), "new");
    EXPECT_EQ(Status(shared).st_uid, UnprivilegedId);
    EXPECT_EQ(Status(shared).st_mode & 07777, 0666u);
}

TEST_F(FileReplaceTest, AWritableFileInAClosedFolderIsWrittenInPlace) {
    const fs::path folder = dir / "closed", target = folder / "a.WAV";
    fs::create_directory(folder);
    Put(target, "old contents", 0644);
    if (geteuid() == 0) {
        ASSERT_EQ(chown(target.c_str(), UnprivilegedId, UnprivilegedId), 0);
    }
    chmod(folder.c_str(), 0555);
    EXPECT_EQ(AsUnprivilegedUser([&] { return Replace(target, "new"); }), "|");
    EXPECT_EQ(Contents(target), "new");
    EXPECT_EQ(FilesIn(folder), 1u);
}

} // namespace
