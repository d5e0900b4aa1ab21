// Helpers shared by the string engine's sources; not part of the public interface.
#pragma once

#include <cstdint>

// Largest block the memory wrappers hand out, in usable bytes. Far above any real need,
// it keeps every size + header sum far from overflow and from the allocators' own limits.
constexpr int64_t MaxBlockBytes = int64_t{1} << 39;

// TempReserve for any unit count: reserves n units at byte position p and returns
// TempBase + p, or null (buffer unchanged) when n is negative, p is outside the text
// built so far, or memory is short.
char16_t* TempReserveUnits(int64_t n, int64_t p);

// Single-unit case mappings under the process locale. Units from 0x8000 up, and units
// whose mapping would not fit in one unit, come back unchanged.
char16_t LowerUnit(char16_t unit);
char16_t UpperUnit(char16_t unit);
