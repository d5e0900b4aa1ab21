#include "strings_fixture.h"

#include <tuple>

TEST_F(StringsTest, TempReserveGrowsOnlyWhenReachingCapacityLessFour) {
    // Units, then capacity and offset: growth when TempOffset + 2 x units >= capacity - 4.
    const int64_t steps[][3] = {
        {5, 16, 10}, {1, 16396, 12}, {8189, 16396, 16390}, {1, 32776, 16392}};
    for (const auto& [units, capacity, offset] : steps) {
        const int64_t p = TempOffset;
        EXPECT_EQ(Pos(TempReserve(static_cast<int32_t>(units), p)), p);
        EXPECT_EQ(TempCapacity, capacity);
        EXPECT_EQ(TempOffset, offset);
        TempBase[TempCapacity + 9] = 1; // the allocation is TempCapacity + 10 bytes
    }
    EXPECT_EQ(TempReserve(1, TempOffset + 2), nullptr); // beyond the text
    EXPECT_EQ(TempReserve(-1, 0), nullptr);
    EXPECT_EQ(TempOffset, 16392);
}

TEST_F(StringsTest, TempAppendAndTokensFollowTheBufferAcrossGrowth) {
    const std::u16string text(9000, u'q');
    TempAppend(text.c_str());
    const int64_t token = TempToken(TempBase + 4);
    EXPECT_EQ(token, 5);
    EXPECT_EQ(TempToken(TempBase + TempCapacity + 9), TempCapacity + 10);
    EXPECT_EQ(TempToken(TempBase + TempCapacity + 10), 0);
    EXPECT_EQ(TempToken(u"x"), 0);
    TempAppend(At(0)); // its own text, which moves when the buffer grows
    EXPECT_EQ(TempAddress(token), At(4));
    TempBase[TempOffset] = 'z'; // a stale unit where the terminator belongs
    TempAppend(nullptr);
    EXPECT_EQ(TempText(0), text + text);
    EXPECT_TRUE(TempTerminated());
}

TEST_F(StringsTest, TempStoreResetsTheOffsetAndNeverLeavesNull) {
    char16_t* variable = nullptr;
    char16_t* empty = nullptr;
    StringAssign(&variable, u"previous value that is longer");
    TempAppend(u"kept");
    {
        TempExpression expression;
        TempAppend(u"<>");
        TempStore(&empty, TempOffset); // an empty expression still stores a string
        expression.StoreInto(&variable);
        EXPECT_EQ(TempOffset, 8);
        TempAppend(u"lost"); // never stored: the destructor gives its space back
    }
    EXPECT_EQ(TempText(0), u"kept");
    EXPECT_EQ(Text(variable), u"<>");
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(empty[0], 0);
    StringFree(variable);
    StringFree(empty);
}

TEST_F(StringsTest, TempEmptyResultGiveBackAndTheEndCommand) {
    TempAppend(u"abcdef");
    EXPECT_EQ(Pos(TempEmptyResult(4)), 0);
    EXPECT_EQ(TempText(0), u"ab");
    EXPECT_TRUE(TempTerminated());
    TempGiveBack(1);
    TempGiveBack(100); // more than was reserved: ignored
    EXPECT_EQ(TempOffset, 2);
    EndStrings();
    TempAppend(u"late"); // after the end command the buffer is made anew
    EXPECT_EQ(TempText(0), u"late");
}

TEST_F(StringsTest, AssignDuplicateCopyAndFree) {
    char16_t* variable = nullptr;
    StringAssign(&variable, u"self reference");
    StringAssign(&variable, variable + 5); // from its own block
    EXPECT_EQ(Text(variable), u"reference");
    char16_t* parameter = variable;
    StringDuplicate(&parameter, nullptr); // a null string leaves the slot unchanged
    EXPECT_EQ(parameter, variable);
    StringDuplicate(&parameter, parameter);
    EXPECT_NE(parameter, variable);
    EXPECT_EQ(Text(parameter), u"reference");
    StringFree(parameter);
    StringAssign(&variable, nullptr);
    EXPECT_EQ(variable, nullptr);
    std::u16string dest(6, u'#');
    StringCopy(dest.data(), u"a");
    StringCopyN(dest.data() + 3, u"bcdef", 2); // no terminator beyond n units
    EXPECT_EQ(dest, std::u16string(u"a\0#bc#", 6));
    EXPECT_EQ(StringCopyN(dest.data(), u"xy", 5), dest.data()); // pads with terminators
    EXPECT_EQ(dest, std::u16string(u"xy\0\0\0#", 6));
}

TEST_F(StringsTest, ComparisonsReadUnitsAsSigned) {
    const std::tuple<const char16_t*, const char16_t*, int, int, int> cases[] = {
        // a, b, StringEqual, StringCompare, StringCompareNoCase
        {nullptr, u"", 1, 0, 0},           {u"*.MUS", u"*.MUS", 1, 0, 0},
        {u"*.MUS", u"*.mus", 0, -32, 0},   {u"abc", u"ab", 0, 'c', 'c'},
        {nullptr, u"B", 0, -'B', -'b'},    {u"\x8000", u"a", 0, -32768 - 'a', -32768 - 'a'},
        {u"\xFFFF", u"\x0001", 0, -2, -2}, {u"\xFF21", u"\xFF41", 0, -32, -32}};
    UseUtf8Locale(); // fullwidth letters are still not mapped
    for (const auto& [a, b, equal, compare, noCase] : cases) {
        EXPECT_EQ(StringEqual(a, b), equal);
        EXPECT_EQ(StringCompare(a, b), compare);
        EXPECT_EQ(StringCompareNoCase(a, b), noCase);
    }
}
