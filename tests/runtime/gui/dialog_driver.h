// Answers modal dialogs as a user would. Each answer queued with Answer() is given to the
// next modal widget that opens, once it has the keyboard focus; a modal widget left open
// longer than the watchdog allows is closed and fails the test, so a forgotten dialog
// never hangs the run.
#pragma once

#include <QElapsedTimer>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QWidget>

#include <QTemporaryDir>

#include <deque>
#include <functional>
#include <ostream>

// Readable failure messages for Qt's strings.
inline void PrintTo(const QString& s, std::ostream* out) {
    *out << '"' << s.toStdString() << '"';
}

class DialogDriver {
public:
    using Action = std::function<void(QWidget*)>;

    void Start();
    // Stops answering; answers never given fail the test.
    void Stop();
    void Answer(Action action) { answers_.push_back(std::move(action)); }

    // Types into the file dialog's name field, replacing its text, and presses Return.
    static void TypeAndConfirm(QWidget* dialog, const QString& text);
    static void PressEscape(QWidget* dialog);
    // The file dialog's name field, and the folder it shows.
    static QString ProposedName(QWidget* dialog);
    static QString ShownFolder(QWidget* dialog);
    // Names the file view lists (sorted) once at least minimum have been loaded.
    static QStringList ListedNames(QWidget* dialog, int minimum);
    static QString SelectedFilterText(QWidget* dialog);

private:
    void Poll();

    QTimer poll_;
    std::deque<Action> answers_;
    QPointer<QWidget> current_;
    bool answered_ = false;
    QElapsedTimer openSince_;
    int watchdogMs_ = 10000;
};

// A temporary HOME and XDG_CONFIG_HOME for the test process, where the program may write
// nothing it keeps; removed with the object.
class TemporaryHome {
public:
    TemporaryHome();
    QString home() const { return home_.path(); }
    QString config() const { return config_.path(); }

private:
    QTemporaryDir home_;
    QTemporaryDir config_;
};
