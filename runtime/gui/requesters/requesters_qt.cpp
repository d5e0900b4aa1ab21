// The glue every requester shares (strings, the key window, the dialog settings) and the
// message box: a headline, an explanatory text and up to three answer buttons.
#include "runtime/gui/requesters/requesters_qt.h"
#include "runtime/gui/requesters/requesters.h"

#include "runtime/core/strings/strings_qt.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>

bool RequestersCanRun() {
    return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr;
}

QString PlatformText(const char16_t* s) {
    return s ? QString::fromUtf16(s) : QString();
}

std::u16string_view TextView(const char16_t* s) {
    return s ? std::u16string_view(s) : std::u16string_view();
}

char16_t* ResultText(const QString& s, int64_t p) {
    return PlatformStringToTemp(&s, p);
}

void KeepDialogStateInMemory() {
    // A folder below a device file: QSettings can neither create nor read it, and drops
    // what it would write without a word. Set once, before the first settings object.
    static const bool once = [] {
        const QString nowhere = QStringLiteral("/dev/null");
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, nowhere);
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, nowhere);
        return true;
    }();
    (void)once;
}

KeyWindowKeeper::KeyWindowKeeper() : window_(QApplication::activeWindow()) {}

KeyWindowKeeper::~KeyWindowKeeper() {
    if (window_)
        window_->activateWindow();
}

namespace {

int32_t AskWithButtons(QMessageBox& box, int32_t flags) {
    QPushButton* yes = box.addButton(QStringLiteral("Yes"), QMessageBox::YesRole);
    QPushButton* no = box.addButton(QStringLiteral("No"), QMessageBox::NoRole);
    QPushButton* cancel = nullptr;
    if (flags & RequesterYesNoCancel)
        cancel = box.addButton(QStringLiteral("Cancel"), QMessageBox::RejectRole);
    box.setDefaultButton(yes);
    box.setEscapeButton(cancel ? cancel : no);
    box.exec();
    const QAbstractButton* clicked = box.clickedButton();
    if (clicked == yes)
        return RequesterYes;
    if (clicked == no)
        return RequesterNo;
    // Cancel, or a box closed without a button: the answer of the escape button.
    return cancel ? RequesterCancel : RequesterNo;
}

} // namespace

// The title of the window the box belongs to, else of the first shown window that has one.
QString ProgramWindowTitle(const QWidget* keyWindow) {
    if (keyWindow && !keyWindow->windowTitle().isEmpty())
        return keyWindow->windowTitle();
    for (const QWidget* window : QApplication::topLevelWidgets()) {
        if (window->isVisible() && !window->windowTitle().isEmpty())
            return window->windowTitle();
    }
    return {};
}

int32_t MessageRequester(const char16_t* title, const char16_t* text, int32_t flags) {
    if (!RequestersCanRun())
        return 0;
    KeyWindowKeeper keeper;
    int32_t result = 0;
    {
        QMessageBox box(keeper.Window());
        // Titled like the program's window, not with the executable's file name.
        box.setWindowTitle(ProgramWindowTitle(keeper.Window()));
        box.setText(PlatformText(title));
        box.setInformativeText(PlatformText(text));
        if (flags & (RequesterYesNo | RequesterYesNoCancel)) {
            result = AskWithButtons(box, flags);
        } else {
            box.setStandardButtons(QMessageBox::Ok);
            box.exec();
        }
    } // the box is gone before the key window comes back
    return result;
}
