#include "tests/file_size_limit.h"
#include "tests/tools/sound_files.h"
#include "tests/tools/tool_test_support.h"
#include "tools/package_load.h"
#include "tools/record_encode.h"

#include <nlohmann/json.hpp>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// The records of a package, byte for byte, as the reader finds them.
std::vector<Bytes> RecordsOf(const std::string& path) {
    const Bytes bytes = ReadBytes(path);
    EXPECT_EQ(LoadPackage(path), "");
    std::vector<Bytes> records;
    size_t at = 0;
    for (const SampleEntry* entry : LoadedSamples()) {
        const auto size = static_cast<size_t>(RecordBytes(*entry));
        records.emplace_back(bytes.begin() + at, bytes.begin() + at + size);
        at += size;
    }
    return records;
}

// Runs the program's replace --in-place of package and kills it as soon as its temporary
// file beside the package exists; true when it was killed so, before its rename.
bool KillWhileWriting(const std::string& package, const std::string& assignment) {
    const std::filesystem::path folder = std::filesystem::path(package).parent_path();
    const std::string prefix = "." + std::filesystem::path(package).filename().string() + ".";
    const pid_t child = fork(); // the arguments are made before: the child only execs
    if (child == 0) {
        // The quick encoder: the test is about the writing, under the sanitizers too.
        execl(MV_SOUNDS_TOOL, MV_SOUNDS_TOOL, "replace", "--fast", package.c_str(),
              assignment.c_str(), "--in-place", static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    while (waitpid(child, &status, WNOHANG) == 0) {
        for (const auto& entry : std::filesystem::directory_iterator(folder)) {
            if (entry.path().filename().string().rfind(prefix, 0) == 0) {
                kill(child, SIGKILL);
                waitpid(child, &status, 0);
                // Still there: killed before the rename (a killed run cannot clean up).
                return std::filesystem::remove(entry.path()) && WIFSIGNALED(status);
            }
        }
    }
    return false;
}

class ReplaceTest : public ToolTest {
protected:
    void SetUp() override {
        ToolTest::SetUp();
        // Three records at three rates; the middle one a loud sine, the others quiet.
        for (const auto& [name, rate, amplitude] :
             {std::tuple{"a.wav", 8000, 0.1}, {"b.wav", 22050, 0.5}, {"c.wav", 11025, 0.1}})
            ASSERT_TRUE(WriteSine(Path(name), SF_FORMAT_WAV | SF_FORMAT_PCM_16, 1, rate, rate, 440,
                                  amplitude));
        ASSERT_EQ(
            RunTool({"pack", Path("p.sel"), Path("a.wav"), Path("b.wav"), Path("c.wav")}).status,
            0);
        ASSERT_TRUE(WriteSine(Path("new.flac"), SF_FORMAT_FLAC | SF_FORMAT_PCM_24, 2, 48000, 24000,
                              700, 0.9));
    }
};

} // namespace

// Only the named record is encoded, at the rate of the record it replaces; the others are
// the original's bytes.
TEST_F(ReplaceTest, ReplacesOneRecordAndCopiesTheOthers) {
    const std::vector<Bytes> before = RecordsOf(Path("p.sel"));
    const ToolResult result =
        RunTool({"replace", Path("p.sel"), "1=" + Path("new.flac"), "-o", Path("q.sel")});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_THAT(result.out, HasSubstr("1: " + Path("new.flac") + ", 22050 Hz, 0.500 s"));
    const std::vector<Bytes> after = RecordsOf(Path("q.sel"));
    ASSERT_EQ(after.size(), 3u);
    EXPECT_EQ(after[0], before[0]);
    EXPECT_NE(after[1], before[1]);
    EXPECT_EQ(after[2], before[2]);
    EXPECT_EQ(LoadedSamples()[1]->SampleRate, 22050);
    EXPECT_EQ(LoadedSamples()[1]->DataSize, 2 * 11026); // 0.5 s at 22050 Hz, padded to even

    // --fast: the greedy codes for the same record, in the same layout, with a round trip
    // below the search's.
    const auto replaced = [&](const std::vector<std::string>& args) {
        const nlohmann::json preview = nlohmann::json::parse(RunTool(args).out);
        return std::pair{preview["encoder"].get<std::string>(),
                         preview["records"][0]["snrDb"].get<double>()};
    };
    const std::string sound = "1=" + Path("new.flac");
    const auto [search, searchSnr] =
        replaced({"replace", "--json", Path("p.sel"), sound, "-o", Path("s.sel")});
    const auto [greedy, greedySnr] =
        replaced({"replace", "--fast", "--json", Path("p.sel"), sound, "-o", Path("g.sel")});
    EXPECT_EQ(search + " " + greedy, "search greedy");
    const std::vector<Bytes> fast = RecordsOf(Path("g.sel"));
    ASSERT_EQ(fast.size(), 3u);
    EXPECT_NE(fast[1], after[1]);
    EXPECT_EQ(fast[1].size(), after[1].size());
    EXPECT_GT(searchSnr, greedySnr);

    // Brought to the median loudness of the others (the two quiet sines).
    ASSERT_EQ(RunTool({"replace", Path("p.sel"), "1=" + Path("new.flac"), "--match-loudness", "-o",
                       Path("m.sel")})
                  .status,
              0);
    ASSERT_EQ(LoadPackage(Path("m.sel")), "");
    const auto loudness = [](const SampleEntry* e) {
        return IntegratedLoudness(reinterpret_cast<const int16_t*>(e->WavImage + 44),
                                  e->DataSize / 2, e->SampleRate);
    };
    const std::vector<SampleEntry*> entries = LoadedSamples();
    EXPECT_NEAR(loudness(entries[1]), (loudness(entries[0]) + loudness(entries[2])) / 2, 0.5);

    const std::string prefix = "marrowvale-sounds: ";
    const std::pair<std::vector<std::string>, std::string> refused[] = {
        {{"replace", Path("p.sel"), "7=" + Path("a.wav"), "-o", Path("r.sel")},
         prefix + Path("p.sel") + ": no record at position 7 (the package has 3 records)\n"},
        {{"replace", Path("p.sel"), "x", "-o", Path("r.sel")},
         prefix + "x: not POSITION=FILE (e.g. 12=line.wav)\n"},
        {{"replace", Path("p.sel"), "0=" + Path("p.sel"), "-o", Path("r.sel")},
         prefix + Path("p.sel") + ": cannot be read as sound: Format not recognised\n"}};
    for (const auto& [args, err] : refused) {
        const ToolResult r = RunTool(args);
        EXPECT_EQ(r.status, 1);
        EXPECT_THAT(r.err, HasSubstr(err));
        EXPECT_FALSE(std::filesystem::exists(Path("r.sel")));
    }
}

// --in-place replaces the package only when the new one is complete: a full disk or a
// kill in the middle leaves it byte for byte as it was.
TEST_F(ReplaceTest, InPlaceLeavesTheOriginalWhenItCannotFinish) {
    const Bytes original = ReadBytes(Path("p.sel"));
    std::string err;
    {
        const FileSizeLimit full(1000);
        err = RunTool({"replace", Path("p.sel"), "0=" + Path("new.flac"), "--in-place"}).err;
    }
    EXPECT_THAT(err, HasSubstr(Path("p.sel") + ": File too large\n"));
    EXPECT_EQ(ReadBytes(Path("p.sel")), original);
    // Killed the moment its temporary file appears, that is while it writes.
    ASSERT_TRUE(
        WriteSine(Path("long.wav"), SF_FORMAT_WAV | SF_FORMAT_PCM_16, 1, 22050, 22050 * 60, 300));
    // A run that ends before its file is seen is no kill: the package goes back, and again.
    bool killed = false;
    for (int attempt = 0; attempt < 20 && !killed; attempt++) {
        killed = KillWhileWriting(Path("p.sel"), "2=" + Path("long.wav"));
        if (!killed)
            WriteBytes(Path("p.sel"), original);
    }
    EXPECT_TRUE(killed);
    EXPECT_EQ(ReadBytes(Path("p.sel")), original);
    // Finished, it is the new package.
    ASSERT_EQ(RunTool({"replace", Path("p.sel"), "0=" + Path("new.flac"), "--in-place"}).status, 0);
    EXPECT_NE(ReadBytes(Path("p.sel")), original);
}
