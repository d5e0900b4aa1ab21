// The list view as the program and its user drive it: where rows go, what is selected
// after each command, and which user actions post which events (and that commands post
// none).
#include "gadget_fixture.h"

#include "runtime/gui/gadgets/listview_qt.h"

#include <QFocusEvent>
#include <QTest>

#include <algorithm>

namespace {

using Rows = std::vector<QString>;
using ListViewTest = GadgetTest;

// The rows as the gadget answers them, and as the Qt view shows them.
std::pair<Rows, Rows> RowsOf(QListView* view) {
    Rows rows, shown;
    for (int32_t i = 0; i < CountGadgetItems(0); ++i) {
        TempExpression e;
        rows.push_back(QString::fromUtf16(GetGadgetItemText(0, i, 0, e.Start())));
    }
    for (int i = 0; i < view->model()->rowCount(); ++i)
        shown.push_back(view->model()->index(i, 0).data().toString());
    return {rows, shown};
}

void MouseAt(QListView* view, Qt::MouseButton button, int row, bool twice = false) {
    const QPoint at = view->visualRect(view->model()->index(row, 0)).center();
    twice ? QTest::mouseDClick(view->viewport(), button, {}, at)
          : QTest::mouseClick(view->viewport(), button, {}, at);
}

// A row too long for the list shows its whole text as a tooltip; one that fits shows none.
TEST_F(ListViewTest, ARowThatDoesNotFitShowsItsTextAsATooltip) {
    const std::u16string longName = u"the_package_name_at_the_end_of_a_long_path.sel.000";
    QListView* view = MakeList({u"a.sel.000", longName.c_str()});
    const std::pair<int, QString> cases[] = {{1, QString::fromStdU16String(longName)}, {0, ""}};
    for (const auto& [row, tip] : cases) {
        const QPoint at = view->visualRect(view->model()->index(row, 0)).center();
        EXPECT_EQ(static_cast<KSListViewTableView*>(view)->toolTipAt(at), tip) << row;
    }
}

TEST_F(ListViewTest, ItemPositionsAppendInsertFirstOrPlaceTheRow) {
    const std::pair<int32_t, Rows> cases[] = {
        {-1, {"a", "b", "c", "new"}}, {0, {"new", "a", "b", "c"}}, {2, {"a", "b", "new", "c"}},
        {3, {"a", "b", "c", "new"}},  {5, {"a", "b", "c", "new"}}, {-7, {"a", "b", "c", "new"}},
    };
    for (const auto& [position, rows] : cases) {
        QListView* view = MakeList({u"a", u"b", u"c"});
        EXPECT_NE(AddGadgetItem(0, position, u"new"), 0);
        EXPECT_EQ(RowsOf(view), std::pair(rows, rows)) << position;
    }
}

TEST_F(ListViewTest, StateAfterEachCommandAndNoEvents) {
    MakeList({u"x", u"same", u"same"});
    EXPECT_EQ(GetGadgetState(0), -1);
    // state set, then the state read back; 3 (the row count) and -2 are ignored
    for (const auto& [set, state] : {std::pair{2, 2}, {3, 2}, {-2, 2}, {-1, -1}}) {
        SetGadgetState(0, set);
        EXPECT_EQ(GetGadgetState(0), state) << set;
    }
    EXPECT_EQ(GadgetText(0), "");
    SetGadgetText(0, u"same"); // the upper of equal rows
    EXPECT_EQ(GetGadgetState(0), 1);
    SetGadgetText(0, u"missing");
    EXPECT_EQ(GetGadgetState(0), 1);
    SetGadgetState(0, 0);
    AddGadgetItem(0, 0, u"first"); // the selected row number stays
    EXPECT_EQ(GetGadgetState(0), 0);
    EXPECT_EQ(GadgetText(0), "first");
    RemoveGadgetItem(0, 2);
    EXPECT_EQ(GetGadgetState(0), 0);
    ClearGadgetItems(0);
    EXPECT_EQ(GetGadgetState(0), -1);
    EXPECT_EQ(CountGadgetItems(0), 0);
    EXPECT_TRUE(GadgetEvents().empty());
}

TEST_F(ListViewTest, UserClicksPostTheirTypeSetGadgetStatePostsNothing) {
    QListView* view = MakeList({u"a", u"b", u"c"});
    SetGadgetState(0, 2);
    EXPECT_TRUE(GadgetEvents().empty());
    MouseAt(view, Qt::LeftButton, 1);
    EXPECT_EQ(GadgetEvents(), Posted({GadgetEvent_Click}));
    EXPECT_EQ(GetGadgetState(0), 1);
    MouseAt(view, Qt::RightButton, 2);
    EXPECT_EQ(GadgetEvents(), Posted({GadgetEvent_RightClick}));
    EXPECT_EQ(GetGadgetState(0), 1); // the selection stays
    MouseAt(view, Qt::LeftButton, 0, true);
    const std::vector<PostedEvent> events = GadgetEvents();
    const PostedEvent twice = Posted({GadgetEvent_DoubleClick})[0];
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events.back(), twice);
    EXPECT_EQ(std::count(events.begin(), events.end(), twice), 1);
    EXPECT_EQ(GetGadgetState(0), 0);
}

TEST_F(ListViewTest, FocusSelectsNothingAndArrowKeysMoveTheSelection) {
    QListView* view = MakeList({u"a", u"b", u"c"});
    QFocusEvent focus(QEvent::FocusIn, Qt::TabFocusReason);
    QApplication::sendEvent(view, &focus);
    EXPECT_EQ(GetGadgetState(0), -1);
    EXPECT_TRUE(GadgetEvents().empty());
    for (const auto& [key, state] :
         {std::pair{Qt::Key_Down, 0}, {Qt::Key_Down, 1}, {Qt::Key_Down, 2}, {Qt::Key_Up, 1}}) {
        QTest::keyClick(view, key);
        EXPECT_EQ(GetGadgetState(0), state);
        EXPECT_EQ(GadgetEvents(), Posted({GadgetEvent_Click})) << state;
    }
}

TEST_F(ListViewTest, ItemTextDataAndStateBelongToTheirRow) {
    QListView* view = MakeList({u"a", u"b", u"c"}, ListViewFlag_MultiSelect);
    SetGadgetItemText(0, 1, u"<b>bold</b>");
    EXPECT_EQ(RowsOf(view).second, (Rows{"a", "<b>bold</b>", "c"}));
    TempExpression e;
    EXPECT_EQ(QString::fromUtf16(GetGadgetItemText(0, 3, 0, e.Start())), ""); // no such row
    for (const int32_t row : {1, 2, 9}) {
        SetGadgetItemData(0, row, row * 10);
        SetGadgetItemState(0, row, 1);
    }
    SetGadgetItemState(0, 2, 0);
    EXPECT_EQ((std::vector<int64_t>{GetGadgetItemData(0, 0), GetGadgetItemData(0, 1),
                                    GetGadgetItemData(0, 9), GetGadgetItemState(0, 0),
                                    GetGadgetItemState(0, 1), GetGadgetItemState(0, 2)}),
              (std::vector<int64_t>{0, 10, 0, 0, 1, 0}));
    EXPECT_TRUE(GadgetEvents().empty());
}

} // namespace
