#include "tests/tools/tool_test_support.h"
#include "tools/position_list.h"

namespace {

using Ranges = std::vector<PositionList::Range>;

struct ValidCase {
    const char* text;
    Ranges ranges;
};

TEST(PositionListTest, ParsesPositionsAndRangesSortedAndMerged) {
    const ValidCase cases[] = {
        {"0", {{0, 0}}},
        {"0,3,10-12", {{0, 0}, {3, 3}, {10, 12}}},
        {"12-10000", {{12, 10000}}},
        {"5,4,3", {{3, 5}}},                     // adjacent positions merge
        {"10-20,15-30,0-1", {{0, 1}, {10, 30}}}, // overlaps merge
        {"007", {{7, 7}}},
        {"9223372036854775807", {{INT64_MAX, INT64_MAX}}},
    };
    for (const ValidCase& c : cases) {
        const auto list = PositionList::Parse(c.text);
        ASSERT_TRUE(list.has_value()) << c.text;
        EXPECT_EQ(list->Ranges(), c.ranges) << c.text;
    }
}

TEST(PositionListTest, RefusesMalformedLists) {
    const char* const cases[] = {
        "",
        ",",
        "1,",
        ",1",
        "1,,2",
        "-3",
        "3-",
        "5-2",
        "1-2-3",
        "a",
        "1.5",
        " 1",
        "1 ",
        "+1",
        "0x1",
        "1;2",
        "−1",
        "9223372036854775808", // one beyond 64 bits
    };
    for (const char* text : cases) {
        std::string error;
        EXPECT_FALSE(PositionList::Parse(text, &error).has_value()) << text;
        EXPECT_FALSE(error.empty()) << text;
    }
}

TEST(PositionListTest, ContainsAndMissingPositions) {
    const auto list = PositionList::Parse("0,3,10-12");
    ASSERT_TRUE(list.has_value());
    std::string contained;
    for (int64_t p = 0; p < 14; p++)
        contained += list->Contains(p) ? '1' : '0';
    EXPECT_EQ(contained, "10010000001110");
    EXPECT_EQ(list->MissingFrom(13), "");
    EXPECT_EQ(list->MissingFrom(11), "11-12");
    EXPECT_EQ(list->MissingFrom(3), "3, 10-12");
    EXPECT_EQ(list->MissingFrom(0), "0, 3, 10-12");
}

TEST(PositionListTest, BadOnlyListIsAUsageError) {
    for (const char* text : {"", "1,,2", "5-2", "x"}) {
        const ToolResult result = RunTool({"extract", "--only", text, "none.sel"});
        EXPECT_EQ(result.status, 2) << text;
        EXPECT_NE(result.err.find("--only"), std::string::npos) << result.err;
        EXPECT_EQ(result.out, "");
    }
}

} // namespace
