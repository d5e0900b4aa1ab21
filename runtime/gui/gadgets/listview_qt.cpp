// The list view's Qt side: the model adapter, the view's mouse, focus and menu handling,
// and the creation command.
#include "runtime/gui/gadgets/listview_qt.h"

#include "runtime/core/lists/lists.h"
#include "runtime/gui/events/events.h"
#include "runtime/gui/windows/windows_qt.h"

#include <QHelpEvent>
#include <QMouseEvent>
#include <QStyle>
#include <QToolTip>

#include <new>

// --- Model adapter ------------------------------------------------------------------------

int KSListViewModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid()) {
        return 0;
    }
    return static_cast<int>(ListSize(functions_->List));
}

QVariant KSListViewModel::data(const QModelIndex& index, int role) const {
    if (role == Qt::DisplayRole) {
        const ListViewItem* item = ListViewItemAt(functions_->List, index.row());
        if (!item || !item->ItemText) {
            return QString();
        }
        return QString::fromUtf16(item->ItemText);
    }
    if (role == Qt::ForegroundRole && functions_->HasTextColor) {
        return functions_->TextColor;
    }
    return QVariant();
}

Qt::ItemFlags KSListViewModel::flags(const QModelIndex& index) const {
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

void KSListViewModel::rowInserted(int row) {
    beginInsertRows(QModelIndex(), row, row);
    endInsertRows();
}

void KSListViewModel::rowRemoved(int row) {
    beginRemoveRows(QModelIndex(), row, row);
    endRemoveRows();
}

void KSListViewModel::rowsChanged(int first, int last) {
    if (first <= last) {
        emit dataChanged(index(first), index(last));
    }
}

// --- View -------------------------------------------------------------------------------------

KSListViewTableView::KSListViewTableView(QWidget* parent) : QListView(parent) {
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setUniformItemSizes(true); // rows of one height: no pass over all rows to lay them out
    setContextMenuPolicy(Qt::DefaultContextMenu);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setFrameShape(QFrame::StyledPanel);
}

KSListViewTableView::~KSListViewTableView() {
    viewDestroyed();
}

void KSListViewTableView::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) {
        // A right click asks for the menu: it reports type 1 and leaves the selection.
        if (KSGadgetFunctions* f = functions()) {
            f->SendEvent(1);
        }
        event->accept();
        return;
    }
    releaseEndsDoubleClick_ = false;
    QListView::mousePressEvent(event);
}

void KSListViewTableView::mouseReleaseEvent(QMouseEvent* event) {
    QListView::mouseReleaseEvent(event);
    if (event->button() != Qt::LeftButton) {
        return;
    }
    if (releaseEndsDoubleClick_) {
        releaseEndsDoubleClick_ = false;
        return;
    }
    if (KSGadgetFunctions* f = functions()) {
        f->EventHandler();
    }
}

void KSListViewTableView::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        event->accept();
        return;
    }
    QListView::mouseDoubleClickEvent(event);
    releaseEndsDoubleClick_ = true;
    if (auto* f = static_cast<KSListViewGadgetFunctions*>(functions())) {
        f->DoubleActionHandler();
    }
}

void KSListViewTableView::contextMenuEvent(QContextMenuEvent* event) {
    // Reported on the press already; there is no menu to show.
    event->accept();
}

void KSListViewTableView::focusInEvent(QFocusEvent* event) {
    const bool hadCurrent = currentIndex().isValid();
    QListView::focusInEvent(event);
    if (!hadCurrent && currentIndex().isValid() && selectionModel()) {
        // Qt makes the first row current on focus; the arrow keys must start from no row,
        // so that Down selects row 0.
        SuspendEvents();
        selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
        ResumeEvents();
    }
}

QString KSListViewTableView::toolTipAt(const QPoint& at) const {
    const QModelIndex index = indexAt(at);
    const QString text = index.data(Qt::DisplayRole).toString();
    // The room the list shows of the row, from the row's left edge to the viewport's
    // right, less the style's margins on both sides (the row itself is as wide as its text).
    const int margin = 2 * (style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1);
    const int room = viewport()->width() - visualRect(index).left() - margin;
    const bool fits = fontMetrics().horizontalAdvance(text) <= room;
    return index.isValid() && !fits ? text : QString();
}

bool KSListViewTableView::viewportEvent(QEvent* event) {
    if (event->type() != QEvent::ToolTip)
        return QListView::viewportEvent(event);
    auto* help = static_cast<QHelpEvent*>(event);
    const QString tip = toolTipAt(help->pos());
    if (tip.isEmpty())
        QToolTip::hideText();
    else
        QToolTip::showText(help->globalPos(), tip, viewport(), visualRect(indexAt(help->pos())));
    return true;
}

// --- Creation ----------------------------------------------------------------------------------

int64_t ListViewGadget(int64_t gadget, int32_t x, int32_t y, int32_t width, int32_t height,
                       int32_t flags) {
    QWidget* parent = QtWidget(KSGadgetList::currentView());
    auto* view = new (std::nothrow) KSListViewTableView(nullptr);
    if (!view) {
        return 0;
    }
    view->setGeometry(x, y, width, height);
    auto* functions = new (std::nothrow) KSListViewGadgetFunctions();
    if (!functions) {
        return reinterpret_cast<int64_t>(view);
    }
    KS_GadgetStructure* record =
        functions->setup(gadget, GadgetType_ListView, KSWidgetOf(view), KSWidgetOf(view), flags);
    if (!record) {
        delete functions;
        delete view;
        return 0;
    }
    functions->Init(view);
    view->setSelectionMode((flags & ListViewFlag_MultiSelect) ? QAbstractItemView::ExtendedSelection
                                                              : QAbstractItemView::SingleSelection);
    if (parent) {
        view->setParent(parent);
        view->show();
    }
    return gadget == AnyNumber ? functions->GadgetID : reinterpret_cast<int64_t>(view);
}
