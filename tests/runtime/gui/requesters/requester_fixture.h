// The requesters' tests: a process with a temporary HOME and XDG_CONFIG_HOME, one
// QApplication and the string library, all set up before the first test; and the dialog
// driver, answering for each case.
#pragma once

#include "../dialog_driver.h"
#include "runtime/core/strings/strings.h"

#include <gtest/gtest.h>

#include <string>

class RequesterTest : public ::testing::Test, protected DialogDriver {
protected:
    void SetUp() override {
        TempOffset = 0;
        Start();
    }
    void TearDown() override { Stop(); }

    static std::u16string Text(const char16_t* s) { return s ? s : u""; }
    static std::u16string Utf16(const QString& s) { return s.toStdU16String(); }
    // The temporary home of the process, where nothing may be written.
    static const TemporaryHome& Home();
};
