#include "strings_fixture.h"

#include "runtime/core/strings/strings_qt.h"

#include <QString>

TEST_F(StringsTest, PlatformStringsKeepEveryUnit) {
    QString* text = ToPlatformString(u"Gr\x00FC\x00DF \xD83D\xDE00");
    EXPECT_EQ(*text, QString::fromUtf8("Gr\xC3\xBC\xC3\x9F \xF0\x9F\x98\x80"));
    TempAppend(u"[");
    EXPECT_EQ(Pos(PlatformStringToTemp(text, 2)), 2);
    EXPECT_EQ(TempText(0), u"[Gr\x00FC\x00DF \xD83D\xDE00");
    ReleasePlatformString(text);
    text = ToPlatformString(nullptr);
    EXPECT_TRUE(text->isEmpty());
    ReleasePlatformString(text);
    PlatformStringToTemp(nullptr, 2);
    EXPECT_EQ(TempText(0), u"[");
    EXPECT_TRUE(TempTerminated());

    const QString pair = QString::fromUtf8("ab\xF0\x9F\x98\x80z");
    const std::u16string units = u"ab\xD83D\xDE00z";
    // Capacity, units written: at most capacity - 1, and never half a surrogate pair.
    const int64_t cases[][2] = {{10, 5}, {6, 5}, {5, 4}, {4, 2}, {3, 2}, {1, 0}};
    for (const auto& [capacity, written] : cases) {
        std::u16string buffer(12, u'#');
        EXPECT_EQ(PlatformStringToBuffer(buffer.data(), &pair, capacity), written);
        EXPECT_EQ(Text(buffer.c_str()), units.substr(0, static_cast<size_t>(written)));
        EXPECT_EQ(buffer[capacity], u'#'); // nothing written past the capacity
    }
    char16_t empty[2] = {u'#', u'#'};
    EXPECT_EQ(PlatformStringToBuffer(empty, &pair, 0), 0); // no room even for a terminator
    EXPECT_EQ(empty[0], u'#');
    EXPECT_EQ(PlatformStringToBuffer(empty, nullptr, 2), 0);
    EXPECT_EQ(empty[0], 0);
}
