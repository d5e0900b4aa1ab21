// Hashing, bucket placement, lookup, iteration with removal, and copies of plain maps.
#include "runtime/core/maps/maps.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

// Keys in iteration order, walked from the start.
std::vector<std::string> Keys(TextMap* map) {
    std::vector<std::string> keys;
    ResetMap(map);
    while (NextMapElement(map))
        keys.emplace_back(CurrentMapKey(map));
    return keys;
}

void Put(TextMap* map, const char* key, int64_t value) {
    *static_cast<int64_t*>(AddMapElement(map, key)) = value;
}

int64_t ValueOf(TextMap* map, const char* key) {
    auto* value = static_cast<int64_t*>(FindMapElement(map, key));
    return value ? *value : -1;
}

TEST(Maps, SdbmHashTakesCharactersAsSignedIn32Bits) {
    const std::pair<const char*, uint32_t> cases[] = {
        {nullptr, 0},          {"", 0}, {"a", 97},
        {"ab", 6363201},       // 98 + 97 * 64 + 97 * 65536 - 97
        {"abc", 807794786},    // 99 + 6363201 * 65599 = 417420622698, modulo 2^32
        {"\xE9", 4294967273u}, // the byte 0xE9 counts as -23
    };
    for (const auto& [key, hash] : cases)
        EXPECT_EQ(SdbmHash(key), hash) << (key ? key : "(null)");
}

TEST(Maps, NewMapKeepsItsParametersAndAtLeastOneBucket) {
    const int64_t words[] = {MapEnd};
    // requested bucket count, bucket count made
    const int64_t cases[][2] = {{0, 1}, {-5, 1}, {1, 1}, {7, 7}};
    for (const auto& c : cases) {
        TextMap* variable = nullptr;
        TextMap* map = NewMap(24, 3, words, &variable, c[0]);
        ASSERT_NE(map, nullptr);
        EXPECT_EQ(variable, map);
        MapParameters p;
        GetMapParameters(map, &p);
        EXPECT_EQ(p.bucketCount, c[1]);
        EXPECT_EQ(p.elementSize, 24);
        EXPECT_EQ(p.flags, 3);
        EXPECT_EQ(p.structureMap, words);
        EXPECT_EQ(map->allocator->slotSize, 48); // owner word + 16-byte header + data
        Put(map, "x", 1);
        FreeMap(map);
        EXPECT_EQ(variable, nullptr);
    }
    MapParameters p{1, 1, words, 1};
    GetMapParameters(nullptr, &p);
    EXPECT_EQ(p.bucketCount, 0);
    EXPECT_EQ(p.structureMap, nullptr);
}

TEST(Maps, NewMapOnAVariableFreesItsMapAndRefusesBadSizes) {
    TextMap* variable = nullptr;
    TextMap* first = NewMap(8, 0, nullptr, &variable, 4);
    Put(first, "old", 1);
    TextMap* second = NewMap(8, 0, nullptr, &variable, 4); // LeakSanitizer sees the first go
    EXPECT_EQ(variable, second);
    EXPECT_EQ(MapSize(second), 0);
    EXPECT_EQ(NewMap(-1, 0, nullptr, &variable, 4), nullptr);
    EXPECT_EQ(variable, nullptr); // the old map is gone in any case
    EXPECT_EQ(NewMap(8, 0, nullptr, nullptr, INT64_MAX), nullptr);
}

TEST(Maps, ElementsGoToTheFrontOfBucketHashModuloCount) {
    TextMap* map = NewMap(8, 0, nullptr, nullptr, 4);
    // Buckets: "a" 97 % 4 = 1, "b" 2, "c" 3, "d" 0, "e" 101 % 4 = 1, in front of "a".
    for (const char* key : {"a", "b", "c", "d", "e"})
        Put(map, key, key[0]);
    EXPECT_EQ(Keys(map), (std::vector<std::string>{"d", "e", "a", "b", "c"}));
    EXPECT_EQ(MapSize(map), 5);
    EXPECT_EQ(NextMapElement(map), nullptr); // stays past the end
    EXPECT_EQ(CurrentMapKey(map), nullptr);
    FreeMap(map);
}

TEST(Maps, LookupComparesExactlyAndMakesTheElementCurrent) {
    TextMap* map = NewMap(8, 0, nullptr, nullptr, 3);
    Put(map, "Play", 1);
    Put(map, "", 2);
    Put(map, "Stop", 3);
    Put(map, "Play", 4); // added without a search: the newer one is found first
    const std::pair<const char*, int64_t> cases[] = {{"Play", 4}, {"", 2},      {nullptr, 2},
                                                     {"Stop", 3}, {"play", -1}, {"Pla", -1}};
    for (const auto& [key, value] : cases)
        EXPECT_EQ(ValueOf(map, key), value) << (key ? key : "(null)");
    ASSERT_NE(FindMapElement(map, "Stop"), nullptr);
    EXPECT_EQ(FindMapElement(map, "missing"), nullptr);
    EXPECT_STREQ(CurrentMapKey(map), "Stop"); // a failed lookup leaves the cursor
    EXPECT_EQ(MapSize(map), 4);
    EXPECT_EQ(FindMapElement(nullptr, "Play"), nullptr);
    EXPECT_EQ(AddMapElement(nullptr, "Play"), nullptr);
    FreeMap(map);
}

TEST(Maps, DeletingDuringIterationGoesOnWithTheNextElement) {
    TextMap* map = NewMap(8, 0, nullptr, nullptr, 4);
    for (const char* key : {"a", "b", "c", "d", "e", "i"}) // "i" 105 % 4 = 1, before "e"
        Put(map, key, 0);
    EXPECT_EQ(Keys(map), (std::vector<std::string>{"d", "i", "e", "a", "b", "c"}));
    // Delete every second element: first of the map, head and tail of a chain, last.
    std::vector<std::string> seen;
    ResetMap(map);
    for (int i = 0; NextMapElement(map); ++i) {
        seen.emplace_back(CurrentMapKey(map));
        if (i % 2 == 0)
            DeleteCurrentMapElement(map);
    }
    EXPECT_EQ(seen, (std::vector<std::string>{"d", "i", "e", "a", "b", "c"}));
    EXPECT_EQ(Keys(map), (std::vector<std::string>{"i", "a", "c"}));
    EXPECT_EQ(MapSize(map), 3);

    FindMapElement(map, "a"); // tail of bucket 1: the cursor steps back to "i"
    DeleteCurrentMapElement(map);
    EXPECT_STREQ(CurrentMapKey(map), "i");
    DeleteCurrentMapElement(map); // the first element: the cursor goes before the start
    EXPECT_EQ(CurrentMapKey(map), nullptr);
    DeleteCurrentMapElement(map); // nothing current: nothing removed
    EXPECT_EQ(Keys(map), (std::vector<std::string>{"c"}));
    FreeMap(map);
}

TEST(Maps, CopyEmptiesTheDestinationAndKeepsTheSourceCursor) {
    TextMap* source = NewMap(8, 0, nullptr, nullptr, 4);
    for (const char* key : {"a", "b", "e"})
        Put(source, key, key[0]);
    FindMapElement(source, "b");
    TextMap* destination = NewMap(8, 0, nullptr, nullptr, 2);
    Put(destination, "stale", 9);
    Put(destination, "a", 9);

    EXPECT_EQ(CopyMap(source, destination), 1);
    EXPECT_STREQ(CurrentMapKey(source), "b");
    // Source order e, a (bucket 1), b (bucket 2); in 2 buckets: "b" 0, "e" and "a" 1,
    // each added in front.
    EXPECT_EQ(Keys(destination), (std::vector<std::string>{"b", "a", "e"}));
    for (const char* key : {"a", "b", "e"})
        EXPECT_EQ(ValueOf(destination, key), key[0]);
    EXPECT_EQ(ValueOf(destination, "stale"), -1);
    EXPECT_EQ(MapSize(destination), 3);

    TextMap* wider = NewMap(16, 0, nullptr, nullptr, 2);
    EXPECT_EQ(CopyMap(source, wider), 0); // another element type
    EXPECT_EQ(CopyMap(source, nullptr), 0);
    EXPECT_EQ(CopyMap(nullptr, destination), 0);
    EXPECT_EQ(CopyMap(source, source), 1);
    EXPECT_EQ(MapSize(source), 3);
    FreeMap(source);
    FreeMap(destination);
    FreeMap(wider);
}

} // namespace
