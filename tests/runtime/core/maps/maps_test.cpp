// Hashing, bucket placement, lookup, iteration with removal, and copies of plain maps.
#include "runtime/core/maps/maps.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

using Keys = std::vector<std::string>;

// Keys in iteration order, walked from the start.
Keys KeysOf(TextMap* map) {
    Keys keys;
    ResetMap(map);
    while (NextMapElement(map))
        keys.emplace_back(CurrentMapKey(map));
    return keys;
}

TextMap* MapOf(int64_t buckets, std::initializer_list<const char*> keys) {
    TextMap* map = NewMap(8, 0, nullptr, nullptr, buckets);
    for (const char* key : keys)
        *static_cast<int64_t*>(AddMapElement(map, key)) = key[0];
    return map;
}

int64_t ValueOf(TextMap* map, const char* key) {
    auto* value = static_cast<int64_t*>(FindMapElement(map, key));
    return value ? *value : -1;
}

TEST(Maps, SdbmHashTakesCharactersAsSignedIn32Bits) {
    const std::pair<const char*, uint32_t> cases[] = {
        {nullptr, 0},          {"", 0}, {"a", 97},
        {"abc", 807794786},    // ((97 * 65599) + 98) * 65599 + 99, modulo 2^32
        {"\xE9", 4294967273u}, // the byte 0xE9 counts as -23
    };
    for (const auto& [key, hash] : cases)
        EXPECT_EQ(SdbmHash(key), hash) << (key ? key : "(null)");
}

TEST(Maps, NewMapMakesAtLeastOneBucketAndFreesTheMapOnItsVariable) {
    for (const auto& [asked, made] : {std::pair{0, 1}, {-5, 1}, {7, 7}}) {
        TextMap* variable = nullptr;
        TextMap* map = NewMap(24, 3, nullptr, &variable, asked);
        ASSERT_EQ(variable, map);
        EXPECT_EQ(map->bucketCount, made);
        EXPECT_EQ(map->allocator->slotSize, 48); // owner word + 16-byte header + data
        AddMapElement(map, "x");
        FreeMap(map);
        EXPECT_EQ(variable, nullptr);
    }
    const int64_t words[] = {MapEnd};
    MapParameters p{1, 1, words, 1};
    GetMapParameters(nullptr, &p);
    EXPECT_EQ(p.bucketCount, 0);
    EXPECT_EQ(p.structureMap, nullptr);
    // A new map on a variable frees the old one (LeakSanitizer watches), even when refused.
    TextMap* variable = MapOf(4, {"old"});
    EXPECT_EQ(NewMap(8, 0, nullptr, &variable, 4), variable);
    EXPECT_EQ(MapSize(variable), 0);
    EXPECT_EQ(NewMap(-1, 0, nullptr, &variable, 4), nullptr);
    EXPECT_EQ(variable, nullptr);
    EXPECT_EQ(NewMap(8, 0, nullptr, nullptr, INT64_MAX), nullptr);
}

TEST(Maps, LookupComparesExactlyAndMakesTheElementCurrent) {
    TextMap* map = MapOf(3, {"Play", "", "Stop"});
    *static_cast<int64_t*>(AddMapElement(map, "Play")) = 4; // no search: the newer is found
    const std::pair<const char*, int64_t> cases[] = {{"Play", 4},   {"", 0},      {nullptr, 0},
                                                     {"Stop", 'S'}, {"play", -1}, {"Pla", -1}};
    for (const auto& [key, value] : cases)
        EXPECT_EQ(ValueOf(map, key), value) << (key ? key : "(null)");
    EXPECT_EQ(FindMapElement(map, "missing"), nullptr);
    EXPECT_STREQ(CurrentMapKey(map), "Stop"); // failed lookups leave the cursor
    EXPECT_EQ(MapSize(map), 4);
    EXPECT_EQ(FindMapElement(nullptr, "Play"), nullptr);
    EXPECT_EQ(AddMapElement(nullptr, "Play"), nullptr);
    FreeMap(map);
}

TEST(Maps, ElementsGoInFrontOfTheirBucketAndDeletingGoesOnWithTheNext) {
    // Buckets of hash % 4: "d" 0; "i", "e", "a" 1, each added in front; "b" 2; "c" 3.
    TextMap* map = MapOf(4, {"a", "b", "c", "d", "e", "i"});
    const Keys all = {"d", "i", "e", "a", "b", "c"};
    EXPECT_EQ(KeysOf(map), all);
    EXPECT_EQ(NextMapElement(map), nullptr); // stays past the end
    EXPECT_EQ(CurrentMapKey(map), nullptr);
    // Delete every second element: first of the map, head and tail of a chain, last.
    Keys seen;
    ResetMap(map);
    for (int i = 0; NextMapElement(map); ++i) {
        seen.emplace_back(CurrentMapKey(map));
        if (i % 2 == 0)
            DeleteCurrentMapElement(map);
    }
    EXPECT_EQ(seen, all);
    EXPECT_EQ(KeysOf(map), (Keys{"i", "a", "c"}));
    EXPECT_EQ(MapSize(map), 3);
    FindMapElement(map, "a"); // tail of bucket 1: the cursor steps back to "i"
    DeleteCurrentMapElement(map);
    EXPECT_STREQ(CurrentMapKey(map), "i");
    DeleteCurrentMapElement(map); // the first element: the cursor goes before the start
    EXPECT_EQ(CurrentMapKey(map), nullptr);
    DeleteCurrentMapElement(map); // nothing current: nothing removed
    EXPECT_EQ(KeysOf(map), Keys{"c"});
    FreeMap(map);
}

TEST(Maps, CopyEmptiesTheDestinationAndKeepsTheSourceCursor) {
    TextMap* source = MapOf(4, {"a", "b", "e"});
    FindMapElement(source, "b");
    TextMap* destination = MapOf(2, {"stale", "a"});
    *static_cast<int64_t*>(FindMapElement(destination, "a")) = 9;
    EXPECT_EQ(CopyMap(source, destination), 1);
    EXPECT_STREQ(CurrentMapKey(source), "b");
    // Source order e, a (bucket 1), b (bucket 2); in 2 buckets "b" 0, "e" and "a" 1.
    EXPECT_EQ(KeysOf(destination), (Keys{"b", "a", "e"}));
    EXPECT_EQ(ValueOf(destination, "a"), 'a');
    EXPECT_EQ(ValueOf(destination, "stale"), -1);
    EXPECT_EQ(MapSize(destination), 3);
    TextMap* wider = NewMap(16, 0, nullptr, nullptr, 2);
    EXPECT_EQ(CopyMap(source, wider), 0); // another element type
    EXPECT_EQ(CopyMap(source, nullptr), 0);
    EXPECT_EQ(CopyMap(nullptr, destination), 0);
    EXPECT_EQ(CopyMap(source, source), 1);
    EXPECT_EQ(MapSize(source), 3);
    for (TextMap* map : {source, destination, wider})
        FreeMap(map);
}

} // namespace
