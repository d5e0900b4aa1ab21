// Helpers shared by the sources of the map library.
#pragma once

#include "runtime/core/maps/maps.h"

#include <cstring>

// A map's variable may be a field of a packed structure, so it is read and written
// bytewise.
inline TextMap* LoadMapVariable(TextMap* const* variable) {
    TextMap* map = nullptr;
    if (variable)
        std::memcpy(&map, variable, sizeof map);
    return map;
}

inline void StoreMapVariable(TextMap** variable, TextMap* map) {
    if (variable)
        std::memcpy(variable, &map, sizeof map);
}

// Releases an unlinked element: its data fields, its key copy and its slot.
void ReleaseMapElement(TextMap* map, KS_MapElement* element);
// Releases every element and leaves the map empty, its cursor before the first element.
void ClearMapElements(TextMap* map);
