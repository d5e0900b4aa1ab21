#include "tests/tools/tool_test_support.h"
#include "tools/package_load.h"

#include <nlohmann/json.hpp>

TEST_F(ToolTest, ListShowsEveryRecordAndWhatTheReaderDid) {
    // Sound (4 samples); a block of 10 code bytes of which 4 are there; 100 data bytes declared
    // where 48 fit; -8 declared; 44100 Hz (the rate word is unsigned); a negative packed size,
    // which ends the package before the last record.
    WriteBytes(Path("faults.sel"),
               Cat({Record(8000, 2, 8, {0x77, 0x08}), Record(8000, 10, 40, {1, 2, 3, 4}),
                    Record(8000, 4, 100, {1, 2, 3, 4}), Record(8000, 2, -8, {1, 2}),
                    RecordHeader(0xAC44, 0), RecordHeader(8000, -1), RecordHeader(8000, 0)}));
    const std::string table = "POSITION  NAME             RATE  SECONDS  PACKED  DATA  STATE\n"
                              "       0  faults.sel.000   8000    0.001      10     8  ok\n"
                              "       1  faults.sel.001   8000    0.003      12    40  a block "
                              "runs past the record: cut at the record's end\n"
                              "       2  faults.sel.002   8000    0.003      12    48  declared "
                              "data size too large: cut to 48 bytes\n"
                              "       3  faults.sel.003   8000    0.000      10     0  declared "
                              "data size negative: set to 0\n"
                              "       4  faults.sel.004  44100    0.000       0     0  ok\n"
                              "       5  faults.sel.005   8000    0.000      -1     0  negative "
                              "packed size: the package ends here\n";
    EXPECT_EQ(RunTool({"list", Path("faults.sel")}), (ToolResult{0, table, ""}));

    // Control characters of a name are escaped as in messages, in JSON as JSON does.
    const std::string red = Path("\x1B[31mred.sel");
    WriteBytes(red, Record(8000, 2, 8, {0x77, 0x08}));
    EXPECT_EQ(RunTool({"list", red}).out,
              "POSITION  NAME                 RATE  SECONDS  PACKED  DATA  STATE\n"
              "       0  \\x1B[31mred.sel.000  8000    0.001      10     8  ok\n");
    const std::string json = RunTool({"list", "--json", red}).out;
    EXPECT_THAT(json, HasSubstr("\"name\": \"\\u001b[31mred.sel.000\""));
}

TEST_F(ToolTest, ListJsonDescribesATruncatedRecordAndEachUnreadablePackage) {
    Bytes cut = Record(22050, 40, 160, Bytes(92, 0x17));
    cut.resize(cut.size() - 72); // 20 of the 92 code bytes
    WriteBytes(Path("short.sel"), cut);
    WriteBytes(Path("empty.sel"), {});
    const ToolResult result = RunTool(
        {"list", "--json", Path("missing.sel"), Path("short.sel"), Path("empty.sel"), dir_});
    EXPECT_EQ(result.status, 1);
    const std::string prefix = "marrowvale-sounds: ";
    EXPECT_EQ(result.err, prefix + Path("missing.sel") + ": No such file or directory\n" + prefix +
                              Path("empty.sel") + ": is empty\n" + prefix + dir_ +
                              ": is a folder, not a file\n");
    const auto document = nlohmann::json::parse(result.out);
    EXPECT_EQ(document["format"], 1);
    auto packages = document["packages"];
    ASSERT_EQ(packages.size(), 4u);
    EXPECT_EQ(packages[0]["error"], "No such file or directory");
    EXPECT_EQ(packages[0]["records"], nlohmann::json::array());
    auto expected = nlohmann::json::parse(R"({"error": null, "records": [{"position": 0,
        "offset": 0, "samples": 80, "name": "short.sel.000", "sampleRate": 22050, "durationSeconds": 0.0036281179138321997,
        "packedBytes": 100, "dataBytes": 160, "decodedBytes": 160, "missingBytes": 72,
        "state": "truncated: 72 missing bytes read as zeros", "problems": ["truncated"]}]})");
    expected["path"] = Path("short.sel");
    EXPECT_EQ(packages[1], expected);
}

TEST(RecordStateTest, NamesEveryProblemAndWhatWasDone) {
    SampleEntry entry{};
    entry.MissingBytes = 6;
    entry.Problems = RecordTruncated | RecordNoMemory | RecordReadError;
    EXPECT_EQ(RecordState(entry), "truncated: 6 missing bytes read as zeros; out of memory: the "
                                  "sample is left empty; read error: 6 bytes not read, the "
                                  "package ends here");
    EXPECT_EQ(ProblemCodes(127),
              (std::vector<std::string>{"truncated", "negative-size", "block-cut", "data-size-cut",
                                        "data-size-negative", "no-memory", "read-error"}));
}
