// The list view kind on Qt: a QListView that holds no rows of its own and a thin model
// that asks the functions object for the row count and each row's text.
#pragma once

#include "runtime/gui/gadgets/gadget_view_qt.h"
#include "runtime/gui/gadgets/gadgets_internal.h"

#include <QAbstractListModel>
#include <QColor>
#include <QListView>

#include <vector>

class KSListViewGadgetFunctions;

class KSListViewModel : public QAbstractListModel {
public:
    explicit KSListViewModel(KSListViewGadgetFunctions* functions) : functions_(functions) {}

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // One row in or out; the runtime list has already changed.
    void rowInserted(int row);
    void rowRemoved(int row);
    void rowsChanged(int first, int last);
    // Starts a full reset; the runtime list changes in between.
    void beginReset() { beginResetModel(); }
    void endReset() { endResetModel(); }

private:
    KSListViewGadgetFunctions* functions_;
};

class KSListViewTableView : public QListView, public KSGadgetView {
public:
    explicit KSListViewTableView(QWidget* parent);
    ~KSListViewTableView() override;

    // The tooltip of the row at a viewport point: its whole text when it does not fit.
    QString toolTipAt(const QPoint& at) const;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    // A row whose text does not fit shows the whole text as its tooltip.
    bool viewportEvent(QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override { forwardDragEnter(event); }
    void dragMoveEvent(QDragMoveEvent* event) override { forwardDragMove(event); }
    void dropEvent(QDropEvent* event) override { forwardDrop(event); }

private:
    // The release that ends a double click is not another click.
    bool releaseEndsDoubleClick_ = false;
};

class KSListViewGadgetFunctions : public KSGadgetFunctions {
public:
    ~KSListViewGadgetFunctions() override;

    void Init(KSListViewTableView* view);
    void DoubleActionHandler() { SendEvent(2); }

    void FreeGadget() override;
    void SetGadgetColor(int32_t type, int64_t color) override;
    int64_t GetGadgetColor(int32_t type) override;
    void SetGadgetFont(int64_t font) override;
    int64_t AddGadgetItem(int32_t position, const char16_t* text, int64_t image,
                          int32_t flags) override;
    void RemoveGadgetItem(int32_t position) override;
    void ClearGadgetItems() override;
    int64_t CountGadgetItems() override;
    void SetGadgetState(int64_t state) override;
    int64_t GetGadgetState() override;
    void SetGadgetText(const char16_t* text) override;
    char16_t* GetGadgetText(int64_t p) override;
    void SetGadgetItemText(int32_t position, const char16_t* text, int32_t column) override;
    char16_t* GetGadgetItemText(int32_t position, int32_t column, int64_t p) override;
    void SetGadgetItemData(int32_t position, int64_t value) override;
    int64_t GetGadgetItemData(int32_t position) override;
    void SetGadgetItemState(int32_t position, int64_t state) override;
    int64_t GetGadgetItemState(int32_t position) override;

    KS_List* List = nullptr;
    bool HasTextColor = false;
    QColor TextColor;

private:
    std::vector<int> selectedRows() const;
    // Selects exactly these rows (those below the row count), posting nothing.
    void restoreSelection(const std::vector<int>& rows);

    KSListViewTableView* view_ = nullptr;
    KSListViewModel* model_ = nullptr;
};
