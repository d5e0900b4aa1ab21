#include "strings_fixture.h"

#include <limits>
#include <tuple>

constexpr int64_t Min64 = std::numeric_limits<int64_t>::min();

TEST_F(StringsTest, StrWritesDecimalTextRightBehindThePosition) {
    const std::pair<int64_t, std::u16string> cases[] = {
        {0, u"0"},
        {-1000000, u"-1000000"},
        {Min64, u"-9223372036854775808"},
        {std::numeric_limits<int64_t>::max(), u"9223372036854775807"}};
    TempAppend(u"n=");
    for (const auto& [value, text] : cases) {
        EXPECT_EQ(Pos(Str(value, 4)), 4);
        EXPECT_EQ(TempText(0), u"n=" + text);
        EXPECT_TRUE(TempTerminated());
    }
}

TEST_F(StringsTest, RSetPadsOrCuts) {
    const std::tuple<const char16_t*, int32_t, const char16_t*, std::u16string> cases[] = {
        {u"7", 3, u"0", u"007"}, {u"1234", 3, u"0", u"123"}, {u"abc", 0, u"x", u""},
        {u"abc", -4, u"x", u""}, {u"7", 3, nullptr, u"  7"}, {nullptr, 3, u"*", u"***"},
        {u"", 2, u"-", u"--"},   {u"ab", 2, u"0", u"ab"},    {u"7", 3, u"ab", u"aa7"},
        {u"x", 4, u"", u"   x"}}; // an empty pad would put terminators in the text
    for (const auto& [s, length, pad, result] : cases) {
        EXPECT_EQ(Pos(RSet(s, length, pad, 0)), 0);
        EXPECT_EQ(TempText(0), result);
        EXPECT_TRUE(TempTerminated());
    }
}

TEST_F(StringsTest, RSetOfStrAtTheSamePositionMatchesSeparateInput) {
    for (int64_t value : {int64_t{-42}, Min64}) {
        for (int32_t length : {0, 2, 3, 25}) {
            const std::u16string digits = Str(value, 0);
            const std::u16string separate = RSet(digits.c_str(), length, u"0", 0);
            EXPECT_EQ(Text(RSet(Str(value, 0), length, u"0", 0)), separate) << length;
        }
    }
    const std::u16string grown = RSet(Str(98765, 0), 9000, u".", 0); // the input moves
    EXPECT_EQ(grown, std::u16string(8995, u'.') + u"98765");
}

TEST_F(StringsTest, CaseMapping) {
    TempAppend(u"XABC"); // the first result grows the buffer: its input must follow it
    EXPECT_EQ(Text(LCase(At(0), 0)), u"xabc"); // in place
    EXPECT_EQ(Text(UCase(At(2), 0)), u"ABC");  // input ahead of the output
    TempAppend(u"d");                          // "ABCd" at 0
    EXPECT_EQ(Text(LCase(At(0), 2)), u"abcd"); // input behind the output
    EXPECT_EQ(std::u16string(At(0), 5), u"Aabcd");
    EXPECT_EQ(Text(UCase(u"*.mus", 0)), u"*.MUS");
    EXPECT_EQ(Text(LCase(u"Sample_01.WAV (2)!", 0)), u"sample_01.wav (2)!");
    EXPECT_EQ(Pos(LCase(nullptr, 0)), 0);
    EXPECT_EQ(TempOffset, 0);
    EXPECT_TRUE(TempTerminated());
    UseUtf8Locale(); // where the C library would map fullwidth letters if asked
    // Fullwidth letters, a surrogate pair and 0xFFFF: units from 0x8000 up pass unchanged.
    const char16_t high[] = u"\xFF21\xFF41\x8000\xD83D\xDE00\xFFFF";
    EXPECT_EQ(Text(LCase(high, 0)), high);
    EXPECT_EQ(Text(UCase(high, 0)), high);
}
