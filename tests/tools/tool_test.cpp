#include "tests/tools/tool_test_support.h"
#include "tools/position_list.h"
#include "tools/progress_bar.h"

#include <sys/stat.h>

TEST_F(ToolTest, ExitStatusIsZeroForHelpTwoForUsageErrorsOneForBadInput) {
    WriteBytes(Path("a.sel"), RecordHeader(8000, 0));
    WriteBytes(Path("cut.sel"), Cat({RecordHeader(8000, 0), RecordHeader(8000, 9)}));
    ASSERT_EQ(RunTool({"extract", "-o", Path("new/folder"), Path("a.sel")}).status, 0);
    const std::pair<std::vector<std::string>, int> cases[] = {
        {{"--help"}, 0},
        {{"check", Path("a.sel")}, 0},
        {{}, 2},
        {{"dance", Path("a.sel")}, 2},
        {{"list", "--colour", Path("a.sel")}, 2},
        {{"pack", Path("out.sel")}, 2},
        {{"extract", "-o", dir_, Path("missing.sel")}, 1},
        {{"extract", "-o", Path("a.sel"), Path("a.sel")}, 1}, // not a folder
        {{"extract", "--only", "0-1", "-o", "-", Path("a.sel")}, 2},
        {{"pack", Path("out.sel"), Path("missing.wav")}, 1},
        {{"pack", dir_, Path("a.sel.000.WAV")}, 1}}; // OUT is a folder
    for (const auto& [args, status] : cases) {
        const ToolResult result = RunTool(args);
        EXPECT_EQ(result.status, status) << ::testing::PrintToString(args) << result.err;
        EXPECT_EQ(result.err.empty(), status == 0) << result.err;
    }
    EXPECT_THAT(RunTool({"extract", "--help"}).out,
                HasSubstr("Files that already exist in DIR are replaced."));
    EXPECT_THAT(RunTool({"pack", "--help"}).out, HasSubstr("FILE may be any sound file"));
    EXPECT_EQ(RunTool({"--version"}), (ToolResult{0, "marrowvale-sounds " MV_VERSION "\n", ""}));
    EXPECT_EQ(RunTool({"check", Path("a.sel"), Path("cut.sel")}),
              (ToolResult{1,
                          Path("a.sel") + ": 1 record, all sound\n" + Path("cut.sel") +
                              ": record 1 at byte 8: truncated: 9 missing bytes read as zeros\n" +
                              Path("cut.sel") + ": 2 records, 1 damaged\n",
                          ""}));
    EXPECT_EQ(std::filesystem::exists(Path("new/folder/a.sel.000.WAV")), true);
}

TEST_F(ToolTest, PathThatIsNotUtf8IsRefusedRatherThanOpened) {
    // a.sel is the file that a lossy conversion of the refused names might reach. Refused:
    // stray and cut sequences, overlong forms, a surrogate, code points beyond U+10FFFF.
    WriteBytes(Path("a.sel"), RecordHeader(8000, 0));
    const std::string why = ": the path is not valid UTF-8, so it cannot be opened unchanged\n";
    for (const char* name :
         {"a\xFF.sel", "\x80", "a\xE2\x82.sel", "\xE2\x28\xA1", "a\xC0\xAF.sel", "\xC1\xBF",
          "\xE0\x9F\xBF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xF5\x80\x80\x80"}) {
        const ToolResult result = RunTool({"list", Path(name)});
        EXPECT_EQ(result.status, 1);
        EXPECT_THAT(result.err, HasSubstr(why));
    }
    EXPECT_EQ(RunTool({"extract", "-o", Path("o\xFF"), Path("a.sel")}),
              (ToolResult{1, "", "marrowvale-sounds: " + Path("o\\xFF") + why}));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_), {}), 1);
}

// Nothing that is not a regular file is opened: a FIFO without a writer would block, a
// device might never end. A file that says it is empty but cannot be read tells why.
TEST_F(ToolTest, InputsThatAreNotFilesAreRefusedUnopened) {
    ASSERT_EQ(mkfifo(Path("fifo.sel").c_str(), 0666), 0);
    const std::string notAFile = ": is not a regular file: devices, FIFOs and sockets are not read";
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"list", "/dev/zero"}, "/dev/zero" + notAFile},
        {{"list", Path("fifo.sel")}, Path("fifo.sel") + notAFile},
        {{"extract", "-o", dir_, Path("fifo.sel")}, Path("fifo.sel") + notAFile},
        {{"list", "/proc/self/mem"}, "/proc/self/mem: Input/output error"}};
    for (const auto& [args, err] : cases) {
        const ToolResult result = RunTool(args);
        EXPECT_EQ(result.status, 1);
        EXPECT_EQ(result.err, "marrowvale-sounds: " + err + "\n");
    }
}

TEST(ToolStartupTest, RuntimeLibrariesStartAndEndInTheRuntimeOrder) {
    std::string start, end;
    for (const LifecycleStep& step : ToolStartupSteps())
        start += std::string(step.name) + "; ";
    for (const LifecycleStep& step : ToolShutdownSteps())
        end += std::string(step.name) + "; ";
    EXPECT_EQ(start, "strings: locale; strings: temporary buffer; arrays; lists; memory; files; "
                     "decoder tables; ");
    EXPECT_EQ(end, "samples; files; memory; strings; ");
}

TEST(ProgressBarTest, AppearsOnlyAfterAMomentAndOnlyOnATerminal) {
    double now = 0;
    std::ostringstream err; // also where the bar that is off would draw
    ProgressBar bar(err, true, [&] { return now; }), off(err, false, [&] { return now; });
    bar.Update(1, 4);
    now = 0.6;
    off.Update(1, 4);
    bar.Update(1, 4);
    bar.Update(3, 4); // within the redraw interval
    now = 0.8;
    bar.Update(4, 4);
    bar.Clear();
    EXPECT_EQ(err.str(),
              "\r[#######.......................] 25%\r[##############################] 100%\r" +
                  std::string(38, ' ') + "\r");
}

TEST(PositionListTest, ParsesRangesSortedAndMergedAndRefusesMalformedLists) {
    using Ranges = std::vector<PositionList::Range>;
    const std::pair<const char*, Ranges> cases[] = {
        {"0", {{0, 0}}},
        {"0,3,10-12", {{0, 0}, {3, 3}, {10, 12}}},
        {"5,4,3", {{3, 5}}},                     // adjacent positions merge
        {"10-20,15-30,0-1", {{0, 1}, {10, 30}}}, // overlaps merge
        {"007", {{7, 7}}},
        {"9223372036854775807", {{INT64_MAX, INT64_MAX}}}};
    for (const auto& [text, ranges] : cases) {
        const auto list = PositionList::Parse(text);
        ASSERT_TRUE(list.has_value()) << text;
        EXPECT_EQ(list->Ranges(), ranges) << text;
    }
    // Refused, and a usage error for the tool; the last one is one beyond 64 bits.
    const char* const malformed[] = {"",   ",",   "1,",    ",1",  "1,,2",    "-3",
                                     "3-", "5-2", "1-2-3", "a",   "1.5",     " 1",
                                     "1 ", "+1",  "0x1",   "1;2", "\u22121", "9223372036854775808"};
    for (const char* text : malformed) {
        std::string error;
        EXPECT_FALSE(PositionList::Parse(text, &error).has_value()) << text;
        EXPECT_NE(error, "");
        EXPECT_EQ(RunTool({"extract", "--only", text, "none.sel"}),
                  (ToolResult{2, "",
                              "marrowvale-sounds: --only: " + error +
                                  "\nRun 'marrowvale-sounds --help' for more information.\n"}));
    }
}
