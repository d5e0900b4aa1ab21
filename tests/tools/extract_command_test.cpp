#include "tests/file_size_limit.h"
#include "tests/tools/tool_test_support.h"
#include "tools/file_writes.h"
#include "tools/interruption.h"
#include "tools/output_names.h"
#include "tools/package_load.h"

#include <csignal>
#include <map>
#include <sys/stat.h>

// count empty records, record k at 8000 + k Hz so that each WAV file is told by its rate.
static Bytes RatePackage(int count) {
    std::vector<Bytes> records;
    for (int k = 0; k < count; k++)
        records.push_back(RecordHeader(static_cast<uint16_t>(8000 + k), 0));
    return Cat(records);
}

// Run in the scratch folder, which stays the current one; a relative name beyond 16 bits.
TEST_F(ToolTest, ExtractWritesTheExactWavImageReplacingAnOlderFile) {
    const std::string name = "caf\xC3\xA9\xF0\x9F\x8E\xB5.sel"; // 0x77 0x08: 11, 41, 37, 40
    WriteBytes(Path(name), Record(8000, 2, 8, {0x77, 0x08}));
    WriteBytes(Path(name + ".000.WAV"), Bytes(500, 0xEE));
    const auto before = std::filesystem::current_path();
    std::filesystem::current_path(dir_);
    EXPECT_EQ(RunTool({"extract", name}),
              (ToolResult{0, "Wrote 1 WAV file from 1 package to the current folder.\n", ""}));
    EXPECT_EQ(std::filesystem::current_path(), std::filesystem::path(dir_));
    std::filesystem::current_path(before);
    EXPECT_EQ(ReadBytes(Path(name + ".000.WAV")), CanonicalWav(8000, {11, 41, 37, 40}));
}

TEST_F(ToolTest, ExtractNeverOverwritesAFileOfTheSameRunWhenNamesRepeat) {
    WriteBytes(Path("big.sel"), RatePackage(1001));
    const std::string warning = "marrowvale-sounds: warning: " + Path("big.sel") + ": ";
    const std::string why = " saved under another name, the name being used already in this run ";
    EXPECT_EQ(
        RunTool({"extract", "--only", "100,1000", "-o", dir_, Path("big.sel"), Path("big.sel")}),
        (ToolResult{0, "Wrote 4 WAV files from 2 packages to " + dir_ + ".\n",
                    warning + "1 sample" + why + "(big.sel.100 at position 1000 as " +
                        "big.sel.1000.WAV)\n" + warning + "2 samples" + why +
                        "(big.sel.100 at position 100 as big.sel.100-2.WAV, ...)\n"}));
    for (const auto& [name, rate] : {std::pair{"100", 8100}, std::pair{"1000", 9000},
                                     std::pair{"100-2", 8100}, std::pair{"1000-2", 9000}})
        EXPECT_EQ(ReadBytes(Path("big.sel." + std::string(name) + ".WAV")), CanonicalWav(rate, {}));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_), {}), 5);
}

// Names are compared without regard to case; a name taken again gets a counter.
TEST(OutputNamerTest, FallsBackToPackageNumberThenCounter) {
    OutputNamer namer;
    EXPECT_EQ(namer.Claim("a.sel.005", 5, 1), "a.sel.005.WAV");
    EXPECT_EQ(namer.Claim("A.SEL.005", 5, 1), "A.SEL.005-1.WAV");
    EXPECT_EQ(namer.Claim("a.sel.005", 5, 1), "a.sel.005-1-2.WAV");
    EXPECT_EQ(namer.Claim("a.sel.005", 5, 1), "a.sel.005-1-3.WAV");
}

// Position 0 is a FIFO (never opened, or the run would wait for a reader), 1 is not chosen,
// 3 and beyond are not in the package.
TEST_F(ToolTest, ExtractRefusesWhatIsNotAFileAndMissingPositionsButWritesTheRest) {
    WriteBytes(Path("p.sel"), RatePackage(3));
    ASSERT_EQ(mkfifo(Path("p.sel.000.WAV").c_str(), 0666), 0);
    EXPECT_EQ(
        RunTool({"extract", "--only", "0,2-4,9", "-o", dir_, Path("p.sel")}),
        (ToolResult{1, "Wrote 1 WAV file from 1 package to " + dir_ + "; 1 could not be written.\n",
                    "marrowvale-sounds: " + Path("p.sel") +
                        ": no record at position 3-4, 9 (the package has 3 records)\n" +
                        "marrowvale-sounds: " + Path("p.sel.000.WAV") +
                        ": Not a regular file; not replaced\n"}));
    EXPECT_FALSE(std::filesystem::exists(Path("p.sel.001.WAV")));
    EXPECT_EQ(ReadBytes(Path("p.sel.002.WAV")), CanonicalWav(8002, {}));
}

TEST_F(ToolTest, ExtractDoesNotReplaceAPackageNamedLikeAnOutputFile) {
    WriteBytes(Path("a.sel"), RatePackage(1));
    WriteBytes(Path("a.sel.000.WAV"), RatePackage(2)); // a package, read second
    EXPECT_EQ(RunTool({"extract", "-o", dir_, Path("a.sel"), Path("a.sel.000.WAV")}),
              (ToolResult{
                  1, "Wrote 2 WAV files from 2 packages to " + dir_ + "; 1 could not be written.\n",
                  "marrowvale-sounds: " + Path("a.sel.000.WAV") +
                      ": is a package given on the command line; not replaced\n"}));
    EXPECT_EQ(ReadBytes(Path("a.sel.000.WAV")), RatePackage(2));
    EXPECT_EQ(ReadBytes(Path("a.sel.000.WAV.001.WAV")), CanonicalWav(8001, {}));
}

// Position k: 20 x k code bytes, so that the files differ in size (44 + 80 x k bytes) and
// content.
static Bytes CodesPackage(int count) {
    std::vector<Bytes> records;
    for (int k = 0; k < count; k++) {
        Bytes codes(20 * k);
        for (size_t i = 0; i < codes.size(); i++)
            codes[i] = static_cast<uint8_t>(i * 37 + k);
        records.push_back(
            Record(11025, static_cast<int16_t>(20 * k), static_cast<int16_t>(80 * k), codes));
    }
    return Cat(records);
}

// Four threads against one file after another: the same names, bytes and messages. Position
// 3 is a folder; files above 2000 bytes (from position 25 on) meet the size limit, standing
// in for a full disk: none is left partly written, no temporary file stays, and the older
// file at position 30 is kept as it was.
TEST_F(ToolTest, ExtractWritesOnSeveralThreadsAsOneFileAfterAnother) {
    WriteBytes(Path("m.mus"), CodesPackage(40));
    const int64_t defaultBytes = ParallelWriteBytes;
    const std::string out = Path("out");
    const auto run = [&](int64_t parallelBytes) {
        std::filesystem::remove_all(out);
        std::filesystem::create_directories(out + "/m.mus.003.WAV");
        WriteBytes(out + "/m.mus.030.WAV", {3, 0});
        ParallelWriteBytes = parallelBytes;
        WriteThreadLimit = 4;
        ToolResult result;
        {
            const FileSizeLimit full(2000);
            result = RunTool({"extract", "-o", out, Path("m.mus")});
        }
        std::map<std::string, Bytes> files;
        for (const auto& file : std::filesystem::directory_iterator(out))
            if (!file.is_directory())
                files[file.path().filename()] = ReadBytes(file.path());
        return std::pair{result, files};
    };
    const auto oneByOne = run(INT64_MAX);
    const auto [result, files] = run(1);
    ParallelWriteBytes = defaultBytes;
    WriteThreadLimit = 0;
    EXPECT_EQ(oneByOne.first, result);
    EXPECT_EQ(oneByOne.second, files);

    const auto name = [](int k) {
        char text[16];
        std::snprintf(text, sizeof text, "m.mus.%03d.WAV", k);
        return std::string(text);
    };
    std::string err = "marrowvale-sounds: " + out + "/" + name(3) + ": Is a directory\n";
    for (int k = 25; k < 40; k++)
        err += "marrowvale-sounds: " + out + "/" + name(k) + ": File too large\n";
    EXPECT_EQ(result,
              (ToolResult{
                  1, "Wrote 24 WAV files from 1 package to " + out + "; 16 could not be written.\n",
                  err}));
    // extract frees each image once written: decoded again for the comparison.
    ASSERT_EQ(LoadPackage(Path("m.mus")), "");
    const std::vector<SampleEntry*> samples = LoadedSamples();
    ASSERT_EQ(samples.size(), 40u);
    EXPECT_EQ(files.size(), 25u);
    for (int k = 0; k < 25; k++) {
        const uint8_t* image = samples[k]->WavImage;
        if (k != 3) {
            EXPECT_EQ(files.at(name(k)), Bytes(image, image + samples[k]->DataSize + 44)) << k;
        }
    }
    EXPECT_EQ(files.at(name(30)), (Bytes{3, 0}));
}

TEST_F(ToolTest, TwoTargetsNamingOneFileAreWrittenOneAfterTheOther) {
    WriteBytes(Path("m.mus"), CodesPackage(8));
    const std::string out = Path("out");
    std::filesystem::create_directories(out);
    WriteBytes(out + "/m.mus.002.WAV", {1, 2, 3});
    std::filesystem::create_symlink("m.mus.002.WAV", out + "/m.mus.001.WAV");
    ParallelWriteBytes = 1;
    WriteThreadLimit = 4;
    const ToolResult result = RunTool({"extract", "-o", out, Path("m.mus")});
    ParallelWriteBytes = int64_t{2} << 20;
    WriteThreadLimit = 0;
    EXPECT_EQ(result.status, 0);
    // As one file after another: the later sample is what the shared file holds.
    ASSERT_EQ(LoadPackage(Path("m.mus")), "");
    const SampleEntry* later = LoadedSamples().at(2);
    EXPECT_EQ(ReadBytes(out + "/m.mus.002.WAV"),
              Bytes(later->WavImage, later->WavImage + later->DataSize + WavHeaderSize));
}

// Ctrl+C while files are written: the handler only records it; the files written so far
// stay, the others keep what they held, and no temporary file is left.
TEST_F(ToolTest, AnInterruptionStopsTheWritesBetweenWholeFiles) {
    const Bytes image(3000, 7);
    std::vector<FileWrite> writes(3);
    for (size_t k = 0; k < writes.size(); k++) {
        writes[k].path = Path("f" + std::to_string(k));
        writes[k].bytes = image.data();
        writes[k].size = std::ssize(image);
        WriteBytes(writes[k].path, {9});
    }
    {
        const InterruptionGuard guard;
        WriteFiles(writes, {}, [](size_t done) {
            if (done == 1)
                std::raise(SIGINT);
        });
        EXPECT_EQ(InterruptedStatus(), 130);
    }
    EXPECT_FALSE(Interrupted());
    using Result = FileWrite::Result;
    const std::pair<Result, Bytes> expected[] = {
        {Result::Written, image}, {Result::NotWritten, {9}}, {Result::NotWritten, {9}}};
    for (size_t k = 0; k < writes.size(); k++) {
        EXPECT_EQ(writes[k].result, expected[k].first) << k;
        EXPECT_EQ(ReadBytes(writes[k].path), expected[k].second) << k;
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_), {}), 3);
}

// extract --manifest, edit one file, pack --manifest --from: only that record differs; the
// one WAV file of -o - is the file extract writes.
TEST_F(ToolTest, ManifestRoundTripChangesOnlyTheEditedRecords) {
    WriteBytes(Path("m.mus"), CodesPackage(4));
    ASSERT_EQ(RunTool({"extract", "--manifest", "-o", Path("out"), Path("m.mus")}).status, 0);
    const ToolResult one = RunTool({"extract", "--only", "2", "-o", "-", Path("m.mus")});
    EXPECT_EQ(Bytes(one.out.begin(), one.out.end()), ReadBytes(Path("out/m.mus.002.WAV")));
    WriteBytes(Path("out/m.mus.001.WAV"), CanonicalWav(11025, {500, -500, 500, -500}));
    ASSERT_EQ(RunTool({"pack", "--manifest", Path("out/manifest.json"), "--from", Path("m.mus"),
                       Path("new.mus")})
                  .status,
              0);
    const Bytes before = ReadBytes(Path("m.mus")), after = ReadBytes(Path("new.mus"));
    // Records of 8 + 8 + 20 k bytes (k = 0: 8): the edited one is 8 + 8 + 2 bytes now.
    EXPECT_EQ(Bytes(after.begin(), after.begin() + 8), Bytes(before.begin(), before.begin() + 8));
    EXPECT_EQ(after.size(), before.size() - 36 + 18);
    EXPECT_EQ(Bytes(after.end() - 84, after.end()), Bytes(before.end() - 84, before.end()));
}
