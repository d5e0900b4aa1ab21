// The Qt application object and the application menu.
#include "runtime/gui/application/application_qt.h"

#include "runtime/gui/events/events_qt.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QWidget>

#include <cerrno>

KS_ApplicationObjects Application = {};

namespace {

QString NameOfApplication() {
    const QString path = QCoreApplication::applicationFilePath();
    return path.section(u'/', -1);
}

QAction* AddItem(QMenu* menu, const QString& title, const char* keys) {
    QAction* item = menu->addAction(title);
    if (keys)
        item->setShortcut(QKeySequence(QString::fromLatin1(keys)));
    return item;
}

// The windows of this program, minimised rather than hidden: with no dock to bring a
// hidden window back, it would be lost while the process runs on.
void MinimiseWindows() {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->isVisible() && w->isWindow())
            w->showMinimized();
    }
}

void ShowAllWindows() {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->isMinimized())
            w->showNormal();
    }
}

void BuildItems(QMenu* menu) {
    const QString name = NameOfApplication();
    Application.about = AddItem(menu, QStringLiteral("About %1").arg(name), nullptr);
    menu->addSeparator();
    Application.preferences =
        AddItem(menu, QStringLiteral("Preferences") + QChar(0x2026), "Ctrl+,");
    menu->addSeparator();
    Application.servicesMenu = new QMenu(QStringLiteral("Services"), menu);
    menu->addMenu(Application.servicesMenu);
    menu->addSeparator();
    Application.hide = AddItem(menu, QStringLiteral("Hide %1").arg(name), "Ctrl+H");
    Application.hideOthers = AddItem(menu, QStringLiteral("Hide Others"), "Ctrl+Alt+H");
    Application.showAll = AddItem(menu, QStringLiteral("Show All"), nullptr);
    menu->addSeparator();
    Application.quit = AddItem(menu, QStringLiteral("Quit %1").arg(name), "Ctrl+Q");
    for (QAction* item : menu->actions())
        item->setShortcutContext(Qt::WidgetShortcut); // carried out by the key handler
    // Nothing answers About and Preferences, so they stay inactive.
    Application.about->setEnabled(false);
    Application.preferences->setEnabled(false);
    QObject::connect(Application.quit, &QAction::triggered,
                     [] { Application.delegate->terminate(); });
    QObject::connect(Application.hide, &QAction::triggered, MinimiseWindows);
    QObject::connect(Application.showAll, &QAction::triggered, ShowAllWindows);
    // No other program's windows can be hidden from here: Hide Others has nothing to do.
}

struct KeyEquivalent {
    uint32_t modifiers;
    char16_t unit;
    QAction* KS_ApplicationObjects::*item;
};

const KeyEquivalent KeyEquivalents[] = {
    {ShortcutCommand, u'q', &KS_ApplicationObjects::quit},
    {ShortcutCommand, u'h', &KS_ApplicationObjects::hide},
    {ShortcutCommand | ShortcutAlt, u'h', &KS_ApplicationObjects::hideOthers},
    {ShortcutCommand, u',', &KS_ApplicationObjects::preferences},
};

// The menu's key equivalents, in the main window as anywhere else in the program; a
// modal dialog keeps its keys.
bool MenuKeyHandler(const KeyStroke& stroke, const KeyContext& context, bool act) {
    if (context.modal || !Application.applicationMenu)
        return false;
    for (const KeyEquivalent& k : KeyEquivalents) {
        QAction* item = Application.*k.item;
        if (k.modifiers == stroke.modifiers && k.unit == stroke.unit && item->isEnabled()) {
            if (act)
                item->trigger();
            return true;
        }
    }
    return false;
}

void CreateQtApplication() {
    if (QCoreApplication::instance())
        return;
    // Qt keeps argc and argv for the life of the application.
    static int argc = 1;
    static char* argv[] = {program_invocation_name, nullptr};
    new QApplication(argc, argv);
}

} // namespace

void KSMenuDelegate::terminate() {
    PostEvent(Event_Menu, -1, WindowID, 0);
}

void KSMenuDelegate::about() {
    PostEvent(Event_Menu, -3, WindowID, 0);
}

void KSMenuDelegate::preferences() {
    PostEvent(Event_Menu, -2, WindowID, 0);
}

void KSMenuDelegate::eventHandler(int32_t item, int64_t window) {
    PostEvent(Event_Menu, item, window, 0);
}

QMenuBar* BuildApplicationMenu() {
    if (!Application.defaultBar)
        Application.defaultBar = new QMenuBar();
    Application.defaultBar->clear();
    if (Application.applicationMenu)
        return Application.defaultBar;
    Application.applicationMenu = new QMenu(QString());
    BuildItems(Application.applicationMenu);
    Application.applicationItem = Application.applicationMenu->menuAction();
    Application.applicationItem->setText(QStringLiteral("Apple"));
    return Application.defaultBar;
}

void InstallMenuBar(QMenuBar* bar, int64_t window) {
    if (Application.mainMenu)
        Application.mainMenu->removeAction(Application.applicationItem);
    const QList<QAction*> items = bar->actions();
    bar->insertAction(items.isEmpty() ? nullptr : items.first(), Application.applicationItem);
    Application.mainMenu = bar;
    Application.delegate->setWindowID(window);
}

void InitApplication() {
    CreateQtApplication();
    StartQtEvents();
    if (Application.delegate)
        return;
    Application.delegate = new KSMenuDelegate();
    InstallMenuBar(BuildApplicationMenu(), -1);
    AddKeyHandler(MenuKeyHandler);
}

void EndApplication() {}
