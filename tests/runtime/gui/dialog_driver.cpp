#include "dialog_driver.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QFileDialog>
#include <QLineEdit>
#include <QListView>
#include <QTest>

#include <gtest/gtest.h>

#include <cstdlib>

TemporaryHome::TemporaryHome() {
    setenv("HOME", home_.path().toLocal8Bit().constData(), 1);
    setenv("XDG_CONFIG_HOME", config_.path().toLocal8Bit().constData(), 1);
}

void DialogDriver::Start() {
    QObject::connect(&poll_, &QTimer::timeout, [this] { Poll(); });
    poll_.start(10);
}

void DialogDriver::Stop() {
    poll_.stop();
    poll_.disconnect();
    EXPECT_TRUE(answers_.empty()) << answers_.size() << " answers left: a dialog never opened";
    answers_.clear();
}

void DialogDriver::Poll() {
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal || !modal->isVisible())
        return;
    if (modal != current_) {
        current_ = modal;
        answered_ = false;
        openSince_.start();
    }
    // A user answers once the dialog has come up with the keyboard focus; until then
    // the dialog takes typing for its own changes of selection.
    if (!answered_ && !answers_.empty() && modal->isActiveWindow()) {
        answered_ = true;
        Action action = std::move(answers_.front());
        answers_.pop_front();
        action(modal);
        return;
    }
    if (openSince_.elapsed() < watchdogMs_)
        return;
    ADD_FAILURE() << "dialog \"" << modal->windowTitle().toStdString()
                  << "\" stayed open without an answer; closed by the watchdog";
    current_ = nullptr;
    if (auto* dialog = qobject_cast<QDialog*>(modal))
        dialog->reject();
    else
        modal->close();
}

void DialogDriver::TypeAndConfirm(QWidget* dialog, const QString& text) {
    auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    ASSERT_NE(edit, nullptr);
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier); // typing replaces the proposal
    QTest::keyClicks(edit, text);
    QTest::keyClick(edit, Qt::Key_Return);
}

void DialogDriver::PressEscape(QWidget* dialog) {
    QWidget* focus = QApplication::focusWidget();
    QTest::keyClick(focus && dialog->isAncestorOf(focus) ? focus : dialog, Qt::Key_Escape);
}

QString DialogDriver::ProposedName(QWidget* dialog) {
    auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    return edit ? edit->text() : QString();
}

QString DialogDriver::ShownFolder(QWidget* dialog) {
    auto* files = qobject_cast<QFileDialog*>(dialog);
    return files ? files->directory().absolutePath() : QString();
}

QStringList DialogDriver::ListedNames(QWidget* dialog, int minimum) {
    auto* view = dialog->findChild<QListView*>(QStringLiteral("listView"));
    if (!view)
        return {};
    // The file model fills in on a thread of its own.
    const bool loaded = QTest::qWaitFor(
        [&] { return view->model()->rowCount(view->rootIndex()) >= minimum; }, 5000);
    EXPECT_TRUE(loaded) << "fewer than " << minimum << " names listed";
    QTest::qWait(50);
    QStringList names;
    const QModelIndex root = view->rootIndex();
    for (int row = 0; row < view->model()->rowCount(root); ++row)
        names << view->model()->index(row, 0, root).data().toString();
    names.sort();
    return names;
}

QString DialogDriver::SelectedFilterText(QWidget* dialog) {
    auto* combo = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
    return combo ? combo->currentText() : QString();
}
