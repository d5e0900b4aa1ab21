// The list view's gadget methods. The rows live in the runtime list; each change tells
// the model about the one row it touched (or resets it) before returning, so the Qt view
// and its selection are up to date after every command. Changes made by commands post no
// event: only the user's own clicks and keys do.
#include "runtime/core/lists/lists.h"
#include "runtime/core/strings/strings.h"
#include "runtime/gui/events/events.h"
#include "runtime/gui/gadgets/listview_qt.h"

#include <QFont>

namespace {

// Posts nothing while alive.
class QuietChange {
public:
    QuietChange() { SuspendEvents(); }
    ~QuietChange() { ResumeEvents(); }
    QuietChange(const QuietChange&) = delete;
    QuietChange& operator=(const QuietChange&) = delete;
};

// Colours cross the interface as 0xBBGGRR.
QColor ColorFromValue(int64_t value) {
    return QColor(static_cast<int>(value & 0xFF), static_cast<int>((value >> 8) & 0xFF),
                  static_cast<int>((value >> 16) & 0xFF));
}

int64_t ValueFromColor(const QColor& color) {
    return color.red() | (color.green() << 8) | (color.blue() << 16);
}

} // namespace

KSListViewGadgetFunctions::~KSListViewGadgetFunctions() {
    delete model_;
}

void KSListViewGadgetFunctions::Init(KSListViewTableView* view) {
    view_ = view;
    List = NewListViewItems();
    model_ = new KSListViewModel(this);
    view_->setModel(model_);
    // The model is the context: the connection ends when the functions object goes.
    QObject::connect(view_->selectionModel(), &QItemSelectionModel::selectionChanged, model_,
                     [this] { SendEvent(0); });
}

void KSListViewGadgetFunctions::FreeGadget() {
    // The view may be on its way out with its window: detach it before the rows go, so
    // that nothing asks the model for them any more.
    QuietChange quiet;
    view_->setModel(nullptr);
    ClearListViewItems(List);
    FreeList(List);
    List = nullptr;
}

void KSListViewGadgetFunctions::SetGadgetColor(int32_t type, int64_t color) {
    if (type == 1) {
        HasTextColor = true;
        TextColor = ColorFromValue(color);
        model_->rowsChanged(0, static_cast<int>(ListSize(List)) - 1);
    } else if (type == 2) {
        QPalette palette = view_->palette();
        palette.setColor(QPalette::Base, ColorFromValue(color));
        view_->setPalette(palette);
    }
}

int64_t KSListViewGadgetFunctions::GetGadgetColor(int32_t type) {
    if (type == 1) {
        return HasTextColor ? ValueFromColor(TextColor) : 0;
    }
    if (type == 2) {
        return ValueFromColor(view_->palette().color(QPalette::Base));
    }
    return 0;
}

void KSListViewGadgetFunctions::SetGadgetFont(int64_t font) {
    // Rows take their height from the font (uniform row sizes).
    if (font != 0) {
        view_->setFont(*reinterpret_cast<const QFont*>(font));
    }
}

std::vector<int> KSListViewGadgetFunctions::selectedRows() const {
    std::vector<int> rows;
    for (const QModelIndex& index : view_->selectionModel()->selectedIndexes()) {
        rows.push_back(index.row());
    }
    return rows;
}

void KSListViewGadgetFunctions::restoreSelection(const std::vector<int>& rows) {
    QuietChange quiet;
    QItemSelectionModel* selection = view_->selectionModel();
    QItemSelection wanted;
    const int count = static_cast<int>(ListSize(List));
    for (int row : rows) {
        if (row < count) {
            wanted.select(model_->index(row), model_->index(row));
        }
    }
    if (rows.size() == 1 && rows[0] < count) {
        // The keyboard goes on from the selected row.
        selection->setCurrentIndex(model_->index(rows[0]), QItemSelectionModel::ClearAndSelect);
        return;
    }
    selection->select(wanted, QItemSelectionModel::ClearAndSelect);
}

int64_t KSListViewGadgetFunctions::AddGadgetItem(int32_t position, const char16_t* text, int64_t,
                                                 int32_t) {
    ListViewItem* item = nullptr;
    // Rows keep their numbers in the selection, as a reload of the whole list would.
    const std::vector<int> kept = selectedRows();
    const int64_t row = InsertListViewItem(List, position, text, &item);
    if (row < 0) {
        return 0;
    }
    {
        QuietChange quiet;
        model_->rowInserted(static_cast<int>(row));
    }
    if (!kept.empty()) {
        restoreSelection(kept);
    }
    return reinterpret_cast<int64_t>(item);
}

void KSListViewGadgetFunctions::RemoveGadgetItem(int32_t position) {
    const std::vector<int> kept = selectedRows();
    if (!RemoveListViewItem(List, position)) {
        return;
    }
    {
        QuietChange quiet;
        model_->rowRemoved(position);
    }
    restoreSelection(kept);
}

void KSListViewGadgetFunctions::ClearGadgetItems() {
    QuietChange quiet;
    model_->beginReset();
    ClearListViewItems(List);
    model_->endReset();
}

int64_t KSListViewGadgetFunctions::CountGadgetItems() {
    return ListSize(List);
}

void KSListViewGadgetFunctions::SetGadgetState(int64_t state) {
    QuietChange quiet;
    QItemSelectionModel* selection = view_->selectionModel();
    if (state == -1) {
        selection->clear();
        return;
    }
    if (state < -1 || state >= ListSize(List)) {
        return;
    }
    const QModelIndex index = model_->index(static_cast<int>(state));
    selection->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    view_->scrollTo(index);
}

int64_t KSListViewGadgetFunctions::GetGadgetState() {
    QItemSelectionModel* selection = view_->selectionModel();
    const QModelIndex current = selection->currentIndex();
    if (current.isValid() && selection->isSelected(current)) {
        return current.row();
    }
    const QModelIndexList selected = selection->selectedIndexes();
    return selected.isEmpty() ? -1 : selected.last().row();
}

void KSListViewGadgetFunctions::SetGadgetText(const char16_t* text) {
    const int64_t row = FindListViewItem(List, text);
    if (row >= 0) {
        SetGadgetState(row);
    }
}

char16_t* KSListViewGadgetFunctions::GetGadgetText(int64_t p) {
    const ListViewItem* item = ListViewItemAt(List, GetGadgetState());
    if (!item) {
        return TempEmptyResult(p);
    }
    return StringCopy(TempReserve(static_cast<int32_t>(StringLength(item->ItemText)), p),
                      item->ItemText);
}

void KSListViewGadgetFunctions::SetGadgetItemText(int32_t position, const char16_t* text, int32_t) {
    ListViewItem* item = ListViewItemAt(List, position);
    if (item) {
        SetListViewItemText(item, text);
        model_->rowsChanged(position, position);
    }
}

char16_t* KSListViewGadgetFunctions::GetGadgetItemText(int32_t position, int32_t, int64_t p) {
    const ListViewItem* item = ListViewItemAt(List, position);
    if (!item) {
        return TempEmptyResult(p);
    }
    return StringCopy(TempReserve(static_cast<int32_t>(StringLength(item->ItemText)), p),
                      item->ItemText);
}

void KSListViewGadgetFunctions::SetGadgetItemData(int32_t position, int64_t value) {
    if (ListViewItem* item = ListViewItemAt(List, position)) {
        item->ItemData = value;
    }
}

int64_t KSListViewGadgetFunctions::GetGadgetItemData(int32_t position) {
    const ListViewItem* item = ListViewItemAt(List, position);
    return item ? item->ItemData : 0;
}

void KSListViewGadgetFunctions::SetGadgetItemState(int32_t position, int64_t state) {
    if (position < 0 || position >= ListSize(List)) {
        return;
    }
    QuietChange quiet;
    const QModelIndex index = model_->index(position);
    view_->selectionModel()->select(index, state != 0 ? QItemSelectionModel::Select
                                                      : QItemSelectionModel::Deselect);
}

int64_t KSListViewGadgetFunctions::GetGadgetItemState(int32_t position) {
    if (position < 0 || position >= ListSize(List)) {
        return 0;
    }
    return view_->selectionModel()->isSelected(model_->index(position)) ? 1 : 0;
}
