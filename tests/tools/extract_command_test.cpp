#include "tests/tools/tool_test_support.h"
#include "tools/output_names.h"

#include <filesystem>
#include <unistd.h>

namespace {

// One record at 8000 Hz whose codes 0x77 0x08 decode to 11, 41, 37, 40.
Bytes FourSamplePackage() {
    Bytes p = RecordHeader(8000, 10);
    Append(p, BlockHeader(2, 8));
    Append(p, {0x77, 0x08});
    return p;
}

// count empty records, record p at 8000 + p Hz so that each WAV file is told by its rate.
Bytes RatePackage(int count) {
    Bytes p;
    for (int k = 0; k < count; k++)
        Append(p, RecordHeader(static_cast<uint16_t>(8000 + k), 0));
    return p;
}

uint32_t RateOf(const Bytes& wav) {
    return wav.size() < 28 ? 0 : wav[24] | wav[25] << 8 | wav[26] << 16 | wav[27] << 24;
}

class ExtractCommandTest : public ToolTest {};

TEST_F(ExtractCommandTest, WritesTheExactWavImageReplacingAnOlderFile) {
    WriteBytes(Path("four.sel"), FourSamplePackage());
    WriteBytes(Path("four.sel.000.WAV"), Bytes(500, 0xEE));
    const ToolResult result = RunTool({"extract", "-o", dir_, Path("four.sel")});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.out, "Wrote 1 WAV file from 1 package to " + dir_ + ".\n");
    EXPECT_EQ(ReadBytes(Path("four.sel.000.WAV")), CanonicalWav(8000, {11, 41, 37, 40}));
}

TEST_F(ExtractCommandTest, RepeatedNamesNeverOverwriteAFileOfTheSameRun) {
    WriteBytes(Path("big.sel"), RatePackage(1001));
    const std::string out = Path("out");
    std::filesystem::create_directory(out);
    const ToolResult result =
        RunTool({"extract", "--only", "100,1000", "-o", out, Path("big.sel"), Path("big.sel")});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "Wrote 4 WAV files from 2 packages to " + out + ".\n");
    const std::pair<const char*, uint32_t> files[] = {{"big.sel.100.WAV", 8100},
                                                      {"big.sel.1000.WAV", 9000},
                                                      {"big.sel.100-2.WAV", 8100},
                                                      {"big.sel.1000-2.WAV", 9000}};
    for (const auto& [name, rate] : files)
        EXPECT_EQ(RateOf(ReadBytes(out + "/" + name)), rate) << name;
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(out), {}), 4);
    const std::string warning = "marrowvale-sounds: warning: " + Path("big.sel") + ": ";
    EXPECT_EQ(result.err, warning +
                              "1 sample saved under another name, the name being used already "
                              "in this run (big.sel.100 at position 1000 as big.sel.1000.WAV)\n" +
                              warning +
                              "2 samples saved under another name, the name being used already "
                              "in this run (big.sel.100 at position 100 as big.sel.100-2.WAV, "
                              "...)\n");
}

TEST(OutputNamerTest, FallsBackToFullPositionThenPackageNumber) {
    OutputNamer namer;
    const std::pair<std::tuple<const char*, int64_t, int>, const char*> claims[] = {
        {{"a.sel.100", 100, 1}, "a.sel.100.WAV"},     {{"a.sel.100", 1000, 1}, "a.sel.1000.WAV"},
        {{"A.SEL.100", 100, 2}, "A.SEL.100-2.WAV"}, // same name but for the case
        {{"a.sel.100", 1000, 2}, "a.sel.1000-2.WAV"}, {{"a.sel.005", 5, 2}, "a.sel.005.WAV"},
        {{"a.sel.005", 5, 2}, "a.sel.005-2.WAV"}, // the same package twice as argument 2
        {{"a.sel.005", 5, 2}, "a.sel.005-2-2.WAV"},
    };
    for (const auto& [args, expected] : claims) {
        const auto& [entryName, position, number] = args;
        EXPECT_EQ(namer.Claim(entryName, position, number), expected);
    }
}

TEST_F(ExtractCommandTest, FailedWriteIsReportedAndTheOtherFilesAreWritten) {
    if (!std::filesystem::exists("/dev/full"))
        GTEST_SKIP() << "no /dev/full";
    WriteBytes(Path("two.sel"), RatePackage(2));
    std::filesystem::create_symlink("/dev/full", Path("two.sel.000.WAV"));
    const ToolResult result = RunTool({"extract", "-o", dir_, Path("two.sel")});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err,
              "marrowvale-sounds: " + Path("two.sel.000.WAV") + ": No space left on device\n");
    EXPECT_EQ(result.out,
              "Wrote 1 WAV file from 1 package to " + dir_ + "; 1 could not be written.\n");
    EXPECT_EQ(RateOf(ReadBytes(Path("two.sel.001.WAV"))), 8001u);
}

TEST_F(ExtractCommandTest, PackageNamedLikeAnOutputFileIsNotReplaced) {
    WriteBytes(Path("a.sel"), RatePackage(1));
    WriteBytes(Path("a.sel.000.WAV"), RatePackage(2)); // a package, read second
    const ToolResult result =
        RunTool({"extract", "-o", dir_, Path("a.sel"), Path("a.sel.000.WAV")});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "marrowvale-sounds: " + Path("a.sel.000.WAV") +
                              ": is a package given on the command line; not replaced\n");
    EXPECT_EQ(ReadBytes(Path("a.sel.000.WAV")), RatePackage(2));
    EXPECT_EQ(RateOf(ReadBytes(Path("a.sel.000.WAV.001.WAV"))), 8001u);
}

TEST_F(ExtractCommandTest, PositionsBeyondThePackageFail) {
    WriteBytes(Path("two.sel"), RatePackage(2));
    const ToolResult result =
        RunTool({"extract", "--only", "1,5-7,9", "-o", dir_, Path("two.sel")});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "marrowvale-sounds: " + Path("two.sel") +
                              ": no record at position 5-7, 9 (the package has 2 records)\n");
    EXPECT_FALSE(std::filesystem::exists(Path("two.sel.000.WAV")));
    EXPECT_EQ(RateOf(ReadBytes(Path("two.sel.001.WAV"))), 8001u);
}

TEST_F(ExtractCommandTest, MissingOutputFolderWritesNothing) {
    WriteBytes(Path("two.sel"), RatePackage(2));
    const ToolResult result = RunTool({"extract", "-o", Path("nowhere"), Path("two.sel")});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "marrowvale-sounds: " + Path("nowhere") +
                              ": is not a folder (the output folder must exist)\n");
    EXPECT_EQ(result.out, "");
}

TEST_F(ExtractCommandTest, RelativePathsResolveInTheCurrentFolder) {
    WriteBytes(Path("two.sel"), RatePackage(2));
    const auto before = std::filesystem::current_path();
    std::filesystem::current_path(dir_);
    const ToolResult result = RunTool({"extract", "two.sel"});
    const auto after = std::filesystem::current_path();
    std::filesystem::current_path(before);
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(after, std::filesystem::path(dir_));
    EXPECT_EQ(result.out, "Wrote 2 WAV files from 1 package to the current folder.\n");
    EXPECT_EQ(RateOf(ReadBytes(Path("two.sel.000.WAV"))), 8000u);
}

} // namespace
