// The requesters' tests: a process with a temporary home, and the dialog driver.
#pragma once

#include "../dialog_driver.h"

#include <QString>

#include <gtest/gtest.h>

#include <string>

class RequesterTest : public ::testing::Test {
protected:
    using Action = DialogDriver::Action;

    void SetUp() override;
    void TearDown() override;

    void Answer(Action action) { driver_.Answer(std::move(action)); }
    void SetWatchdog(int milliseconds) { driver_.SetWatchdog(milliseconds); }

    static void TypeAndConfirm(QWidget* dialog, const QString& text) {
        DialogDriver::TypeAndConfirm(dialog, text);
    }
    static void PressEscape(QWidget* dialog) { DialogDriver::PressEscape(dialog); }
    static QStringList ListedNames(QWidget* dialog, int minimum) {
        return DialogDriver::ListedNames(dialog, minimum);
    }
    static QString SelectedFilterText(QWidget* dialog) {
        return DialogDriver::SelectedFilterText(dialog);
    }

    static std::u16string Text(const char16_t* s) { return s ? s : u""; }
    static std::u16string Utf16(const QString& s) { return s.toStdU16String(); }

private:
    DialogDriver driver_;
};

// The temporary home of the test process, where nothing may be written.
QString TestHome();
QString TestConfigHome();
