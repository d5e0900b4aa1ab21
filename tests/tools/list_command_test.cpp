#include "tests/tools/tool_test_support.h"
#include "tools/package_load.h"

#include <nlohmann/json.hpp>

namespace {

// One record of each kind the reader repairs, then one that ends the package.
Bytes FaultyPackage() {
    Bytes p;
    Append(p, RecordHeader(8000, 10)); // sound: 4 samples
    Append(p, BlockHeader(2, 8));
    Append(p, {0x77, 0x08});
    Append(p, RecordHeader(8000, 12)); // 10 code bytes declared, 4 in the record
    Append(p, BlockHeader(10, 40));
    Append(p, {1, 2, 3, 4});
    Append(p, RecordHeader(8000, 12)); // declares 100 bytes where 48 fit
    Append(p, BlockHeader(4, 100));
    Append(p, {1, 2, 3, 4});
    Append(p, RecordHeader(8000, 10)); // declares -8 bytes
    Append(p, BlockHeader(2, -8));
    Append(p, {1, 2});
    Append(p, RecordHeader(0xAC44, 0)); // 44100 Hz: the rate word is unsigned
    Append(p, RecordHeader(8000, -1));  // the package ends here
    Append(p, RecordHeader(8000, 0));   // never read
    return p;
}

class ListCommandTest : public ToolTest {};

TEST_F(ListCommandTest, TableShowsEveryRecordAndWhatTheReaderDid) {
    WriteBytes(Path("faults.sel"), FaultyPackage());
    const ToolResult result = RunTool({"list", Path("faults.sel")});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.out,
              "POSITION  NAME             RATE  SECONDS  PACKED  DATA  STATE\n"
              "       0  faults.sel.000   8000    0.001      10     8  ok\n"
              "       1  faults.sel.001   8000    0.003      12    40  a block runs past the "
              "record: cut at the record's end\n"
              "       2  faults.sel.002   8000    0.003      12    48  declared data size too "
              "large: cut to 48 bytes\n"
              "       3  faults.sel.003   8000    0.000      10     0  declared data size "
              "negative: set to 0\n"
              "       4  faults.sel.004  44100    0.000       0     0  ok\n"
              "       5  faults.sel.005   8000    0.000      -1     0  negative packed size: the "
              "package ends here\n");
}

TEST_F(ListCommandTest, JsonDescribesATruncatedRecord) {
    Bytes p = RecordHeader(22050, 100);
    Append(p, BlockHeader(40, 160));
    Append(p, Bytes(20, 0x17)); // 20 of the 92 code bytes
    WriteBytes(Path("short.sel"), p);

    const ToolResult result = RunTool({"list", "--json", Path("short.sel")});
    ASSERT_EQ(result.status, 0) << result.err;
    const auto json = nlohmann::json::parse(result.out);
    ASSERT_EQ(json["packages"].size(), 1u);
    EXPECT_EQ(json["packages"][0]["path"], Path("short.sel"));
    EXPECT_TRUE(json["packages"][0]["error"].is_null());
    const auto& record = json["packages"][0]["records"].at(0);
    EXPECT_EQ(record["position"], 0);
    EXPECT_EQ(record["name"], "short.sel.000");
    EXPECT_EQ(record["sampleRate"], 22050);
    EXPECT_DOUBLE_EQ(record["durationSeconds"].get<double>(), 80.0 / 22050);
    EXPECT_EQ(record["packedBytes"], 100);
    EXPECT_EQ(record["dataBytes"], 160);
    EXPECT_EQ(record["decodedBytes"], 160);
    EXPECT_EQ(record["missingBytes"], 72);
    EXPECT_EQ(record["state"], "truncated: 72 missing bytes read as zeros");
    EXPECT_EQ(record["problems"], nlohmann::json::array({"truncated"}));
}

TEST_F(ListCommandTest, UnreadablePackagesFailWithTheirReasonAndTheRestIsListed) {
    WriteBytes(Path("good.sel"), RecordHeader(11025, 0));
    WriteBytes(Path("empty.sel"), {});
    const ToolResult result =
        RunTool({"list", "--json", Path("missing.sel"), Path("good.sel"), Path("empty.sel"), dir_});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "marrowvale-sounds: " + Path("missing.sel") +
                              ": No such file or directory\n"
                              "marrowvale-sounds: " +
                              Path("empty.sel") + ": is empty\nmarrowvale-sounds: " + dir_ +
                              ": is a folder, not a file\n");
    const auto packages = nlohmann::json::parse(result.out)["packages"];
    ASSERT_EQ(packages.size(), 4u);
    EXPECT_EQ(packages[0]["error"], "No such file or directory");
    EXPECT_EQ(packages[0]["records"].size(), 0u);
    EXPECT_EQ(packages[1]["records"].size(), 1u);
    EXPECT_EQ(packages[1]["records"][0]["name"], "good.sel.000");
    EXPECT_EQ(packages[2]["records"].size(), 0u);
}

TEST(RecordStateTest, NamesEveryProblemAndWhatWasDone) {
    struct Case {
        uint32_t problems;
        const char* state;
        std::vector<std::string> codes;
    };
    const Case cases[] = {
        {0, "ok", {}},
        {RecordTruncated, "truncated: 6 missing bytes read as zeros", {"truncated"}},
        {RecordNegativeSize, "negative packed size: the package ends here", {"negative-size"}},
        {RecordBlockCut, "a block runs past the record: cut at the record's end", {"block-cut"}},
        {RecordDataSizeCut, "declared data size too large: cut to 40 bytes", {"data-size-cut"}},
        {RecordDataSizeNegative, "declared data size negative: set to 0", {"data-size-negative"}},
        {RecordNoMemory, "out of memory: the sample is left empty", {"no-memory"}},
        {RecordReadError, "read error: 6 bytes not read, the package ends here", {"read-error"}},
        {RecordTruncated | RecordBlockCut,
         "truncated: 6 missing bytes read as zeros; a block runs past the record: cut at the "
         "record's end",
         {"truncated", "block-cut"}},
    };
    for (const Case& c : cases) {
        SampleEntry entry{};
        entry.DataSize = 40;
        entry.MissingBytes = 6;
        entry.Problems = c.problems;
        EXPECT_EQ(RecordState(entry), c.state);
        EXPECT_EQ(ProblemCodes(c.problems), c.codes);
    }
}

} // namespace
