// Maps whose elements own strings, and maps held in structure fields, which the structure
// code reaches through the shared routine table. LeakSanitizer checks that every string
// is released.
#include "runtime/core/maps/maps.h"
#include "runtime/core/strings/strings.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

struct Binding {
    char16_t* name; // string field at offset 0
    int64_t value;
};
const int64_t BindingMap[] = {0, MapEnd};

// A structure of a 32-bit number with a map right behind it, at the unaligned offset 4.
constexpr int64_t HolderSize = 12;
constexpr int64_t MapOffset = 4;
const int64_t HolderMap[] = {
    MapTextMap, MapOffset, sizeof(Binding), 2, reinterpret_cast<int64_t>(BindingMap), 5, MapEnd};

TextMap* MapField(const unsigned char* holder) {
    TextMap* map;
    std::memcpy(&map, holder + MapOffset, sizeof map);
    return map;
}

class MapFields : public ::testing::Test {
protected:
    void SetUp() override { InitMaps(); }
    void TearDown() override { SharedRoutines = SharedRoutineTable{}; }

    static void Bind(TextMap* map, std::initializer_list<const char*> keys) {
        for (const char* key : keys) {
            auto* binding = static_cast<Binding*>(AddMapElement(map, key));
            const std::u16string name(key, key + std::strlen(key));
            StringAssign(&binding->name, name.c_str());
            binding->value = key[0];
        }
    }
    static std::u16string Name(TextMap* map, const char* key) { return NameOf(map, key); }
    static const char16_t* NameOf(TextMap* map, const char* key) {
        auto* binding = static_cast<Binding*>(FindMapElement(map, key));
        return binding ? binding->name : u"(missing)";
    }
};

TEST_F(MapFields, StringFieldsAreReleasedAndMapFieldsCopiedDeeply) {
    unsigned char source[HolderSize] = {};
    unsigned char destination[HolderSize] = {};
    EXPECT_EQ(HasDynamicFields(HolderMap), 1);
    InitializeStructure(source, HolderMap);
    TextMap* map = MapField(source);
    ASSERT_NE(map, nullptr);
    EXPECT_EQ(map->hasDynamicFields, 0); // a zeroed string field is already empty
    MapParameters p;
    GetMapParameters(map, &p);
    EXPECT_EQ(p.elementSize, int64_t(sizeof(Binding)));
    EXPECT_EQ(p.flags, 2);
    EXPECT_EQ(p.structureMap, BindingMap);
    EXPECT_EQ(p.bucketCount, 5);
    // A map of other parameters in its place: copies take the source map's, not the field's.
    map =
        NewMap(sizeof(Binding), 3, BindingMap, reinterpret_cast<TextMap**>(source + MapOffset), 7);
    ASSERT_EQ(MapField(source), map);
    Bind(map, {"play", "stop", "gone"});
    FindMapElement(map, "gone");
    DeleteCurrentMapElement(map);
    source[0] = 42;
    // A copy into a map that holds strings already.
    TextMap* plain = NewMap(sizeof(Binding), 0, BindingMap, nullptr, 3);
    Bind(plain, {"stale"});
    ASSERT_EQ(CopyMap(map, plain), 1);
    EXPECT_EQ(MapSize(plain), 2);
    EXPECT_NE(NameOf(plain, "stop"), NameOf(map, "stop")); // a string of its own
    // A copy of the structure, whose old map goes with its strings.
    InitializeStructure(destination, HolderMap);
    Bind(MapField(destination), {"stale"});
    CopyStructure(destination, HolderSize, HolderMap, source);
    TextMap* copy = MapField(destination);
    ASSERT_NE(copy, nullptr);
    EXPECT_NE(copy, map);
    EXPECT_EQ(destination[0], 42);
    EXPECT_EQ(copy->bucketCount, 7);
    EXPECT_EQ(copy->flags, 3);
    EXPECT_EQ(MapSize(copy), 2);
    EXPECT_NE(NameOf(copy, "stop"), NameOf(map, "stop"));

    ClearStructure(source, HolderMap);
    EXPECT_EQ(MapField(source), nullptr);
    for (TextMap* outliving : {plain, copy}) {
        EXPECT_EQ(Name(outliving, "play"), u"play");
        EXPECT_EQ(Name(outliving, "stop"), u"stop");
    }
    FreeMap(plain);
    FreeMap(copy); // clears the variable in the packed field
    EXPECT_EQ(MapField(destination), nullptr);
    InitializeStructure(destination, HolderMap);
    CopyStructure(destination, HolderSize, HolderMap, source); // an empty source empties it
    EXPECT_EQ(MapField(destination), nullptr);
}

} // namespace
