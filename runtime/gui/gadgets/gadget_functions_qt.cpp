// The base behaviour of every gadget kind on Qt widgets, registration and the view side
// of the tag protocol.
#include "runtime/core/strings/strings.h"
#include "runtime/core/strings/strings_qt.h"
#include "runtime/gui/events/events.h"
#include "runtime/gui/gadgets/gadget_view_qt.h"
#include "runtime/gui/gadgets/gadgets_internal.h"
#include "runtime/gui/gadgets/gadgets_qt.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QDropEvent>
#include <QFont>
#include <QGuiApplication>
#include <QMimeData>
#include <QScreen>
#include <QString>
#include <QWidget>

namespace {

// The control and the container of a live record.
QWidget* ViewOf(const KS_GadgetStructure* record) {
    return QtWidget(record->Gadget);
}

QWidget* ContainerOf(const KS_GadgetStructure* record) {
    return QtWidget(record->Container);
}

bool IsControl(QWidget* view) {
    return qobject_cast<QAbstractButton*>(view) || qobject_cast<QAbstractItemView*>(view);
}

QString FromRuntime(const char16_t* text) {
    return QString::fromUtf16(text ? text : u"");
}

int64_t WindowNumberOfWidget(QWidget* widget) {
    return widget ? WindowNumberOf(reinterpret_cast<int64_t>(widget->window())) : -1;
}

} // namespace

// --- Registration -------------------------------------------------------------------------

KS_GadgetStructure* KSGadgetFunctions::setup(int64_t number, int32_t type, KSWidget* view,
                                             KSWidget* container, int32_t flags) {
    auto* record = static_cast<KS_GadgetStructure*>(AllocateObject(GadgetRegistry, number));
    if (!record) {
        return nullptr;
    }
    Gadget = record;
    GadgetID = number == AnyNumber ? reinterpret_cast<int64_t>(record) : number;
    isNSControl = IsControl(QtWidget(view)) ? 1 : 0;
    record->Gadget = view;
    record->Container = container;
    record->Functions = this;
    record->GadgetType = type;
    record->GadgetFlags = flags;
    record->WindowID = WindowNumberOf(reinterpret_cast<int64_t>(KSGadgetList::currentWindow()));
    if (KSGadgetView* tagged = GadgetViewOf(QtWidget(view))) {
        tagged->setTag(GadgetID);
    }
    return record;
}

void KSGadgetFunctions::reuse(KS_GadgetStructure* record, int32_t type) {
    Gadget = record;
    if (record->Functions && record->Functions != this) {
        delete record->Functions;
    }
    record->Functions = this;
    record->GadgetType = type;
    KSGadgetView* tagged = GadgetViewOf(ViewOf(record));
    GadgetID = tagged ? tagged->tag() : 0;
    isNSControl = IsControl(ViewOf(record)) ? 1 : 0;
}

void KSGadgetFunctions::SendEvent(int32_t eventType) {
    if (Gadget) {
        PostEvent(Event_Gadget, GadgetID, Gadget->WindowID, eventType);
    }
}

// --- Base methods -------------------------------------------------------------------------

void KSGadgetFunctions::ActivateGadget() {
    QWidget* window = WindowWidget(Gadget->WindowID);
    if (window) {
        window->activateWindow();
    }
    ViewOf(Gadget)->setFocus(Qt::OtherFocusReason);
}

void KSGadgetFunctions::GadgetToolTip(const char16_t* text) {
    ViewOf(Gadget)->setToolTip(FromRuntime(text));
}

void KSGadgetFunctions::HideGadget(int32_t state) {
    ContainerOf(Gadget)->setVisible(state == 0);
}

void KSGadgetFunctions::DisableGadget(int32_t state) {
    if (isNSControl) {
        ViewOf(Gadget)->setEnabled(state == 0);
    }
}

int64_t KSGadgetFunctions::GadgetX(int32_t mode) {
    QWidget* container = ContainerOf(Gadget);
    if (mode == 1) {
        return container->mapToGlobal(QPoint(0, 0)).x();
    }
    if (mode == 2) {
        if (QWidget* content = WindowContentView(container->window())) {
            return container->mapTo(content, QPoint(0, 0)).x();
        }
    }
    return container->x();
}

int64_t KSGadgetFunctions::GadgetY(int32_t mode) {
    QWidget* container = ContainerOf(Gadget);
    if (mode == 1) {
        // Qt's screen coordinates already count from the top of the screen.
        return QGuiApplication::primaryScreen() ? container->mapToGlobal(QPoint(0, 0)).y() : 0;
    }
    if (mode == 2) {
        if (QWidget* content = WindowContentView(container->window())) {
            return container->mapTo(content, QPoint(0, 0)).y();
        }
    }
    return container->y();
}

int64_t KSGadgetFunctions::GadgetWidth() {
    return ContainerOf(Gadget)->width();
}

int64_t KSGadgetFunctions::GadgetHeight() {
    return ContainerOf(Gadget)->height();
}

void KSGadgetFunctions::ResizeGadget(int32_t x, int32_t y, int32_t width, int32_t height) {
    const QRect frame = ContainerOf(Gadget)->geometry();
    applyFrame(x != IgnoreValue ? x : frame.x(), y != IgnoreValue ? y : frame.y(),
               width != IgnoreValue ? width : frame.width(),
               height != IgnoreValue ? height : frame.height());
}

void KSGadgetFunctions::applyFrame(int32_t x, int32_t y, int32_t width, int32_t height) {
    ContainerOf(Gadget)->setGeometry(x, y, width, height);
    ContainerOf(Gadget)->update();
}

void KSGadgetFunctions::SetGadgetFont(int64_t font) {
    if (isNSControl && font != 0) {
        ViewOf(Gadget)->setFont(*reinterpret_cast<const QFont*>(font));
    }
}

int64_t KSGadgetFunctions::GetGadgetFont() {
    // The font the control draws with, as a handle that stays valid while the gadget lives.
    return isNSControl ? reinterpret_cast<int64_t>(&ViewOf(Gadget)->font()) : 0;
}

void KSGadgetFunctions::SetGadgetState(int64_t state) {
    if (auto* button = qobject_cast<QAbstractButton*>(ViewOf(Gadget))) {
        button->setChecked(state != 0);
    }
}

int64_t KSGadgetFunctions::GetGadgetState() {
    auto* button = qobject_cast<QAbstractButton*>(ViewOf(Gadget));
    return button && button->isChecked() ? 1 : 0;
}

void KSGadgetFunctions::SetGadgetText(const char16_t* text) {
    if (auto* button = qobject_cast<QAbstractButton*>(ViewOf(Gadget))) {
        button->setText(FromRuntime(text));
    }
}

char16_t* KSGadgetFunctions::GetGadgetText(int64_t p) {
    if (auto* button = qobject_cast<QAbstractButton*>(ViewOf(Gadget))) {
        const QString text = button->text();
        return PlatformStringToTemp(&text, p);
    }
    return TempEmptyResult(p);
}

char16_t* KSGadgetFunctions::GetGadgetItemText(int32_t, int32_t, int64_t p) {
    return TempEmptyResult(p);
}

// --- Tag protocol and the command layer's hooks ------------------------------------------

QWidget* GadgetWidget(int64_t gadget) {
    KS_GadgetStructure* record = FindGadget(gadget);
    return record ? ViewOf(record) : nullptr;
}

KSGadgetView* GadgetViewOf(QWidget* widget) {
    return dynamic_cast<KSGadgetView*>(widget);
}

KSGadgetFunctions* KSGadgetView::functions() const {
    KS_GadgetStructure* record = alreadyDestroyed() ? nullptr : FindGadget(KS_tag);
    return record ? record->Functions : nullptr;
}

void MarkGadgetViewDestroyed(KSWidget* view) {
    if (KSGadgetView* tagged = GadgetViewOf(QtWidget(view))) {
        tagged->setAlreadyDestroyed(true);
    }
}

void DestroyGadgetContainer(KSWidget* container) {
    delete QtWidget(container);
}

// --- Drops ---------------------------------------------------------------------------------

namespace {

bool HasDropData(const QMimeData* data) {
    return data && (data->hasImage() || data->hasUrls() || data->hasText());
}

} // namespace

void KSGadgetView::forwardDragEnter(QDragEnterEvent* event) {
    forwardDragMove(event);
}

void KSGadgetView::forwardDragMove(QDragMoveEvent* event) {
    if (HasDropData(event->mimeData())) {
        event->acceptProposedAction();
    } else {
        event->ignore();
    }
}

void KSGadgetView::forwardDrop(QDropEvent* event) {
    if (!HasDropData(event->mimeData())) {
        event->ignore();
        return;
    }
    auto* widget = dynamic_cast<QWidget*>(this);
    PostEvent(Event_GadgetDrop, KS_tag, WindowNumberOfWidget(widget), 0);
    event->acceptProposedAction();
}
