#include "strings_fixture.h"

#include <string>

namespace {

TEST(StringVariables, AssignCopiesAndNullFrees) {
    char16_t source[] = u"value";
    char16_t* variable = nullptr;
    StringAssign(&variable, source);
    source[0] = u'V';
    EXPECT_EQ(Text(variable), u"value");
    StringAssign(&variable, u"a much longer replacement");
    EXPECT_EQ(Text(variable), u"a much longer replacement");
    StringAssign(&variable, nullptr);
    EXPECT_EQ(variable, nullptr);
}

TEST(StringVariables, AssignFromItsOwnBlock) {
    char16_t* variable = nullptr;
    StringAssign(&variable, u"self reference");
    StringAssign(&variable, variable);
    EXPECT_EQ(Text(variable), u"self reference");
    StringAssign(&variable, variable + 5);
    EXPECT_EQ(Text(variable), u"reference");
    StringAssign(&variable, nullptr);
}

TEST(StringVariables, DuplicateMakesAPrivateCopyAndIgnoresNull) {
    char16_t* parameter = nullptr;
    StringAssign(&parameter, u"caller's");
    char16_t* const callers = parameter;
    StringDuplicate(&parameter, parameter);
    EXPECT_NE(parameter, callers);
    EXPECT_EQ(Text(parameter), u"caller's");
    StringFree(parameter);

    char16_t* slot = callers;
    StringDuplicate(&slot, nullptr);
    EXPECT_EQ(slot, callers);
    StringFree(callers);
    StringFree(nullptr);
}

struct Comparison {
    const char16_t* a;
    const char16_t* b;
    int equal;
    int compare;
};

TEST(StringVariables, EqualAndCompare) {
    const Comparison cases[] = {
        {nullptr, u"", 1, 0},
        {nullptr, nullptr, 1, 0},
        {u"same", u"same", 1, 0},
        {u"a", u"b", 0, -1},
        {u"b", u"a", 0, 1},
        {u"abc", u"ab", 0, 'c'},
        {u"ab", u"abc", 0, -'c'},
        {nullptr, u"a", 0, -'a'},
        {u"a", u"A", 0, 'a' - 'A'},
        // Units compare as signed 16-bit values: 0x8000 sorts before ASCII.
        {u"\x8000", u"a", 0, -32768 - 'a'},
        {u"\xFFFF", u"\x0001", 0, -1 - 1},
    };
    for (const Comparison& c : cases) {
        SCOPED_TRACE(Text(c.a).size());
        EXPECT_EQ(StringEqual(c.a, c.b), c.equal);
        EXPECT_EQ(StringCompare(c.a, c.b), c.compare);
    }
}

TEST(StringVariables, CompareNoCase) {
    Utf8Locale locale;
    const Comparison cases[] = {
        {u"*.MUS", u"*.mus", 0, 0},
        {u"a", u"B", 0, 'a' - 'b'},
        {u"abc", u"AB", 0, 'c'},
        {u"\x00C9t\x00C9", u"\x00E9T\x00E9", 0, 0}, // Latin-1 letters, in a UTF-8 locale
        // Fullwidth A and a lie above 0x7FFF and are not mapped.
        {u"\xFF21", u"\xFF41", 0, static_cast<int16_t>(0xFF21) - static_cast<int16_t>(0xFF41)},
        {u"\xFF21", u"\xFF21", 0, 0},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        if (i == 3 && !locale.Active()) {
            continue;
        }
        SCOPED_TRACE(i);
        EXPECT_EQ(StringCompareNoCase(cases[i].a, cases[i].b), cases[i].compare);
    }
}

TEST(StringVariables, CopyAndCopyN) {
    char16_t dest[8];
    std::fill(std::begin(dest), std::end(dest), u'#');
    EXPECT_EQ(StringCopy(dest, u"abc"), dest);
    EXPECT_EQ(std::u16string(dest, 5), std::u16string(u"abc\0#", 5));

    std::fill(std::begin(dest), std::end(dest), u'#');
    EXPECT_EQ(StringCopyN(dest, u"ab", 5), dest);
    EXPECT_EQ(std::u16string(dest, 6), std::u16string(u"ab\0\0\0#", 6));

    std::fill(std::begin(dest), std::end(dest), u'#');
    StringCopyN(dest, u"abcdef", 3); // no terminator beyond n units
    EXPECT_EQ(std::u16string(dest, 4), u"abc#");
}

} // namespace
