#include "strings_fixture.h"

#include <tuple>

TEST_F(StringsTest, Utf8OfEachLengthBothWays) {
    const std::pair<std::u16string, std::string> cases[] = {
        {u"\x007F\x0080", "\x7F\xC2\x80"},
        {u"\x07FF\x0800", "\xDF\xBF\xE0\xA0\x80"},
        {u"\xFFFF\xD800\xDC00", "\xEF\xBF\xBF\xF0\x90\x80\x80"},
        {u"a\x00E9\x20AC\xDBFF\xDFFF", "a\xC3\xA9\xE2\x82\xAC\xF4\x8F\xBF\xBF"}};
    for (const auto& [wide, bytes] : cases) {
        EXPECT_EQ(WideToMultiByte(CodePageUtf8, wide.c_str(), -1, nullptr, 0), ssize(bytes) + 1);
        EXPECT_EQ(MultiByteToWide(CodePageUtf8, bytes.c_str(), -1, nullptr, 0), ssize(wide) + 1);
        char* utf8 = ToUtf8(wide.c_str());
        EXPECT_EQ(utf8, bytes);
        char16_t* back = Utf8ToNew(utf8);
        EXPECT_EQ(Text(back), wide);
        FreeUtf8(utf8);
        MemFree(back);
    }
}

TEST_F(StringsTest, WideToMultiByteFaultsLimitsAndEightBit) {
    char out[4] = {'#', '#', '#', '#'};
    const char16_t highLast[] = {u'a', 0xD83D}, highThenOther[] = {u'a', 0xD83D, u'b', 0};
    EXPECT_EQ(WideToMultiByte(CodePageUtf8, highLast, 2, out, 4), 1);
    EXPECT_EQ(WideToMultiByte(CodePageUtf8, highThenOther, -1, nullptr, 0), 1);
    EXPECT_EQ(WideToMultiByte(CodePageUtf8, highThenOther, -1, out, 4), 0);
    EXPECT_EQ(WideToMultiByte(CodePageUtf8, u"b\x00E9", 2, out, 2), 1); // no room for the é
    EXPECT_EQ(std::string(out, 4), "b###");
    EXPECT_EQ(WideToMultiByte(CodePage8Bit, u"\x0061\x00E9\x00FF\x0100\x20AC", 5, out, 4), 3);
    EXPECT_EQ(std::string(out, 4), "\x61\xE9\xFF#"); // units from 256 up are dropped
    EXPECT_EQ(WideToMultiByte(1252, u"a", -1, out, 4), 0);
    EXPECT_EQ(WideToMultiByte(CodePageUtf8, u"a", -2, nullptr, 0), 0);
    const char16_t unpaired[] = {u'o', u'k', 0xD800, u'x', 0};
    for (const char16_t* s : {static_cast<const char16_t*>(nullptr), unpaired}) {
        char* bytes = ToUtf8(s); // never null: the empty string when nothing converts
        EXPECT_STREQ(bytes, "");
        FreeUtf8(bytes);
    }
}

TEST_F(StringsTest, MultiByteToWideFaultsLimitsAndEightBit) {
    const std::tuple<const char*, int64_t, int64_t> cases[] = {
        {"a\x80\x80", 3, 0},             // continuation byte as a lead byte
        {"a\xF8\x88\x80\x80\x80", 6, 0}, // lead byte 0xF8 and above
        {"a\xE2\x82", -1, 0},            // the terminator is no continuation byte
        {"a\xE2\x82", 3, 1},             // input ends inside a sequence
        {"a\xF4\x90\x80\x80z", 6, 1}};   // above U+10FFFF
    for (const auto& [bytes, length, written] : cases) {
        char16_t out[8] = {};
        EXPECT_EQ(MultiByteToWide(CodePageUtf8, bytes, length, nullptr, 0), 1) << bytes;
        EXPECT_EQ(MultiByteToWide(CodePageUtf8, bytes, length, out, 8), written) << bytes;
    }
    char16_t units[4] = {u'#', u'#', u'#', u'#'};
    EXPECT_EQ(MultiByteToWide(CodePageUtf8, "a\xF0\x9F\x98\x80", 5, units, 2), 1); // no room
    EXPECT_EQ(std::u16string(units, 4), u"a###");
    EXPECT_EQ(MultiByteToWide(CodePage8Bit, "\x61\xE9\xFF", -1, units, 3), 3);
    EXPECT_EQ(std::u16string(units, 4), u"\x0061\x00E9\x00FF#");
    EXPECT_EQ(MultiByteToWide(1252, "a", -1, units, 4), 0);
    char16_t* faulty = Utf8ToNew("ok\xE2\x82");
    ASSERT_NE(faulty, nullptr);
    EXPECT_EQ(faulty[0], 0);
    MemFree(faulty);
}

TEST_F(StringsTest, Utf8ToTempWritesAtThePosition) {
    TempAppend(u"name: ");
    EXPECT_EQ(Pos(Utf8ToTemp("Gr\xC3\xBC\xC3\x9F \xF0\x9F\x98\x80", 12)), 12);
    EXPECT_EQ(TempText(0), u"name: Gr\x00FC\x00DF \xD83D\xDE00");
    // Faulty input gives the empty string; input cut inside a sequence keeps what precedes.
    const std::pair<const char*, std::u16string> cases[] = {
        {nullptr, u""}, {"bad\xC3(", u""}, {"bad\xE2\x82", u""}, {"cut\xF0\x9F", u"cut"}};
    for (const auto& [bytes, text] : cases) {
        Utf8ToTemp(bytes, 12);
        EXPECT_EQ(TempText(12), text);
        EXPECT_TRUE(TempTerminated());
    }
}
