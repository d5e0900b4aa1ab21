// The button kind on Qt: a push button (or on/off toggle) whose title is shown as given,
// drawn with one of two bezels, and that takes the focus only by Tab so that a click
// leaves the keyboard where it was (with the list). The default button answers Return
// through the key filter, after the window's shortcuts.
#include "runtime/core/strings/strings_qt.h"
#include "runtime/gui/events/events.h"
#include "runtime/gui/gadgets/gadget_view_qt.h"
#include "runtime/gui/gadgets/gadgets_internal.h"
#include "runtime/gui/windows/windows_qt.h"

#include <QPushButton>
#include <QResizeEvent>

#include <new>

namespace {

// Both bezels share the colours; only the corner radius and the padding differ.
const char* const RoundedStyle = "QPushButton { border: 1px solid #6f6f6f; border-radius: 11px;"
                                 " padding: 0 12px; background: qlineargradient(x1:0, y1:0,"
                                 " x2:0, y2:1, stop:0 #ffffff, stop:1 #dcdcdc); %1 }";
const char* const SquareStyle = "QPushButton { border: 1px solid #8c8c8c; border-radius: 0;"
                                " padding: 0 6px; background: #f4f4f4; %1 }";
const char* const StateStyle = "QPushButton:pressed, QPushButton:checked { background: #c6d6ec; }"
                               " QPushButton:focus { border-color: #3874c4; }"
                               " QPushButton:disabled { color: #a0a0a0; border-color: #c0c0c0; }";

class KSButtonGadgetView : public QPushButton, public KSGadgetView {
public:
    KSButtonGadgetView() {
        setFocusPolicy(Qt::TabFocus);
        setAutoDefault(false);
    }
    ~KSButtonGadgetView() override { viewDestroyed(); }

    void configure(int32_t flags, int32_t height) {
        bezel_ = BezelForNewButton(height);
        alignment_ = ButtonTitleAlignment(flags);
        isDefault_ = ButtonIsDefault(flags, height);
        setCheckable((flags & ButtonFlag_Toggle) != 0);
        applyStyle();
    }
    // A new frame: a button that leaves height 25 loses its rounded bezel for good.
    void setFrame(int32_t x, int32_t y, int32_t width, int32_t height) {
        followHeight(height);
        setGeometry(x, y, width, height);
    }
    // The title as given; Qt would take a single "&" for a mnemonic marker.
    void setTitle(const QString& title) {
        title_ = title;
        QString shown = title;
        setText(shown.replace(QLatin1Char('&'), QLatin1String("&&")));
    }
    const QString& title() const { return title_; }
    int32_t bezel() const { return bezel_; }
    bool isDefaultButton() const { return isDefault_; }
    void performAction() {
        if (KSGadgetFunctions* f = functions()) {
            f->EventHandler();
        }
    }

protected:
    void resizeEvent(QResizeEvent* event) override {
        followHeight(event->size().height());
        QPushButton::resizeEvent(event);
    }
    void dragEnterEvent(QDragEnterEvent* event) override { forwardDragEnter(event); }
    void dragMoveEvent(QDragMoveEvent* event) override { forwardDragMove(event); }
    void dropEvent(QDropEvent* event) override { forwardDrop(event); }

private:
    void followHeight(int32_t height) {
        const int32_t bezel = BezelAfterResize(bezel_, height);
        if (bezel != bezel_) {
            bezel_ = bezel;
            applyStyle();
        }
    }
    void applyStyle() {
        QString align;
        if (alignment_ == TitleAlign_Left) {
            align = QStringLiteral("text-align: left;");
        } else if (alignment_ == TitleAlign_Right) {
            align = QStringLiteral("text-align: right;");
        }
        const char* base = bezel_ == ButtonBezel_Rounded ? RoundedStyle : SquareStyle;
        setStyleSheet(QString::fromLatin1(base).arg(align) + QString::fromLatin1(StateStyle));
    }

    QString title_;
    int32_t bezel_ = ButtonBezel_Square;
    int32_t alignment_ = TitleAlign_Platform;
    bool isDefault_ = false;
};

class KSButtonGadgetFunctions : public KSGadgetFunctions {
public:
    void SetGadgetText(const char16_t* text) override {
        view()->setTitle(QString::fromUtf16(text ? text : u""));
    }
    char16_t* GetGadgetText(int64_t p) override {
        const QString& title = view()->title();
        return PlatformStringToTemp(&title, p);
    }

protected:
    void applyFrame(int32_t x, int32_t y, int32_t width, int32_t height) override {
        view()->setFrame(x, y, width, height);
        view()->update();
    }

private:
    KSButtonGadgetView* view() const {
        return static_cast<KSButtonGadgetView*>(QtWidget(Gadget->Button));
    }
};

KSButtonGadgetView* ButtonViewOf(const KS_GadgetStructure* record) {
    if (!record || record->GadgetType != GadgetType_Button) {
        return nullptr;
    }
    return dynamic_cast<KSButtonGadgetView*>(QtWidget(record->Button));
}

// The enabled, visible default button of a window, or null.
KSButtonGadgetView* DefaultButtonOf(int64_t window) {
    int64_t id = 0;
    ResetObjectIteration(GadgetRegistry);
    while (auto* record = static_cast<KS_GadgetStructure*>(NextObject(GadgetRegistry, &id))) {
        KSButtonGadgetView* button = ButtonViewOf(record);
        if (button && record->WindowID == window && button->isDefaultButton() &&
            button->isEnabled() && button->isVisible()) {
            AbortObjectIteration(GadgetRegistry);
            return button;
        }
    }
    return nullptr;
}

constexpr char16_t ReturnUnit = 13;

bool DefaultButtonKey(const KeyStroke& stroke, const KeyContext& context, bool act) {
    if (context.modal || context.window < 0 || stroke.unit != ReturnUnit ||
        (stroke.modifiers & ShortcutModifierMask) != 0) {
        return false;
    }
    KSButtonGadgetView* button = DefaultButtonOf(context.window);
    if (!button) {
        return false;
    }
    if (act) {
        button->click();
    }
    return true;
}

} // namespace

void InitGadgetKeyHandler() {
    static bool installed = false;
    if (!installed) {
        installed = true;
        AddKeyHandler(DefaultButtonKey);
    }
}

int64_t ButtonGadget(int64_t gadget, int32_t x, int32_t y, int32_t width, int32_t height,
                     const char16_t* text, int32_t flags) {
    QWidget* parent = QtWidget(KSGadgetList::currentView());
    auto* view = new (std::nothrow) KSButtonGadgetView();
    if (!view) {
        return 0;
    }
    view->setGeometry(x, y, width, height);
    auto* functions = new (std::nothrow) KSButtonGadgetFunctions();
    if (!functions) {
        return reinterpret_cast<int64_t>(view);
    }
    if (!functions->setup(gadget, GadgetType_Button, KSWidgetOf(view), KSWidgetOf(view), flags)) {
        delete functions;
        delete view;
        return 0;
    }
    view->setTitle(QString::fromUtf16(text ? text : u""));
    view->configure(flags, height);
    QObject::connect(view, &QAbstractButton::clicked, view, [view] { view->performAction(); });
    if (parent) {
        view->setParent(parent);
        view->show();
    }
    return gadget == AnyNumber ? functions->GadgetID : reinterpret_cast<int64_t>(view);
}

int32_t ButtonGadgetBezel(int64_t gadget) {
    KSButtonGadgetView* button = ButtonViewOf(FindGadget(gadget));
    return button ? button->bezel() : 0;
}
