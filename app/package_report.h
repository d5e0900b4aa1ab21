// What the window tells the user about a damaged package once it is decoded.
#pragma once

#include "runtime/core/lists/lists.h"

#include <string>

// Empty when every record of samples was sound; else how many records of the package at
// path were damaged and what the reader did about each kind of damage, one line each.
std::u16string DamageReport(KS_List* samples, const char16_t* path);
