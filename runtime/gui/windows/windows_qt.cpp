// Windows on Qt: a top-level widget per window whose events feed the delegate, and a
// content view that fills it, with its origin at the top left and its background clicks
// reported as events.
#include "runtime/gui/windows/windows_qt.h"
#include "runtime/gui/windows/windows_internal.h"

#include "runtime/gui/events/events_qt.h"

#include <QApplication>
#include <QCloseEvent>
#include <QMouseEvent>
#include <QScreen>
#include <QStyleHints>
#include <QWidget>

#include <cstdlib>
#include <new>

namespace {

// Counts clicks the way the window system does for the background. Qt reports the
// second press of a series as a double click and any further one as a plain press: a
// press soon after the last one, near it and with the same button, goes on the series.
class ClickCounter {
public:
    void press(const QMouseEvent* e) {
        const QStyleHints* hints = QGuiApplication::styleHints();
        const uint64_t interval = static_cast<uint64_t>(hints->mouseDoubleClickInterval());
        const QPoint d = e->position().toPoint() - lastPos_;
        const bool series = count_ > 0 && e->button() == lastButton_ &&
                            e->timestamp() - lastTime_ <= interval &&
                            d.manhattanLength() <= hints->startDragDistance();
        remember(e, series ? count_ + 1 : 1);
    }
    void doubleClick(const QMouseEvent* e) {
        remember(e, count_ >= 2 && e->button() == lastButton_ ? count_ + 1 : 2);
    }
    int count() const { return count_; }

private:
    void remember(const QMouseEvent* e, int count) {
        count_ = count;
        lastTime_ = e->timestamp();
        lastButton_ = e->button();
        lastPos_ = e->position().toPoint();
    }

    int count_ = 0;
    uint64_t lastTime_ = 0;
    Qt::MouseButton lastButton_ = Qt::NoButton;
    QPoint lastPos_;
};

class KSFlippedWindowView : public QWidget {
public:
    KSFlippedWindowView(QWidget* parent, int64_t id) : QWidget(parent), WindowID(id) {}

    int64_t WindowID;

protected:
    void paintEvent(QPaintEvent* e) override {
        QWidget::paintEvent(e);
        PostEvent(Event_Repaint, WindowID, WindowID, 0);
    }
    void mousePressEvent(QMouseEvent* e) override { clicks_.press(e); }
    void mouseDoubleClickEvent(QMouseEvent* e) override { clicks_.doubleClick(e); }
    void mouseReleaseEvent(QMouseEvent* e) override {
        const int count = clicks_.count();
        if (e->button() == Qt::LeftButton && (count == 1 || count == 2))
            PostEvent(count == 1 ? Event_LeftClick : Event_LeftDoubleClick, WindowID, WindowID, 0);
        else if (e->button() == Qt::RightButton && count == 1)
            PostEvent(Event_RightClick, WindowID, WindowID, 0);
    }

private:
    ClickCounter clicks_;
};

class KSWindow : public QWidget {
public:
    explicit KSWindow(uint32_t style) : QWidget(nullptr, FlagsOf(style)), style_(style) {}

    KSWindowEvents* delegate = nullptr;
    QWidget* content = nullptr;
    bool closing = false; // closed by the program: no close request
    bool opening = true;  // the geometry Qt sends while showing is no user's move

    bool resizable() const { return style_ & StyleResizable; }

    // Ends the window's life as a toolkit window: the delegate releases its record.
    void willClose() {
        if (KSWindowEvents* d = delegate) {
            delegate = nullptr;
            d->windowWillClose();
        }
    }

protected:
    void closeEvent(QCloseEvent* e) override {
        if (closing) {
            e->accept();
            willClose();
            return;
        }
        if (delegate)
            delegate->windowShouldClose();
        e->ignore();
    }
    void resizeEvent(QResizeEvent*) override {
        if (content)
            content->setGeometry(rect());
        if (delegate && !opening)
            delegate->windowDidResize();
    }
    void moveEvent(QMoveEvent*) override {
        if (delegate && !opening)
            delegate->windowDidMove();
    }
    bool event(QEvent* e) override {
        if (delegate && e->type() == QEvent::WindowActivate)
            delegate->windowDidBecomeKey();
        else if (delegate && e->type() == QEvent::WindowDeactivate)
            delegate->windowDidResignKey();
        return QWidget::event(e);
    }
    void changeEvent(QEvent* e) override {
        if (delegate && e->type() == QEvent::WindowStateChange)
            stateChanged(static_cast<QWindowStateChangeEvent*>(e)->oldState(), windowState());
        QWidget::changeEvent(e);
    }

private:
    static Qt::WindowFlags FlagsOf(uint32_t style) {
        if (style == 0)
            return Qt::Window | Qt::FramelessWindowHint;
        Qt::WindowFlags f = Qt::Window | Qt::CustomizeWindowHint;
        if (style & StyleTitled)
            f |= Qt::WindowTitleHint;
        if (style & StyleClosable)
            f |= Qt::WindowCloseButtonHint | Qt::WindowSystemMenuHint;
        if (style & StyleMiniaturizable)
            f |= Qt::WindowMinimizeButtonHint;
        if (style & StyleResizable)
            f |= Qt::WindowMaximizeButtonHint;
        return f;
    }

    // Without a window manager a maximise changes the state and sends no resize, so the
    // zoom event is posted from the state change; the resize that may follow posts
    // Event_SizeWindow.
    void stateChanged(Qt::WindowStates old, Qt::WindowStates now) {
        const bool wasMin = old & Qt::WindowMinimized, isMin = now & Qt::WindowMinimized;
        if (isMin && !wasMin) {
            delegate->windowDidMiniaturize();
        } else if (wasMin && !isMin) {
            delegate->windowDidDeminiaturize(resizable() && (now & Qt::WindowMaximized));
        } else if ((old & Qt::WindowMaximized) != (now & Qt::WindowMaximized)) {
            delegate->windowShouldZoom(now & Qt::WindowMaximized);
            delegate->postPendingZoom();
        }
    }

    uint32_t style_;
};

// The headless platform has no stacking order and says so on every raise.
void RaiseWindow(QWidget* window) {
    if (QGuiApplication::platformName() != QLatin1String("offscreen"))
        window->raise();
}

int64_t ToolkitWindowNumber(QWidget* widget) {
    auto* window = dynamic_cast<KSWindow*>(widget);
    return window && window->delegate ? window->delegate->windowID() : -1;
}

// Window titles show as written: "[*]" is Qt's modified-marker placeholder unless doubled.
QString LiteralTitle(const char16_t* title) {
    QString text = QString::fromUtf16(title ? title : u"");
    return text.replace(QStringLiteral("[*]"), QStringLiteral("[*][*]"));
}

void Place(QWidget* window, int32_t x, int32_t y, int32_t flags) {
    if (flags & WindowScreenCentered) {
        if (QScreen* screen = QGuiApplication::primaryScreen()) {
            const QRect area = screen->geometry();
            window->move(area.center() - QPoint(window->width() / 2, window->height() / 2));
        }
        return;
    }
    window->move(x, y);
    QWidget* key = QApplication::activeWindow();
    if ((flags & WindowCenterOnKeyWindow) && key && key != window) {
        const QPoint origin = key->pos() + QPoint((key->width() - window->width()) / 2,
                                                  (key->height() - window->height()) / 2);
        window->move(origin);
    }
}

void Show(KSWindow* window, int32_t flags) {
    if (!(flags & WindowInvisible)) {
        if (flags & WindowNoActivate) {
            window->setAttribute(Qt::WA_ShowWithoutActivating);
            window->show();
        } else {
            window->show();
            RaiseWindow(window);
            window->activateWindow();
        }
    }
    if (flags & WindowMinimize)
        window->setWindowState(window->windowState() | Qt::WindowMinimized);
    else if (flags & WindowMaximize)
        window->setWindowState(window->windowState() | Qt::WindowMaximized);
}

KSWindow* CreatePlatformWindow(int32_t width, int32_t height, const char16_t* title,
                               uint32_t style) {
    auto* window = new (std::nothrow) KSWindow(style);
    if (!window)
        return nullptr;
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setWindowTitle(LiteralTitle(title));
    if (style & StyleResizable)
        window->resize(width, height);
    else
        window->setFixedSize(width, height);
    return window;
}

void MakeKeyWindow(QWidget* window) {
    RaiseWindow(window);
    window->activateWindow();
}

bool IsKeyWindow(QWidget* window) {
    return QApplication::activeWindow() == window;
}

bool IsVisibleWindow(QWidget* window) {
    return window->isVisible();
}

// Closes the platform window without a close request; the delegate's windowWillClose
// runs before it returns.
void ClosePlatformWindow(QWidget* widget) {
    auto* window = static_cast<KSWindow*>(widget);
    window->closing = true;
    window->close();
    // A close Qt refused to deliver still ends the window.
    if (window->delegate) {
        window->willClose();
        window->deleteLater();
    }
}

} // namespace

int64_t OpenWindow(int64_t number, int32_t x, int32_t y, int32_t width, int32_t height,
                   const char16_t* title, int32_t flags) {
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()) || !WindowRegistry)
        return 0;
    SetWindowNumberHook(ToolkitWindowNumber);
    StartQtEvents();
    if (x == IgnoreValue || y == IgnoreValue)
        flags |= WindowScreenCentered;
    KSWindow* window = CreatePlatformWindow(width, height, title, WindowStyleFromFlags(flags));
    if (!window)
        return 0;
    QWidget* previousKey = QApplication::activeWindow();
    auto* record = static_cast<WindowRecord*>(AllocateObject(WindowRegistry, number));
    if (!record) {
        delete window;
        return 0;
    }
    const int64_t id = number == AnyNumber ? reinterpret_cast<int64_t>(record) : number;
    auto* delegate = new KSWindowEvents();
    delegate->connect(KSWidgetOf(window), id);
    window->delegate = delegate;
    *record = {KSWidgetOf(window), delegate, nullptr, KSWidgetOf(previousKey)};
    window->content = new KSFlippedWindowView(window, id);
    window->content->setGeometry(window->rect());
    Place(window, x, y, flags);
    Show(window, flags);
    window->opening = false;
    if (!(flags & WindowNoGadgets))
        KSGadgetList::setWindow(KSWidgetOf(window));
    return number == AnyNumber ? id : reinterpret_cast<int64_t>(window);
}

// The window that takes the focus from a closing key window: the window that was key
// when it opened, if still visible, else the first visible window found before it.
QWidget* FocusSuccessor(const WindowRecord* record) {
    QWidget* window = QtWidget(record->Window);
    if (!record->PreviousKeyWindow || !IsKeyWindow(window))
        return nullptr;
    QWidget* remembered = nullptr;
    int64_t id = 0;
    ResetObjectIteration(WindowRegistry);
    while (auto* other = static_cast<WindowRecord*>(NextObject(WindowRegistry, &id))) {
        QWidget* candidate = QtWidget(other->Window);
        if (other->Window == record->PreviousKeyWindow) {
            AbortObjectIteration(WindowRegistry);
            return IsVisibleWindow(candidate) ? candidate : remembered;
        }
        if (!remembered && candidate != window && IsVisibleWindow(candidate))
            remembered = candidate;
    }
    return remembered;
}

void CloseWindow(int64_t number) {
    if (number == AllObjects) {
        FreeAllObjects(WindowRegistry);
        return;
    }
    WindowRecord* record = FindWindow(number);
    if (!record)
        return;
    QWidget* successor = FocusSuccessor(record);
    RemoveWindowBindings(number);
    ClosePlatformWindow(QtWidget(record->Window));
    // After the close: hiding the key window makes Qt choose a window of its own.
    if (successor)
        MakeKeyWindow(successor);
}

int64_t WindowNumberOf(int64_t platformWindow) {
    int64_t id = 0;
    ResetObjectIteration(WindowRegistry);
    while (auto* record = static_cast<WindowRecord*>(NextObject(WindowRegistry, &id))) {
        if (reinterpret_cast<int64_t>(record->Window) == platformWindow) {
            AbortObjectIteration(WindowRegistry);
            return record->Delegate ? record->Delegate->windowID() : -1;
        }
    }
    return -1;
}

QWidget* WindowContentView(QWidget* widget) {
    auto* window = dynamic_cast<KSWindow*>(widget);
    return window ? window->content : nullptr;
}

KSWidget* ContentViewOf(KSWidget* window) {
    return KSWidgetOf(WindowContentView(QtWidget(window)));
}

QWidget* WindowWidget(int64_t number) {
    WindowRecord* record = FindWindow(number);
    return record ? QtWidget(record->Window) : nullptr;
}
