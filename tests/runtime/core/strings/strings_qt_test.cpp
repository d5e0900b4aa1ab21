#include "strings_fixture.h"

#include <QString>

#include <string>

namespace {

using PlatformStringTest = StringsTest;

TEST_F(PlatformStringTest, ToPlatformStringKeepsEveryUnit) {
    QString* text = ToPlatformString(u"Gr\x00FC\x00DF \xD83D\xDE00");
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(*text, QString::fromUtf8("Gr\xC3\xBC\xC3\x9F \xF0\x9F\x98\x80"));
    ReleasePlatformString(text);

    QString* empty = ToPlatformString(nullptr);
    ASSERT_NE(empty, nullptr);
    EXPECT_TRUE(empty->isEmpty());
    ReleasePlatformString(empty);
    ReleasePlatformString(nullptr);
}

TEST_F(PlatformStringTest, ToTempWritesAtThePosition) {
    const QString text = QString::fromUtf8("caf\xC3\xA9 \xF0\x9F\x98\x80");
    TempAppend(u"[");
    const int64_t p = TempOffset;
    const char16_t* out = PlatformStringToTemp(&text, p);
    EXPECT_EQ(out, reinterpret_cast<char16_t*>(TempBase + p));
    EXPECT_EQ(TempText(0), u"[caf\x00E9 \xD83D\xDE00");
    EXPECT_TRUE(TempTerminated());

    EXPECT_EQ(Text(PlatformStringToTemp(nullptr, p)), u"");
    EXPECT_EQ(TempOffset, p);
}

TEST_F(PlatformStringTest, ToBufferCopiesAtMostCapacityLessOneUnits) {
    const QString text = QString::fromUtf8("ab\xF0\x9F\x98\x80z");
    const struct {
        int64_t capacity;
        int64_t written;
        const char16_t* result;
    } cases[] = {
        {10, 5, u"ab\xD83D\xDE00z"},
        {3, 2, u"ab"},
        {4, 2, u"ab"}, // a surrogate pair is never split
        {5, 4, u"ab\xD83D\xDE00"},
        {1, 0, u""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.capacity);
        char16_t buffer[12];
        std::fill(std::begin(buffer), std::end(buffer), u'#');
        EXPECT_EQ(PlatformStringToBuffer(buffer, &text, c.capacity), c.written);
        EXPECT_EQ(Text(buffer), c.result);
        EXPECT_EQ(buffer[c.capacity], u'#');
    }
    char16_t untouched[2] = {u'#', u'#'};
    EXPECT_EQ(PlatformStringToBuffer(untouched, &text, 0), 0);
    EXPECT_EQ(untouched[0], u'#');
    EXPECT_EQ(PlatformStringToBuffer(untouched, nullptr, 2), 0);
    EXPECT_EQ(untouched[0], 0);
}

} // namespace
