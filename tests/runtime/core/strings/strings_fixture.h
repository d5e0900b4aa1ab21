// A fresh temporary buffer and the "C" locale for every test, and readers for its text.
#pragma once

#include "runtime/core/strings/strings.h"

#include <gtest/gtest.h>

#include <clocale>
#include <string>

class StringsTest : public ::testing::Test {
protected:
    void SetUp() override { InitStringBuffer(); }
    void TearDown() override {
        EndStrings();
        std::setlocale(LC_ALL, "C");
    }
    static std::u16string Text(const char16_t* s) { return s != nullptr ? s : u""; }
    static char16_t* At(int64_t p) { return reinterpret_cast<char16_t*>(TempBase + p); }
    static int64_t Pos(const void* s) { return static_cast<const char*>(s) - TempBase; }
    static std::u16string TempText(int64_t p) { return {At(p), At(TempOffset)}; }
    static bool TempTerminated() { return At(TempOffset)[0] == 0; }
    // Switches to a UTF-8 locale, where towlower maps beyond ASCII; false if there is none.
    static bool UseUtf8Locale() {
        return std::setlocale(LC_ALL, "C.UTF-8") || std::setlocale(LC_ALL, "en_US.UTF-8");
    }
};
