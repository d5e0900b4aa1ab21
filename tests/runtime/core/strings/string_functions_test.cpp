#include "strings_fixture.h"

#include <cstdint>
#include <limits>
#include <string>

namespace {

using StringFunctionsTest = StringsTest;

TEST_F(StringFunctionsTest, StrWritesDecimalTextRightBehindThePosition) {
    const struct {
        int64_t value;
        const char16_t* text;
    } cases[] = {
        {0, u"0"},
        {-5, u"-5"},
        {7, u"7"},
        {1000000, u"1000000"},
        {std::numeric_limits<int64_t>::min(), u"-9223372036854775808"},
        {std::numeric_limits<int64_t>::max(), u"9223372036854775807"},
    };
    for (const auto& c : cases) {
        TempAppend(u"n=");
        const int64_t p = TempOffset;
        char16_t* out = Str(c.value, p);
        EXPECT_EQ(out, reinterpret_cast<char16_t*>(TempBase + p));
        EXPECT_EQ(Text(out), c.text);
        EXPECT_EQ(TempOffset, p + 2 * StringLength(c.text));
        EXPECT_EQ(TempText(0), u"n=" + Text(c.text));
        TempEmptyResult(0);
    }
    EXPECT_EQ(StringLength(Str(std::numeric_limits<int64_t>::min(), 0)), 20);
}

struct RSetCase {
    const char16_t* s;
    int32_t length;
    const char16_t* pad;
    const char16_t* result;
};

TEST_F(StringFunctionsTest, RSetPadsOrCuts) {
    const RSetCase cases[] = {
        {u"7", 3, u"0", u"007"}, {u"1234", 3, u"0", u"123"}, {u"abc", 0, u"x", u""},
        {u"abc", -4, u"x", u""}, {u"7", 3, nullptr, u"  7"}, {nullptr, 3, u"*", u"***"},
        {u"", 2, u"-", u"--"},   {u"ab", 2, u"0", u"ab"},    {u"7", 3, u"ab", u"aa7"},
        {u"x", 4, u"", u"   x"}, // an empty pad string pads with spaces, never terminators
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(i);
        const RSetCase& c = cases[i];
        const int64_t p = TempOffset;
        EXPECT_EQ(Text(RSet(c.s, c.length, c.pad, p)), c.result);
        EXPECT_EQ(TempText(p), c.result);
        EXPECT_TRUE(TempTerminated());
    }
}

TEST_F(StringFunctionsTest, RSetOfStrAtTheSamePositionMatchesSeparateInput) {
    const int64_t values[] = {7, -42, 123456, std::numeric_limits<int64_t>::min()};
    const int32_t lengths[] = {0, 1, 3, 6, 25};
    for (int64_t value : values) {
        for (int32_t length : lengths) {
            const int64_t p = TempOffset;
            const std::u16string digits = Str(value, p);
            const std::u16string separate = RSet(digits.c_str(), length, u"0", p);
            const std::u16string overlapped = RSet(Str(value, p), length, u"0", p);
            EXPECT_EQ(overlapped, separate) << int64_t{value} << " in " << length;
            EXPECT_EQ(StringLength(overlapped.c_str()), length);
            TempEmptyResult(p);
        }
    }
}

TEST_F(StringFunctionsTest, RSetFollowsItsInputWhenTheBufferGrows) {
    const int64_t p = TempOffset;
    const char16_t* digits = Str(98765, p);
    const int64_t capacity = TempCapacity;
    const std::u16string result = RSet(digits, 9000, u".", p);
    EXPECT_GT(TempCapacity, capacity);
    EXPECT_EQ(result, std::u16string(8995, u'.') + u"98765");
}

TEST_F(StringFunctionsTest, CaseMappingOfAsciiLeavesOtherUnits) {
    EXPECT_EQ(Text(UCase(u"*.mus", TempOffset)), u"*.MUS");
    EXPECT_EQ(Text(LCase(u"Sample_01.WAV (2)!", TempOffset)), u"sample_01.wav (2)!");
    EXPECT_EQ(Text(UCase(u"", TempOffset)), u"");
    const int64_t p = TempOffset;
    EXPECT_EQ(Text(LCase(nullptr, p)), u"");
    EXPECT_EQ(TempOffset, p);
    EXPECT_TRUE(TempTerminated());
}

TEST_F(StringFunctionsTest, CaseMappingOfLatin1AndHighUnits) {
    Utf8Locale locale; // where the C library would map fullwidth letters if asked
    // Fullwidth letters, CJK, a surrogate pair and 0xFFFF: all from 0x8000 up.
    const char16_t high[] = u"\xFF21\xFF41\x8000\xD83D\xDE00\xFFFF";
    EXPECT_EQ(Text(LCase(high, TempOffset)), high);
    EXPECT_EQ(Text(UCase(high, TempOffset)), high);
    if (!locale.Active()) {
        GTEST_SKIP() << "no UTF-8 locale";
    }
    EXPECT_EQ(Text(UCase(u"\x00E0\x00E9\x00FFz", TempOffset)), u"\x00C0\x00C9\x0178Z");
    EXPECT_EQ(Text(LCase(u"\x00C0\x00C9\x0178Z", TempOffset)), u"\x00E0\x00E9\x00FFz");
    EXPECT_EQ(Text(LCase(u"\x0391\x0392", TempOffset)), u"\x03B1\x03B2");
}

TEST_F(StringFunctionsTest, CaseMappingOverlappingItsInput) {
    TempReserve(100, 0); // room enough that the buffer cannot move below
    TempEmptyResult(0);
    TempAppend(u"XABC");
    char16_t* base = reinterpret_cast<char16_t*>(TempBase);
    EXPECT_EQ(Text(LCase(base, 0)), u"xabc");    // in place
    EXPECT_EQ(Text(UCase(base + 1, 0)), u"ABC"); // input ahead of the output
    TempAppend(u"d");                            // "ABCd" at 0
    EXPECT_EQ(Text(LCase(base, 2)), u"abcd");    // input behind the output
    EXPECT_EQ(std::u16string(base, 5), u"Aabcd");
}

} // namespace
