#include "strings_fixture.h"

#include <cstring>
#include <string>

namespace {

using ConvertTest = StringsTest;

// Pairs of the same text in UTF-16 and UTF-8, covering each encoded length's limits.
const struct {
    const char16_t* wide;
    const char* utf8;
} Encodings[] = {
    {u"A", "A"},
    {u"\x007F", "\x7F"},
    {u"\x0080", "\xC2\x80"},
    {u"\x00E9", "\xC3\xA9"},
    {u"\x07FF", "\xDF\xBF"},
    {u"\x0800", "\xE0\xA0\x80"},
    {u"\x20AC", "\xE2\x82\xAC"},
    {u"\xFFFF", "\xEF\xBF\xBF"},
    {u"\xD800\xDC00", "\xF0\x90\x80\x80"},
    {u"\xD83D\xDE00", "\xF0\x9F\x98\x80"},
    {u"\xDBFF\xDFFF", "\xF4\x8F\xBF\xBF"},
    {u"h\x00E9llo \xD83D\xDE00!", "h\xC3\xA9llo \xF0\x9F\x98\x80!"},
};

TEST(Conversions, Utf8EncodingAndDecodingOfEachLength) {
    for (const auto& e : Encodings) {
        const std::string bytes = e.utf8;
        const std::u16string units = e.wide;
        SCOPED_TRACE(bytes);
        const auto wideCount = static_cast<int64_t>(units.size());
        const auto byteCount = static_cast<int64_t>(bytes.size());
        EXPECT_EQ(WideToMultiByte(CodePageUtf8, e.wide, -1, nullptr, 0), byteCount + 1);
        char out[32];
        ASSERT_EQ(WideToMultiByte(CodePageUtf8, e.wide, wideCount, out, sizeof out), byteCount);
        EXPECT_EQ(std::string(out, bytes.size()), bytes);

        EXPECT_EQ(MultiByteToWide(CodePageUtf8, e.utf8, -1, nullptr, 0), wideCount + 1);
        char16_t back[32];
        ASSERT_EQ(MultiByteToWide(CodePageUtf8, e.utf8, byteCount, back, 32), wideCount);
        EXPECT_EQ(std::u16string(back, units.size()), units);
    }
}

TEST(Conversions, WideToUtf8SurrogateFaults) {
    char out[8] = {};
    const char16_t highLast[] = {u'a', 0xD83D};
    EXPECT_EQ(WideToMultiByte(CodePageUtf8, highLast, 2, nullptr, 0), 1);
    EXPECT_EQ(WideToMultiByte(CodePageUtf8, highLast, 2, out, sizeof out), 1);
    const char16_t highThenOther[] = {u'a', 0xD83D, u'b', 0};
    EXPECT_EQ(WideToMultiByte(CodePageUtf8, highThenOther, -1, nullptr, 0), 1);
    EXPECT_EQ(WideToMultiByte(CodePageUtf8, highThenOther, -1, out, sizeof out), 0);
}

TEST(Conversions, WritingNeverPassesTheOutputSize) {
    char out[4] = {'#', '#', '#', '#'};
    EXPECT_EQ(WideToMultiByte(CodePageUtf8, u"a\x00E9", 2, out, 2), 1);
    EXPECT_EQ(std::string(out, 4), "a###");
    char16_t units[4] = {u'#', u'#', u'#', u'#'};
    EXPECT_EQ(MultiByteToWide(CodePageUtf8, "a\xF0\x9F\x98\x80", 5, units, 2), 1);
    EXPECT_EQ(std::u16string(units, 4), u"a###");
    EXPECT_EQ(MultiByteToWide(CodePage8Bit, "abcdef", 6, units, 3), 3);
    EXPECT_EQ(std::u16string(units, 4), u"abc#");
}

TEST(Conversions, Utf8DecodingFaults) {
    const struct {
        const char* bytes;
        int64_t length;
        int64_t counted;
        int64_t written;
    } cases[] = {
        {"a\x80z", 3, 1, 0},                // continuation byte as a lead byte
        {"a\xF8\x88\x80\x80\x80", 6, 1, 0}, // lead byte 0xF8 and above
        {"a\xC3"
         "A",
         3, 1, 0},                       // non-continuation after a lead byte
        {"a\xE2\x82", -1, 1, 0},         // the terminator is no continuation
        {"a\xE2\x82", 3, 1, 1},          // input ends inside a sequence
        {"a\xF4\x90\x80\x80z", 6, 1, 1}, // above U+10FFFF
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bytes);
        EXPECT_EQ(MultiByteToWide(CodePageUtf8, c.bytes, c.length, nullptr, 0), c.counted);
        char16_t out[8] = {};
        EXPECT_EQ(MultiByteToWide(CodePageUtf8, c.bytes, c.length, out, 8), c.written);
    }
}

TEST(Conversions, EightBitCodePage) {
    const char16_t units[] = {0x61, 0xE9, 0x20AC};
    EXPECT_EQ(WideToMultiByte(CodePage8Bit, units, 3, nullptr, 0), 2);
    char out[4] = {'#', '#', '#', '#'};
    EXPECT_EQ(WideToMultiByte(CodePage8Bit, units, 3, out, sizeof out), 2);
    EXPECT_EQ(std::string(out, 3), "\x61\xE9#");
    EXPECT_EQ(WideToMultiByte(CodePageUtf8, units, 3, nullptr, 0), 1 + 2 + 3);

    EXPECT_EQ(MultiByteToWide(CodePage8Bit, "\x61\xE9\xFF", -1, nullptr, 0), 4);
    char16_t wide[4];
    EXPECT_EQ(MultiByteToWide(CodePage8Bit, "\x61\xE9\xFF", -1, wide, 4), 4);
    EXPECT_EQ(std::u16string(wide, 4), std::u16string(u"\x0061\x00E9\x00FF\0", 4));
}

TEST(Conversions, UnknownCodePagesAndMissingInput) {
    char out[4];
    char16_t wide[4];
    EXPECT_EQ(WideToMultiByte(1252, u"a", -1, out, 4), 0);
    EXPECT_EQ(MultiByteToWide(1252, "a", -1, wide, 4), 0);
    EXPECT_EQ(WideToMultiByte(CodePageUtf8, nullptr, -1, nullptr, 0), 0);
    EXPECT_EQ(MultiByteToWide(CodePageUtf8, nullptr, -1, nullptr, 0), 0);
    EXPECT_EQ(WideToMultiByte(CodePageUtf8, u"a", -2, nullptr, 0), 0);
}

TEST(Conversions, ToUtf8AndUtf8ToNewRoundTrip) {
    for (const auto& e : Encodings) {
        char* bytes = ToUtf8(e.wide);
        EXPECT_STREQ(bytes, e.utf8);
        char16_t* back = Utf8ToNew(bytes);
        EXPECT_EQ(Text(back), e.wide);
        FreeUtf8(bytes);
        MemFree(back);
    }
    const char16_t unpaired[] = {u'o', u'k', 0xD800, u'x', 0};
    for (const char16_t* s : {static_cast<const char16_t*>(nullptr), u"", unpaired}) {
        char* bytes = ToUtf8(s);
        ASSERT_NE(bytes, nullptr);
        EXPECT_STREQ(bytes, "");
        FreeUtf8(bytes);
    }
    for (const char* s : {static_cast<const char*>(nullptr), "", "ok\xC3(", "ok\xE2\x82"}) {
        char16_t* units = Utf8ToNew(s);
        ASSERT_NE(units, nullptr);
        EXPECT_EQ(Text(units), u"");
        MemFree(units);
    }
}

TEST_F(ConvertTest, Utf8ToTempWritesAtThePosition) {
    TempAppend(u"name: ");
    const int64_t p = TempOffset;
    char16_t* out = Utf8ToTemp("Gr\xC3\xBC\xC3\x9F \xF0\x9F\x98\x80", p);
    EXPECT_EQ(out, reinterpret_cast<char16_t*>(TempBase + p));
    EXPECT_EQ(TempText(0), u"name: Gr\x00FC\x00DF \xD83D\xDE00");
    EXPECT_TRUE(TempTerminated());

    // Faulty input gives the empty string; input that stops short of a sequence's
    // length keeps the complete code points before it.
    const struct {
        const char* bytes;
        const char16_t* text;
    } cases[] = {{nullptr, u""}, {"bad\xC3(", u""}, {"bad\xE2\x82", u""}, {"cut\xF0\x9F", u"cut"}};
    for (const auto& c : cases) {
        EXPECT_EQ(Text(Utf8ToTemp(c.bytes, p)), c.text);
        EXPECT_EQ(TempOffset, p + 2 * StringLength(c.text));
        EXPECT_TRUE(TempTerminated());
    }
}

} // namespace
