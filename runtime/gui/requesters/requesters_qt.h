// Qt glue shared by the requesters: strings in and out, the key window, and the file
// dialogs' settings.
#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>

#include <cstdint>
#include <string_view>

// Dialogs need the application object; without it every requester counts as cancelled.
bool RequestersCanRun();

// A runtime string (null counts as empty) as a QString of its own.
QString PlatformText(const char16_t* s);
std::u16string_view TextView(const char16_t* s);
// The result string at byte position p of the temporary buffer.
char16_t* ResultText(const QString& s, int64_t p);

// Qt's widget file dialog reads and writes its history and view state in the user's
// QtProject settings. The program keeps nothing between runs, so the user settings of
// the process are pointed at a place that can never be created; call before each dialog.
void KeepDialogStateInMemory();

// Remembers the window that has the keyboard focus and makes it active again when the
// requester is done.
class KeyWindowKeeper {
public:
    KeyWindowKeeper();
    ~KeyWindowKeeper();
    KeyWindowKeeper(const KeyWindowKeeper&) = delete;
    KeyWindowKeeper& operator=(const KeyWindowKeeper&) = delete;
    // The parent for the dialog, null when no window had the focus.
    QWidget* Window() const { return window_.data(); }

private:
    QPointer<QWidget> window_;
};
