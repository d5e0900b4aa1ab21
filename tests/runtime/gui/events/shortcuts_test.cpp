// Key codes turned into shortcuts, and key strokes matched against them. No platform is
// linked: a window's list is the test's own.
#include "runtime/gui/events/events.h"

#include <gtest/gtest.h>

namespace {

TEST(ShortcutTest, KeyCodesGiveTheCharacterTheKeyReports) {
    struct Case {
        int32_t key;
        char16_t character;
    };
    const Case cases[] = {
        {13, 0x0D},
        {'a', u'a'},
        {'a' | ShortcutShift, u'A'},
        {'1' | ShortcutShift, u'!'},
        {'3' | ShortcutShift, 0x00A7},
        {'0' | ShortcutShift, u'='},
        {9 | ShortcutShift, 25},
        {',' | ShortcutShift | ShortcutCommand, u';'},
        {'x' | ShortcutCommand, u'x'},
        {1, 0xF729},
        {31, 0xF701},
        {127, 0xF728},
        {352, 0xF708},
        {378, 0xF704},
        {13 | ShortcutShift, 0x0D}, // a special key ignores what Shift would make
    };
    for (const Case& c : cases) {
        KSShortcut s;
        s.initWithKey(c.key, 4);
        EXPECT_EQ(s.character, c.character) << std::hex << c.key;
        EXPECT_EQ(s.modifiers, static_cast<uint64_t>(c.key & ShortcutModifierMask));
        EXPECT_EQ(s.EventMenuID, 4);
    }
}

TEST(ShortcutTest, MatchNeedsTheSameModifiersAndUnit) {
    KSShortcut ret;
    ret.initWithKey(13, 1);
    KSShortcut copy;
    copy.initWithKey('c' | ShortcutCommand, 2);
    struct Case {
        const KSShortcut& shortcut;
        KeyStroke stroke;
        bool match;
    };
    const Case cases[] = {
        {ret, {0, 13}, true},
        {ret, {0, 3}, true}, // keypad Enter as the older key events report it
        {ret, {ShortcutShift, 13}, false},
        {ret, {ShortcutCommand, 13}, false},
        {copy, {ShortcutCommand, u'c'}, true},
        {copy, {ShortcutCommand | ShortcutShift, u'C'}, false},
        {copy, {0, u'c'}, false},
    };
    for (const Case& c : cases) {
        int32_t item = -99;
        EXPECT_EQ(c.shortcut.isEventMatch(c.stroke, &item), c.match) << int(c.stroke.unit);
        EXPECT_EQ(item, c.match ? c.shortcut.EventMenuID : -99);
    }
}

TEST(ShortcutTest, AddingAKeyAgainReplacesItOtherModifiersAreAnotherShortcut) {
    // Window 3 exists; no other window does.
    static KSShortcutList window3;
    SetShortcutListLookup([](int64_t window, bool) { return window == 3 ? &window3 : nullptr; });
    AddKeyboardShortcut(3, 13, 1);
    AddKeyboardShortcut(3, 13, 7);
    AddKeyboardShortcut(3, 13 | ShortcutShift, 8);
    EXPECT_EQ(window3.size(), 2u);
    int32_t item = 0;
    EXPECT_TRUE(MatchKeyboardShortcut(3, {0, 13}, &item));
    EXPECT_EQ(item, 7);
    EXPECT_TRUE(MatchKeyboardShortcut(3, {ShortcutShift, 13}, &item));
    EXPECT_EQ(item, 8);
    RemoveKeyboardShortcut(3, 13);
    EXPECT_FALSE(MatchKeyboardShortcut(3, {0, 13}, &item));
    // A window that does not exist has no shortcuts and gets none.
    AddKeyboardShortcut(42, 13, 1);
    EXPECT_FALSE(MatchKeyboardShortcut(42, {0, 13}, &item));
    SetShortcutListLookup(nullptr);
}

} // namespace
