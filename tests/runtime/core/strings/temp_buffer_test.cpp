#include "strings_fixture.h"

#include <string>

namespace {

using TempBufferTest = StringsTest;

TEST_F(TempBufferTest, GrowsOnlyWhenTheReservationReachesCapacityLessFour) {
    ASSERT_NE(TempBase, nullptr);
    EXPECT_EQ(TempCapacity, 16);
    EXPECT_EQ(TempOffset, 0);
    // Each step: units to reserve at TempOffset, then the expected capacity and offset.
    struct Step {
        int32_t units;
        int64_t capacity;
        int64_t offset;
    };
    const Step steps[] = {
        {5, 16, 10},          // 0 + 10 < 12: fits
        {1, 16396, 12},       // 10 + 2 >= 12: 10 + 2 + 16384
        {8189, 16396, 16390}, // 12 + 16378 < 16392
        {1, 32776, 16392},    // 16390 + 2 >= 16392
    };
    for (const Step& step : steps) {
        const int64_t p = TempOffset;
        char16_t* out = TempReserve(step.units, p);
        EXPECT_EQ(out, reinterpret_cast<char16_t*>(TempBase + p));
        EXPECT_EQ(TempCapacity, step.capacity);
        EXPECT_EQ(TempOffset, step.offset);
        // The allocation is TempCapacity + 10 bytes: its last byte is writable.
        TempBase[TempCapacity + 9] = 1;
    }
}

TEST_F(TempBufferTest, RejectsPositionsBeyondTheTextAndNegativeCounts) {
    TempReserve(3, 0);
    const char* base = TempBase;
    EXPECT_EQ(TempReserve(1, TempOffset + 2), nullptr);
    EXPECT_EQ(TempReserve(1, -2), nullptr);
    EXPECT_EQ(TempReserve(-1, 0), nullptr);
    EXPECT_EQ(TempOffset, 6);
    EXPECT_EQ(TempBase, base);
}

TEST_F(TempBufferTest, GrowthKeepsEarlierPartsOfTheExpression) {
    TempExpression expression;
    TempAppend(u"head:");
    const std::u16string longText(20000, u'x');
    TempAppend(longText.c_str());
    TempAppend(u":tail");
    EXPECT_GT(TempCapacity, 40000);
    EXPECT_EQ(TempText(expression.Start()), u"head:" + longText + u":tail");
    EXPECT_TRUE(TempTerminated());
}

TEST_F(TempBufferTest, AppendingNullLeavesTheExpressionTerminatedAndUnchanged) {
    TempAppend(u"abc");
    TempBase[TempOffset] = 'z'; // a stale unit where the terminator belongs
    TempAppend(nullptr);
    EXPECT_EQ(TempText(0), u"abc");
    EXPECT_TRUE(TempTerminated());
}

TEST_F(TempBufferTest, AppendFollowsASourceInsideTheBufferAcrossGrowth) {
    const std::u16string text(9000, u'q');
    TempAppend(text.c_str());
    const int64_t capacity = TempCapacity;
    TempAppend(reinterpret_cast<const char16_t*>(TempBase));
    EXPECT_GT(TempCapacity, capacity);
    EXPECT_EQ(TempText(0), text + text);
}

TEST_F(TempBufferTest, TokensAreOffsetsPlusOneAndSurviveGrowth) {
    TempAppend(u"marker");
    const int64_t token = TempToken(TempBase + 4);
    EXPECT_EQ(token, 5);
    EXPECT_EQ(TempToken(TempBase), 1);
    EXPECT_EQ(TempToken(TempBase + TempCapacity + 9), TempCapacity + 10);
    EXPECT_EQ(TempToken(TempBase + TempCapacity + 10), 0);
    const char16_t outside[] = u"x";
    EXPECT_EQ(TempToken(outside), 0);
    EXPECT_EQ(TempToken(nullptr), 0);
    EXPECT_EQ(TempAddress(0), nullptr);

    TempReserve(30000, TempOffset);
    ASSERT_NE(TempAddress(token), nullptr);
    EXPECT_EQ(TempAddress(token), reinterpret_cast<char16_t*>(TempBase + 4));
    EXPECT_EQ(std::u16string(TempAddress(token), 4), u"rker");
}

TEST_F(TempBufferTest, StoreCopiesTheTextAndResetsTheOffset) {
    TempAppend(u"kept");
    const int64_t start = TempOffset;
    TempAppend(u"one ");
    TempAppend(u"two");
    char16_t* variable = nullptr;
    StringAssign(&variable, u"previous value that is longer");
    TempStore(&variable, start);
    EXPECT_EQ(Text(variable), u"one two");
    EXPECT_EQ(TempOffset, start);
    EXPECT_EQ(TempText(0), u"kept");
    StringFree(variable);
}

TEST_F(TempBufferTest, StoringAnEmptyExpressionGivesANonNullEmptyString) {
    char16_t* fresh = nullptr;
    TempStore(&fresh, TempOffset);
    ASSERT_NE(fresh, nullptr);
    EXPECT_EQ(fresh[0], 0);

    char16_t* used = nullptr;
    StringAssign(&used, u"something");
    TempStore(&used, TempOffset);
    ASSERT_NE(used, nullptr);
    EXPECT_EQ(used[0], 0);
    StringFree(fresh);
    StringFree(used);
}

TEST_F(TempBufferTest, NestedExpressionsBehaveLikeAStack) {
    char16_t* outer = nullptr;
    char16_t* inner = nullptr;
    {
        TempExpression outerExpression;
        TempAppend(u"<");
        {
            TempExpression innerExpression;
            TempAppend(u"inner");
            innerExpression.StoreInto(&inner);
            EXPECT_EQ(TempOffset, innerExpression.Start());
        }
        TempAppend(u">");
        EXPECT_EQ(std::u16string(outerExpression.Text()), u"<>");
        outerExpression.StoreInto(&outer);
    }
    EXPECT_EQ(Text(outer), u"<>");
    EXPECT_EQ(Text(inner), u"inner");
    EXPECT_EQ(TempOffset, 0);
    {
        TempExpression abandoned; // never stored: its space still comes back
        TempAppend(u"lost");
        Str(12345, TempOffset);
    }
    EXPECT_EQ(TempOffset, 0);
    StringFree(outer);
    StringFree(inner);
}

TEST_F(TempBufferTest, EmptyResultAndGiveBack) {
    TempAppend(u"abcdef");
    EXPECT_EQ(TempEmptyResult(4), reinterpret_cast<char16_t*>(TempBase));
    EXPECT_EQ(TempOffset, 4);
    EXPECT_TRUE(TempTerminated());
    EXPECT_EQ(TempText(0), u"ab");

    TempAppend(u"xyz");
    TempGiveBack(2);
    EXPECT_EQ(TempOffset, 6);
    TempGiveBack(100); // more than was reserved: ignored
    EXPECT_EQ(TempOffset, 6);
}

TEST(TempBufferLifecycle, WorksBeforeStartAndAfterTheEndCommand) {
    EndStrings();
    EXPECT_EQ(TempBase, nullptr);
    EXPECT_EQ(TempToken(&TempOffset), 0);
    TempAppend(u"late");
    ASSERT_NE(TempBase, nullptr);
    EXPECT_EQ(TempText(0), u"late");
    EndStrings();
    EXPECT_EQ(TempBase, nullptr);
    EXPECT_EQ(TempCapacity, 0);
}

} // namespace
