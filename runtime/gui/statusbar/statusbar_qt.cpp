// The status bar's Qt side: the bar view with a background of its own, its labels, and
// the commands that create, fill, lay out and free bars.
#include "runtime/gui/events/events.h"
#include "runtime/gui/statusbar/statusbar_internal.h"
#include "runtime/gui/windows/windows_qt.h"

// Qt's headers after the runtime's: Qt defines "slots" as a macro.
#include "runtime/gui/statusbar/eliding_label_qt.h"

#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QWidget>

#include <cmath>
#include <new>

namespace {

// Qt counts y downwards: a label at the bottom of the bar starts this far from its top.
constexpr int32_t LabelTop = StatusBarHeight - StatusBarLabelHeight;
// Room between a field's edge and its text, in units.
constexpr int LabelInset = 3;

class KSStatusBarView : public QWidget {
public:
    KSStatusBarView(int64_t id, QWidget* parent) : QWidget(parent), StatusBarID(id) {}
    ~KSStatusBarView() override { freeStatusBar(); }

    void adjustSize();
    // The record was released without this view: its destruction must leave the registry
    // alone (the number may serve another bar by then).
    void detach() { detached_ = true; }
    void freeStatusBar() {
        KS_StatusBarStructure* record = detached_ ? nullptr : FindStatusBar(StatusBarID);
        if (record && record->View == KSWidgetOf(this)) {
            ReleaseStatusBarRecord(StatusBarID);
        }
        detached_ = true;
    }

    int64_t StatusBarID;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        QLinearGradient shade(0, 0, 0, height());
        shade.setColorAt(0, QColor(0xe9, 0xe9, 0xe9));
        shade.setColorAt(1, QColor(0xcc, 0xcc, 0xcc));
        painter.fillRect(rect(), shade);
        painter.setPen(QColor(0x9a, 0x9a, 0x9a));
        painter.drawLine(0, 0, width() - 1, 0);
    }

private:
    bool detached_ = false;
};

KSStatusBarView* ViewOf(const KS_StatusBarStructure* record) {
    return record ? static_cast<KSStatusBarView*>(QtWidget(record->View)) : nullptr;
}

QLabel* LabelOf(KSWidget* handle) {
    return static_cast<QLabel*>(QtWidget(handle));
}

void PlaceLabels(KS_StatusBarStructure* record, int32_t width) {
    std::vector<bool> labelled;
    for (KSWidget* label : *record->FieldViews) {
        labelled.push_back(label != nullptr);
    }
    for (const StatusFieldFrame& frame :
         LayoutStatusBarFields(*record->FieldRects, labelled, width)) {
        QLabel* label = LabelOf((*record->FieldViews)[static_cast<size_t>(frame.field)]);
        const int32_t y = LabelTop - (*record->FieldRects)[static_cast<size_t>(frame.field)].y;
        // A fractional shared width is rounded up so that no text is clipped by a unit.
        label->setGeometry(frame.x, y, static_cast<int>(std::ceil(frame.width)),
                           StatusBarLabelHeight);
        label->update();
    }
}

QLabel* NewFieldLabel(QWidget* bar, const StatusFieldRect& rect) {
    auto* label = new (std::nothrow) KSElidingLabel(bar);
    if (!label) {
        return nullptr;
    }
    label->setTextFormat(Qt::PlainText);
    label->setTextInteractionFlags(Qt::NoTextInteraction);
    label->setAutoFillBackground(false);
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    // The text keeps a little room from the field's edges; the frame itself does not move.
    label->setContentsMargins(LabelInset, 0, LabelInset, 0);
    label->setGeometry(rect.x, LabelTop, rect.width > 0 ? rect.width : 0, StatusBarLabelHeight);
    label->show();
    return label;
}

} // namespace

void KSStatusBarView::adjustSize() {
    QWidget* content = parentWidget();
    const int32_t width = content ? content->width() : 0;
    const int32_t height = content ? content->height() : 0;
    KS_StatusBarStructure* record = detached_ ? nullptr : FindStatusBar(StatusBarID);
    if (record && record->View == KSWidgetOf(this)) {
        PlaceLabels(record, width);
    }
    setGeometry(0, height - StatusBarHeight, width, StatusBarHeight);
    update();
}

int64_t CreateStatusBar(int64_t number, int64_t window) {
    auto* windowWidget = reinterpret_cast<QWidget*>(window);
    QWidget* content = windowWidget ? WindowContentView(windowWidget) : nullptr;
    if (!content) {
        return 0;
    }
    auto* record = static_cast<KS_StatusBarStructure*>(AllocateObject(StatusBarRegistry, number));
    if (!record) {
        return 0;
    }
    const int64_t id = number == AnyNumber ? reinterpret_cast<int64_t>(record) : number;
    auto* view = new (std::nothrow) KSStatusBarView(id, content);
    if (!view || !InitStatusBarRecord(record, KSWidgetOf(view), KSWidgetOf(windowWidget))) {
        delete view;
        FreeObject(StatusBarRegistry, id);
        return 0;
    }
    view->adjustSize();
    view->show();
    view->raise();
    SetCurrentStatusBar(id);
    return number == AnyNumber ? id : reinterpret_cast<int64_t>(view);
}

void StatusBarText(int64_t number, int32_t field, const char16_t* text, int32_t flags) {
    KS_StatusBarStructure* record = FindStatusBar(number);
    if (!record || field < 0 || static_cast<size_t>(field) >= record->FieldRects->size()) {
        return;
    }
    KSStatusBarView* view = ViewOf(record);
    KSWidget*& slot = (*record->FieldViews)[static_cast<size_t>(field)];
    if (!slot) {
        slot = KSWidgetOf(NewFieldLabel(view, (*record->FieldRects)[static_cast<size_t>(field)]));
        if (!slot) {
            return;
        }
    }
    QLabel* label = LabelOf(slot);
    label->setText(QString::fromUtf16(text ? text : u""));
    if (flags & StatusBarText_Right) {
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    } else if (flags & StatusBarText_Center) {
        label->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
    }
    view->adjustSize();
    // A caller about to block (a long decode) must see the text now, not at the next pass
    // of the event loop.
    view->repaint();
}

void FreeStatusBar(int64_t number) {
    if (number == AllObjects) {
        FreeAllObjects(StatusBarRegistry);
        return;
    }
    KSStatusBarView* view = ViewOf(FindStatusBar(number));
    if (!view) {
        return;
    }
    view->hide();
    view->setParent(nullptr);
    view->deleteLater();
    RecyclePool();
    // Should the deferred deletion not have run yet, the record goes now and the view's
    // later destruction finds nothing to do.
    KS_StatusBarStructure* record = FindStatusBar(number);
    if (record && record->View == KSWidgetOf(view)) {
        view->detach();
        ReleaseStatusBarRecord(number);
    }
}

void StatusBarWindowResized(int64_t window) {
    auto* windowWidget = reinterpret_cast<QWidget*>(window);
    int64_t id = 0;
    ResetObjectIteration(StatusBarRegistry);
    while (auto* record = static_cast<KS_StatusBarStructure*>(NextObject(StatusBarRegistry, &id))) {
        if (record->Window == KSWidgetOf(windowWidget)) {
            ViewOf(record)->adjustSize();
        }
    }
}
