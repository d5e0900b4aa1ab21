// The event loop on Qt: the queue's platform waits on Qt's event dispatcher until a
// platform event arrives or the deadline passes, and an application-wide key filter hands
// every key press to the queue's key handling before any widget sees the key.
#include "runtime/gui/events/events_qt.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QKeyEvent>
#include <QTimer>
#include <QWidget>

namespace {

WindowNumberHook WindowNumberOfWidget = nullptr;

// Platform events delivered to any object since the start, the deadline timer's own
// events excepted: tells a pass that handled something from one that only timed out.
uint64_t PlatformEventCount = 0;
QObject* DeadlineTimer = nullptr;

// The unit a key reports, as the shortcut table has it: special keys in the 0xF7xx range,
// letters by case as Shift makes them, everything else as its code.
char16_t SpecialKeyUnit(int key) {
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return 0x0D;
    case Qt::Key_Tab:
        return 0x09;
    case Qt::Key_Backtab:
        return 0x19;
    case Qt::Key_Backspace:
        return 0x7F;
    case Qt::Key_Escape:
        return 0x1B;
    case Qt::Key_Home:
        return 0xF729;
    case Qt::Key_End:
        return 0xF72B;
    case Qt::Key_Insert:
    case Qt::Key_Help:
        return 0xF727;
    case Qt::Key_PageUp:
        return 0xF72C;
    case Qt::Key_PageDown:
        return 0xF72D;
    case Qt::Key_Left:
        return 0xF702;
    case Qt::Key_Right:
        return 0xF703;
    case Qt::Key_Up:
        return 0xF700;
    case Qt::Key_Down:
        return 0xF701;
    case Qt::Key_Delete:
        return 0xF728;
    default:
        break;
    }
    if (key >= Qt::Key_F1 && key <= Qt::Key_F12)
        return static_cast<char16_t>(0xF704 + (key - Qt::Key_F1));
    return 0;
}

// Matches on the key, never on the event's text: with real input Control+C carries the
// text 0x03, which would read as keypad Enter.
KeyStroke StrokeOf(const QKeyEvent* event) {
    const Qt::KeyboardModifiers m = event->modifiers();
    KeyStroke stroke = {0, 0};
    if (m & Qt::ShiftModifier)
        stroke.modifiers |= ShortcutShift;
    if (m & Qt::ControlModifier)
        stroke.modifiers |= ShortcutCommand; // the menu modifier of this platform
    if (m & Qt::AltModifier)
        stroke.modifiers |= ShortcutAlt;
    if (m & Qt::MetaModifier)
        stroke.modifiers |= ShortcutControl;
    const int key = event->key();
    stroke.unit = SpecialKeyUnit(key);
    if (stroke.unit == 0 && key > 0 && key <= 0xFFFF) {
        const QChar c(static_cast<char16_t>(key));
        stroke.unit = c.isLetter() ? ((m & Qt::ShiftModifier) ? c.toUpper() : c.toLower()).unicode()
                                   : c.unicode();
    }
    return stroke;
}

class KeyFilter : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != DeadlineTimer)
            PlatformEventCount++;
        const QEvent::Type type = event->type();
        if ((type != QEvent::KeyPress && type != QEvent::ShortcutOverride) ||
            !watched->isWidgetType())
            return false;
        QWidget* window = static_cast<QWidget*>(watched)->window();
        const KeyContext context = {WindowNumberOfWidget ? WindowNumberOfWidget(window) : -1,
                                    QApplication::activeModalWidget() != nullptr};
        // The override is asked first: taking it keeps Qt's own shortcuts off the key,
        // and the press that follows is carried out.
        if (!HandleKeyStroke(StrokeOf(static_cast<QKeyEvent*>(event)), context,
                             type == QEvent::KeyPress))
            return false;
        event->accept();
        return true;
    }
};

KeyFilter* InstalledFilter = nullptr;

// Passes through Qt's dispatcher once, waiting when asked; answers whether the deadline
// passed meanwhile.
class Deadline : public QTimer {
public:
    explicit Deadline(int32_t timeout) {
        if (timeout > 0) {
            setTimerType(Qt::PreciseTimer);
            setSingleShot(true);
            connect(this, &QTimer::timeout, [this] { passed_ = true; });
            DeadlineTimer = this;
            start(timeout);
        }
    }
    ~Deadline() override { DeadlineTimer = nullptr; }
    bool passed() const { return passed_; }

private:
    bool passed_ = false;
};

bool InstallKeyFilter() {
    if (InstalledFilter)
        return true;
    QCoreApplication* app = QCoreApplication::instance();
    if (!app)
        return false;
    InstalledFilter = new KeyFilter(app);
    app->installEventFilter(InstalledFilter);
    return true;
}

void Wake() {
    if (QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance())
        dispatcher->wakeUp();
}

void Recycle() {
    if (QCoreApplication::instance())
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

bool Pump(int32_t timeout) {
    InstallKeyFilter();
    QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance();
    if (!dispatcher)
        return false;
    Deadline deadline(timeout);
    for (;;) {
        const uint64_t before = PlatformEventCount;
        const bool wait = timeout != 0 && !deadline.passed();
        dispatcher->processEvents(wait ? QEventLoop::WaitForMoreEvents : QEventLoop::AllEvents);
        const bool handled = PlatformEventCount != before;
        if (handled || EventQueue.head)
            return handled;
        // A wake-up with nothing behind it (a post already fetched) waits on.
        if (timeout == 0 || deadline.passed())
            return false;
    }
}

const EventPlatform QtPlatform{Wake, Pump, Recycle};

} // namespace

void StartQtEvents() {
    SetEventPlatform(&QtPlatform);
    InstallKeyFilter();
}

void SetWindowNumberHook(WindowNumberHook hook) {
    WindowNumberOfWidget = hook;
}
