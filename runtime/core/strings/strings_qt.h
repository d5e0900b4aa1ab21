// Platform strings: runtime strings handed to and taken back from Qt as QString, for Qt
// glue only (the mv_strings_qt library).
#pragma once

#include "runtime/core/strings/strings.h"

#include <cstdint>

class QString;

// A new QString with the units of s (null: empty), or null when memory is short; release
// it with ReleasePlatformString.
QString* ToPlatformString(const char16_t* s);
void ReleasePlatformString(QString* s);
// The units of s (null: none) as a runtime string at byte position p of the temporary
// buffer; null when the buffer cannot grow.
char16_t* PlatformStringToTemp(const QString* s, int64_t p);
// Copies at most capacity - 1 units of s and a 0 unit into buffer, never ending on the
// first half of a surrogate pair; answers the units copied.
int64_t PlatformStringToBuffer(char16_t* buffer, const QString* s, int64_t capacity);
