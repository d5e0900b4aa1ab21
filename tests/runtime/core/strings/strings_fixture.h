// Shared helpers for the string engine tests: a fresh temporary buffer per test and
// a process locale with wide-character case mappings beyond ASCII.
#pragma once

#include "runtime/core/strings/strings.h"

#include <gtest/gtest.h>

#include <clocale>
#include <string>

class StringsTest : public ::testing::Test {
protected:
    void SetUp() override { InitStringBuffer(); }
    void TearDown() override { EndStrings(); }
};

// The text of a runtime string; null reads as empty.
inline std::u16string Text(const char16_t* s) {
    return s != nullptr ? s : u"";
}

// The units between byte position start and TempOffset.
inline std::u16string TempText(int64_t start) {
    return std::u16string(reinterpret_cast<const char16_t*>(TempBase + start),
                          static_cast<size_t>((TempOffset - start) / 2));
}

// True when the unit at TempOffset is the terminator.
inline bool TempTerminated() {
    return reinterpret_cast<const char16_t*>(TempBase + TempOffset)[0] == 0;
}

// Switches the process to a UTF-8 locale for one scope; Active() is false where the
// machine has none.
class Utf8Locale {
public:
    Utf8Locale() : saved_(std::setlocale(LC_ALL, nullptr)) {
        active_ = std::setlocale(LC_ALL, "C.UTF-8") != nullptr ||
                  std::setlocale(LC_ALL, "en_US.UTF-8") != nullptr;
    }
    ~Utf8Locale() { std::setlocale(LC_ALL, saved_.c_str()); }
    Utf8Locale(const Utf8Locale&) = delete;
    Utf8Locale& operator=(const Utf8Locale&) = delete;
    bool Active() const { return active_; }

private:
    std::string saved_;
    bool active_ = false;
};
