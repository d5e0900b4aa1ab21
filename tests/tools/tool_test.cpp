#include "tests/tools/tool_test_support.h"
#include "tools/progress_bar.h"
#include "tools/tool_files.h"
#include "tools/tool_startup.h"

#include <algorithm>
#include <filesystem>
#include <sstream>

namespace {

class ToolExitTest : public ToolTest {};

TEST_F(ToolExitTest, StatusIsZeroForHelpTwoForUsageErrorsOneForUnreadableInput) {
    WriteBytes(Path("a.sel"), RecordHeader(8000, 0));
    const std::pair<std::vector<std::string>, int> cases[] = {
        {{"--help"}, 0},
        {{"extract", "--help"}, 0},
        {{"list", Path("a.sel")}, 0},
        {{}, 2},
        {{"dance", Path("a.sel")}, 2},
        {{"list"}, 2},
        {{"list", "--colour", Path("a.sel")}, 2},
        {{"extract", "-o"}, 2},
        {{"pack", Path("out.sel")}, 2},
        {{"list", Path("missing.sel")}, 1},
        {{"extract", "-o", dir_, Path("missing.sel")}, 1},
        {{"extract", "-o", "", Path("a.sel")}, 1},
        {{"pack", Path("out.sel"), Path("missing.wav")}, 1},
        {{"pack", dir_, Path("a.sel.000.WAV")}, 1}, // after the extract above: OUT is a folder
    };
    RunTool({"extract", "-o", dir_, Path("a.sel")});
    for (const auto& [args, status] : cases) {
        const ToolResult result = RunTool(args);
        EXPECT_EQ(result.status, status) << ::testing::PrintToString(args) << result.err;
        EXPECT_EQ(result.err.empty(), status == 0) << result.err;
    }
}

TEST(ToolHelpTest, HelpOfEachCommandTellsWhatItDoes) {
    const std::pair<const char*, const char*> cases[] = {
        {"list", "--json"},
        {"extract", "Files that already exist in DIR are replaced."},
        {"pack", "Each WAV file must be mono"},
    };
    EXPECT_NE(RunTool({"--help"}).out.find("pack"), std::string::npos);
    for (const auto& [command, phrase] : cases) {
        const ToolResult result = RunTool({command, "--help"});
        EXPECT_EQ(result.status, 0);
        EXPECT_NE(result.out.find(phrase), std::string::npos) << result.out;
    }
}

TEST_F(ToolExitTest, PathThatIsNotUtf8IsRefusedRatherThanOpened) {
    // The file that a lossy conversion of the refused name might reach.
    WriteBytes(Path("a.sel"), RecordHeader(8000, 0));
    const std::string bad[] = {Path("a\xFF.sel"), Path("a\xC0\xAF.sel"), Path("\xED\xA0\x80.sel"),
                               Path("a\xE2\x82.sel")};
    for (const std::string& path : bad) {
        const ToolResult result = RunTool({"list", path});
        EXPECT_EQ(result.status, 1);
        EXPECT_EQ(result.out, "");
        EXPECT_NE(result.err.find("not valid UTF-8"), std::string::npos) << result.err;
        EXPECT_EQ(result.err.find('\xFF'), std::string::npos); // shown escaped
    }
    const ToolResult escaped = RunTool({"extract", "-o", Path("o\xFF"), Path("a.sel")});
    EXPECT_EQ(escaped.status, 1);
    EXPECT_NE(escaped.err.find("o\\xFF: the path is not valid UTF-8"), std::string::npos);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_), {}), 1);
}

TEST(ToolFilesTest, Utf8CheckFollowsTheStrictForm) {
    const std::pair<const char*, bool> cases[] = {
        {"plain.sel", true},         {"caf\xC3\xA9", true},       {"\xE2\x82\xAC", true},
        {"\xF0\x9F\x8E\xB5", true},  {"\xF4\x8F\xBF\xBF", true},  {"\x80", false},
        {"\xC1\xBF", false},         {"\xE0\x9F\xBF", false},     {"\xED\xBF\xBF", false},
        {"\xF4\x90\x80\x80", false}, {"\xF5\x80\x80\x80", false}, {"\xC3", false},
        {"\xE2\x28\xA1", false},
    };
    for (const auto& [text, valid] : cases)
        EXPECT_EQ(IsValidUtf8(text), valid) << Printable(text);
    EXPECT_EQ(Printable("a\x01\xFF\xC3\xA9"), "a\\x01\\xFF\xC3\xA9");
}

TEST(ToolStartupTest, RuntimeLibrariesStartAndEndInTheRuntimeOrder) {
    const std::vector<std::string> fullStart = {
        "strings: locale", "file system",    "strings: temporary buffer",
        "arrays",          "lists",          "gadgets",
        "memory",          "images",         "windows",
        "menus",           "application",    "maps",
        "event queue",     "files",          "status bars",
        "sound",           "decoder tables", "samples list"};
    const std::vector<std::string> fullEnd = {"sound",       "file system", "files",
                                              "event queue", "application", "windows",
                                              "images",      "memory",      "strings"};
    auto names = [](const std::vector<LifecycleStep>& steps) {
        std::vector<std::string> out;
        for (const LifecycleStep& step : steps)
            out.push_back(step.name);
        return out;
    };
    auto orderedSubset = [](const std::vector<std::string>& part,
                            const std::vector<std::string>& full) {
        auto from = full.begin();
        for (const std::string& name : part) {
            from = std::find(from, full.end(), name);
            if (from++ == full.end())
                return false;
        }
        return true;
    };
    const auto start = names(ToolStartupSteps());
    EXPECT_TRUE(orderedSubset(start, fullStart)) << ::testing::PrintToString(start);
    EXPECT_EQ(start.back(), "samples list");
    EXPECT_TRUE(orderedSubset(names(ToolShutdownSteps()), fullEnd));
}

TEST(ProgressBarTest, AppearsOnlyAfterAMomentAndOnlyOnATerminal) {
    double now = 0;
    std::ostringstream err, quiet;
    ProgressBar bar(err, true, [&] { return now; });
    ProgressBar off(quiet, false, [&] { return now; });
    bar.Update(1, 4);
    EXPECT_EQ(err.str(), "");
    now = 0.6;
    bar.Update(1, 4);
    off.Update(1, 4);
    EXPECT_EQ(err.str(), "\r[#######.......................] 25%");
    bar.Update(3, 4); // within the redraw interval
    EXPECT_EQ(err.str().size(), 37u);
    now = 0.8;
    bar.Update(4, 4);
    EXPECT_EQ(err.str().substr(37), "\r[##############################] 100%");
    bar.Clear();
    EXPECT_EQ(err.str().substr(75), "\r" + std::string(38, ' ') + "\r");
    off.Clear();
    EXPECT_EQ(quiet.str(), "");
}

} // namespace
