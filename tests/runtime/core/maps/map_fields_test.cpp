// Maps whose elements own strings, and maps held in structure fields, which the structure
// code reaches through the shared routine table.
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

std::u16string Text(const char16_t* s) {
    return s ? s : u"";
}

class MapFields : public ::testing::Test {
protected:
    void SetUp() override { InitMaps(); }
    void TearDown() override { SharedRoutines = SharedRoutineTable{}; }

    static void Bind(TextMap* map, const char* key, const char16_t* name, int64_t value) {
        auto* binding = static_cast<Binding*>(AddMapElement(map, key));
        StringAssign(&binding->name, name);
        binding->value = value;
    }
    static Binding* Find(TextMap* map, const char* key) {
        return static_cast<Binding*>(FindMapElement(map, key));
    }
};

// LeakSanitizer checks that deleting, emptying and freeing release every string.
TEST_F(MapFields, StringFieldsAreReleasedAndCopiedDeeply) {
    TextMap* source = NewMap(sizeof(Binding), 0, BindingMap, nullptr, 8);
    EXPECT_EQ(source->hasDynamicFields, 0); // a zeroed string field is already empty
    Bind(source, "play", u"Play", 1);
    Bind(source, "stop", u"Stop", 2);
    Bind(source, "gone", u"Gone", 3);
    FindMapElement(source, "gone");
    DeleteCurrentMapElement(source);

    TextMap* copy = NewMap(sizeof(Binding), 0, BindingMap, nullptr, 3);
    Bind(copy, "stale", u"Stale", 9);
    ASSERT_EQ(CopyMap(source, copy), 1);
    EXPECT_EQ(MapSize(copy), 2);
    for (const char* key : {"play", "stop"}) {
        Binding* original = Find(source, key);
        Binding* duplicate = Find(copy, key);
        ASSERT_NE(duplicate, nullptr) << key;
        EXPECT_NE(duplicate->name, original->name) << key; // a string of its own
        EXPECT_EQ(Text(duplicate->name), Text(original->name)) << key;
        EXPECT_EQ(duplicate->value, original->value) << key;
    }
    FreeMap(source);
    EXPECT_EQ(Text(Find(copy, "stop")->name), u"Stop"); // outlives the source
    FreeMap(copy);
}

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

TEST_F(MapFields, StructureRoutinesCreateCopyAndFreeMapFields) {
    unsigned char source[HolderSize] = {};
    unsigned char destination[HolderSize] = {};
    EXPECT_EQ(HasDynamicFields(HolderMap), 1);
    InitializeStructure(source, HolderMap);
    TextMap* map = MapField(source);
    ASSERT_NE(map, nullptr);
    MapParameters p;
    GetMapParameters(map, &p);
    EXPECT_EQ(p.elementSize, int64_t(sizeof(Binding)));
    EXPECT_EQ(p.flags, 2);
    EXPECT_EQ(p.structureMap, BindingMap);
    EXPECT_EQ(p.bucketCount, 5);
    Bind(map, "play", u"Play", 1);
    Bind(map, "stop", u"Stop", 2);
    source[0] = 42;

    InitializeStructure(destination, HolderMap);
    Bind(MapField(destination), "stale", u"Stale", 9); // freed with its map by the copy
    CopyStructure(destination, HolderSize, HolderMap, source);
    TextMap* copy = MapField(destination);
    ASSERT_NE(copy, nullptr);
    EXPECT_NE(copy, map);
    EXPECT_EQ(destination[0], 42);
    EXPECT_EQ(copy->bucketCount, 5);
    EXPECT_EQ(MapSize(copy), 2);
    EXPECT_EQ(Text(Find(copy, "stop")->name), u"Stop");
    EXPECT_NE(Find(copy, "stop")->name, Find(map, "stop")->name);

    ClearStructure(source, HolderMap);
    EXPECT_EQ(MapField(source), nullptr);
    EXPECT_EQ(Text(Find(copy, "play")->name), u"Play");
    ClearStructure(destination, HolderMap);
    EXPECT_EQ(MapField(destination), nullptr);
}

TEST_F(MapFields, FreeMapClearsTheVariableInAPackedField) {
    unsigned char holder[HolderSize] = {};
    InitializeStructure(holder, HolderMap);
    TextMap* map = MapField(holder);
    ASSERT_NE(map, nullptr);
    FreeMap(map);
    EXPECT_EQ(MapField(holder), nullptr);
    ClearStructure(holder, HolderMap); // nothing left to free
}

} // namespace
