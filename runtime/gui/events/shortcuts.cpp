// Keyboard shortcuts: a key code (key part OR modifier bits) turned into the modifier
// bits and the one UTF-16 unit a matching key press reports; and the order in which a key
// press goes to the window's shortcuts and the key handlers.
#include "runtime/gui/events/events.h"

#include <algorithm>

namespace {

ShortcutListLookup ShortcutLists = nullptr;
std::vector<KeyHandler> KeyHandlers;

struct SpecialKey {
    int32_t keyPart;
    char16_t reported;
};

// Special key parts and the character their key presses report.
constexpr SpecialKey SpecialKeys[] = {
    {1, 0xF729},   {4, 0xF72B},   {5, 0xF727},   {8, 0x7F},     {11, 0xF72C},
    {12, 0xF72D},  {13, 0x0D},    {27, 0x1B},    {28, 0xF702},  {29, 0xF703},
    {30, 0xF700},  {31, 0xF701},  {127, 0xF728}, {352, 0xF708}, {353, 0xF709},
    {354, 0xF70A}, {355, 0xF706}, {356, 0xF70B}, {357, 0xF70C}, {359, 0xF70E},
    {365, 0xF70D}, {367, 0xF70F}, {374, 0xF707}, {376, 0xF705}, {378, 0xF704},
};

// The character Shift makes of an unshifted one, on the layout the key codes assume.
char16_t Shifted(char16_t c) {
    static const char16_t from[] = u"\t+,-.0123456789";
    static const char16_t to[] = u"\x19*;_:=!\"\u00A7$%&/()";
    for (int i = 0; from[i] != 0; i++) {
        if (from[i] == c)
            return to[i];
    }
    if (c >= u'a' && c <= u'z')
        return static_cast<char16_t>(c - u'a' + u'A');
    return c;
}

} // namespace

char16_t ShortcutCharacter(int32_t key) {
    const int32_t part = key & ~ShortcutModifierMask;
    for (const SpecialKey& special : SpecialKeys) {
        if (special.keyPart == part)
            return special.reported;
    }
    char16_t c = static_cast<char16_t>(key & 0xFFFF);
    if (key & ShortcutShift)
        c = Shifted(c);
    return c;
}

void KSShortcut::initWithKey(int32_t key, int32_t item) {
    Key = key;
    EventMenuID = item;
    modifiers = static_cast<uint64_t>(key & ShortcutModifierMask);
    character = ShortcutCharacter(key);
}

bool KSShortcut::isEventMatch(const KeyStroke& stroke, int32_t* item) const {
    if (stroke.modifiers != modifiers)
        return false;
    const char16_t unit = stroke.unit == 3 ? char16_t{13} : stroke.unit;
    if (unit == 0 || unit != character)
        return false;
    if (item)
        *item = EventMenuID;
    return true;
}

void SetShortcutListLookup(ShortcutListLookup lookup) {
    ShortcutLists = lookup;
}

void RemoveKeyboardShortcut(int64_t window, int32_t key) {
    KSShortcutList* list = ShortcutLists ? ShortcutLists(window, false) : nullptr;
    if (!list)
        return;
    auto found = std::find_if(list->begin(), list->end(),
                              [key](const KSShortcut& s) { return s.isKeyMatch(key); });
    if (found != list->end())
        list->erase(found);
}

void AddKeyboardShortcut(int64_t window, int32_t key, int32_t item) {
    RemoveKeyboardShortcut(window, key);
    KSShortcutList* list = ShortcutLists ? ShortcutLists(window, true) : nullptr;
    if (!list)
        return;
    KSShortcut shortcut;
    shortcut.initWithKey(key, item);
    list->push_back(shortcut);
}

bool MatchKeyboardShortcut(int64_t window, const KeyStroke& stroke, int32_t* item) {
    KSShortcutList* list = ShortcutLists && window != -1 ? ShortcutLists(window, false) : nullptr;
    if (!list)
        return false;
    for (const KSShortcut& shortcut : *list) {
        if (shortcut.isEventMatch(stroke, item))
            return true;
    }
    return false;
}

void AddKeyHandler(KeyHandler handler) {
    KeyHandlers.push_back(handler);
}

bool HandleKeyStroke(const KeyStroke& stroke, const KeyContext& context, bool act) {
    int32_t item = 0;
    if (context.window != -1 && MatchKeyboardShortcut(context.window, stroke, &item)) {
        if (act)
            PostEvent(Event_Menu, item, context.window, 0);
        return true;
    }
    for (KeyHandler handler : KeyHandlers) {
        if (handler(stroke, context, act))
            return true;
    }
    return false;
}
