// Saving from the window: complete files only, links followed, modes kept, reasons told.
#include "app/sample_save.h"

#include "runtime/core/files/files.h"
#include "runtime/core/strings/strings.h"
#include "tests/file_size_limit.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

class SampleSaveTest : public ::testing::Test {
protected:
    void SetUp() override {
        InitStringBuffer();
        InitFiles();
        char pattern[] = "/tmp/sample_save_XXXXXX";
        dir = mkdtemp(pattern);
        image.assign(44 + 3000, 0);
        for (size_t i = 0; i < image.size(); i++)
            image[i] = static_cast<uint8_t>(i * 7);
        entry.WavImage = image.data();
        entry.DataSize = 3000;
    }
    void TearDown() override {
        fs::remove_all(dir);
        EndFiles();
    }

    static std::string Contents(const fs::path& p) {
        std::ifstream in(p, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    std::string Image() const { return {image.begin(), image.end()}; }
    // Names in the folder, hidden ones included: a temporary file left behind shows here.
    size_t FilesIn(const fs::path& p) const {
        return static_cast<size_t>(std::distance(fs::directory_iterator(p), {}));
    }

    fs::path dir;
    std::vector<uint8_t> image;
    SampleEntry entry{};
};

// Through a link to a file, and a dangling relative link to one not there yet.
TEST_F(SampleSaveTest, ReplacesTheFileALinkNamesWholeAndKeepsItsMode) {
    fs::create_directory(dir / "real");
    const fs::path target = dir / "real" / "b.WAV", link = dir / "link.WAV";
    std::ofstream(target) << "old contents";
    chmod(target.c_str(), 0640);
    fs::create_symlink(target, link);
    fs::create_symlink("real/c.WAV", dir / "new.WAV");
    EXPECT_EQ(SaveSampleSafely(entry, link).error, "");
    EXPECT_EQ(SaveSampleSafely(entry, dir / "new.WAV").error, "");
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(Contents(target), Image());
    EXPECT_EQ(Contents(dir / "real" / "c.WAV"), Image());
    struct stat st {};
    stat(target.c_str(), &st);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(FilesIn(dir / "real"), 2u);
}

// The refusals before writing are the file replacement's, tested with it.
TEST_F(SampleSaveTest, AFailedSaveTellsWhyAndLeavesTheOldFile) {
    EXPECT_EQ(SaveSampleSafely(entry, dir / "missing" / "a.WAV").error,
              "No such file or directory");
    const fs::path target = dir / "kept.WAV";
    std::ofstream(target) << "old contents";
    std::string reason;
    {
        const FileSizeLimit full(1000); // below the image
        reason = SaveSampleSafely(entry, target).error;
    }
    EXPECT_EQ(reason, "File too large");
    EXPECT_EQ(Contents(target), "old contents");
    EXPECT_EQ(FilesIn(dir), 1u);
}

} // namespace
